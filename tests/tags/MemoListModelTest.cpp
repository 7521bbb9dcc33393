#include "tags/MemoListModel.h"

#include <gtest/gtest.h>

namespace {

QStringList column(const MemoListModel& model, int column)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts.append(model.index(row, column).data().toString());
    return texts;
}

TEST(MemoListModelTest, TextSortOrdersEveryColumnAsTextAndKeepsNewRowsInPlace)
{
    MemoListModel model;
    model.setTextSort(MemoListModel::ColumnId, Qt::AscendingOrder);
    model.setRows({{9, QStringLiteral("2026/01/02 00:00:00"), {}, QStringLiteral("beta")},
                   {10, QStringLiteral("2026/01/01 00:00:00"), {}, QStringLiteral("Alpha")},
                   {2, QStringLiteral("2026/01/03 00:00:00"), {}, QStringLiteral("alpha")}});
    // IDs compare as text: 10 before 2 before 9.
    EXPECT_EQ(column(model, 0), (QStringList{QStringLiteral("10"), QStringLiteral("2"), QStringLiteral("9")}));

    model.setTextSort(MemoListModel::ColumnTitle, Qt::AscendingOrder);
    // Letter case is ignored; equal titles keep their order.
    EXPECT_EQ(column(model, 0), (QStringList{QStringLiteral("10"), QStringLiteral("2"), QStringLiteral("9")}));
    model.setTextSort(MemoListModel::ColumnPublish, Qt::DescendingOrder);
    EXPECT_EQ(column(model, 0), (QStringList{QStringLiteral("2"), QStringLiteral("9"), QStringLiteral("10")}));

    model.addRow({100, QStringLiteral("2026/01/02 12:00:00"), {}, QStringLiteral("new")});
    EXPECT_EQ(column(model, 0),
              (QStringList{QStringLiteral("2"), QStringLiteral("100"), QStringLiteral("9"), QStringLiteral("10")}));

    bool toggle = false;
    model.sortByIdNumber(toggle);
    EXPECT_FALSE(model.isTextSortOn());
    EXPECT_EQ(column(model, 0),
              (QStringList{QStringLiteral("2"), QStringLiteral("9"), QStringLiteral("10"), QStringLiteral("100")}));
    model.sortByIdNumber(toggle);
    EXPECT_EQ(column(model, 0),
              (QStringList{QStringLiteral("100"), QStringLiteral("10"), QStringLiteral("9"), QStringLiteral("2")}));
}

TEST(MemoListModelTest, LockedMemosShowThePadlockAndTheSecurityColour)
{
    MemoListModel model;
    model.setSecurityColour(QColor(0, 0, 0xC0));
    QList<int> asked;
    model.setIconProvider([&asked](int image) {
        asked.append(image);
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::red);
        return QIcon(pixmap);
    });
    model.setRows({{1, {}, {}, QStringLiteral("plain"), -1, false},
                   {2, {}, {}, QStringLiteral("flag"), 5, false},
                   {3, {}, {}, QStringLiteral("locked"), 5, true}});
    EXPECT_FALSE(model.index(0, 0).data(Qt::DecorationRole).isValid());
    EXPECT_FALSE(model.index(0, 3).data(Qt::ForegroundRole).isValid());
    model.index(1, 0).data(Qt::DecorationRole);
    model.index(2, 0).data(Qt::DecorationRole);
    EXPECT_EQ(asked, (QList<int>{5, 1}));
    for (int column = 0; column < MemoListModel::ColumnCount; ++column)
        EXPECT_EQ(model.index(2, column).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 0xC0));
}

} // namespace
