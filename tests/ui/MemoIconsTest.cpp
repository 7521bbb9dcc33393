// Setting and removing memo icons on the selected memos through the window.
#include "MainWindowFixture.h"
#include "store/MemoStore.h"
#include "tags/MemoListIcons.h"

#include <QTreeView>

namespace {

using namespace Qt::Literals::StringLiterals;

class MemoIconsTest : public MainWindowFixture
{
protected:
    int storedIcon(qint64 id) { return window->store().readMemo(id)->icon; }
    // The number of the image in front of the memo's row; 0 for none.
    int shownImage(qint64 id) const
    {
        QAbstractItemModel* model = memoList()->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->index(row, 0).data().toLongLong() != id)
                continue;
            const auto icon = model->index(row, 0).data(Qt::DecorationRole).value<QIcon>();
            for (int number = 1; number <= MemoListIcons::Count; ++number)
                if (!icon.isNull() && icon.cacheKey() == MemoListIcons::icon(number).cacheKey())
                    return number;
            return 0;
        }
        ADD_FAILURE() << "no memo row " << id;
        return -1;
    }
};

TEST_F(MemoIconsTest, FlagsAreStoredShownAndRemoved)
{
    const qint64 a = addMemo(u"a"_s, {});
    const qint64 b = addMemo(u"b"_s, {});
    const qint64 locked = addMemo(u"c"_s, {}, {}, false, true);
    const qint64 other = addMemo(u"d"_s, {});
    open();
    EXPECT_EQ(shownImage(locked), MemoListIcons::Padlock);

    selectMemos({a, b, locked});
    triggerAction("mnuIcon_FlagRed");
    for (qint64 id : {a, b, locked}) {
        EXPECT_EQ(storedIcon(id), 3);
        // At once, over the padlock too.
        EXPECT_EQ(shownImage(id), 3);
    }
    EXPECT_EQ(storedIcon(other), -1);
    EXPECT_EQ(shownImage(other), 0);
    EXPECT_TRUE(prompt.shown.isEmpty());

    // After a fill the flags stay; the protected memo shows its padlock again.
    window->FillMemoList();
    EXPECT_EQ(shownImage(a), 3);
    EXPECT_EQ(shownImage(locked), MemoListIcons::Padlock);

    selectMemos({a});
    triggerAction("mnuIcon_Delete");
    EXPECT_EQ(storedIcon(a), -1);
    EXPECT_EQ(shownImage(a), MemoListIcons::Empty);
    window->FillMemoList();
    EXPECT_EQ(shownImage(a), 0);
    EXPECT_EQ(shownImage(b), 3);
}

TEST_F(MemoIconsTest, CancellingStopsAfterTheMemoInHand)
{
    QList<qint64> ids;
    for (int i = 0; i < 5; ++i)
        ids.append(addMemo(u"m%1"_s.arg(i), {}));
    open();
    triggerAction("mnuSelectMemoAll");
    const QList<qint64> rows = memoRowIds();
    cancelProgressAtFirstStep();
    triggerAction("mnuIcon_FlagWhite");
    EXPECT_EQ(prompt.messageTexts(), QStringList{u"途中でキャンセルしました。"_s});
    // The walk starts at the last row.
    for (qint64 id : rows)
        EXPECT_EQ(storedIcon(id), id == rows.last() ? 12 : -1) << id;
    EXPECT_EQ(shownImage(rows.last()), 12);
    EXPECT_EQ(shownImage(rows.first()), 0);
}

} // namespace
