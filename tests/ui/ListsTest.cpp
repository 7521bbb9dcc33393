#include "MainWindowFixture.h"
#include "app/IniFile.h"
#include "store/MemoStore.h"
#include "tags/CategoryList.h"
#include "tags/MemoList.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTreeView>
#include <functional>

namespace {

class ListsTest : public MainWindowFixture
{
protected:
    void clickHeader(QTreeView* view, int column)
    {
        QHeaderView* header = view->header();
        const QPoint point(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                           header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, point);
    }
    QString selectedCategory() const { return window->categoryList().selectedName(); }
    // The middle of the category row with this name, scrolled into view.
    QPoint categoryPoint(const QString& name) const
    {
        QAbstractItemModel* model = catList()->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->index(row, 1).data().toString() == name) {
                catList()->scrollTo(model->index(row, 1));
                return catList()->visualRect(model->index(row, 1)).center();
            }
        }
        ADD_FAILURE() << "no category row " << name.toStdString();
        return {};
    }
};

TEST_F(ListsTest, EachKindOfCategoryRowListsItsMemos)
{
    const qint64 work = addMemo(QStringLiteral("w1"), QStringLiteral("work"));
    const qint64 upper = addMemo(QStringLiteral("w2"), QStringLiteral("x WORK"));
    const qint64 shop = addMemo(QStringLiteral("w3"), QStringLiteral("workshop"));
    const qint64 none = addMemo(QStringLiteral("n"), QString());
    const qint64 trashed = addMemo(QStringLiteral("t"), QStringLiteral("work"), {}, true);
    const qint64 imported = addMemo(QStringLiteral("i"), QStringLiteral("[Import] x"));
    open();

    struct Case
    {
        QString category;
        QList<qint64> ids;
    } cases[] = {
        {QStringLiteral("[ALL]"), {work, upper, shop, none, imported}},
        {QStringLiteral("[Trash]"), {trashed}},
        {QStringLiteral("work"), {work, upper}},
        {QStringLiteral("workshop"), {shop}},
        {QStringLiteral("[Import]"), {imported}},
        {QStringLiteral("x"), {upper, imported}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.category.toStdString());
        chooseCategory(c.category);
        EXPECT_EQ(selectedCategory(), c.category);
        EXPECT_EQ(memoRowIds(), c.ids);
    }

    // The search result, in table order; a found memo since trashed is skipped.
    window->categoryList().table().setFindResult({work, trashed, imported});
    chooseCategory(QStringLiteral("[Find]"));
    EXPECT_EQ(memoRowIds(), (QList<qint64>{work, imported}));
}

TEST_F(ListsTest, TagCountsFollowTheRulesOfTheTagString)
{
    addMemo(QStringLiteral("1"), QStringLiteral("a  b"));
    addMemo(QStringLiteral("2"), QStringLiteral("Work"));
    addMemo(QStringLiteral("3"), QStringLiteral("work Work"));
    addMemo(QStringLiteral("4"), QStringLiteral("[Import] c"));
    addMemo(QStringLiteral("5"), QStringLiteral("gone"), {}, true);
    open();
    QStringList rows = categoryRows();
    EXPECT_EQ(rows.mid(0, 4), (QStringList{QStringLiteral("1 [ALL] 4"), QStringLiteral("2 [Trash] 1"),
                                           QStringLiteral("3 [Find] 0"), QStringLiteral("4 [Import] 1")}));
    // SQLite hands the groups over sorted by tag string: "Work", "[Import] c",
    // "a  b", "work Work". The empty name between a and b takes ID 8, so b has 9.
    EXPECT_EQ(rows.mid(4), (QStringList{QStringLiteral("5 Work 3"), QStringLiteral("6 c 1"),
                                        QStringLiteral("7 a 1"), QStringLiteral("9 b 1")}));
}

TEST_F(ListsTest, SavingUpdatesTheListedRowByTheChosenCategory)
{
    const qint64 x = addMemo(QStringLiteral("old"), QStringLiteral("x"), QStringLiteral("body"));
    const qint64 other = addMemo(QStringLiteral("other"), QStringLiteral("y"));
    open();

    // [ALL]: the row shows the new title and time at once.
    chooseMemo(x);
    title()->setText(QStringLiteral("new"));
    triggerAction("mnuSaveMemo");
    EXPECT_EQ(memoRowTexts(3), (QStringList{QStringLiteral("new"), QStringLiteral("other")}));
    EXPECT_EQ(memoRowTexts(1).first(), QStringLiteral("2026/01/01 00:00:00"));
    EXPECT_EQ(memoRowTexts(2).first(), QStringLiteral("2026/12/10 09:30:00"));

    // Tag x: a memo that gains x is added; one that loses it keeps its row.
    chooseCategory(QStringLiteral("x"));
    chooseMemo(x);
    tags()->setText(QStringLiteral("z"));
    title()->setText(QStringLiteral("newer"));
    triggerAction("mnuSaveMemo");
    EXPECT_EQ(memoRowIds(), QList<qint64>{x});
    EXPECT_EQ(memoRowTexts(3), QStringList{QStringLiteral("new")});
    EXPECT_EQ(categoryRows().filter(QStringLiteral(" x ")).value(0).section(QLatin1Char(' '), 2),
              QStringLiteral("0"));

    chooseCategory(QStringLiteral("[ALL]"));
    chooseMemo(other);
    tags()->setText(QStringLiteral("y x"));
    triggerAction("mnuSaveMemo");
    chooseCategory(QStringLiteral("x"));
    EXPECT_EQ(memoRowIds(), QList<qint64>{other});

    // A letter case that differs is not added at save, but the next fill lists it.
    chooseCategory(QStringLiteral("y"));
    chooseMemo(other);
    tags()->setText(QStringLiteral("Y"));
    triggerAction("mnuNewMemo");
    EXPECT_EQ(selectedCategory(), QStringLiteral("y"));
    EXPECT_EQ(memoRowIds(), QList<qint64>{other});

    // A new memo saved while [Trash] is chosen is not added to it.
    chooseCategory(QStringLiteral("[Trash]"));
    triggerAction("mnuNewMemo");
    type(title(), QStringLiteral("fresh"));
    triggerAction("mnuSaveMemo");
    EXPECT_TRUE(memoRowIds().isEmpty());
    EXPECT_EQ(categoryRows().first(), QStringLiteral("1 [ALL] 3"));
}

TEST_F(ListsTest, NewTagsAppearAndTheChosenRowSurvivesRebuilds)
{
    addMemo(QStringLiteral("1"), QStringLiteral("p"));
    open();
    chooseCategory(QStringLiteral("p"));
    triggerAction("mnuNewMemo");
    EXPECT_EQ(tags()->text(), QStringLiteral("p"));
    tags()->setText(QStringLiteral("p q"));
    type(title(), QStringLiteral("two"));
    triggerAction("mnuSaveMemo");
    EXPECT_EQ(categoryRows(), (QStringList{QStringLiteral("1 [ALL] 2"), QStringLiteral("2 [Trash] 0"),
                                           QStringLiteral("3 [Find] 0"), QStringLiteral("4 [Import] 0"),
                                           QStringLiteral("5 p 2"), QStringLiteral("6 q 1")}));
    EXPECT_EQ(selectedCategory(), QStringLiteral("p"));

    // A jump to a tag by Ctrl+click in the tag box chooses its row.
    tags()->setFocus();
    tags()->setCursorPosition(3);
    QTest::mouseClick(tags(), Qt::LeftButton, Qt::ControlModifier,
                      QPoint(tags()->width() - 5, tags()->height() / 2));
    EXPECT_EQ(selectedCategory(), QStringLiteral("q"));
    EXPECT_EQ(memoRowIds().size(), 1);
}

TEST_F(ListsTest, ColumnSortsAndSelectAll)
{
    for (int i = 0; i < 11; ++i)
        addMemo(QStringLiteral("memo %1").arg(QChar(u'k' - i)), QString());
    prepare(QStringLiteral("[MemoList]\nSort_Key=3\nSort_Order=1\n"));
    open();
    // Restored sort: title, descending.
    QStringList titles = memoRowTexts(3);
    EXPECT_EQ(titles.first(), QStringLiteral("memo k"));
    EXPECT_EQ(titles.last(), QStringLiteral("memo a"));

    clickHeader(memoList(), 3);
    EXPECT_EQ(memoRowTexts(3).first(), QStringLiteral("memo a"));
    clickHeader(memoList(), 0);
    EXPECT_EQ(memoRowTexts(0).first(), QStringLiteral("1"));
    EXPECT_EQ(memoRowTexts(0).last(), QStringLiteral("11"));
    clickHeader(memoList(), 0);
    EXPECT_EQ(memoRowTexts(0).first(), QStringLiteral("11"));
    // A fill orders by the text sort again; the numeric order is gone.
    chooseCategory(QStringLiteral("[ALL]"));
    EXPECT_EQ(memoRowTexts(3).first(), QStringLiteral("memo a"));

    // The count sort of the category list alternates and keeps ties in order.
    clickHeader(catList(), 2);
    EXPECT_EQ(categoryRows().last(), QStringLiteral("1 [ALL] 11"));
    EXPECT_EQ(categoryRows().first(), QStringLiteral("2 [Trash] 0"));
    clickHeader(catList(), 2);
    EXPECT_EQ(categoryRows().first(), QStringLiteral("1 [ALL] 11"));
    EXPECT_EQ(categoryRows().at(1), QStringLiteral("2 [Trash] 0"));

    // Tabbing into the freshly filled list shows nothing by itself.
    const QString shown = lblNo();
    title()->setFocus();
    memoList()->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(lblNo(), shown);

    // Moving with the keyboard shows the memo of the new row.
    chooseMemo(3);
    memoList()->setFocus();
    QTest::keyClick(memoList(), Qt::Key_Down);
    EXPECT_EQ(lblNo(), QStringLiteral("2")); // titles ascending: "memo i" (3), then "memo j" (2)

    // Ctrl+A selects every row and leaves the memo in the boxes alone.
    chooseMemo(3);
    memoList()->setFocus();
    QTest::keyClick(memoList(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(memoList()->selectionModel()->selectedRows().size(), 11);
    EXPECT_EQ(lblNo(), QStringLiteral("3"));

    window->close();
    EXPECT_EQ(IniFile::readText(iniPath(), QStringLiteral("MemoList"), QStringLiteral("Sort_Key"), {}),
              QStringLiteral("3"));
    EXPECT_EQ(IniFile::readText(iniPath(), QStringLiteral("MemoList"), QStringLiteral("Sort_Order"), {}),
              QStringLiteral("0"));
}

TEST_F(ListsTest, EveryWayOfMovingTheCategorySelectionFillsTheMemoList)
{
    const qint64 a = addMemo(QStringLiteral("a"), QStringLiteral("alpha"));
    const qint64 b = addMemo(QStringLiteral("b"), QStringLiteral("beta"));
    const qint64 none = addMemo(QStringLiteral("none"), QStringLiteral(""));
    open();
    QWidget* viewport = catList()->viewport();
    const auto at = [this](const char* name) { return categoryPoint(QString::fromUtf8(name)); };

    struct Step
    {
        const char* gesture;
        std::function<void()> act;
        QString category;
        QList<qint64> ids;
    };
    const Step steps[] = {
        {"click",
         [&] { QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, at("alpha")); },
         QStringLiteral("alpha"),
         {a}},
        {"drag from one row to another",
         [&] {
             QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, at("alpha"));
             QTest::mouseMove(viewport, at("[Import]"));
             QTest::mouseMove(viewport, at("beta"));
             QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, at("beta"));
         },
         QStringLiteral("beta"),
         {b}},
        {"right click",
         [&] { QTest::mouseClick(viewport, Qt::RightButton, Qt::NoModifier, at("[ALL]")); },
         QStringLiteral("[ALL]"),
         {a, b, none}},
        {"Down key", [&] { QTest::keyClick(catList(), Qt::Key_Down); }, QStringLiteral("[Trash]"), {}},
        {"click",
         [&] { QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, at("alpha")); },
         QStringLiteral("alpha"),
         {a}},
        // Deselecting would leave no row chosen; the row stays chosen instead.
        {"Ctrl+click on the selected row",
         [&] { QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, at("alpha")); },
         QStringLiteral("alpha"),
         {a}},
        {"Ctrl+Space on the selected row",
         [&] { QTest::keyClick(catList(), Qt::Key_Space, Qt::ControlModifier); },
         QStringLiteral("alpha"),
         {a}},
    };
    catList()->setFocus();
    for (const Step& step : steps) {
        SCOPED_TRACE(step.gesture);
        step.act();
        EXPECT_EQ(selectedCategory(), step.category);
        EXPECT_EQ(catList()->selectionModel()->selectedRows().size(), 1);
        EXPECT_EQ(memoRowIds(), step.ids);
    }
}

TEST_F(ListsTest, SavedMemosMoveToTheirPlaceInTheListSortedByUpdate)
{
    prepare(QStringLiteral("[MemoList]\nSort_Key=2\nSort_Order=1\n"));
    const qint64 a = addMemo(QStringLiteral("a"), QString());
    const qint64 b = addMemo(QStringLiteral("b"), QString());
    const qint64 c = addMemo(QStringLiteral("c"), QString());
    open();
    // Equal update times keep the order of the IDs.
    EXPECT_EQ(memoRowIds(), (QList<qint64>{a, b, c}));

    chooseMemo(c);
    title()->setText(QStringLiteral("c2"));
    triggerAction("mnuSaveMemo");
    EXPECT_EQ(memoRowIds(), (QList<qint64>{c, a, b}));

    clock.advanceSeconds(60);
    triggerAction("mnuNewMemo");
    type(title(), QStringLiteral("new"));
    triggerAction("mnuSaveMemo");
    const qint64 added = lblNo().toLongLong();
    EXPECT_EQ(memoRowIds(), (QList<qint64>{added, c, a, b}));

    clock.advanceSeconds(60);
    chooseMemo(b);
    title()->setText(QStringLiteral("b2"));
    triggerAction("mnuSaveMemo");
    EXPECT_EQ(memoRowIds(), (QList<qint64>{b, added, c, a}));
    EXPECT_EQ(memoRowTexts(2),
              (QStringList{QStringLiteral("2026/12/10 09:32:00"), QStringLiteral("2026/12/10 09:31:00"),
                           QStringLiteral("2026/12/10 09:30:00"), QStringLiteral("2026/01/01 00:00:00")}));
    // The saved memo's row stays the selected one where it moved to.
    EXPECT_EQ(window->memoList().selectedIds(), QList<qint64>{b});
}

TEST_F(ListsTest, ASavedMemoInTheTrashChangesOnlyItsRowInTheTrashList)
{
    const qint64 kept = addMemo(QStringLiteral("kept"), QStringLiteral("work"));
    const qint64 trashed = addMemo(QStringLiteral("old"), QStringLiteral("work"), {}, true);
    open();
    MemoList& list = window->memoList();
    const QString time = QStringLiteral("2026/12/10 09:30:00");

    chooseCategory(QStringLiteral("[Trash]"));
    list.UpdateMemoListRow(QStringLiteral("[Trash]"), trashed, QStringLiteral("new"), time,
                           QStringLiteral("work"), true);
    EXPECT_EQ(memoRowIds(), QList<qint64>{trashed});
    EXPECT_EQ(memoRowTexts(3), QStringList{QStringLiteral("new")});
    EXPECT_EQ(memoRowTexts(2), QStringList{time});

    for (const QString& category :
         {QStringLiteral("[ALL]"), QStringLiteral("[Find]"), QStringLiteral("work")}) {
        SCOPED_TRACE(category.toStdString());
        chooseCategory(category);
        const QList<qint64> before = memoRowIds();
        list.UpdateMemoListRow(category, trashed, QStringLiteral("newer"), time, QStringLiteral("work"),
                               true);
        EXPECT_EQ(memoRowIds(), before);
        EXPECT_FALSE(memoRowTexts(3).contains(QStringLiteral("newer")));
    }

    // Saved from the window: the trash list shows the new title at once.
    chooseCategory(QStringLiteral("[Trash]"));
    chooseMemo(trashed);
    title()->setText(QStringLiteral("edited in the trash"));
    triggerAction("mnuSaveMemo");
    EXPECT_EQ(memoRowIds(), QList<qint64>{trashed});
    EXPECT_EQ(memoRowTexts(3), QStringList{QStringLiteral("edited in the trash")});

    // A memo outside the trash is still never added to the trash list.
    list.UpdateMemoListRow(QStringLiteral("[Trash]"), kept, QStringLiteral("kept2"), time,
                           QStringLiteral("work"));
    EXPECT_EQ(memoRowIds(), QList<qint64>{trashed});
}

} // namespace
