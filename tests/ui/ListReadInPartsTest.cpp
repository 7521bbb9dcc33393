// A database whose memos spread over a wide range of RecordIDs: the start
// reads the memo list in two parts at once, in other threads, while it counts
// the tags, and later fills read it in two parts too. The window then acts on
// every memo, as with a list read in one piece.
#include "MainWindowFixture.h"
#include "MemoFixtures.h"
#include "tags/CategoryList.h"
#include "tags/MemoList.h"
#include "tags/MemoListModel.h"

#include <QLineEdit>

#include <algorithm>

namespace {

using namespace Qt::Literals::StringLiterals;

class ListReadInPartsTest : public MainWindowFixture
{
protected:
    struct Memo
    {
        qint64 id;
        QString tags;
        bool trashed;
    };
    std::vector<Memo> memos;

    // 60 memos, every fifth in the trash, their RecordIDs 1,000 apart, each
    // updated at its own time in 2020.
    void SetUp() override
    {
        for (int i = 0; i < 60; ++i) {
            const QString tags = i % 3 == 0 ? u"even Work"_s : i % 3 == 1 ? u"work"_s : QString();
            addMemo(u"memo %1"_s.arg(i), tags, {}, i % 5 == 4);
            memos.push_back({qint64(i + 1) * 1000, tags, i % 5 == 4});
        }
        MemoFixtures::execute(dbPath(), "UPDATE Memo SET RecordID = RecordID * 1000, "
                                        "UpdateTime = printf('2020/01/01 00:%02d:00', RecordID % 60)");
        open();
    }

    QList<qint64> listed(bool trashed, const QString& tag = {}) const
    {
        QList<qint64> ids;
        for (const Memo& memo : memos)
            if (memo.trashed == trashed &&
                (tag.isEmpty() || memo.tags.split(u' ').contains(tag, Qt::CaseInsensitive)))
                ids.append(memo.id);
        return ids;
    }
    // In the list's starting order, the IDs as texts.
    static QList<qint64> byIdText(QList<qint64> ids)
    {
        std::sort(ids.begin(), ids.end(),
                  [](qint64 a, qint64 b) { return QString::number(a) < QString::number(b); });
        return ids;
    }
};

TEST_F(ListReadInPartsTest, TheStartListsAndCountsEveryMemo)
{
    EXPECT_EQ(memoRowIds(), byIdText(listed(false)));
    EXPECT_EQ(categoryRows().mid(0, 2), (QStringList{u"1 [ALL] 48"_s, u"2 [Trash] 12"_s}));
    EXPECT_EQ(countsByName(categoryRows()), countsByName(recountedCategoryRows()));

    triggerAction("mnuSelectMemoAll");
    QList<qint64> selected = window->memoList().selectedIds();
    EXPECT_EQ(selected, byIdText(listed(false)));

    // "Work" is met first in that spelling.
    for (const QString& category : {u"Work"_s, u"even"_s, u"[Trash]"_s}) {
        chooseCategory(category);
        QList<qint64> ids = memoRowIds();
        std::sort(ids.begin(), ids.end());
        EXPECT_EQ(ids, category == u"[Trash]"_s ? listed(true) : listed(false, category))
            << category.toStdString();
    }
}

TEST_F(ListReadInPartsTest, CommandsActOnTheWholeList)
{
    // Sorted by update time, newest first: a saved memo from the end of the
    // list moves to the top.
    MemoListModel* model = window->memoList().model();
    model->setTextSort(MemoListModel::ColumnUpdate, Qt::DescendingOrder);
    const qint64 last = memoRowIds().last();
    chooseMemo(last);
    type(title(), u" saved"_s);
    triggerAction("Save");
    EXPECT_EQ(memoRowIds().first(), last);
    EXPECT_EQ(memoRowIds().size(), 48);

    // Every memo to the trash: the list empties, the counts follow.
    triggerAction("mnuSelectMemoAll");
    prompt.answers = {PromptAnswer::Yes};
    triggerAction("mnuDeleteMemo");
    EXPECT_TRUE(memoRowIds().isEmpty());
    EXPECT_EQ(categoryRows().mid(0, 2), (QStringList{u"1 [ALL] 0"_s, u"2 [Trash] 60"_s}));

    // A search runs over the memos as they now stand.
    chooseCategory(u"[Trash]"_s);
    triggerAction("mnuSelectMemoAll");
    triggerAction("mnuRestoreMemo");
    SearchRequest request;
    request.tags = {u"even"_s};
    prompt.searches = {request};
    triggerAction("mnuFiltering");
    QList<qint64> found = memoRowIds();
    std::sort(found.begin(), found.end());
    QList<qint64> even;
    for (const Memo& memo : memos)
        if (memo.tags.startsWith(u"even"_s))
            even.append(memo.id);
    EXPECT_EQ(found, even);
}

} // namespace
