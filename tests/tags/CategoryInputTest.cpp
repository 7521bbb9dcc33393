#include "QtPrinters.h"
#include "tags/frmCategoryInput.h"
#include "ui/QtPrompt.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QStringList kNames{QStringLiteral("[Import]"), QStringLiteral("work"), QStringLiteral("x"),
                         QStringLiteral(""), QStringLiteral("家計")};

// The dialog shown (not exec'd), so that its list has a layout to click into.
class CategoryInputTest : public ::testing::Test
{
public: // also used by the cancel table's lambdas
    void open(const QString& initial, const QStringList& names = kNames)
    {
        dialog = std::make_unique<frmCategoryInput>(initial, names);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        ASSERT_TRUE(box());
        ASSERT_TRUE(list());
    }

    QLineEdit* box() const { return dialog->findChild<QLineEdit*>(QStringLiteral("txtCategory")); }
    QListWidget* list() const { return dialog->findChild<QListWidget*>(QStringLiteral("CategoryList")); }
    QPushButton* button(const char* name) const
    {
        return dialog->findChild<QPushButton*>(QString::fromLatin1(name));
    }

    // Clicks the list entry that shows `name`, as the user would.
    void click(const QString& name)
    {
        const QList<QListWidgetItem*> found = list()->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name.toStdString();
        list()->scrollToItem(found.first());
        const QRect rect = list()->visualItemRect(found.first());
        ASSERT_FALSE(rect.isEmpty());
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, rect.center());
    }

    std::unique_ptr<frmCategoryInput> dialog;
};

TEST_F(CategoryInputTest, StartsWithTheInitialTextAndTheNamesInOrder)
{
    open(QStringLiteral("  work  家計 "));
    EXPECT_EQ(dialog->objectName(), QStringLiteral("frmCategoryInput"));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("タグの選択"));
    EXPECT_EQ(box()->text(), QStringLiteral("  work  家計 "));
    QStringList shown;
    for (int row = 0; row < list()->count(); ++row)
        shown.append(list()->item(row)->text());
    EXPECT_EQ(shown, kNames);
    EXPECT_EQ(box()->accessibleName(), QStringLiteral("タグ"));
    EXPECT_EQ(list()->accessibleName(), QStringLiteral("タグの一覧"));
    ASSERT_TRUE(button("Btn_OK"));
    ASSERT_TRUE(button("Btn_Cancel"));
    EXPECT_EQ(button("Btn_OK")->text(), QStringLiteral("OK"));
    EXPECT_EQ(button("Btn_Cancel")->text(), QStringLiteral("キャンセル"));
    EXPECT_TRUE(dialog->isModal());
    EXPECT_EQ(dialog->InputCategory(), QString());
}

TEST_F(CategoryInputTest, ClickingANameTogglesItInTheTextBox)
{
    struct Case
    {
        const char16_t* initial;
        const char16_t* name;
        const char16_t* expected;
    };
    const Case cases[] = {
        {u"", u"work", u"work"},              // an empty box becomes the name
        {u"a", u"work", u"a work"},           // appended after one blank
        {u"  a  ", u"work", u"  a   work"},   // appended to the text as it stands
        {u"mywork", u"work", u"mywork work"}, // part of a tag is not the tag
        {u"work x WORK", u"work", u"x"},      // every whole occurrence goes, case ignored
        {u"a Work b", u"work", u"a b"},       // from the middle: one blank stays
        {u" x  家計 ", u"家計", u"x"},        // the result is trimmed
        {u"[import] a", u"[Import]", u"a"},   // brackets are ordinary letters
        {u"x", u"x", u""},                    // the only tag leaves an empty box
    };
    for (const Case& c : cases) {
        const QString initial = QString::fromUtf16(c.initial);
        SCOPED_TRACE(initial.toStdString());
        open(initial);
        click(QString::fromUtf16(c.name));
        EXPECT_EQ(box()->text(), QString::fromUtf16(c.expected));
    }
}

TEST_F(CategoryInputTest, ClickingTheSameNameTwiceGivesBackTheTrimmedText)
{
    for (const QString& initial : {QString(), QStringLiteral("a"), QStringLiteral("a b"),
                                   QStringLiteral("  a  b "), QStringLiteral(" a 家計")}) {
        SCOPED_TRACE(initial.toStdString());
        open(initial);
        for (const QString& name : {QStringLiteral("work"), QStringLiteral("家計")}) {
            click(name);
            click(name);
            EXPECT_EQ(box()->text(), initial.trimmed()) << name.toStdString();
        }
    }
}

TEST_F(CategoryInputTest, EnterAndSpaceToggleTheCurrentEntryWithoutClosing)
{
    open(QStringLiteral("a"));
    list()->setFocus();
    list()->setCurrentRow(1); // work
    QTest::keyClick(list(), Qt::Key_Space);
    EXPECT_EQ(box()->text(), QStringLiteral("a work"));
    QTest::keyClick(list(), Qt::Key_Return);
    EXPECT_EQ(box()->text(), QStringLiteral("a"));
    QTest::keyClick(list(), Qt::Key_Enter);
    EXPECT_EQ(box()->text(), QStringLiteral("a work"));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->InputCategory(), QString());

    // Arrow keys only move; they toggle nothing.
    QTest::keyClick(list(), Qt::Key_Down);
    EXPECT_EQ(list()->currentRow(), 2);
    EXPECT_EQ(box()->text(), QStringLiteral("a work"));
}

TEST_F(CategoryInputTest, OkHandsOverTheTextUntrimmed)
{
    open(QStringLiteral(" a  b "));
    click(QStringLiteral("x"));
    QTest::mouseClick(button("Btn_OK"), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->InputCategory(), QStringLiteral(" a  b  x"));

    // Enter in the text box is OK as well.
    open(QStringLiteral("a "));
    box()->setFocus();
    QTest::keyClicks(box(), QStringLiteral(" new "));
    QTest::keyClick(box(), Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->InputCategory(), QStringLiteral("a  new "));
}

TEST_F(CategoryInputTest, CancelCloseBoxAndEscapeHandOverNothing)
{
    const std::function<void(CategoryInputTest&)> ways[] = {
        [](CategoryInputTest& t) { QTest::mouseClick(t.button("Btn_Cancel"), Qt::LeftButton); },
        [](CategoryInputTest& t) { t.dialog->close(); },
        [](CategoryInputTest& t) { QTest::keyClick(t.box(), Qt::Key_Escape); },
    };
    for (const auto& cancel : ways) {
        open(QStringLiteral("a"));
        click(QStringLiteral("work"));
        ASSERT_EQ(box()->text(), QStringLiteral("a work"));
        box()->setFocus();
        cancel(*this);
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(dialog->result(), QDialog::Rejected);
        EXPECT_EQ(dialog->InputCategory(), QString());
    }
}

TEST_F(CategoryInputTest, PastedLineBreaksAreDroppedFromTheTextBox)
{
    open(QStringLiteral("a "));
    QGuiApplication::clipboard()->setText(QStringLiteral("b\r\nc\nd\r"));
    box()->setFocus();
    box()->end(false);
    QTest::keyClick(box(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box()->text(), QStringLiteral("a bcd"));
    // A toggle afterwards works on the single-line text.
    click(QStringLiteral("work"));
    EXPECT_EQ(box()->text(), QStringLiteral("a bcd work"));
}

// The prompt shows the dialog modally over its parent and returns its answer.
TEST(CategoryInputPromptTest, ChooseTagsRunsTheDialogModally)
{
    QWidget parent;
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    QtPrompt prompt(&parent);

    const auto answer = [&](const QString& initial, const std::function<void(QDialog*)>& act) {
        bool acted = false;
        QTimer::singleShot(0, &parent, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_TRUE(dialog);
            EXPECT_EQ(dialog->objectName(), QStringLiteral("frmCategoryInput"));
            EXPECT_EQ(dialog->parentWidget(), &parent);
            acted = true;
            act(dialog);
            if (dialog->isVisible()) // a failed step must not leave the loop waiting
                dialog->reject();
        });
        const QString result = prompt.chooseTags(initial, kNames);
        EXPECT_TRUE(acted);
        return result;
    };

    const QString chosen = answer(QStringLiteral("a"), [](QDialog* dialog) {
        auto* list = dialog->findChild<QListWidget*>(QStringLiteral("CategoryList"));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(4)).center());
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Btn_OK")), Qt::LeftButton);
    });
    EXPECT_EQ(chosen, QStringLiteral("a 家計"));

    const QString cancelled = answer(QStringLiteral("a"), [](QDialog* dialog) {
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Btn_Cancel")), Qt::LeftButton);
    });
    EXPECT_EQ(cancelled, QString());
}

} // namespace
