#include "editing/frmInputOption.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Runs `act` inside the dialog's modal loop and returns what the caller sees.
QString runDialog(const std::function<void(frmInputOption&)>& act)
{
    frmInputOption dialog;
    dialog.setWindowTitle(QStringLiteral("パスワードの入力"));
    dialog.setPrompt(QStringLiteral("このメモを開くためのパスワードを入力してください。"));
    QTimer::singleShot(0, &dialog, [&] { act(dialog); });
    dialog.exec();
    return dialog.InputPassword();
}

TEST(PasswordDialogTest, EntryIsMaskedAndOnlyOkHandsItOver)
{
    EXPECT_EQ(runDialog([](frmInputOption& dialog) {
                  auto* entry = dialog.findChild<QLineEdit*>(QStringLiteral("txtInputPassword"));
                  ASSERT_TRUE(entry);
                  EXPECT_EQ(entry->echoMode(), QLineEdit::Password);
                  QTest::keyClicks(entry, QStringLiteral("s3cret"));
                  QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("Btn_OK")), Qt::LeftButton);
              }),
              QStringLiteral("s3cret"));

    EXPECT_EQ(runDialog([](frmInputOption& dialog) {
                  QTest::keyClicks(dialog.findChild<QLineEdit*>(QStringLiteral("txtInputPassword")), QStringLiteral("typed"));
                  QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("Btn_Close")), Qt::LeftButton);
              }),
              QString());

    // Enter accepts like OK; the window's close box cancels like Close.
    EXPECT_EQ(runDialog([](frmInputOption& dialog) {
                  auto* entry = dialog.findChild<QLineEdit*>(QStringLiteral("txtInputPassword"));
                  QTest::keyClicks(entry, QStringLiteral("abc"));
                  QTest::keyClick(entry, Qt::Key_Return);
              }),
              QStringLiteral("abc"));
    EXPECT_EQ(runDialog([](frmInputOption& dialog) {
                  QTest::keyClicks(dialog.findChild<QLineEdit*>(QStringLiteral("txtInputPassword")), QStringLiteral("abc"));
                  dialog.close();
              }),
              QString());
}

} // namespace
