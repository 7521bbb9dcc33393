// A long memo list sorted by ID shows its first rows as soon as the window
// is built and takes the rest once the window has been painted, or as soon
// as anything touches the list. The first rows must be the list's own first
// rows, and whatever the user does before the rest arrive acts on the whole
// list.
#include "MainWindowFixture.h"
#include "MemoFixtures.h"
#include "app/Startup.h"
#include "tags/MemoList.h"
#include "tags/MemoListModel.h"

#include <QElapsedTimer>
#include <QHash>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>

#include <algorithm>

namespace {

using namespace Qt::Literals::StringLiterals;

class FirstRowsTest : public MainWindowFixture
{
protected:
    // 24,000 memos whose RecordIDs have from one to seven digits, with gaps
    // and every seventh in the trash: 20,572 listed under "[ALL]".
    void SetUp() override
    {
        prepare();
        MemoFixtures::execute(dbPath(), R"(
            WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 24000)
            INSERT INTO Memo (RecordID, Title, Memo, Category, PublishTime, UpdateTime, IsTrash)
            SELECT CASE WHEN i <= 23990 THEN i * 3 ELSE 1000000 + i * 17 END, 'memo ' || i, 'body', 'tag',
                   '2026/01/01 00:00:00', '2026/01/01 00:00:00', i % 7 = 0
            FROM n)");
        for (int i = 1; i <= 24000; ++i) {
            const qint64 id = i <= 23990 ? qint64(i) * 3 : 1000000 + qint64(i) * 17;
            titles.insert(id, u"memo %1"_s.arg(i));
            if (i % 7 != 0)
                listed.append(id);
        }
    }

    QList<qint64> listed;
    QHash<qint64, QString> titles;

    QList<qint64> byIdText(bool descending) const
    {
        QList<qint64> ids = listed;
        std::sort(ids.begin(), ids.end(), [descending](qint64 a, qint64 b) {
            return descending ? QString::number(b) < QString::number(a)
                              : QString::number(a) < QString::number(b);
        });
        return ids;
    }

    // Builds the window as the start does, without showing it yet.
    void build()
    {
        window.reset();
        StartupResult startup = Startup(prompt, home.path()).run({});
        ASSERT_TRUE(startup.proceed);
        window = std::make_unique<Form1>(std::move(startup), prompt, clock);
        window->resize(1000, 700);
    }

    // Shows the window and lets it run until the list holds every row.
    void showUntilListed()
    {
        window->show();
        window->finishStartup();
        QElapsedTimer waited;
        waited.start();
        while (window->memoList().showsFirstRowsOnly() && waited.elapsed() < 10'000)
            QTest::qWait(10);
    }
};

TEST_F(FirstRowsTest, TheFirstRowsAreTheListsOwnInEitherOrderAndTheRestFollowThePaint)
{
    for (const bool descending : {false, true}) {
        SCOPED_TRACE(descending ? "descending" : "ascending");
        window.reset();
        MemoFixtures::writeText(iniPath(), descending ? u"[MemoList]\nSort_Order=1\n"_s
                                                      : u"[MemoList]\nSort_Order=0\n"_s);
        build();
        const QList<qint64> expected = byIdText(descending);
        ASSERT_TRUE(window->memoList().showsFirstRowsOnly());
        const QList<qint64> first = memoRowIds();
        ASSERT_EQ(first.size(), 200);
        EXPECT_EQ(first, expected.mid(0, 200));
        EXPECT_EQ(categoryRows().first(), u"1 [ALL] 20572"_s);

        showUntilListed();
        EXPECT_FALSE(window->memoList().showsFirstRowsOnly());
        EXPECT_EQ(memoRowIds(), expected);
    }
}

TEST_F(FirstRowsTest, WhatTheUserDoesBeforeTheRestArriveActsOnTheWholeList)
{
    const QList<qint64> expected = byIdText(false);

    // A click on a row shows that row's memo, and the list is whole.
    build();
    window->show();
    ASSERT_TRUE(window->memoList().showsFirstRowsOnly());
    QTreeView* list = memoList();
    const QRect row7 = list->visualRect(list->model()->index(7, 1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row7.center());
    EXPECT_FALSE(window->memoList().showsFirstRowsOnly());
    EXPECT_EQ(memoRowIds(), expected);
    EXPECT_EQ(title()->text(), titles.value(expected[7]));

    // Select all before the window was ever painted selects every memo.
    build();
    ASSERT_TRUE(window->memoList().showsFirstRowsOnly());
    triggerAction("mnuSelectMemoAll");
    EXPECT_EQ(window->memoList().selectedIds(), expected);

    // A click on another column's header sorts every row.
    build();
    window->show();
    QHeaderView* header = memoList()->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(MemoListModel::ColumnTitle) + 5, 5));
    QStringList shown = memoRowTexts(MemoListModel::ColumnTitle);
    QStringList sorted;
    for (qint64 id : expected)
        sorted.append(titles.value(id));
    std::sort(sorted.begin(), sorted.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) > 0; });
    EXPECT_EQ(shown, sorted);
}

TEST_F(FirstRowsTest, NegativeRecordIdsAreListedWholeAtOnce)
{
    // The texts of negative IDs do not sort by length: no first rows.
    MemoFixtures::execute(dbPath(), "UPDATE Memo SET RecordID = -RecordID WHERE RecordID < 100");
    build();
    EXPECT_FALSE(window->memoList().showsFirstRowsOnly());
    EXPECT_EQ(memoRowIds().size(), listed.size());
}

} // namespace
