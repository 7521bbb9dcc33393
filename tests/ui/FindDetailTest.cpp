// The find dialog through the main window: one modeless dialog per window,
// its steps selecting in the contents box, its messages, and its state lost
// when it is closed.
#include "MainWindowFixture.h"
#include "QtPrinters.h"
#include "search/frmFindDetail.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>

namespace {

using namespace Qt::Literals::StringLiterals;

const QString kNotFound = u"見つかりませんでした。"_s;
const QString kNoMore = u"これ以上は見つかりませんでした。"_s;

class FindDetailTest : public MainWindowFixture
{
protected:
    // Opens the window on one memo with this stored body and shows it.
    void showMemo(const QString& body)
    {
        const qint64 id = addMemo(u"memo"_s, u"x"_s, body);
        open();
        chooseCategory(u"[ALL]"_s);
        chooseMemo(id);
        ASSERT_EQ(lblNo(), QString::number(id));
    }
    frmFindDetail* dialog() const { return window->findChild<frmFindDetail*>(); }
    frmFindDetail* openDialog()
    {
        triggerAction("mnuFind");
        frmFindDetail* found = dialog();
        EXPECT_TRUE(found && found->isVisible());
        return found;
    }
    QPushButton* button(const char* name) const
    {
        return dialog()->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    // One press of "次を検索", then what it left: the selection in the contents
    // box as "start+length selected-text", or the message it showed.
    QString findNext()
    {
        const qsizetype before = prompt.shown.size();
        QTest::mouseClick(button("Btn_Find"), Qt::LeftButton);
        if (prompt.shown.size() > before) {
            const ScriptedPrompt::Shown& shown = prompt.shown.last();
            EXPECT_EQ(shown.kind, ScriptedPrompt::Kind::Message);
            EXPECT_EQ(shown.title, u"Quillet"_s);
            EXPECT_EQ(shown.icon, PromptIcon::Information);
            EXPECT_EQ(prompt.shown.size(), before + 1);
            return shown.text;
        }
        return selection();
    }
    QString selection() const
    {
        const QTextCursor cursor = contents()->textCursor();
        return u"%1+%2 %3"_s.arg(cursor.selectionStart())
            .arg(cursor.selectionEnd() - cursor.selectionStart())
            .arg(cursor.selectedText());
    }
    void setCaret(int position)
    {
        QTextCursor cursor = contents()->textCursor();
        cursor.setPosition(position);
        contents()->setTextCursor(cursor);
    }
};

TEST_F(FindDetailTest, TheFindCommandsOpenOneModelessDialogWithItsControls)
{
    showMemo(u"text"_s);
    frmFindDetail* first = openDialog();
    ASSERT_TRUE(first);
    EXPECT_FALSE(first->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(first->windowTitle(), u"検索"_s);

    auto* txtFind = first->findChild<QLineEdit*>(u"txtFind"_s);
    auto* cmbFindDir = first->findChild<QComboBox*>(u"cmbFindDir"_s);
    auto* chkCompareMode = first->findChild<QCheckBox*>(u"chkCompareMode"_s);
    ASSERT_TRUE(txtFind && cmbFindDir && chkCompareMode);
    EXPECT_TRUE(txtFind->text().isEmpty());
    EXPECT_EQ(txtFind->accessibleName(), u"検索する文字列"_s);
    EXPECT_EQ(cmbFindDir->accessibleName(), u"検索方向"_s);
    QStringList items;
    for (int i = 0; i < cmbFindDir->count(); ++i)
        items.append(cmbFindDir->itemText(i));
    EXPECT_EQ(items, (QStringList{u"全体"_s, u"下へ"_s, u"上へ"_s}));
    EXPECT_EQ(cmbFindDir->currentText(), u"下へ"_s);
    EXPECT_EQ(chkCompareMode->text(), u"大文字小文字の区別をつける"_s);
    EXPECT_FALSE(chkCompareMode->isChecked());
    EXPECT_EQ(button("Btn_Find")->text(), u"次を検索(&N)"_s);
    EXPECT_EQ(button("Btn_Close")->text(), u"閉じる"_s);
    QStringList labels;
    for (const QLabel* label : first->findChildren<QLabel*>())
        labels.append(label->text());
    labels.sort();
    EXPECT_EQ(labels, (QStringList{u"検索する文字列"_s, u"検索方向"_s}));

    // The command again, from the menu or the toolbar, finds the open dialog
    // and keeps what was typed in it.
    txtFind->setText(u"te"_s);
    triggerAction("mnuFind");
    triggerAction("Find");
    EXPECT_EQ(window->findChildren<frmFindDetail*>().size(), 1);
    EXPECT_EQ(dialog(), first);
    EXPECT_EQ(txtFind->text(), u"te"_s);
}

TEST_F(FindDetailTest, StepsDownSelectEachOccurrenceCountingALineBreakAsOneCharacter)
{
    // A character outside the BMP is two positions, a stored CR LF one.
    showMemo(u"😀ab\r\nab\r\nxab"_s);
    openDialog();
    dialog()->txtFind()->setText(u"ab"_s);
    EXPECT_EQ(findNext(), u"2+2 ab"_s);
    EXPECT_EQ(findNext(), u"5+2 ab"_s);
    // Enter in the text box presses the find button too.
    QTest::keyClick(dialog()->txtFind(), Qt::Key_Return);
    EXPECT_EQ(selection(), u"9+2 ab"_s);
    EXPECT_EQ(findNext(), kNoMore);
    // No wrapping: the caret still stands on the last occurrence.
    EXPECT_EQ(findNext(), u"9+2 ab"_s);
    EXPECT_TRUE(dialog()->isVisible());
    // Finding changed nothing in the memo.
    EXPECT_FALSE(window->commandAction("Save")->isEnabled());
}

TEST_F(FindDetailTest, StepsUpFindAnOccurrenceEndingAtTheCaret)
{
    showMemo(u"ab\r\nxab"_s);
    openDialog();
    setCaret(6);
    dialog()->cmbFindDir()->setCurrentText(u"上へ"_s);
    dialog()->txtFind()->setText(u"ab"_s);
    EXPECT_EQ(findNext(), u"4+2 ab"_s);
    EXPECT_EQ(findNext(), u"0+2 ab"_s);
    EXPECT_EQ(findNext(), kNoMore);
    EXPECT_EQ(dialog()->cmbFindDir()->currentText(), u"上へ"_s);
}

TEST_F(FindDetailTest, WholeTextFindsTheFirstOccurrenceAndTheBoxThenShowsDown)
{
    showMemo(u"ab ab ab"_s);
    openDialog();
    setCaret(7);
    dialog()->cmbFindDir()->setCurrentText(u"全体"_s);
    dialog()->txtFind()->setText(u"ab"_s);
    EXPECT_EQ(findNext(), u"0+2 ab"_s);
    EXPECT_EQ(dialog()->cmbFindDir()->currentText(), u"下へ"_s);
    EXPECT_EQ(findNext(), u"3+2 ab"_s);
}

TEST_F(FindDetailTest, TheCaseSwitchAndTheNotFoundMessage)
{
    showMemo(u"xab"_s);
    openDialog();
    dialog()->txtFind()->setText(u"AB"_s);
    EXPECT_EQ(findNext(), u"1+2 ab"_s);
    setCaret(0);
    QTest::mouseClick(dialog()->chkCompareMode(), Qt::LeftButton);
    ASSERT_TRUE(dialog()->chkCompareMode()->isChecked());
    // The same string after a hit: "no more"; a first miss: "not found".
    EXPECT_EQ(findNext(), kNoMore);
    EXPECT_EQ(findNext(), kNotFound);
    EXPECT_EQ(prompt.messageTexts(), (QStringList{kNoMore, kNotFound}));
}

// A word the filter finds in a memo is found in its text too: without the
// case box, width and kana do not count, and the selection covers the
// characters the box shows.
TEST_F(FindDetailTest, WhatTheFilterFindsFindInTextFindsToo)
{
    showMemo(u"予定: ﾐｰﾃｨﾝｸﾞ\r\nＴＯＤＯ"_s);
    openDialog();
    dialog()->txtFind()->setText(u"みーてぃんぐ"_s);
    EXPECT_EQ(findNext(), u"4+7 ﾐｰﾃｨﾝｸﾞ"_s);
    dialog()->txtFind()->setText(u"todo"_s);
    EXPECT_EQ(findNext(), u"12+4 ＴＯＤＯ"_s);
    QTest::mouseClick(dialog()->chkCompareMode(), Qt::LeftButton);
    setCaret(0);
    EXPECT_EQ(findNext(), kNoMore);
}

TEST_F(FindDetailTest, TheEmptyStringPutsTheCaretWhereTheSearchStarts)
{
    showMemo(u"abc"_s);
    openDialog();
    setCaret(2);
    EXPECT_EQ(findNext(), u"2+0 "_s);
    EXPECT_EQ(findNext(), u"2+0 "_s);
    EXPECT_TRUE(prompt.messageTexts().isEmpty());
}

TEST_F(FindDetailTest, TheDialogStaysOpenWhileTheUserEditsAndSearchesWhatTheBoxHoldsNow)
{
    const qint64 other = addMemo(u"other"_s, u"x"_s, u"zzq"_s);
    showMemo(u"abc"_s);
    openDialog();
    dialog()->txtFind()->setText(u"q"_s);
    EXPECT_EQ(findNext(), kNotFound);

    // Typing in the contents box with the dialog open.
    contents()->moveCursor(QTextCursor::End);
    QTest::keyClick(contents(), Qt::Key_Return);
    type(contents(), u"q"_s);
    EXPECT_TRUE(dialog()->isVisible());
    EXPECT_EQ(contents()->toPlainText(), u"abc\nq"_s);
    setCaret(0);
    EXPECT_EQ(findNext(), u"4+1 q"_s);

    // Another memo shown (the edited one is saved on the way): the dialog searches it.
    chooseMemo(other);
    ASSERT_EQ(lblNo(), QString::number(other));
    ASSERT_TRUE(dialog());
    EXPECT_EQ(findNext(), u"2+1 q"_s);
    EXPECT_EQ(prompt.messageTexts(), QStringList{kNotFound});
}

TEST_F(FindDetailTest, ClosingTheDialogDiscardsItsState)
{
    showMemo(u"ab"_s);
    openDialog();
    dialog()->txtFind()->setText(u"ab"_s);
    dialog()->cmbFindDir()->setCurrentText(u"上へ"_s);
    setCaret(2);
    EXPECT_EQ(findNext(), u"0+2 ab"_s);
    QTest::mouseClick(button("Btn_Close"), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([this] { return dialog() == nullptr; }));

    frmFindDetail* again = openDialog();
    ASSERT_TRUE(again);
    EXPECT_EQ(again->cmbFindDir()->currentText(), u"下へ"_s);
    EXPECT_TRUE(again->txtFind()->text().isEmpty());
    // Nothing carried over: a miss for the same string is a first miss.
    again->txtFind()->setText(u"ab"_s);
    setCaret(1);
    EXPECT_EQ(findNext(), kNotFound);
}

} // namespace
