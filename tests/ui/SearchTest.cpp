// The filter command through the window: the dialog's start, the "[Find]"
// row's count and list after a search, the toolbar button, cancel, a failing
// search, and the progress window of a search that first fills the index.
#include "MainWindowFixture.h"
#include "MemoFixtures.h"
#include "search/TagSearch.h"
#include "store/MemoStore.h"
#include "store/SearchIndex.h"
#include "tags/CategoryList.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <algorithm>

namespace {

using namespace Qt::Literals::StringLiterals;

class SearchTest : public MainWindowFixture
{
protected:
    static SearchRequest request(const QStringList& tags, const QString& words,
                                 SearchJoin tagJoin = SearchJoin::And, SearchJoin wordJoin = SearchJoin::And)
    {
        SearchRequest r;
        r.tags = tags;
        r.words = words;
        r.tagJoin = tagJoin;
        r.wordJoin = wordJoin;
        return r;
    }

    QString findRow() const
    {
        for (const QString& row : categoryRows())
            if (row.startsWith(u"3 [Find] "_s))
                return row;
        return {};
    }
    QList<qint64> listedIds() const
    {
        QList<qint64> ids = memoRowIds();
        std::sort(ids.begin(), ids.end());
        return ids;
    }
    QString selectedCategory() { return window->categoryList().selectedName(); }
};

TEST_F(SearchTest, FilteringCountsTheFoundMemosUnderFindAndListsThem)
{
    const qint64 workCat = addMemo(u"a"_s, u"Work home"_s, u"a cat"_s);
    addMemo(u"b"_s, u"work"_s, u"a dog"_s);
    addMemo(u"c"_s, u"other"_s, u"a cat"_s);
    const qint64 trashed = addMemo(u"d"_s, u"work"_s, u"a cat"_s, true);
    const qint64 locked = addMemo(u"e"_s, u"WORK"_s, u"concatenate"_s, false, true);
    open();
    const QString shownBefore = lblNo();
    prompt.searches = {request({u"work"_s}, u"cat"_s)};
    triggerAction("mnuFiltering");

    // The dialog starts with nothing ticked, AND twice, no words and titles
    // searched, and lists the known tags in the category list's order.
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown[0].kind, ScriptedPrompt::Kind::Search);
    EXPECT_EQ(prompt.lastSearchInitial, SearchRequest{});
    EXPECT_TRUE(prompt.lastSearchInitial.searchTitles);
    EXPECT_EQ(prompt.lastSearchTags, (QStringList{u"[Import]"_s, u"WORK"_s, u"home"_s, u"other"_s}));

    // The memos outside the trash are found; the count and the list agree.
    EXPECT_EQ(window->categoryList().table().findIds(), (QList<qint64>{workCat, locked}));
    EXPECT_EQ(findRow(), u"3 [Find] 2"_s);
    EXPECT_EQ(selectedCategory(), u"[Find]"_s);
    EXPECT_EQ(listedIds(), (QList<qint64>{workCat, locked}));
    // The memo on screen stays.
    EXPECT_EQ(lblNo(), shownBefore);
    EXPECT_TRUE(prompt.messageTexts().isEmpty());

    // A found memo moved to the trash leaves the count as it leaves the
    // list, and comes back with it.
    selectMemos({workCat});
    prompt.answers = {PromptAnswer::Yes};
    triggerAction("mnuDeleteMemo");
    EXPECT_EQ(findRow(), u"3 [Find] 1"_s);
    chooseCategory(u"[Find]"_s);
    EXPECT_EQ(listedIds(), QList<qint64>{locked});
    chooseCategory(u"[Trash]"_s);
    selectMemos({workCat});
    triggerAction("mnuRestoreMemo");
    EXPECT_EQ(findRow(), u"3 [Find] 2"_s);
    chooseCategory(u"[Find]"_s);
    EXPECT_EQ(listedIds(), (QList<qint64>{workCat, locked}));
    EXPECT_FALSE(window->categoryList().table().findIds().contains(trashed));
}

TEST_F(SearchTest, TheToolbarButtonSearchesAgainAndRelistsFindWhileItIsSelected)
{
    const qint64 cat = addMemo(u"cat"_s, u"x"_s, u"-"_s);
    const qint64 dog = addMemo(u"-"_s, u"y"_s, u"dog"_s);
    const qint64 bird = addMemo(u"-"_s, u"z"_s, u"bird"_s);
    open();
    prompt.searches = {request({}, u"CAT DOG"_s, SearchJoin::And, SearchJoin::Or)};
    triggerAction("Filtering");
    EXPECT_EQ(findRow(), u"3 [Find] 2"_s);
    EXPECT_EQ(listedIds(), (QList<qint64>{cat, dog}));

    // "[Find]" is already chosen: the new result is listed all the same.
    SearchRequest tagsOnly = request({u"y"_s, u"z"_s}, QString(), SearchJoin::Or);
    prompt.searches = {tagsOnly};
    triggerAction("Filtering");
    EXPECT_EQ(findRow(), u"3 [Find] 2"_s);
    EXPECT_EQ(selectedCategory(), u"[Find]"_s);
    EXPECT_EQ(listedIds(), (QList<qint64>{dog, bird}));

    // A search without hits empties the list.
    prompt.searches = {request({}, u"fish"_s)};
    triggerAction("mnuFiltering");
    EXPECT_EQ(findRow(), u"3 [Find] 0"_s);
    EXPECT_TRUE(memoRowIds().isEmpty());
    EXPECT_TRUE(prompt.allAnswersUsed());
}

TEST_F(SearchTest, CancelKeepsTheFindCountItsListAndTheChosenRow)
{
    const qint64 cat = addMemo(u"-"_s, u"x"_s, u"cat"_s);
    const qint64 other = addMemo(u"-"_s, u"x"_s, u"dog"_s);
    open();
    prompt.searches = {request({}, u"cat"_s)};
    triggerAction("mnuFiltering");
    chooseCategory(u"[ALL]"_s);
    ASSERT_EQ(listedIds(), (QList<qint64>{cat, other}));

    prompt.searches = {std::nullopt};
    triggerAction("mnuFiltering");
    EXPECT_EQ(prompt.shown.size(), 2);
    EXPECT_EQ(findRow(), u"3 [Find] 1"_s);
    EXPECT_EQ(selectedCategory(), u"[ALL]"_s);
    EXPECT_EQ(listedIds(), (QList<qint64>{cat, other}));
    chooseCategory(u"[Find]"_s);
    EXPECT_EQ(listedIds(), QList<qint64>{cat});
}

TEST_F(SearchTest, AFailedSearchReportsTheEngineAndKeepsThePreviousResult)
{
    const qint64 cat = addMemo(u"-"_s, u"x"_s, u"cat"_s);
    open();
    prompt.searches = {request({}, u"cat"_s)};
    triggerAction("mnuFiltering");
    ASSERT_EQ(findRow(), u"3 [Find] 1"_s);

    // Another program takes the memo table away.
    MemoFixtures::execute(dbPath(), "ALTER TABLE Memo RENAME TO Gone");
    prompt.searches = {request({}, u"dog"_s)};
    triggerAction("mnuFiltering");
    EXPECT_EQ(prompt.messageTexts(),
              QStringList{u"データベースの操作に失敗しました。\n(no such table: Memo)"_s});
    EXPECT_EQ(prompt.shown.last().icon, PromptIcon::Critical);
    EXPECT_EQ(window->categoryList().table().findIds(), QList<qint64>{cat});
    EXPECT_EQ(window->FindWord(), u"cat"_s) << "the words stay paired with their result";
    EXPECT_EQ(findRow(), u"3 [Find] 1"_s);
    EXPECT_EQ(selectedCategory(), u"[Find]"_s);
    EXPECT_EQ(listedIds(), QList<qint64>{cat});
}

TEST_F(SearchTest, ASearchFilesManyNewMemosIntoTheIndexFirstWithACancellableProgressWindow)
{
    // Memos written by a program that keeps no index: all of them wait.
    prepare();
    MemoFixtures::execute(dbPath(),
                          "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2500) "
                          "INSERT INTO Memo (Title, Memo, Category, PublishTime, UpdateTime) "
                          "SELECT 'memo ' || i, 'ﾎﾞﾃﾞｨ ' || i, 'x', '2026/01/01', '2026/01/01' FROM n");
    open();
    SearchIndex index(window->store().database());
    ASSERT_FALSE(index.isUsable()) << "made by the first search for words";
    const SearchRequest bodies = request({}, u"ぼでぃ 25"_s);
    const QList<qint64> expected = ScanTagSearch(window->store(), bodies);
    ASSERT_EQ(expected.size(), 56); // the numbers up to 2500 that hold "25"

    // The window tells what it does; cancelled, the search runs as it is.
    QString title;
    QString explain;
    QTimer::singleShot(0, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->objectName() == u"frmProgress"_s && top->isVisible()) {
                title = top->windowTitle();
                explain = top->findChild<QLabel*>(u"lblExplain"_s)->text();
            }
        }
    });
    cancelProgressAtFirstStep();
    prompt.searches = {bodies};
    triggerAction("mnuFiltering");
    EXPECT_EQ(title, u"検索の準備"_s);
    EXPECT_EQ(explain, u"検索用の索引を作成しています...合計2500件"_s);
    EXPECT_EQ(window->categoryList().table().findIds(), expected);
    EXPECT_EQ(findRow(), u"3 [Find] 56"_s);
    EXPECT_EQ(index.pendingCount(), 2500 - SearchIndex::CatchUpBatch) << "what was filed stays";

    // The few left are filed without a window.
    prompt.searches = {bodies};
    triggerAction("mnuFiltering");
    EXPECT_EQ(window->categoryList().table().findIds(), expected);
    EXPECT_EQ(index.pendingCount(), 500 - QuietCatchUp);
    for (QWidget* top : QApplication::topLevelWidgets())
        EXPECT_FALSE(top->objectName() == u"frmProgress"_s && top->isVisible());
    EXPECT_TRUE(prompt.messageTexts().isEmpty());
}

} // namespace
