// One memo in several places at once: the main window, a floating window,
// a second connection to the same file (another copy of Quillet) and the tag
// commands. A place without unsaved edits shows what was written elsewhere;
// a save checks that the stored memo is still what it loaded, and asks.
#include "MainWindowFixture.h"
#include "MemoFixtures.h"
#include "editing/MemoEditor.h"
#include "store/MemoStore.h"
#include "tags/MemoList.h"
#include "ui/FloatingWindows.h"
#include "ui/frmViewer.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolBar>

using namespace Qt::Literals::StringLiterals;

namespace {

class OneMemoManyPlacesTest : public MainWindowFixture
{
protected:
    std::optional<Memo> stored(qint64 id) { return window->store().readMemo(id); }
    // Another copy of Quillet writes the memo through a connection of its own.
    void writeElsewhere(qint64 id, const QString& body)
    {
        MemoStore other(dbPath());
        other.updateMemo(id, u"m"_s, body, u"x"_s, u"2026/12/11 08:00:00"_s);
    }
};

TEST_F(OneMemoManyPlacesTest, APlaceWithoutEditsShowsTheMemoWrittenElsewhere)
{
    const qint64 x = addMemo(u"m"_s, u"x"_s, u"one"_s);
    const qint64 y = addMemo(u"n"_s, {}, u"other"_s);
    open();
    frmViewer* viewer = openFloating(x);
    ASSERT_TRUE(viewer);

    // Edited in the main window and saved by switching memos: the unedited
    // floating window shows the saved text, and its next save keeps it.
    chooseMemo(x);
    QTest::keyClick(contents(), Qt::Key_End, Qt::ControlModifier);
    type(contents(), u" two"_s);
    chooseMemo(y);
    EXPECT_EQ(stored(x)->body, u"one two"_s);
    EXPECT_EQ(viewer->boxText(), u"one two"_s);
    EXPECT_FALSE(viewer->IsEdit());
    press(viewer, "Edit");
    QTest::keyClick(viewer->txtContents(), Qt::Key_End, Qt::ControlModifier);
    type(viewer->txtContents(), u" three"_s);
    press(viewer, "Save");
    EXPECT_TRUE(prompt.messageTexts().isEmpty());
    EXPECT_EQ(stored(x)->body, u"one two three"_s);

    // A tag added by the tag commands to the memo on screen shows in its tag
    // box, and the next save keeps it.
    chooseMemo(x);
    EXPECT_EQ(contents()->toPlainText(), u"one two three"_s);
    selectMemos({x});
    prompt.tagChoices = {u"y"_s};
    triggerAction("popAddTag");
    EXPECT_EQ(stored(x)->category, u"x y"_s);
    EXPECT_EQ(tags()->text(), u"x y"_s);
    EXPECT_FALSE(window->editor().IsEdit());
    type(contents(), u"!"_s);
    triggerAction("mnuSaveMemo");
    EXPECT_TRUE(prompt.messageTexts().isEmpty());
    EXPECT_EQ(stored(x)->category, u"x y"_s);
}

TEST_F(OneMemoManyPlacesTest, ASaveOverNewerTextAsksAndCanKeepBoth)
{
    const QString question = MemoEditor::changedMeanwhileQuestion();
    const qint64 x = addMemo(u"m"_s, u"x"_s, u"one"_s);
    open();

    // The main window's edits against another copy's save.
    chooseMemo(x);
    type(contents(), u"mine "_s);
    writeElsewhere(x, u"theirs"_s);
    prompt.answers = {PromptAnswer::Cancel};
    triggerAction("mnuSaveMemo");
    EXPECT_EQ(prompt.messageTexts(), QStringList{question});
    EXPECT_EQ(prompt.shown.last().buttons, PromptButtons::YesNoCancel);
    EXPECT_EQ(stored(x)->body, u"theirs"_s);
    EXPECT_EQ(contents()->toPlainText(), u"mine one"_s);
    EXPECT_TRUE(window->editor().IsEdit());

    // "No" keeps both: the boxes become a memo of their own.
    prompt.shown.clear();
    prompt.answers = {PromptAnswer::No};
    triggerAction("mnuSaveMemo");
    EXPECT_EQ(prompt.messageTexts(), QStringList{question});
    const qint64 mine = lblNo().toLongLong();
    ASSERT_GT(mine, x);
    EXPECT_EQ(stored(mine)->body, u"mine one"_s);
    EXPECT_EQ(stored(x)->body, u"theirs"_s);
    EXPECT_FALSE(window->editor().IsEdit());

    // A floating window's edits against the main window's save: "Yes" writes over.
    frmViewer* viewer = typeInFloating(x, u"floating "_s);
    ASSERT_TRUE(viewer);
    chooseMemo(x);
    type(contents(), u"main "_s);
    prompt.shown.clear();
    // Saved although the floating window is edited, which keeps its edits.
    prompt.answers = {PromptAnswer::Yes, PromptAnswer::No};
    triggerAction("mnuSaveMemo");
    ASSERT_EQ(stored(x)->body, u"main theirs"_s);
    chooseMemo(mine); // the main window no longer shows x
    prompt.shown.clear();
    prompt.answers = {PromptAnswer::Yes};
    press(viewer, "Save");
    EXPECT_EQ(prompt.messageTexts(), QStringList{question});
    EXPECT_EQ(stored(x)->body, u"floating theirs"_s);
    EXPECT_FALSE(viewer->IsEdit());

    // Tags changed by a tag command while the boxes hold edits: the save asks.
    chooseMemo(x);
    type(contents(), u"again "_s);
    window->memoList().selectId(x);
    prompt.tagChoices = {u"z"_s};
    triggerAction("popAddTag");
    ASSERT_EQ(stored(x)->category, u"x z"_s);
    EXPECT_EQ(tags()->text(), u"x"_s) << "the boxes keep their edits";
    prompt.shown.clear();
    prompt.answers = {PromptAnswer::Yes};
    triggerAction("mnuSaveMemo");
    EXPECT_EQ(prompt.messageTexts(), QStringList{question});
    EXPECT_EQ(stored(x)->body, u"again floating theirs"_s);
}

// A move of the memo on screen to the trash that fails (here the table is
// gone under Quillet's feet) is reported and leaves the boxes as they were.
TEST_F(OneMemoManyPlacesTest, AFailedMoveToTheTrashKeepsTheEdits)
{
    const qint64 x = addMemo(u"m"_s, u"x"_s, u"one"_s);
    open();
    chooseMemo(x);
    type(contents(), u"unsaved "_s);
    MemoFixtures::execute(dbPath(), "ALTER TABLE Memo RENAME TO Elsewhere");
    triggerAction("mnuDeleteCurrentMemo");
    ASSERT_FALSE(prompt.messageTexts().isEmpty());
    EXPECT_EQ(prompt.shown.first().icon, PromptIcon::Critical);
    EXPECT_EQ(lblNo(), QString::number(x));
    EXPECT_EQ(contents()->toPlainText(), u"unsaved one"_s);
    EXPECT_TRUE(window->editor().IsEdit());
}

} // namespace
