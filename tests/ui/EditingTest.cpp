#include "MainWindowFixture.h"
#include "MemoFixtures.h"
#include "editing/MemoEditor.h"
#include "store/MemoStore.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QTreeView>

namespace {

class EditingTest : public MainWindowFixture
{
protected:
    std::optional<Memo> stored(qint64 id) { return window->store().readMemo(id); }
    bool saveEnabled() const { return window->findChild<QAction*>(QStringLiteral("Save"))->isEnabled(); }
};

TEST_F(EditingTest, TypedMemoIsSavedWithCtrlSAndListed)
{
    prepare();
    open();
    EXPECT_EQ(lblNo(), QStringLiteral("New"));
    EXPECT_FALSE(saveEnabled());
    type(title(), QStringLiteral("買い物"));
    EXPECT_TRUE(saveEnabled());
    QTest::keyClick(title(), Qt::Key_Return); // on to the tag box
    EXPECT_TRUE(tags()->hasFocus());
    QTest::keyClicks(tags(), QStringLiteral("home todo"));
    QTest::keyClick(tags(), Qt::Key_Return); // on to the contents
    EXPECT_TRUE(contents()->hasFocus());
    QTest::keyClicks(contents(), QStringLiteral("milk"));
    QTest::keyClick(contents(), Qt::Key_Return);
    QTest::keyClicks(contents(), QStringLiteral("bread"));
    QTest::keyClick(contents(), Qt::Key_S, Qt::ControlModifier);

    ASSERT_NE(lblNo(), QStringLiteral("New"));
    const qint64 id = lblNo().toLongLong();
    const std::optional<Memo> memo = stored(id);
    ASSERT_TRUE(memo);
    EXPECT_EQ(memo->title, QStringLiteral("買い物"));
    EXPECT_EQ(memo->category, QStringLiteral("home todo"));
    EXPECT_EQ(memo->body, QStringLiteral("milk\r\nbread"));
    EXPECT_EQ(memo->publishTime, QStringLiteral("2026/12/10 09:30:00"));
    EXPECT_EQ(memo->updateTime, memo->publishTime);
    EXPECT_FALSE(saveEnabled());

    EXPECT_EQ(memoRowIds(), QList<qint64>{id});
    EXPECT_EQ(memoRowTexts(3), QStringList{QStringLiteral("買い物")});
    EXPECT_EQ(categoryRows(), (QStringList{QStringLiteral("1 [ALL] 1"), QStringLiteral("2 [Trash] 0"),
                                           QStringLiteral("3 [Find] 0"), QStringLiteral("4 [Import] 0"),
                                           QStringLiteral("5 home 1"), QStringLiteral("6 todo 1")}));

    // Saving again changes only the update time.
    clock.advanceSeconds(61);
    QTest::keyClicks(contents(), QStringLiteral("!"));
    triggerAction("mnuSaveMemo");
    EXPECT_EQ(stored(id)->publishTime, QStringLiteral("2026/12/10 09:30:00"));
    EXPECT_EQ(stored(id)->updateTime, QStringLiteral("2026/12/10 09:31:01"));
    EXPECT_EQ(memoRowTexts(2), QStringList{QStringLiteral("2026/12/10 09:31:01")});
    EXPECT_EQ(memoRowTexts(1), QStringList{QStringLiteral("2026/12/10 09:30:00")});
}

struct SwitchCase
{
    const char* name;
    const char* autoSave;               // the setting, when one is written
    std::optional<PromptAnswer> answer; // the answer, when a question is asked
    bool saved;
    bool switched;
};

class SwitchingTest : public EditingTest, public ::testing::WithParamInterface<SwitchCase>
{
};

TEST_P(SwitchingTest, SwitchingMemosFollowsTheSaveSetting)
{
    const SwitchCase& c = GetParam();
    const qint64 first = addMemo(QStringLiteral("first"), QString(), QStringLiteral("one"));
    const qint64 second = addMemo(QStringLiteral("second"), QString(), QStringLiteral("two"));
    if (c.autoSave)
        prepare(QStringLiteral("[General]\nMemoChangeAutoSave=%1\n").arg(QLatin1String(c.autoSave)));
    open();
    chooseMemo(first);
    ASSERT_EQ(lblNo(), QString::number(first));
    QTest::keyClicks(contents(), QStringLiteral("X"));
    if (c.answer)
        prompt.answers = {*c.answer};
    chooseMemo(second);

    EXPECT_EQ(prompt.messageTexts(),
              c.answer ? QStringList{QStringLiteral("メモの内容が変更されています。保存しますか？")} : QStringList{});
    if (c.answer) {
        EXPECT_EQ(prompt.shown.last().buttons, PromptButtons::YesNoCancel);
    }
    EXPECT_EQ(stored(first)->body, c.saved ? QStringLiteral("Xone") : QStringLiteral("one"));
    EXPECT_EQ(lblNo(), QString::number(c.switched ? second : first));
    EXPECT_EQ(contents()->toPlainText(), c.switched ? QStringLiteral("two") : QStringLiteral("Xone"));
    // Clicking the memo already shown neither asks nor reloads.
    prompt.shown.clear();
    chooseMemo(c.switched ? second : first);
    EXPECT_TRUE(prompt.shown.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(SaveSettings, SwitchingTest,
                         ::testing::Values(SwitchCase{"silent", nullptr, std::nullopt, true, true},
                                           SwitchCase{"askYes", "0", PromptAnswer::Yes, true, true},
                                           SwitchCase{"askNo", "0", PromptAnswer::No, false, true},
                                           SwitchCase{"askCancel", "0", PromptAnswer::Cancel, false, false},
                                           SwitchCase{"neither", "2", std::nullopt, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditingTest, AutomaticTitleAndLengthLimits)
{
    prepare(QStringLiteral("[General]\nMemoSaveAutoTitle=1\n"));
    open();
    struct Case
    {
        QString contents;
        QString tags;
        QString expectedTitle;
        QString expectedTags;
    } cases[] = {
        {QStringLiteral("first line\nsecond"), QStringLiteral("  a b  "), QStringLiteral("first line"),
         QStringLiteral("a b")},
        {QString(300, QLatin1Char('w')), QString(300, QLatin1Char('t')), QString(255, QLatin1Char('w')),
         QString(255, QLatin1Char('t'))},
        {QStringLiteral("x"), (QStringLiteral("tag567890 ").repeated(30)).trimmed(), QStringLiteral("x"),
         (QStringLiteral("tag567890 ").repeated(25)).trimmed()},
    };
    for (const Case& c : cases) {
        triggerAction("mnuNewMemo");
        contents()->setPlainText(c.contents);
        tags()->setText(c.tags);
        triggerAction("mnuSaveMemo");
        const std::optional<Memo> memo = stored(lblNo().toLongLong());
        ASSERT_TRUE(memo);
        EXPECT_EQ(memo->title, c.expectedTitle);
        EXPECT_EQ(memo->category, c.expectedTags);
        // The boxes show what was stored.
        EXPECT_EQ(title()->text(), c.expectedTitle);
        EXPECT_EQ(tags()->text(), c.expectedTags);
    }
}

TEST_F(EditingTest, UndoRedoWalkTheHistoryOfEachBox)
{
    const qint64 id = addMemo(QStringLiteral("t"), QString(), QString());
    open();
    chooseMemo(id);
    contents()->setFocus();
    triggerAction("mnuUndo"); // nothing to undo after a load
    EXPECT_FALSE(saveEnabled());

    QTest::keyClicks(contents(), QStringLiteral("pqr"));
    QTest::keyClick(contents(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(contents(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(contents()->toPlainText(), QStringLiteral("p"));
    EXPECT_EQ(contents()->textCursor().position(), 1);
    QTest::keyClicks(contents(), QStringLiteral("x"));
    EXPECT_EQ(contents()->toPlainText(), QStringLiteral("px"));
    QTest::keyClick(contents(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(contents()->toPlainText(), QStringLiteral("pqr"));
    QTest::keyClick(contents(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(contents()->toPlainText(), QStringLiteral("px"));

    // The title box has its own history.
    type(title(), QStringLiteral("ab"));
    QTest::keyClick(title(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(title()->text(), QStringLiteral("ta"));
    EXPECT_EQ(contents()->toPlainText(), QStringLiteral("px"));

    // Saving keeps the history; an undo afterwards marks the memo modified again.
    triggerAction("mnuSaveMemo");
    EXPECT_FALSE(saveEnabled());
    QTest::keyClick(title(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(title()->text(), QStringLiteral("t"));
    EXPECT_TRUE(saveEnabled());

    // Revert brings back the stored memo and clears the histories.
    triggerAction("mnuAllUndo");
    EXPECT_EQ(title()->text(), QStringLiteral("ta"));
    EXPECT_EQ(contents()->toPlainText(), QStringLiteral("px"));
    EXPECT_FALSE(saveEnabled());
    QTest::keyClick(title(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(title()->text(), QStringLiteral("ta"));
}

TEST_F(EditingTest, NewMemoCommands)
{
    const qint64 id = addMemo(QStringLiteral("Plan"), QStringLiteral("work"), QStringLiteral("alpha\r\nbeta"));
    open();
    chooseCategory(QStringLiteral("work"));
    chooseMemo(id);

    triggerAction("mnuNewMemoCopy");
    const qint64 copy = lblNo().toLongLong();
    ASSERT_NE(copy, id);
    EXPECT_EQ(stored(copy)->title, QStringLiteral("コピー Plan"));
    EXPECT_EQ(stored(copy)->body, QStringLiteral("alpha\r\nbeta"));
    EXPECT_EQ(stored(copy)->category, QStringLiteral("work"));

    QTextCursor cursor = contents()->textCursor();
    cursor.setPosition(2);
    cursor.setPosition(8, QTextCursor::KeepAnchor); // "pha\nbe"
    contents()->setTextCursor(cursor);
    triggerAction("mnuNewMemoCopySelected");
    const qint64 selected = lblNo().toLongLong();
    EXPECT_EQ(stored(selected)->title, QStringLiteral("コピー Plan"));
    EXPECT_EQ(stored(selected)->body, QStringLiteral("pha\r\nbe"));
    EXPECT_EQ(stored(selected)->category, QString());

    // A new memo starts with the chosen tag and is not stored until saved.
    const int count = window->store().countMemos();
    triggerAction("mnuNewMemo");
    EXPECT_EQ(lblNo(), QStringLiteral("New"));
    EXPECT_EQ(tags()->text(), QStringLiteral("work"));
    EXPECT_EQ(window->store().countMemos(), count);
}

TEST_F(EditingTest, CharacterCounts)
{
    prepare();
    open();
    contents()->setPlainText(QStringLiteral("ab\nc"));
    triggerAction("mnuGetTextLength");
    QTextCursor cursor = contents()->textCursor();
    cursor.setPosition(1);
    cursor.setPosition(4, QTextCursor::KeepAnchor);
    contents()->setTextCursor(cursor);
    triggerAction("mnuGetSelTextLength");
    EXPECT_EQ(prompt.messageTexts(),
              (QStringList{QStringLiteral("現在編集しているメモの文字数は 3文字です。\n(改行は除く)"),
                           QStringLiteral("現在選択しているメモの文字数は 2文字です。\n(改行は除く)")}));
    EXPECT_EQ(prompt.shown.first().icon, PromptIcon::Information);
}

TEST_F(EditingTest, LockedMemoAsksForTheSecurityPasswordOncePerFiveMinutes)
{
    const qint64 plain = addMemo(QStringLiteral("plain"), QString(), QStringLiteral("open"));
    const qint64 locked = addMemo(QStringLiteral("locked"), QString(), QStringLiteral("hidden"), false, true);
    // "abc" is stored scrambled as "dcb".
    prepare(QStringLiteral("[Security]\nPassword=dcb\n"));
    open();
    chooseMemo(plain);
    const QString asked = QStringLiteral("このメモを開くためのパスワードを入力してください。");

    prompt.passwords = {QString(), QStringLiteral("ABC"), QStringLiteral("abc")};
    chooseMemo(locked);
    chooseMemo(locked);
    EXPECT_EQ(prompt.messageTexts(),
              (QStringList{QStringLiteral("パスワードが入力されていません。"), QStringLiteral("パスワードが間違っています。")}));
    EXPECT_EQ(lblNo(), QString::number(plain));
    EXPECT_EQ(contents()->toPlainText(), QStringLiteral("open"));
    EXPECT_FALSE(window->editor().IsPassword());

    chooseMemo(locked);
    EXPECT_EQ(lblNo(), QString::number(locked));
    EXPECT_EQ(contents()->toPlainText(), QStringLiteral("hidden"));
    EXPECT_TRUE(window->editor().IsPassword());

    // Within five minutes no question; after them, one again.
    chooseMemo(plain);
    clock.advanceSeconds(240);
    chooseMemo(locked);
    EXPECT_EQ(lblNo(), QString::number(locked));
    chooseMemo(plain);
    clock.advanceSeconds(400);
    prompt.passwords = {QStringLiteral("abc")};
    // The period runs from the answer: four minutes spent on the question
    // leave five after it.
    prompt.whilePasswordShows = [this] { clock.advanceSeconds(240); };
    chooseMemo(locked);
    prompt.whilePasswordShows = nullptr;
    chooseMemo(plain);
    clock.advanceSeconds(120);
    chooseMemo(locked);
    EXPECT_EQ(lblNo(), QString::number(locked));
    EXPECT_TRUE(prompt.allAnswersUsed());
    int asks = 0;
    for (const auto& shown : prompt.shown)
        if (shown.kind == ScriptedPrompt::Kind::Password) {
            ++asks;
            EXPECT_EQ(shown.text, asked);
            EXPECT_EQ(shown.title, QStringLiteral("パスワードの入力"));
        }
    EXPECT_EQ(asks, 4);
}

TEST_F(EditingTest, FailedSaveIsReportedAndKeepsTheText)
{
    const qint64 id = addMemo(QStringLiteral("t"), QString(), QStringLiteral("stored"));
    open();
    chooseMemo(id);
    QTest::keyClicks(contents(), QStringLiteral("unsaved "));
    // Another program takes the table away under Quillet's feet.
    MemoFixtures::execute(dbPath(), "ALTER TABLE Memo RENAME TO Elsewhere");
    triggerAction("mnuSaveMemo");
    ASSERT_EQ(prompt.messageTexts().size(), 1);
    EXPECT_TRUE(prompt.messageTexts().first().startsWith(QStringLiteral("メモを保存できませんでした。")));
    EXPECT_EQ(prompt.shown.last().icon, PromptIcon::Critical);
    EXPECT_EQ(contents()->toPlainText(), QStringLiteral("unsaved stored"));
    EXPECT_TRUE(saveEnabled());
    EXPECT_TRUE(window->editor().IsEdit());

    // Switching away must not drop the edits either.
    MemoFixtures::execute(dbPath(), "ALTER TABLE Elsewhere RENAME TO Memo");
    EXPECT_EQ(window->editor().QuerySaveModified(), 1);
    EXPECT_EQ(stored(id)->body, QStringLiteral("unsaved stored"));
}

TEST_F(EditingTest, HiddenGreetingAnswersCtrlAlt0Everywhere)
{
    prepare();
    open();
    for (QWidget* target : {static_cast<QWidget*>(contents()), static_cast<QWidget*>(memoList()),
                            static_cast<QWidget*>(title())}) {
        target->setFocus();
        QTest::keyClick(target, Qt::Key_0, Qt::ControlModifier | Qt::AltModifier);
    }
    EXPECT_EQ(prompt.messageTexts(), QStringList(3, QStringLiteral("ｷﾀ━━━━━━(ﾟ∀ﾟ)━━━━━━!!")));
    EXPECT_TRUE(contents()->toPlainText().isEmpty());
    EXPECT_TRUE(title()->text().isEmpty());
}

TEST_F(EditingTest, ClosingTheWindowKeepsUnsavedEdits)
{
    const qint64 id = addMemo(QStringLiteral("t"), QString(), QStringLiteral("body"));
    prepare(QStringLiteral("[General]\nMemoChangeAutoSave=0\n"));
    open();
    chooseMemo(id);
    QTest::keyClicks(contents(), QStringLiteral("more "));

    // The close box asks nothing and saves nothing; the edits wait for the next start.
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(prompt.shown.isEmpty());
    EXPECT_EQ(stored(id)->body, QStringLiteral("body"));
    open();
    EXPECT_EQ(lblNo(), QString::number(id));
    EXPECT_EQ(contents()->toPlainText(), QStringLiteral("more body"));
    EXPECT_TRUE(window->editor().IsEdit());
    EXPECT_TRUE(saveEnabled());

    // The Quit command still asks first, and Cancel keeps the window open.
    prompt.answers = {PromptAnswer::Cancel};
    triggerAction("mnuQuit");
    EXPECT_TRUE(window->isVisible());
    prompt.answers = {PromptAnswer::Yes};
    triggerAction("mnuQuit");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(stored(id)->body, QStringLiteral("more body"));
    EXPECT_EQ(prompt.messageTexts(),
              QStringList(2, QStringLiteral("メモの内容が変更されています。保存しますか？")));
}

// A database that refuses every write to its memos, as a full disk or a
// locked file would.
void refuseMemoWrites(const QString& path)
{
    MemoFixtures::execute(path, "CREATE TRIGGER RefuseInsert BEFORE INSERT ON Memo "
                                "BEGIN SELECT RAISE(ABORT, 'disk full'); END;"
                                "CREATE TRIGGER RefuseUpdate BEFORE UPDATE ON Memo "
                                "BEGIN SELECT RAISE(ABORT, 'disk full'); END;");
}

const QString kDiscardQuestion = QStringLiteral("メモを保存できなかったため、変更はまだ保存されていません。\n"
                                                "変更を破棄して続けますか？\n"
                                                "「いいえ」を選ぶと、変更は入力欄にそのまま残ります。");

class FailedSaveTest;

// One way of leaving the memo on screen, and how to tell it was taken.
struct WayOut
{
    const char* name;
    const char* autoSave; // the MemoChangeAutoSave setting
    std::function<void(FailedSaveTest&)> act;
    std::function<bool(FailedSaveTest&)> done;
};

class FailedSaveTest : public EditingTest, public ::testing::WithParamInterface<WayOut>
{
public:
    using MainWindowFixture::chooseMemo;
    using MainWindowFixture::lblNo;
    using MainWindowFixture::triggerAction;
    using MainWindowFixture::window;
    qint64 other = 0;
};

TEST_P(FailedSaveTest, FailedSaveOffersToDiscardTheEdits)
{
    const WayOut& way = GetParam();
    const qint64 id = addMemo(QStringLiteral("t"), QString(), QStringLiteral("stored"));
    other = addMemo(QStringLiteral("other"), QString(), QStringLiteral("two"));
    prepare(QStringLiteral("[General]\nMemoChangeAutoSave=%1\n").arg(QLatin1String(way.autoSave)));
    open();
    chooseMemo(id);
    QTest::keyClicks(contents(), QStringLiteral("typed "));
    refuseMemoWrites(dbPath());
    const bool asksFirst = QLatin1String(way.autoSave) == QLatin1String("0");

    // No keeps the boxes as they are, and the window where it was.
    prompt.answers = {PromptAnswer::No};
    if (asksFirst)
        prompt.answers.push_front(PromptAnswer::Yes);
    way.act(*this);
    QStringList texts = prompt.messageTexts();
    if (asksFirst)
        texts.removeFirst();
    ASSERT_EQ(texts.size(), 2) << texts.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(texts[0].startsWith(QStringLiteral("メモを保存できませんでした。")));
    EXPECT_TRUE(texts[0].contains(QStringLiteral("disk full")));
    EXPECT_EQ(texts[1], kDiscardQuestion);
    EXPECT_EQ(prompt.shown.last().buttons, PromptButtons::YesNo);
    EXPECT_FALSE(way.done(*this));
    EXPECT_EQ(lblNo(), QString::number(id));
    EXPECT_EQ(contents()->toPlainText(), QStringLiteral("typed stored"));
    EXPECT_TRUE(window->editor().IsEdit());
    EXPECT_TRUE(saveEnabled());

    // Yes lets the user out; the stored memo is as it was.
    prompt.shown.clear();
    prompt.answers = {PromptAnswer::Yes};
    if (asksFirst)
        prompt.answers.push_front(PromptAnswer::Yes);
    way.act(*this);
    EXPECT_TRUE(prompt.allAnswersUsed());
    EXPECT_EQ(prompt.messageTexts().last(), kDiscardQuestion);
    EXPECT_TRUE(way.done(*this));
    EXPECT_EQ(stored(id)->body, QStringLiteral("stored"));
}

INSTANTIATE_TEST_SUITE_P(
    WaysOut, FailedSaveTest,
    ::testing::Values(
        WayOut{"quit", "1", [](FailedSaveTest& t) { t.triggerAction("mnuQuit"); },
               [](FailedSaveTest& t) { return !t.window->isVisible(); }},
        WayOut{"newMemo", "1", [](FailedSaveTest& t) { t.triggerAction("mnuNewMemo"); },
               [](FailedSaveTest& t) { return t.lblNo() == QStringLiteral("New"); }},
        WayOut{"chooseMemo", "1",
               [](FailedSaveTest& t) { t.chooseMemo(t.other); },
               [](FailedSaveTest& t) { return t.lblNo() == QString::number(t.other); }},
        WayOut{"askedThenChooseMemo", "0",
               [](FailedSaveTest& t) { t.chooseMemo(t.other); },
               [](FailedSaveTest& t) { return t.lblNo() == QString::number(t.other); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditingTest, ClosingWhileSavesFailKeepsTheEdits)
{
    const qint64 id = addMemo(QStringLiteral("t"), QString(), QStringLiteral("stored"));
    open();
    chooseMemo(id);
    QTest::keyClicks(contents(), QStringLiteral("typed "));
    refuseMemoWrites(dbPath());

    // The close box tries no save, so a failing database cannot hold it up.
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(prompt.shown.isEmpty());
    EXPECT_EQ(stored(id)->body, QStringLiteral("stored"));

    // Once the database takes writes again, the edits come back and save.
    MemoFixtures::execute(dbPath(), "DROP TRIGGER RefuseInsert; DROP TRIGGER RefuseUpdate;");
    open();
    EXPECT_EQ(contents()->toPlainText(), QStringLiteral("typed stored"));
    EXPECT_TRUE(window->editor().IsEdit());
    triggerAction("mnuSaveMemo");
    EXPECT_EQ(stored(id)->body, QStringLiteral("typed stored"));
}

TEST_F(EditingTest, SavingKeepsTheBodyByteForByte)
{
    // No-break space, line separator, tab, lone CR, lone LF, an emoji (a
    // surrogate pair) and CR LF at the end.
    const QString body = QStringLiteral("a\u00A0b\u2028c\td\re\nf") + QString::fromUcs4(U"\U0001F600") +
                         QStringLiteral("g\r\n");
    const qint64 id = addMemo(QStringLiteral("t"), QString(), body);
    open();
    chooseMemo(id);
    type(title(), QStringLiteral("x"));
    triggerAction("mnuSaveMemo");
    ASSERT_FALSE(window->editor().IsEdit());
    EXPECT_EQ(stored(id)->body.toUtf8(), body.toUtf8());
    EXPECT_EQ(stored(id)->title, QStringLiteral("tx"));

    // A copy carries the body as it was stored.
    triggerAction("mnuNewMemoCopy");
    const qint64 copy = lblNo().toLongLong();
    ASSERT_NE(copy, id);
    EXPECT_EQ(stored(copy)->body.toUtf8(), body.toUtf8());

    // Text typed at the end keeps the line ends before it; the new line break is CR LF.
    chooseMemo(id);
    contents()->setFocus();
    contents()->moveCursor(QTextCursor::End);
    QTest::keyClicks(contents(), QStringLiteral("Z"));
    QTest::keyClick(contents(), Qt::Key_Return);
    QTest::keyClicks(contents(), QStringLiteral("W"));
    triggerAction("mnuSaveMemo");
    EXPECT_EQ(stored(id)->body.toUtf8(), (body + QStringLiteral("Z\r\nW")).toUtf8());

    // Shift+Enter is a line break like Enter, not a line separator.
    QTest::keyClick(contents(), Qt::Key_Return, Qt::ShiftModifier);
    triggerAction("mnuSaveMemo");
    EXPECT_EQ(stored(id)->body.toUtf8(), (body + QStringLiteral("Z\r\nW\r\n")).toUtf8());
}

TEST_F(EditingTest, TitleAndTagBoxesStaySingleLine)
{
    prepare();
    open();
    QGuiApplication::clipboard()->setText(QStringLiteral("one\r\ntwo\nthree\r"));
    title()->setFocus();
    QTest::keyClick(title(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(title()->text(), QStringLiteral("onetwothree"));

    QMimeData data;
    data.setText(QStringLiteral("x\ny"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(tags(), &enter);
    QDragMoveEvent move(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(tags(), &move);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(tags(), &drop);
    ASSERT_TRUE(drop.isAccepted());
    EXPECT_EQ(tags()->text(), QStringLiteral("xy"));
    EXPECT_EQ(window->editor().undoHistory(MemoEditor::Box::Tags).currentText(), QStringLiteral("xy"));
}

TEST_F(EditingTest, SavingATrashedMemoLeavesTheLiveTagCountsAlone)
{
    addMemo(QStringLiteral("live"), QStringLiteral("x"));
    const qint64 trashed = addMemo(QStringLiteral("old"), QStringLiteral("x y"), QStringLiteral("b"), true);
    open();
    const QStringList before = categoryRows();
    EXPECT_EQ(before, (QStringList{QStringLiteral("1 [ALL] 1"), QStringLiteral("2 [Trash] 1"),
                                   QStringLiteral("3 [Find] 0"), QStringLiteral("4 [Import] 0"),
                                   QStringLiteral("5 x 1")}));
    chooseCategory(QStringLiteral("[Trash]"));
    chooseMemo(trashed);
    tags()->setText(QStringLiteral("x z"));
    type(title(), QStringLiteral("er"));
    triggerAction("mnuSaveMemo");
    EXPECT_EQ(stored(trashed)->category, QStringLiteral("x z"));
    EXPECT_EQ(categoryRows(), before);
    // The trash list shows the memo's new title.
    EXPECT_EQ(memoRowIds(), QList<qint64>{trashed});
    EXPECT_EQ(memoRowTexts(3), QStringList{QStringLiteral("older")});
    // And the counts are those a fresh count gives.
    window->LoadCategoryCounts();
    window->CatList_Add();
    EXPECT_EQ(categoryRows(), before);
}

TEST_F(EditingTest, UnreadableSecurityPasswordKeepsProtectedMemosClosed)
{
    const qint64 plain = addMemo(QStringLiteral("plain"), QString(), QStringLiteral("open"));
    const qint64 locked = addMemo(QStringLiteral("locked"), QString(), QStringLiteral("hidden"), false, true);
    // A character without a CP932 code cannot be unscrambled.
    prepare(QStringLiteral("[Security]\nPassword=\U0001F600\n"));
    open();
    chooseMemo(plain);
    chooseMemo(locked);
    EXPECT_EQ(lblNo(), QString::number(plain));
    EXPECT_EQ(contents()->toPlainText(), QStringLiteral("open"));
    EXPECT_EQ(prompt.messageTexts(),
              QStringList{QStringLiteral("設定ファイルのセキュリティパスワードを読み取れないため、このメモは開けません。\n"
                                         "オプションでセキュリティパスワードを設定し直してください。")});
    EXPECT_EQ(prompt.shown.last().icon, PromptIcon::Critical);
}

} // namespace
