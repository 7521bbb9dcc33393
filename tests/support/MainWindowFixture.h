#pragma once

#include "FixedClock.h"
#include "ScriptedPrompt.h"
#include "TestHome.h"
#include "ui/Form1.h"

#include <QAbstractItemView>
#include <gtest/gtest.h>
#include <memory>

class QLineEdit;
class QPlainTextEdit;
class QTreeView;
class frmViewer;

// A main window on a fresh default database in a scratch home, with helpers
// that act as the user does: clicking rows, typing, triggering commands.
class MainWindowFixture : public ::testing::Test
{
protected:
    TestHome home;
    ScriptedPrompt prompt;
    FixedClock clock;
    std::unique_ptr<Form1> window;
    // open() gives the window a roomy fixed size, unless this is set: then it
    // keeps the size it gives itself.
    bool keepWindowSize = false;

    QString dbPath() const { return home.file(QStringLiteral("diary.mdb")); }
    QString iniPath() const { return home.file(QStringLiteral("quillet_default.ini")); }

    // Creates the database (and settings lines) before the window opens.
    void prepare(const QString& settings = {});
    qint64 addMemo(const QString& title, const QString& tags, const QString& body = {}, bool trashed = false,
                   bool locked = false);
    // Starts as Quillet does with these command-line arguments.
    void open(const QStringList& arguments = {});

    QTreeView* catList() const;
    QTreeView* memoList() const;
    QLineEdit* title() const;
    QLineEdit* tags() const;
    QPlainTextEdit* contents() const;
    QString lblNo() const;

    void clickRow(QAbstractItemView* view, int row);
    // Clicks the category row with this name; fails the test when there is none.
    void chooseCategory(const QString& name);
    // Clicks the memo row of memo `id`.
    void chooseMemo(qint64 id);
    void triggerAction(const char* name);
    // Types into a box one key at a time.
    void type(QWidget* box, const QString& text);

    // Selects the rows of these memos as the user does: a click on the first
    // (which shows it), Ctrl+clicks on the others.
    void selectMemos(const QList<qint64>& ids);
    QStringList categoryRows() const; // "id name count" per row, in list order
    // The category rows after the counts were rebuilt from the database.
    QStringList recountedCategoryRows();
    // "name count" of each row, sorted, without the tag rows whose count fell
    // to 0: a recount numbers and orders the names afresh and drops those.
    static QStringList countsByName(const QStringList& rows);
    // Presses the progress window's cancel button as soon as the running
    // operation first lets events run.
    static void cancelProgressAtFirstStep();
    QList<qint64> memoRowIds() const;

    // Opens memo `id` from the memo list in a floating window.
    frmViewer* openFloating(qint64 id);
    // Opens memo `id` in a floating window and types `text` at its start in
    // edit mode; null when the window did not open.
    frmViewer* typeInFloating(qint64 id, const QString& text);
    // Clicks a floating window's toolbar button; fails when it is disabled.
    static void press(frmViewer* viewer, const char* key);
    QStringList memoRowTexts(int column) const;
};
