// The trash commands through the window: questions by setting, counts that
// equal a recount, the progress window's cancel, restoring and emptying.
#include "MainWindowFixture.h"
#include "editing/MemoEditor.h"
#include "store/MemoStore.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTreeView>

namespace {

using namespace Qt::Literals::StringLiterals;

const QString kAskMove = u"選択したメモをゴミ箱に入れますか？"_s;
const QString kMoved = u"ゴミ箱へ移動完了しました。"_s;
const QString kAskCurrent = u"現在のメモをゴミ箱に移動しますか？"_s;
const QString kCancelled = u"途中でキャンセルしました。"_s;

class TrashTest : public MainWindowFixture
{
protected:
    bool inTrash(qint64 id) { return window->store().readMemo(id)->isTrash; }
    void expectCountsMatchRecount()
    {
        const QStringList shown = categoryRows();
        EXPECT_EQ(countsByName(shown), countsByName(recountedCategoryRows()));
    }
};

struct MoveCase
{
    const char* name;
    const char* isTrash;
    std::function<void(TrashTest&)> command;
    QStringList messages;
};

class MoveSelectedTest : public TrashTest, public ::testing::WithParamInterface<MoveCase>
{
public:
    using MainWindowFixture::memoList;
    using MainWindowFixture::triggerAction;
    using MainWindowFixture::window;
};

TEST_P(MoveSelectedTest, MovingSelectedMemosFollowsTheIsTrashSetting)
{
    const MoveCase& c = GetParam();
    QList<qint64> tagged;
    for (int i = 0; i < 3; ++i)
        tagged.append(addMemo(u"m%1"_s.arg(i), u"x y"_s));
    const qint64 kept = addMemo(u"kept"_s, u"x"_s);
    prepare(u"[General]\nIsTrash=%1\n"_s.arg(QLatin1String(c.isTrash)));
    open();
    chooseCategory(u"x"_s);
    selectMemos(tagged);
    prompt.answers = {PromptAnswer::Yes};
    c.command(static_cast<TrashTest&>(*this));

    EXPECT_EQ(prompt.messageTexts(), c.messages);
    for (qint64 id : tagged)
        EXPECT_TRUE(inTrash(id));
    EXPECT_FALSE(inTrash(kept));
    EXPECT_EQ(categoryRows(), (QStringList{u"1 [ALL] 1"_s, u"2 [Trash] 3"_s, u"3 [Find] 0"_s,
                                           u"4 [Import] 0"_s, u"5 x 1"_s, u"6 y 0"_s}));
    // The list shows the rest of "x", nothing selected, as a new fill
    // would; the editing area holds a new memo.
    EXPECT_EQ(memoRowIds(), QList<qint64>{kept});
    EXPECT_TRUE(memoList()->selectionModel()->selectedRows().isEmpty());
    EXPECT_EQ(lblNo(), u"New"_s);
    expectCountsMatchRecount();
}

INSTANTIATE_TEST_SUITE_P(
    Settings, MoveSelectedTest,
    ::testing::Values(MoveCase{"askedAndReported",
                               "0",
                               [](TrashTest& t) {
                                   static_cast<MoveSelectedTest&>(t).triggerAction("mnuDeleteMemo");
                               },
                               {kAskMove, kMoved}},
                      MoveCase{"quietDeleteKey",
                               "1",
                               [](TrashTest& t) {
                                   QTreeView* list = static_cast<MoveSelectedTest&>(t).memoList();
                                   list->setFocus();
                                   QTest::keyClick(list, Qt::Key_Delete);
                               },
                               {}},
                      MoveCase{"toolbarButtonFollowsTheListsFocus",
                               "0",
                               [](TrashTest& t) {
                                   auto& test = static_cast<MoveSelectedTest&>(t);
                                   auto* button = test.window->findChild<QAction*>(u"DeleteMemos"_s);
                                   test.memoList()->setFocus();
                                   ASSERT_TRUE(button->isEnabled());
                                   button->trigger();
                               },
                               {kAskMove, kMoved}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TrashTest, CancellingAfterTheFirstOfTenKeepsItInTheTrash)
{
    QList<qint64> ids;
    for (int i = 0; i < 10; ++i)
        ids.append(addMemo(u"m%1"_s.arg(i), u"x"_s));
    open();
    triggerAction("mnuSelectMemoAll");
    const qint64 lastRow = memoRowIds().last();
    prompt.answers = {PromptAnswer::Yes};
    cancelProgressAtFirstStep();
    triggerAction("mnuDeleteMemo");

    EXPECT_EQ(prompt.messageTexts(), (QStringList{kAskMove, kCancelled}));
    // The move walks from the last row: only that memo went.
    int trashed = 0;
    for (qint64 id : ids)
        trashed += inTrash(id) ? 1 : 0;
    EXPECT_EQ(trashed, 1);
    EXPECT_TRUE(inTrash(lastRow));
    EXPECT_EQ(categoryRows().mid(0, 2), (QStringList{u"1 [ALL] 9"_s, u"2 [Trash] 1"_s}));
    expectCountsMatchRecount();
}

TEST_F(TrashTest, MovingTheCurrentMemo)
{
    const qint64 id = addMemo(u"t"_s, u"x"_s, u"body"_s);
    prepare(u"[General]\nIsTrash=1\n"_s);
    open();
    chooseMemo(id);
    QTest::keyClicks(contents(), u"edit "_s);

    // With IsTrash 1 the command asks; No changes nothing.
    prompt.answers = {PromptAnswer::No};
    triggerAction("mnuDeleteCurrentMemo");
    EXPECT_FALSE(inTrash(id));
    EXPECT_EQ(lblNo(), QString::number(id));

    prompt.answers = {PromptAnswer::Yes};
    triggerAction("mnuDeleteCurrentMemo");
    EXPECT_EQ(prompt.messageTexts(), QStringList(2, kAskCurrent));
    EXPECT_TRUE(inTrash(id));
    EXPECT_EQ(lblNo(), u"New"_s);
    EXPECT_EQ(memoRowIds(), QList<qint64>{});
    EXPECT_FALSE(window->editor().IsEdit());
    expectCountsMatchRecount();

    // A memo never saved is not stored; a new one starts.
    const int memos = window->store().countMemos();
    type(title(), u"draft"_s);
    prompt.answers = {PromptAnswer::Yes};
    triggerAction("mnuDeleteCurrentMemo");
    EXPECT_EQ(window->store().countMemos(), memos);
    EXPECT_EQ(title()->text(), QString());
}

TEST_F(TrashTest, TheDeleteButtonFollowsTheFocus)
{
    prepare();
    open();
    auto* button = window->findChild<QAction*>(u"Delete"_s);
    for (QWidget* box : {static_cast<QWidget*>(title()), static_cast<QWidget*>(tags()),
                         static_cast<QWidget*>(contents()), static_cast<QWidget*>(memoList())}) {
        box->setFocus();
        EXPECT_TRUE(button->isEnabled()) << box->objectName().toStdString();
    }
    catList()->setFocus();
    EXPECT_FALSE(button->isEnabled());
    EXPECT_FALSE(window->findChild<QAction*>(u"DeleteMemos"_s)->isEnabled());
}

TEST_F(TrashTest, RestoringNeedsTheTrashList)
{
    const qint64 first = addMemo(u"a"_s, u"x"_s, {}, true);
    const qint64 second = addMemo(u"b"_s, u"x y"_s, {}, true);
    const qint64 left = addMemo(u"c"_s, u"z"_s, {}, true);
    open();
    triggerAction("mnuSelectMemoAll");
    triggerAction("mnuRestoreMemo");
    EXPECT_EQ(prompt.messageTexts(), QStringList{u"ゴミ箱カテゴリが選択されていません。"_s});
    EXPECT_EQ(prompt.shown.last().icon, PromptIcon::Critical);

    chooseCategory(u"[Trash]"_s);
    selectMemos({first, second});
    triggerAction("mnuRestoreMemo");
    EXPECT_FALSE(inTrash(first));
    EXPECT_FALSE(inTrash(second));
    EXPECT_TRUE(inTrash(left));
    EXPECT_EQ(memoRowIds(), QList<qint64>{left});
    EXPECT_EQ(categoryRows(), (QStringList{u"1 [ALL] 2"_s, u"2 [Trash] 1"_s, u"3 [Find] 0"_s,
                                           u"4 [Import] 0"_s, u"5 x 2"_s, u"6 y 1"_s}));
    expectCountsMatchRecount();
}

// In the trash list the memos are in the trash already: the command (menu
// or Delete key) neither asks nor reports a move, and the list stays.
TEST_F(TrashTest, InTheTrashListMovingToTheTrashDoesNothing)
{
    const qint64 trashed = addMemo(u"a"_s, u"x"_s, {}, true);
    addMemo(u"b"_s, u"x"_s);
    open();
    chooseCategory(u"[Trash]"_s);
    selectMemos({trashed});
    triggerAction("mnuDeleteMemo");
    memoList()->setFocus();
    QTest::keyClick(memoList(), Qt::Key_Delete);
    EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.messageTexts().join(u'|').toStdString();
    EXPECT_TRUE(inTrash(trashed));
    EXPECT_EQ(memoRowIds(), QList<qint64>{trashed});
    EXPECT_EQ(categoryRows().mid(0, 2), (QStringList{u"1 [ALL] 1"_s, u"2 [Trash] 1"_s}));
    expectCountsMatchRecount();

    // The memo shown from the trash list, moved "again": it stays listed.
    chooseMemo(trashed);
    triggerAction("mnuDeleteCurrentMemo");
    EXPECT_TRUE(inTrash(trashed));
    EXPECT_EQ(memoRowIds(), QList<qint64>{trashed});
    EXPECT_EQ(categoryRows().mid(0, 2), (QStringList{u"1 [ALL] 1"_s, u"2 [Trash] 1"_s}));
    expectCountsMatchRecount();
}

TEST_F(TrashTest, EmptyingTheTrash)
{
    addMemo(u"a"_s, u"x"_s, {}, true);
    addMemo(u"b"_s, u"x"_s, {}, true);
    const qint64 live = addMemo(u"c"_s, u"x"_s);
    open();
    chooseCategory(u"[Trash]"_s);
    prompt.answers = {PromptAnswer::No, PromptAnswer::Yes};
    triggerAction("pop2ClearTrash");
    EXPECT_EQ(window->store().countMemos(), 3);
    triggerAction("pop2ClearTrash");
    EXPECT_EQ(prompt.messageTexts(),
              QStringList(2, u"ゴミ箱からメモを削除しますか？\n(メモは復活できなくなります)"_s));
    EXPECT_EQ(window->store().countMemos(), 1);
    EXPECT_TRUE(window->store().readMemo(live));
    EXPECT_EQ(categoryRows().mid(0, 2), (QStringList{u"1 [ALL] 1"_s, u"2 [Trash] 0"_s}));
    EXPECT_EQ(memoRowIds(), QList<qint64>{});
    expectCountsMatchRecount();
}

} // namespace
