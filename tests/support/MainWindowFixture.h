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

// A main window on a fresh default database in a scratch home, with helpers
// that act as the user does: clicking rows, typing, triggering commands.
class MainWindowFixture : public ::testing::Test
{
protected:
    TestHome home;
    ScriptedPrompt prompt;
    FixedClock clock;
    std::unique_ptr<Form1> window;

    QString dbPath() const { return home.file(QStringLiteral("diary.mdb")); }
    QString iniPath() const { return home.file(QStringLiteral("quillet_default.ini")); }

    // Creates the database (and settings lines) before the window opens.
    void prepare(const QString& settings = {});
    qint64 addMemo(const QString& title, const QString& tags, const QString& body = {}, bool trashed = false,
                   bool locked = false);
    void open();

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

    QStringList categoryRows() const; // "id name count" per row, in list order
    QList<qint64> memoRowIds() const;
    QStringList memoRowTexts(int column) const;
};
