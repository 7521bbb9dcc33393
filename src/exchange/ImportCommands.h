#pragma once

#include "exchange/TextImport.h"

#include <QObject>
#include <QStringList>
#include <optional>

class Form1;
class QMimeData;
class QWidget;

// The import commands of the main window: one text file, a folder, and files
// or folders dropped on the window, its lists or the contents box.
class ImportCommands : public QObject
{
    Q_OBJECT
public:
    explicit ImportCommands(Form1& window);

    void mnuImport();
    void mnuImportFolder();
    // Imports the dropped files, and the accepted files of dropped folders,
    // tagged `tag` (after the tag rule, applied in place); with `report`, says
    // how many. Returns the number of files imported.
    int ImportDroppedFiles(const QMimeData& data, QString& tag, bool report);
    // A drop on the contents box that the box does not take as text: the
    // first dropped file fills the editing area, unsaved; anything else is
    // told that there was nothing to add.
    void dropFilesOnContents(const QMimeData& data);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Imports `files` with a progress window when there are many; a database
    // failure is reported and the counts rebuilt (nullopt then). The category
    // rows show the new counts afterwards.
    std::optional<ImportResult> importFiles(const QStringList& files, QString& tag);
    // Shows `text` (none when empty); files the import skipped are added to
    // it, named with their reasons, and the message is then a warning.
    void showOutcome(QString text, const ImportResult& result);

    Form1& m_window;
    QWidget* m_contentsViewport = nullptr;
};
