#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

class Form1;

// The File menu's commands on the memo database as a whole: switching to
// another database (a new copy of Quillet on it), refreshing it (rebuilt with
// new IDs, the old file kept as a backup), saving a copy under another name,
// and reading the memos of another database into it.
// Other code and tests find it as the window's child named "DatabaseCommands".
class DatabaseCommands : public QObject
{
    Q_OBJECT
public:
    explicit DatabaseCommands(Form1& window);

    void mnuMDBChange();
    void mnuMDBRefresh();
    void mnuMDBSaveAs();
    void mnuMDBAddImport();

    // Starts `program` with `arguments` without waiting for it; true when it
    // started. Replaced by tests, which record the command line instead.
    std::function<bool(const QString& program, const QStringList& arguments)> startProgram;

    // The refresh's backup: the database file's name without its extension,
    // ".bak", in Quillet's folder.
    static QString backupPath(const QString& myPath, const QString& dbPath);
    // The save-as target: the chosen path, with ".mdb" appended unless it
    // already ends so (in any letter case).
    static QString saveAsPath(const QString& chosen);

private:
    void refreshAborted(const QString& detail = {});
    // After a refresh every memo has a new number: nothing in the window may
    // go on naming a memo by its old one (the memo on screen, whose next save
    // would go over another memo, and the search result). Floating windows
    // were closed before the rebuild, and the lists are refilled after it.
    void forgetOldNumbers();
    // Counts the tags of the database afresh and fills the category list; false
    // (after reporting it) when the database cannot be read.
    bool reloadCategories();

    Form1& m_window;
};
