// The export commands through the window: the export dialog with its
// definitions, checks and password, and the selection written into one file
// behind the password gate.
#include "MainWindowFixture.h"
#include "MemoFixtures.h"
#include "QtPrinters.h"
#include "app/Settings.h"
#include "exchange/frmExport.h"
#include "ui/frmProgress.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

using namespace Qt::Literals::StringLiterals;

const QString kSecurityAbc = u"[Security]\nPassword=dcb\n"_s; // the security password "abc"
const QString kWrong = u"パスワードが間違っています。"_s;
const QString kSaveFailed = u"ファイルの保存に失敗しました。"_s;
const QString kSaved = u"ファイルの保存が完了しました。"_s;
const QByteArray kRule = "------------------------------------------\r\n";

class ExportCommandsTest : public MainWindowFixture
{
protected:
    QTemporaryDir out;

    // Opens the export dialog and runs `steps` on it while it is shown;
    // returns whether the dialog was still open after them.
    bool withExportDialog(const std::function<void(frmExport&)>& steps)
    {
        bool stillOpen = false;
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<frmExport*>(QApplication::activeModalWidget());
            ran = true;
            if (!dialog) {
                ADD_FAILURE() << "no export dialog";
                return;
            }
            steps(*dialog);
            stillOpen = dialog->isVisible();
            if (stillOpen)
                dialog->reject();
        });
        triggerAction("mnuExportAll");
        EXPECT_TRUE(ran);
        return stillOpen;
    }
    static void click(frmExport& dialog, const char* name)
    {
        auto* button = dialog.findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_TRUE(button) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QStringList outFiles() const { return QDir(out.path()).entryList(QDir::Files, QDir::Name); }
};

TEST_F(ExportCommandsTest, TheDialogListsTheShippedDefinitionsAndStartsFromTheSettings)
{
    prepare(u"[Export]\nFileNameDef=[!TITLE]\n"_s);
    open();
    withExportDialog([&](frmExport& dialog) {
        EXPECT_EQ(dialog.windowTitle(), u"ExportMemo"_s);
        EXPECT_TRUE(dialog.isModal());
        QStringList entries;
        for (int i = 0; i < dialog.cmbDefinitionFile()->count(); ++i)
            entries.append(dialog.cmbDefinitionFile()->itemText(i));
        EXPECT_EQ(entries, (QStringList{u"Markdown"_s, u"テキスト"_s, u"本文のみ"_s}));
        EXPECT_EQ(dialog.cmbDefinitionFile()->currentIndex(), 0);
        EXPECT_EQ(dialog.txtFileNameDef()->text(), u"[!TITLE]"_s);
        EXPECT_TRUE(dialog.txtExportPath()->text().isEmpty());
        EXPECT_FALSE(dialog.IsPassMemo()->isChecked());
        EXPECT_FALSE(dialog.chkTrashBox()->isChecked());
        EXPECT_EQ(dialog.IsPassMemo()->text(), u"パスワード設定したメモもエクスポートする"_s);
        EXPECT_EQ(dialog.chkTrashBox()->text(), u"ゴミ箱の中身もエクスポートする"_s);
        EXPECT_EQ(dialog.findChild<QLabel*>(u"Label3"_s)->text(),
                  u"エクスポートするファイル名定義(拡張子はtxtとなります)"_s);
        EXPECT_EQ(dialog.findChild<QLabel*>(u"Label1"_s)->text(), u"エクスポート先のフォルダ"_s);
        EXPECT_EQ(dialog.findChild<QLabel*>(u"label2"_s)->text(), u"定義ファイル"_s);

        // The folder button: a chosen folder replaces the text, a cancel leaves it.
        prompt.files = {{u"/tmp/chosen"_s}, {QString()}};
        click(dialog, "Btn_OpenFolder");
        EXPECT_EQ(dialog.txtExportPath()->text(), u"/tmp/chosen"_s);
        click(dialog, "Btn_OpenFolder");
        EXPECT_EQ(dialog.txtExportPath()->text(), u"/tmp/chosen"_s);
        EXPECT_EQ(prompt.shown.last().title, u"フォルダの選択"_s);

        click(dialog, "Btn_Close");
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_TRUE(prompt.messageTexts().isEmpty());
    EXPECT_TRUE(QFile::exists(home.file(u"Markdown.ted"_s)));
}

TEST_F(ExportCommandsTest, ExportWritesThroughTheChosenDefinitionAndCloses)
{
    const qint64 id = addMemo(u"買い物"_s, u"日記"_s, u"牛乳\r\n卵"_s);
    addMemo(u"捨てた"_s, u"日記"_s, u"x"_s, true);
    prepare();
    open();
    const bool stillOpen = withExportDialog([&](frmExport& dialog) {
        dialog.cmbDefinitionFile()->setCurrentText(u"Markdown"_s);
        dialog.txtExportPath()->setText(out.path());
        click(dialog, "Btn_Export");
    });
    EXPECT_FALSE(stillOpen);
    const QString name = QString::number(id) + u"_買い物.txt"_s;
    EXPECT_EQ(outFiles(), QStringList{name});
    EXPECT_EQ(
        MemoFixtures::readBytes(out.path() + u'/' + name),
        u"# 買い物\r\n\r\n- 日付: 2026/01/01 00:00:00\r\n- タグ: 日記\r\n\r\n牛乳\r\n卵\r\n"_s.toUtf8());
    EXPECT_EQ(prompt.messageTexts(), QStringList{u"1件のメモをエクスポートしました。"_s});
    EXPECT_EQ(window->settings().read(Settings::Export::FileNameDef), u"[!ID]_[!TITLE]"_s);
}

// A long export shows the progress window; a cancel stops it between memos,
// keeps what was written and says so.
TEST_F(ExportCommandsTest, ALongExportCanBeCancelledAndKeepsWhatItWrote)
{
    prepare();
    for (int i = 0; i < ProgressShownAbove + 1; ++i)
        addMemo(u"memo %1"_s.arg(i), u"日記"_s, u"本文"_s);
    open();
    withExportDialog([&](frmExport& dialog) {
        dialog.txtExportPath()->setText(out.path());
        cancelProgressAtFirstStep();
        click(dialog, "Btn_Export");
    });
    const qsizetype written = outFiles().size();
    EXPECT_GT(written, 0);
    EXPECT_LT(written, ProgressShownAbove + 1);
    EXPECT_EQ(prompt.messageTexts(),
              QStringList{u"途中でキャンセルしました。\n%1件のメモをエクスポートしました。"_s.arg(written)});

    // Without a cancel every memo is written.
    prompt.shown.clear();
    withExportDialog([&](frmExport& dialog) {
        dialog.txtExportPath()->setText(out.path());
        click(dialog, "Btn_Export");
    });
    EXPECT_EQ(outFiles().size(), ProgressShownAbove + 1);
    EXPECT_EQ(prompt.messageTexts(), QStringList{u"201件のメモをエクスポートしました。"_s});
}

TEST_F(ExportCommandsTest, AnEmptyFolderOrARefusedPasswordKeepsTheDialogOpen)
{
    addMemo(u"plain"_s, u"t"_s, u"p"_s);
    const qint64 locked = addMemo(u"locked"_s, u"t"_s, u"secret"_s, false, true);
    prepare(kSecurityAbc);
    open();
    EXPECT_TRUE(withExportDialog([&](frmExport& dialog) { click(dialog, "Btn_Export"); }));
    EXPECT_EQ(prompt.messageTexts(), QStringList{u"エクスポート先のフォルダが不正です。"_s});
    EXPECT_EQ(prompt.shown.last().icon, PromptIcon::Information);

    // An empty answer ends silently, a wrong one is told; nothing is written.
    prompt.shown.clear();
    prompt.passwords = {QString(), u"ABC"_s};
    EXPECT_TRUE(withExportDialog([&](frmExport& dialog) {
        dialog.txtExportPath()->setText(out.path());
        dialog.IsPassMemo()->setChecked(true);
        click(dialog, "Btn_Export");
        click(dialog, "Btn_Export");
    }));
    EXPECT_EQ(prompt.messageTexts(), QStringList{kWrong});
    EXPECT_EQ(prompt.shown.last().icon, PromptIcon::Critical);
    ASSERT_EQ(prompt.shown.size(), 3);
    EXPECT_EQ(prompt.shown[0].kind, ScriptedPrompt::Kind::Password);
    EXPECT_EQ(prompt.shown[0].title, u"パスワードの入力"_s);
    EXPECT_EQ(prompt.shown[0].text, u"パスワード設定したメモを開くためのパスワードを入力してください。"_s);
    EXPECT_TRUE(outFiles().isEmpty());

    // The right one exports the protected memo too.
    prompt.shown.clear();
    prompt.passwords = {u"abc"_s};
    EXPECT_FALSE(withExportDialog([&](frmExport& dialog) {
        dialog.cmbDefinitionFile()->setCurrentText(u"本文のみ"_s);
        dialog.txtFileNameDef()->setText(u"[!ID]"_s);
        dialog.txtExportPath()->setText(out.path());
        dialog.IsPassMemo()->setChecked(true);
        click(dialog, "Btn_Export");
    }));
    EXPECT_EQ(prompt.messageTexts(), QStringList{u"2件のメモをエクスポートしました。"_s});
    EXPECT_EQ(MemoFixtures::readBytes(out.path() + u'/' + QString::number(locked) + u".txt"_s), "secret\r\n");
}

TEST_F(ExportCommandsTest, WithoutDefinitionsExportReportsTheDefinitionFailure)
{
    prepare();
    open();
    // The shipped ones come only where no definition is; this one is unusable.
    MemoFixtures::writeText(home.file(u"broken.ted"_s), u"not a definition\r\n"_s);
    EXPECT_FALSE(withExportDialog([&](frmExport& dialog) {
        EXPECT_EQ(dialog.cmbDefinitionFile()->count(), 1);
        dialog.txtExportPath()->setText(out.path());
        click(dialog, "Btn_Export");
    }));
    EXPECT_EQ(prompt.messageTexts(), QStringList{u"定義ファイルの読み込みに失敗しました。"_s});
    EXPECT_TRUE(outFiles().isEmpty());
}

class ExportTextTest : public ExportCommandsTest
{
protected:
    qint64 a = 0, b = 0, c = 0;
    QString path;

    void SetUp() override
    {
        a = addMemo(u"Alpha"_s, u"t"_s, u"one\r\ntwo"_s);
        b = addMemo(u"Beta"_s, u"t"_s, u"secret"_s, false, true);
        c = addMemo(u"Gamma"_s, u"t"_s, QString());
        prepare(kSecurityAbc);
        open();
        chooseCategory(u"[ALL]"_s);
        path = out.path() + u"/memos.txt"_s;
    }
};

TEST_F(ExportTextTest, ThreeSelectedMemosGoIntoOneFileInListOrder)
{
    MemoFixtures::writeText(path, QString(300, u'z'));
    selectMemos({c, a, b});
    prompt.files = {{out.path() + u"/memos"_s}};
    prompt.answers = {PromptAnswer::Yes};
    prompt.passwords = {u"abc"_s};
    triggerAction("mnuExportText");

    // The proposed name is the first selected row's title, in list order.
    const ScriptedPrompt::Shown& dialog = prompt.shown.first();
    EXPECT_EQ(dialog.kind, ScriptedPrompt::Kind::SaveFile);
    EXPECT_EQ(dialog.title, u"ファイルを保存"_s);
    EXPECT_EQ(dialog.text, home.path() + u"Alpha.txt"_s);
    // Quillet asks about the completed name itself, so the dialog does not ask too.
    EXPECT_FALSE(prompt.lastFileRequest.askBeforeReplacing);
    EXPECT_EQ(prompt.messageTexts(), (QStringList{path + u" は既にあります。\n置き換えますか？"_s, kSaved}));
    EXPECT_EQ(MemoFixtures::readBytes(path), "TITLE : Alpha\r\n\r\none\r\ntwo\r\n" + kRule +
                                                 "TITLE : Beta\r\n\r\nsecret\r\n" + kRule +
                                                 "TITLE : Gamma\r\n\r\n\r\n" + kRule);
    EXPECT_EQ(window->settings().read(Settings::RecentFiles::ExportTextFile), path);

    // The next time starts in the folder of the last file.
    prompt.shown.clear();
    prompt.files = {{QString()}};
    triggerAction("mnuExportText");
    EXPECT_EQ(prompt.shown.first().text, out.path() + u"/Alpha.txt"_s);
    EXPECT_EQ(prompt.messageTexts(), QStringList{u"キャンセルしました。"_s});
}

TEST_F(ExportTextTest, AnExistingFileSurvivesARefusedPasswordGate)
{
    MemoFixtures::writeText(path, u"the user's file"_s);
    selectMemos({a, b});
    prompt.files = {{path}};
    prompt.answers = {PromptAnswer::Yes};
    prompt.passwords = {u"wrong"_s};
    triggerAction("mnuExportText");
    EXPECT_EQ(prompt.messageTexts(),
              (QStringList{path + u" は既にあります。\n置き換えますか？"_s, kWrong, kSaveFailed}));
    EXPECT_EQ(prompt.shown.last().icon, PromptIcon::Critical);
    EXPECT_EQ(MemoFixtures::readBytes(path), "the user's file");

    // Answering no to the question leaves the file and asks no password.
    prompt.shown.clear();
    prompt.files = {{path}};
    prompt.answers = {PromptAnswer::No};
    triggerAction("mnuExportText");
    EXPECT_EQ(prompt.messageTexts(),
              (QStringList{path + u" は既にあります。\n置き換えますか？"_s, u"キャンセルしました。"_s}));
    EXPECT_EQ(MemoFixtures::readBytes(path), "the user's file");
    EXPECT_TRUE(prompt.allAnswersUsed());
}

TEST_F(ExportTextTest, AFileThatCannotBeWrittenIsReported)
{
    selectMemos({a});
    prompt.files = {{out.path() + u"/missing/memos.txt"_s}};
    triggerAction("mnuExportText");
    const QStringList texts = prompt.messageTexts();
    ASSERT_EQ(texts.size(), 1);
    EXPECT_TRUE(texts[0].startsWith(kSaveFailed + u'\n')) << texts[0].toStdString();
    EXPECT_TRUE(window->settings().read(Settings::RecentFiles::ExportTextFile).isEmpty());
}

} // namespace
