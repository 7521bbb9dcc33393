#pragma once


#include <QObject>

class Form1;

// The filter command (menu item mnuFiltering and the toolbar button
// "Filtering"): the filter dialog, then the tag search, whose result becomes
// the "[Find]" row of the category list.
class SearchCommands : public QObject
{
    Q_OBJECT
public:
    explicit SearchCommands(Form1& window);

    void mnuFiltering();

private:
    Form1& m_window;
};
