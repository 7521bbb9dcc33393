// The undo histories of the three boxes always hold the text their box shows,
// whatever filled the box: typing, undo and redo, saves that rewrite a box,
// reverts, new memos, the commands that start a memo from another, a
// floating window that saves the same memo and an external editor's save.
#include "MainWindowFixture.h"
#include "editing/MemoEditor.h"
#include "store/MemoStore.h"
#include "ui/FloatingWindows.h"
#include "ui/frmViewer.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QTest>

#include <random>

namespace {

using Box = MemoEditor::Box;
constexpr Box kBoxes[] = {Box::Title, Box::Tags, Box::Contents};

class UndoInStepTest : public MainWindowFixture
{
protected:
    MemoEditor& editor() { return window->editor(); }
    QWidget* box(Box which) const
    {
        switch (which) {
        case Box::Title:
            return title();
        case Box::Tags:
            return tags();
        default:
            return contents();
        }
    }
    void undo(Box which) { QTest::keyClick(box(which), Qt::Key_Z, Qt::ControlModifier); }
    void redo(Box which) { QTest::keyClick(box(which), Qt::Key_Y, Qt::ControlModifier); }
    // Empty when every box shows what its history says it shows.
    std::string outOfStep()
    {
        std::string report;
        for (Box which : kBoxes) {
            const QString shown = editor().boxText(which);
            const QString held = editor().undoHistory(which).currentText();
            if (shown != held)
                report += "box " + std::to_string(int(which)) + " shows \"" + shown.toStdString() +
                          "\" but its history holds \"" + held.toStdString() + "\"; ";
        }
        return report;
    }
};

TEST_F(UndoInStepTest, UndoAfterTheCopyCommandsReturnsToTheCopiedText)
{
    const qint64 id = addMemo(QStringLiteral("Plan"), QStringLiteral("work"), QStringLiteral("alpha\r\nbeta"));
    open();
    chooseMemo(id);
    triggerAction("mnuNewMemoCopy");
    EXPECT_EQ(outOfStep(), "");
    QTest::keyClicks(contents(), QStringLiteral("x"));
    undo(Box::Contents);
    EXPECT_EQ(contents()->toPlainText(), QStringLiteral("alpha\nbeta"));
    undo(Box::Title);
    EXPECT_EQ(title()->text(), QStringLiteral("コピー Plan"));

    QTextCursor cursor = contents()->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(5, QTextCursor::KeepAnchor);
    contents()->setTextCursor(cursor);
    triggerAction("mnuNewMemoCopySelected");
    EXPECT_EQ(outOfStep(), "");
    QTest::keyClicks(contents(), QStringLiteral("y"));
    undo(Box::Contents);
    EXPECT_EQ(contents()->toPlainText(), QStringLiteral("alpha"));
}

TEST_F(UndoInStepTest, UndoAfterASaveThatRewroteTheBoxes)
{
    prepare(QStringLiteral("[General]\nMemoSaveAutoTitle=1\n"));
    open();
    QTest::keyClicks(tags(), QStringLiteral("  a b  "));
    QTest::keyClicks(contents(), QStringLiteral("Line1"));
    QTest::keyClick(contents(), Qt::Key_Return);
    QTest::keyClicks(contents(), QStringLiteral("Line2"));
    QTest::keyClick(contents(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(title()->text(), QStringLiteral("Line1"));
    ASSERT_EQ(tags()->text(), QStringLiteral("a b"));
    EXPECT_EQ(outOfStep(), "");

    QTest::keyClicks(title(), QStringLiteral("a"));
    undo(Box::Title);
    EXPECT_EQ(title()->text(), QStringLiteral("Line1"));
    undo(Box::Title);
    EXPECT_EQ(title()->text(), QString());
    redo(Box::Title);
    EXPECT_EQ(title()->text(), QStringLiteral("Line1"));

    QTest::keyClicks(tags(), QStringLiteral("c"));
    undo(Box::Tags);
    EXPECT_EQ(tags()->text(), QStringLiteral("a b"));
    undo(Box::Tags);
    EXPECT_EQ(tags()->text(), QStringLiteral("  a b  "));
}

TEST_F(UndoInStepTest, RandomEditsKeepEveryBoxInStepWithItsHistory)
{
    const auto unset = qScopeGuard([] {
        qunsetenv("FAKE_EDITOR_MODE");
        qunsetenv("FAKE_EDITOR_TEXT");
    });
    // Editor 1 is a stand-in that appends a letter to the memo it is given.
    qputenv("FAKE_EDITOR_MODE", "append");
    qputenv("FAKE_EDITOR_TEXT", "e");
    prepare(QStringLiteral("[General]\nMemoSaveAutoTitle=1\n[OuterEditor]\nName_1=e\nPath_1=%1\nDefault_1=1\n")
                .arg(QString::fromUtf8(FAKE_EDITOR)));
    open();
    std::mt19937 random(20261210);
    const auto pick = [&random](int n) { return int(std::uniform_int_distribution<int>(0, n - 1)(random)); };
    const QString letters = QStringLiteral("ab ");

    for (int step = 0; step < 400; ++step) {
        const Box which = kBoxes[pick(3)];
        QString action;
        // Every question is answered yes: save although the other side is
        // edited, take the floating window's save, write over a changed memo.
        prompt.answers = {PromptAnswer::Yes, PromptAnswer::Yes, PromptAnswer::Yes};
        switch (pick(12)) {
        case 0:
        case 1:
        case 2: {
            // Type a few characters somewhere in a box.
            if (which == Box::Contents) {
                QTextCursor cursor = contents()->textCursor();
                cursor.setPosition(pick(int(contents()->document()->characterCount())));
                contents()->setTextCursor(cursor);
            } else {
                auto* line = static_cast<QLineEdit*>(box(which));
                line->setCursorPosition(pick(int(line->text().size()) + 1));
            }
            for (int n = pick(3) + 1; n > 0; --n) {
                if (which == Box::Contents && pick(4) == 0)
                    QTest::keyClick(contents(), Qt::Key_Return);
                else
                    QTest::keyClicks(box(which), QString(letters.at(pick(int(letters.size())))));
            }
            action = QStringLiteral("type");
            break;
        }
        case 3:
            undo(which);
            action = QStringLiteral("undo");
            break;
        case 4:
            redo(which);
            action = QStringLiteral("redo");
            break;
        case 5: {
            QTest::keyClick(contents(), Qt::Key_S, Qt::ControlModifier);
            action = QStringLiteral("save");
            const std::optional<Memo> memo = window->store().readMemo(lblNo().toLongLong());
            ASSERT_TRUE(memo) << step;
            EXPECT_EQ(memo->title, title()->text()) << step;
            EXPECT_EQ(memo->category, tags()->text()) << step;
            EXPECT_EQ(memo->body, editor().boxText(Box::Contents).replace(QLatin1Char('\n'), QStringLiteral("\r\n")))
                << step;
            break;
        }
        case 6:
            triggerAction("mnuNewMemoCopy");
            action = QStringLiteral("copy");
            break;
        case 7:
            triggerAction(pick(2) ? "mnuAllUndo" : "mnuNewMemo");
            action = QStringLiteral("revert or new");
            break;
        case 8: {
            // The memo on screen saved from a floating window, then closed there.
            if (editor().isNewMemo())
                break;
            window->floatingWindows().OpenMemoWindow(true, false);
            frmViewer* viewer = window->floatingWindows().QueryViewerOpen(lblNo().toLongLong());
            ASSERT_TRUE(viewer) << step;
            press(viewer, "Edit");
            QTest::keyClicks(viewer->txtContents(), QString(letters.at(pick(int(letters.size())))));
            const bool mainEdited = editor().IsEdit();
            press(viewer, "Save");
            // The main window shows the stored memo now, whole.
            const std::optional<Memo> memo = window->store().readMemo(lblNo().toLongLong());
            ASSERT_TRUE(memo) << step;
            EXPECT_EQ(memo->body, viewer->storedText()) << step;
            EXPECT_EQ(editor().storedContents(), memo->body) << step << (mainEdited ? " (main edited)" : "");
            EXPECT_FALSE(editor().IsEdit()) << step;
            press(viewer, "Close");
            QTRY_VERIFY(window->floatingWindows().windows().isEmpty());
            action = QStringLiteral("floating save");
            break;
        }
        case 9: {
            // The memo on screen through the external editor; its save is taken
            // back over the main window's edits, which give way to it.
            if (editor().isNewMemo())
                break;
            const qint64 id = lblNo().toLongLong();
            const QString before = window->store().readMemo(id)->body;
            triggerAction("mnuEditorForm1");
            const std::optional<Memo> memo = window->store().readMemo(id);
            ASSERT_TRUE(memo) << step;
            EXPECT_EQ(memo->body, before + QStringLiteral("e")) << step;
            EXPECT_EQ(editor().storedContents(), memo->body) << step;
            EXPECT_FALSE(editor().IsEdit()) << step;
            QTRY_VERIFY(window->floatingWindows().windows().isEmpty());
            action = QStringLiteral("editor pass");
            break;
        }
        default: {
            QTextCursor cursor = contents()->textCursor();
            const int end = int(contents()->document()->characterCount()) - 1;
            cursor.setPosition(pick(end + 1));
            cursor.setPosition(pick(end + 1), QTextCursor::KeepAnchor);
            contents()->setTextCursor(cursor);
            triggerAction("mnuNewMemoCopySelected");
            action = QStringLiteral("copy selection");
            break;
        }
        }
        prompt.answers.clear();
        ASSERT_EQ(outOfStep(), "") << "after step " << step << " (" << action.toStdString() << ")";
    }
}

} // namespace
