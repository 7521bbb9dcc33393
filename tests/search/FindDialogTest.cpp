// The filter dialog itself: its rows and starting state, the three tick
// buttons, what "検索" and "キャンセル" hand back, and the Qt prompt that
// shows it modally.
#include "search/frmFind.h"
#include "ui/QtPrompt.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

// Readable failures: the request's fields, not its bytes.
void PrintTo(const SearchRequest& r, std::ostream* out)
{
    const auto join = [](SearchJoin j) { return j == SearchJoin::Or ? "OR" : "AND"; };
    *out << "{tags [" << r.tags.join(u',').toStdString() << "] " << join(r.tagJoin) << ", words \""
         << r.words.toStdString() << "\" " << join(r.wordJoin) << ", titles " << r.searchTitles << "}";
}

namespace {

using namespace Qt::Literals::StringLiterals;

template <typename T> T* child(QWidget& dialog, const char* name)
{
    T* found = dialog.findChild<T*>(QString::fromLatin1(name));
    EXPECT_TRUE(found) << name;
    return found;
}

QStringList ticked(frmFind& dialog)
{
    QStringList names;
    auto* list = child<QListWidget>(dialog, "ListView1");
    for (int row = 0; row < list->count(); ++row)
        if (list->item(row)->checkState() == Qt::Checked)
            names.append(list->item(row)->text());
    return names;
}

void click(frmFind& dialog, const char* button)
{
    QTest::mouseClick(child<QPushButton>(dialog, button), Qt::LeftButton);
}

TEST(FindDialogTest, StartsAsAskedAndTheTickButtonsWorkOnEveryRow)
{
    SearchRequest start;
    frmFind dialog(start, {u"[Import]"_s, u"Work"_s, QString(), u"home"_s, u"x"_s});
    EXPECT_EQ(dialog.windowTitle(), u"フィルタ（メモ検索）"_s);
    auto* list = child<QListWidget>(dialog, "ListView1");
    ASSERT_EQ(list->count(), 4); // the empty name is no row
    EXPECT_EQ(list->item(3)->text(), u"x"_s);
    EXPECT_TRUE(ticked(dialog).isEmpty());
    EXPECT_TRUE(child<QRadioButton>(dialog, "optFindCatType_AND")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(dialog, "optFindType_AND")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(dialog, "chkFindTitle")->isChecked());
    EXPECT_EQ(child<QLabel>(dialog, "lblFindWordHint")->text(),
              u"(半角空白区切りで複数ワードを設定できます)"_s);

    click(dialog, "Btn_SelectAll");
    EXPECT_EQ(ticked(dialog), (QStringList{u"[Import]"_s, u"Work"_s, u"home"_s, u"x"_s}));
    click(dialog, "Btn_SelectClear");
    EXPECT_TRUE(ticked(dialog).isEmpty());
    list->item(1)->setCheckState(Qt::Checked);
    click(dialog, "Btn_SelectReverse");
    EXPECT_EQ(ticked(dialog), (QStringList{u"[Import]"_s, u"home"_s, u"x"_s}));

    // Starting from a request shows it.
    SearchRequest again{{u"home"_s}, SearchJoin::Or, u"a b"_s, SearchJoin::Or, false};
    frmFind second(again, {u"Work"_s, u"home"_s});
    EXPECT_EQ(ticked(second), QStringList{u"home"_s});
    EXPECT_TRUE(child<QRadioButton>(second, "optFindCatType_OR")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(second, "optFindType_OR")->isChecked());
    EXPECT_EQ(child<QLineEdit>(second, "txtFindWord")->text(), u"a b"_s);
    EXPECT_FALSE(child<QCheckBox>(second, "chkFindTitle")->isChecked());
}

TEST(FindDialogTest, SearchHandsBackTheChoicesAndCancelNothing)
{
    frmFind dialog(SearchRequest{}, {u"b"_s, u"a"_s, u"c"_s});
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto* list = child<QListWidget>(dialog, "ListView1");
    list->item(2)->setCheckState(Qt::Checked);
    list->item(0)->setCheckState(Qt::Checked);
    QTest::mouseClick(child<QRadioButton>(dialog, "optFindCatType_OR"), Qt::LeftButton);
    QTest::keyClicks(child<QLineEdit>(dialog, "txtFindWord"), u"cat  dog"_s);
    QTest::mouseClick(child<QCheckBox>(dialog, "chkFindTitle"), Qt::LeftButton);
    click(dialog, "Btn_OK");
    EXPECT_EQ(dialog.chosen(),
              (SearchRequest{{u"b"_s, u"c"_s}, SearchJoin::Or, u"cat  dog"_s, SearchJoin::And, false}));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    frmFind cancelled(SearchRequest{}, {u"a"_s});
    QTest::keyClicks(child<QLineEdit>(cancelled, "txtFindWord"), u"x"_s);
    click(cancelled, "Btn_Close");
    EXPECT_EQ(cancelled.chosen(), std::nullopt);
}

TEST(FindDialogTest, TheQtPromptShowsItModallyAndEnterSearches)
{
    QtPrompt prompt;
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<frmFind*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        shown = dialog->isModal();
        auto* words = child<QLineEdit>(*dialog, "txtFindWord");
        QTest::keyClicks(words, u"memo"_s);
        QTest::keyClick(words, Qt::Key_Return);
    });
    const std::optional<SearchRequest> chosen = prompt.chooseSearch(SearchRequest{}, {u"a"_s});
    EXPECT_TRUE(shown);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->words, u"memo"_s);
    EXPECT_TRUE(chosen->tags.isEmpty());

    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<frmFind*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(prompt.chooseSearch(SearchRequest{}, {}), std::nullopt);
}

} // namespace
