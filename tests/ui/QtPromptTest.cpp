// The Qt prompt's file dialogs: what a request asks of the real dialog.
#include "ui/QtPrompt.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using namespace Qt::Literals::StringLiterals;

// Opens the save dialog for `request`, reads whether it would ask before
// replacing a file, and cancels it.
bool saveDialogAsksBeforeReplacing(const FileDialogRequest& request)
{
    QtPrompt prompt;
    bool asks = false;
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        seen = true;
        EXPECT_EQ(dialog->windowTitle(), request.title);
        asks = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
        dialog->reject();
    });
    EXPECT_EQ(prompt.saveFile(request), QString());
    EXPECT_TRUE(seen);
    return asks;
}

TEST(QtPromptTest, TheSaveDialogAsksBeforeReplacingUnlessTheCallerAsks)
{
    FileDialogRequest request{u"ファイルを保存"_s, QDir::tempPath(), u"ALL Files (*)"_s};
    EXPECT_TRUE(saveDialogAsksBeforeReplacing(request));
    request.askBeforeReplacing = false;
    EXPECT_FALSE(saveDialogAsksBeforeReplacing(request));
}

} // namespace
