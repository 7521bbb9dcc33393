#pragma once

#include <QObject>

class Form1;

// The export commands of the main window: every memo through an export
// definition (the export dialog), and the selected memos into one text file.
class ExportCommands : public QObject
{
    Q_OBJECT
public:
    explicit ExportCommands(Form1& window);

    void mnuExportAll();
    void mnuExportText();

private:
    Form1& m_window;
};
