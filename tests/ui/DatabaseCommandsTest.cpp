// The database commands through the window: switching to another database,
// refreshing it with new IDs and a backup, saving a copy under another name,
// and reading another database's memos in with the merge dialog.
#include "ui/DatabaseCommands.h"
#include "MainWindowFixture.h"
#include "MemoFixtures.h"
#include "app/IniFile.h"
#include "app/Settings.h"
#include "editing/MemoEditor.h"
#include "search/SearchRequest.h"
#include "store/DatabaseMerge.h"
#include "store/MemoStore.h"
#include "tags/CategoryList.h"
#include "tags/MemoList.h"
#include "ui/FloatingWindows.h"
#include "ui/frmMergeMDB.h"
#include "ui/frmViewer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

using namespace Qt::Literals::StringLiterals;

const QString kCancelled = u"キャンセルしました。"_s;
const QString kRefreshInfo =
    u"メモデータベースをリフレッシュします。\n"
    u"メモIDをふり直しますので、編集中のメモは保存し、フローティングメモや外部エディタを開いている場合は閉じ"
    u"てください。\n\n"
    u"尚、リフレッシュ前のメモデータベースはQuilletインストールフォルダに.bakで残します。"_s;
const QString kRefreshDone =
    u"メモデータベースのリフレッシュ完了！\n\nできればQuilletを再起動してください。"_s;
const QString kRefreshAborted = u"メモデータベースのリフレッシュを中止しました。"_s;
const QString kSaved = u"ファイルの保存が完了しました。"_s;
const QString kSaveFailed = u"ファイルの保存に失敗しました。"_s;
const QString kSecurityAbc = u"[Security]\nPassword=dcb\n"_s; // "abc", scrambled

class DatabaseCommandsTest : public MainWindowFixture
{
protected:
    DatabaseCommands& commands() const
    {
        auto* found = window->findChild<DatabaseCommands*>(u"DatabaseCommands"_s);
        EXPECT_TRUE(found);
        return *found;
    }
    QString setting(const TextSetting& key) const { return SettingsFile(iniPath()).read(key); }

    // "id title" of every memo of a database file, in ID order, read through
    // a connection of its own.
    static QStringList fileRows(const QString& path)
    {
        QStringList rows;
        MemoStore store(path);
        store.forEachMemo(true, true, [&](const Memo& m) {
            rows.append(u"%1 %2"_s.arg(m.recordId).arg(m.title));
            return true;
        });
        return rows;
    }

    // Memos with the IDs 3, 8 and 15, in that order.
    void prepareIds3815()
    {
        for (int i = 1; i <= 15; ++i)
            addMemo(u"memo %1"_s.arg(i), i % 2 ? u"odd"_s : u"even"_s, u"body %1"_s.arg(i));
        MemoFixtures::execute(dbPath(), "DELETE FROM Memo WHERE RecordID NOT IN (3, 8, 15)");
    }

    // Fills the merge dialog as soon as it runs, then presses one of its buttons.
    static void answerMergeDialog(const QString& path, bool overwrite, bool byId,
                                  const char* button = "Btn_OK", bool cancelProgress = false)
    {
        QTimer::singleShot(0, [=] {
            auto* dialog = qobject_cast<frmMergeMDB*>(QApplication::activeModalWidget());
            ASSERT_TRUE(dialog) << "no merge dialog";
            dialog->findChild<QLineEdit*>(u"txtMDBPath"_s)->setText(path);
            if (overwrite)
                dialog->findChild<QRadioButton*>(u"optOW_Yes"_s)->click();
            if (byId)
                dialog->findChild<QRadioButton*>(u"optOW_ID"_s)->click();
            QTest::mouseClick(dialog->findChild<QAbstractButton*>(QString::fromLatin1(button)),
                              Qt::LeftButton);
            // Only now, so that the cancel meets the progress window, not the dialog.
            if (cancelProgress)
                cancelProgressAtFirstStep();
        });
    }

    // A second database beside the open one.
    QString otherDatabase(const QList<std::pair<QString, QString>>& titlesAndTimes)
    {
        const QString path = home.file(u"other db.mdb"_s);
        MemoFixtures::createDatabase(home.path(), path);
        MemoStore other(path);
        for (const auto& [title, time] : titlesAndTimes)
            other.insertMemo(title, u"from other"_s, u"merged"_s, time);
        return path;
    }
};

// --- Switch ---

TEST_F(DatabaseCommandsTest, SwitchStartsTheRunningProgramOnTheChosenFileAndCloses)
{
    QString startedIn = home.path(); // Quillet's folder, then the folder of the last choice
    for (const QString& chosen : {u"/tmp/my memos/work file.mdb"_s, u"/tmp/profiles/users.ini"_s}) {
        prepare();
        open();
        QStringList started;
        commands().startProgram = [&](const QString& program, const QStringList& arguments) {
            started = QStringList{program} + arguments;
            return true;
        };
        prompt.files = {{chosen}};
        triggerAction("mnuMDBChange");
        EXPECT_EQ(started, (QStringList{QCoreApplication::applicationFilePath(), chosen}));
        EXPECT_FALSE(window->isVisible()) << "the running copy ends";
        EXPECT_EQ(setting(Settings::RecentFiles::ChangeMDBFiles), chosen);
        EXPECT_EQ(prompt.shown.front().title, u"ファイルを開く"_s);
        EXPECT_EQ(prompt.shown.front().text, startedIn);
        startedIn = u"/tmp/my memos"_s;
        EXPECT_TRUE(prompt.messageTexts().isEmpty());
        window.reset();
        prompt.shown.clear();
    }
}

TEST_F(DatabaseCommandsTest, SwitchThatCannotStartOrIsCancelledKeepsTheProgramRunning)
{
    prepare();
    open();
    bool asked = false;
    commands().startProgram = [&](const QString&, const QStringList&) {
        asked = true;
        return false;
    };
    prompt.files = {{}, {home.file(u"x.mdb"_s)}};
    triggerAction("mnuMDBChange");
    EXPECT_FALSE(asked);
    triggerAction("mnuMDBChange");
    EXPECT_TRUE(asked);
    EXPECT_EQ(prompt.messageTexts(), (QStringList{kCancelled, u"Quilletを起動するのに失敗しました。"_s}));
    EXPECT_EQ(prompt.shown.last().icon, PromptIcon::Critical);
    EXPECT_TRUE(window->isVisible());
}

// --- Refresh ---

TEST_F(DatabaseCommandsTest, RefreshRenumbersTheMemosInOrder)
{
    prepareIds3815();
    open();
    triggerAction("mnuMDBRefresh");
    EXPECT_EQ(prompt.messageTexts(), (QStringList{kRefreshInfo, kRefreshDone}));
    EXPECT_EQ(prompt.shown.first().icon, PromptIcon::Information);
    EXPECT_EQ(prompt.shown.last().icon, PromptIcon::Information);
    EXPECT_EQ(fileRows(dbPath()), (QStringList{u"1 memo 3"_s, u"2 memo 8"_s, u"3 memo 15"_s}));
    EXPECT_EQ(countsByName(categoryRows()), countsByName(recountedCategoryRows()));
    for (const qint64 id : memoRowIds())
        EXPECT_TRUE(id >= 1 && id <= 3) << "the memo list shows an old ID: " << id;
}

TEST_F(DatabaseCommandsTest, RefreshBackupHoldsEveryMemoAndTheNextRefreshReplacesIt)
{
    prepareIds3815();
    open();
    // A memo written through the window's own connection, still in the
    // write-ahead log: a plain file copy would miss it.
    const qint64 late = window->store().insertMemo(u"late"_s, u"wal"_s, u"odd"_s, u"2026/02/02 00:00:00"_s);
    const QString backup = home.file(u"diary.bak"_s);
    triggerAction("mnuMDBRefresh");
    EXPECT_EQ(fileRows(backup),
              (QStringList{u"3 memo 3"_s, u"8 memo 8"_s, u"15 memo 15"_s, u"%1 late"_s.arg(late)}));
    triggerAction("mnuMDBRefresh");
    EXPECT_EQ(fileRows(backup), (QStringList{u"1 memo 3"_s, u"2 memo 8"_s, u"3 memo 15"_s, u"4 late"_s}));
    EXPECT_EQ(prompt.messageTexts(), (QStringList{kRefreshInfo, kRefreshDone, kRefreshInfo, kRefreshDone}));
}

TEST_F(DatabaseCommandsTest, AfterARefreshTheWindowWorksOnTheRebuiltFile)
{
    prepareIds3815();
    open();
    triggerAction("mnuMDBRefresh");
    ASSERT_EQ(prompt.messageTexts().last(), kRefreshDone);
    EXPECT_EQ(window->store().readMemo(1)->title, u"memo 3"_s);
    // What it saves now is in the file at DBPath, seen by another connection.
    triggerAction("New");
    type(title(), u"after refresh"_s);
    window->SaveCurrentMemo();
    EXPECT_EQ(fileRows(dbPath()),
              (QStringList{u"1 memo 3"_s, u"2 memo 8"_s, u"3 memo 15"_s, u"4 after refresh"_s}));
}

TEST_F(DatabaseCommandsTest, RefreshAsksAboutTheEditedMemoAndTheFloatingWindows)
{
    prepareIds3815();
    open();
    type(title(), u"being typed"_s);
    prompt.answers = {PromptAnswer::No};
    triggerAction("mnuMDBRefresh");
    EXPECT_EQ(prompt.messageTexts(),
              (QStringList{kRefreshInfo, u"メモが編集中です。自動的に保存しますか？"_s, kRefreshAborted}));
    EXPECT_TRUE(window->editor().IsEdit()) << "the typed text stays";
    EXPECT_FALSE(QFile::exists(home.file(u"diary.bak"_s)));

    // Yes saves the memo first; a floating window is closed on a Yes, not kept.
    chooseMemo(8);
    prompt.answers = {PromptAnswer::Yes};
    triggerAction("mnuViewer");
    QPointer<frmViewer> viewer = window->floatingWindows().QueryViewerOpen(8);
    ASSERT_TRUE(viewer);
    triggerAction("New");
    type(title(), u"saved on the way"_s);
    prompt.shown.clear();
    prompt.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
    triggerAction("mnuMDBRefresh");
    EXPECT_EQ(
        prompt.messageTexts(),
        (QStringList{kRefreshInfo, u"メモが編集中です。自動的に保存しますか？"_s,
                     u"フローティングメモもしくは外部エディタが使用されています。\n\n自動的に閉じますか？"_s,
                     kRefreshDone}));
    QTRY_VERIFY(!viewer);
    EXPECT_TRUE(window->floatingWindows().windows().isEmpty());
    EXPECT_FALSE(QFile::exists(window->profile().iniBasePath + u"8.ini"_s))
        << "not reopened at the next start";
    const QStringList rows = fileRows(dbPath());
    EXPECT_EQ(rows.last(), u"%1 saved on the way"_s.arg(rows.size())) << "saved, then renumbered";
    EXPECT_FALSE(window->editor().IsEdit());
}

// The refresh renumbers every memo: no place in the window may go on holding
// an old number. The memo on screen gives way to a new memo, text typed while
// the rebuild ran stays in the boxes as a new unsaved memo, and the search
// result goes.
TEST_F(DatabaseCommandsTest, AfterARefreshNoPlaceInTheWindowHoldsAnOldNumber)
{
    prepare();
    for (int i = 1; i <= 5; ++i)
        addMemo(u"memo %1"_s.arg(i), u"t"_s, u"body %1"_s.arg(i));
    MemoFixtures::execute(dbPath(), "DELETE FROM Memo WHERE RecordID = 1"); // memos 2 to 5
    open();
    SearchRequest everything;
    everything.words = u"body"_s;
    prompt.searches = {everything};
    triggerAction("mnuFiltering");
    ASSERT_EQ(window->categoryList().table().findIds(), (QList<qint64>{2, 3, 4, 5}));
    chooseCategory(u"t"_s);
    chooseMemo(3);
    ASSERT_EQ(lblNo(), u"3"_s);

    triggerAction("mnuMDBRefresh");
    ASSERT_EQ(prompt.messageTexts().last(), kRefreshDone);
    EXPECT_EQ(lblNo(), u"New"_s);
    EXPECT_TRUE(title()->text().isEmpty());
    EXPECT_TRUE(contents()->toPlainText().isEmpty());
    EXPECT_FALSE(window->editor().IsEdit());
    EXPECT_TRUE(window->categoryList().table().findIds().isEmpty());
    EXPECT_TRUE(categoryRows().contains(u"3 [Find] 0"_s)) << categoryRows().join(u", "_s).toStdString();
    // What is typed and saved now is a memo of its own: no memo is overwritten.
    type(title(), u"typed after"_s);
    type(contents(), u"new text"_s);
    triggerAction("mnuSaveMemo");
    EXPECT_EQ(fileRows(dbPath()),
              (QStringList{u"1 memo 2"_s, u"2 memo 3"_s, u"3 memo 4"_s, u"4 memo 5"_s, u"5 typed after"_s}));
    EXPECT_EQ(window->store().readMemo(3)->body, u"body 4"_s);

    // Typed while the rebuild runs: the text stays, as a new memo.
    chooseCategory(u"[ALL]"_s);
    chooseMemo(3);
    ASSERT_EQ(contents()->toPlainText(), u"body 4"_s);
    QTimer::singleShot(0, [this] { type(contents(), u"during "_s); });
    triggerAction("mnuMDBRefresh");
    ASSERT_EQ(prompt.messageTexts().last(), kRefreshDone);
    EXPECT_EQ(lblNo(), u"New"_s);
    EXPECT_EQ(contents()->toPlainText(), u"during body 4"_s);
    EXPECT_EQ(title()->text(), u"memo 4"_s);
    EXPECT_TRUE(window->editor().IsEdit());
    triggerAction("mnuSaveMemo");
    EXPECT_EQ(fileRows(dbPath()), (QStringList{u"1 memo 2"_s, u"2 memo 3"_s, u"3 memo 4"_s, u"4 memo 5"_s,
                                               u"5 typed after"_s, u"6 memo 4"_s}));
    EXPECT_EQ(window->store().readMemo(3)->body, u"body 4"_s);
    EXPECT_EQ(window->store().readMemo(6)->body, u"during body 4"_s);
}

TEST_F(DatabaseCommandsTest, ACancelledRefreshLeavesTheDatabaseAsItWas)
{
    prepareIds3815();
    open();
    const QStringList before = fileRows(dbPath());
    cancelProgressAtFirstStep();
    triggerAction("mnuMDBRefresh");
    EXPECT_EQ(prompt.messageTexts(), (QStringList{kRefreshInfo, kRefreshAborted}));
    EXPECT_EQ(prompt.shown.last().icon, PromptIcon::Critical);
    EXPECT_EQ(fileRows(dbPath()), before);
    // The window still works on its database.
    EXPECT_EQ(window->store().readMemo(15)->title, u"memo 15"_s);
}

// --- Save as ---

TEST_F(DatabaseCommandsTest, SaveAsWritesACompleteCopyUnderTheChosenName)
{
    prepare();
    addMemo(u"stored"_s, u"t"_s);
    open();
    window->store().insertMemo(u"only in the log"_s, u"wal"_s, u"t"_s, u"2026/02/02 00:00:00"_s);
    struct Case
    {
        QString chosen;
        QString written;
    };
    const QString folder = home.path() + u"copies here/"_s;
    QDir().mkpath(folder);
    const Case cases[] = {{folder + u"backup2006"_s, folder + u"backup2006.mdb"_s},
                          {folder + u"copy.MDB"_s, folder + u"copy.MDB"_s},
                          {folder + u"notes.txt"_s, folder + u"notes.txt.mdb"_s}};
    for (const Case& c : cases) {
        prompt.shown.clear();
        prompt.files = {{c.chosen}};
        triggerAction("mnuMDBSaveAs");
        EXPECT_EQ(prompt.messageTexts(), QStringList{kSaved}) << c.chosen.toStdString();
        EXPECT_EQ(fileRows(c.written), (QStringList{u"1 stored"_s, u"2 only in the log"_s}));
        EXPECT_EQ(setting(Settings::RecentFiles::ExportMDBFiles), c.written);
    }
    EXPECT_EQ(prompt.shown.front().title, u"ファイルを保存"_s);
    EXPECT_EQ(prompt.shown.front().text, folder + u"memo.mdb"_s) << "starts beside the last copy";
    EXPECT_FALSE(QFile::exists(folder + u"backup2006"_s));
}

TEST_F(DatabaseCommandsTest, SaveAsAsksBeforeReplacingAndChecksThePasswordGateBeforeTouchingTheFile)
{
    prepare(kSecurityAbc);
    const qint64 locked = addMemo(u"locked"_s, u"t"_s, u"secret"_s, false, true);
    open();
    window->memoList().selectId(locked);
    const QString target = home.file(u"keep.mdb"_s);
    MemoFixtures::writeText(target, u"an older file the user keeps"_s);
    const QString question = target + u" は既にあります。\n置き換えますか？"_s;

    // The name is typed without ".mdb": the question is about the completed
    // name, asked by Quillet, since the dialog only saw "keep".
    prompt.files = {{home.file(u"keep"_s)}};
    prompt.answers = {PromptAnswer::No};
    triggerAction("mnuMDBSaveAs");
    EXPECT_FALSE(prompt.lastFileRequest.askBeforeReplacing);
    EXPECT_EQ(prompt.messageTexts(), (QStringList{question, kCancelled}));
    EXPECT_EQ(MemoFixtures::readBytes(target), QByteArray("an older file the user keeps"));

    prompt.shown.clear();
    prompt.files = {{target}};
    prompt.answers = {PromptAnswer::Yes};
    prompt.passwords = {u"wrong"_s};
    triggerAction("mnuMDBSaveAs");
    EXPECT_EQ(prompt.messageTexts(), (QStringList{question, u"パスワードが間違っています。"_s, kSaveFailed}));
    EXPECT_EQ(MemoFixtures::readBytes(target), QByteArray("an older file the user keeps"));

    prompt.shown.clear();
    prompt.files = {{target}};
    prompt.answers = {PromptAnswer::Yes};
    prompt.passwords = {u"abc"_s};
    triggerAction("mnuMDBSaveAs");
    EXPECT_EQ(prompt.messageTexts(), (QStringList{question, kSaved}));
    EXPECT_EQ(fileRows(target), QStringList{u"%1 locked"_s.arg(locked)});
}

TEST_F(DatabaseCommandsTest, SaveAsFailuresAreReportedNotCelebrated)
{
    prepare();
    addMemo(u"stored"_s, u"t"_s);
    open();
    // Onto the open database itself, and into a folder that does not exist.
    prompt.files = {{dbPath()}, {home.file(u"no such folder/copy.mdb"_s)}, {}};
    triggerAction("mnuMDBSaveAs");
    triggerAction("mnuMDBSaveAs");
    triggerAction("mnuMDBSaveAs");
    const QStringList texts = prompt.messageTexts();
    ASSERT_EQ(texts.size(), 3);
    EXPECT_EQ(texts[0], kSaveFailed + u"\n開いているメモデータベースと同じファイルには保存できません。"_s);
    EXPECT_TRUE(texts[1].startsWith(kSaveFailed + u"\n"_s)) << texts[1].toStdString();
    EXPECT_EQ(texts[2], kCancelled);
    EXPECT_FALSE(texts.contains(kSaved));
    EXPECT_EQ(window->store().readMemo(1)->title, u"stored"_s);
    EXPECT_TRUE(setting(Settings::RecentFiles::ExportMDBFiles).isEmpty());
}

// The template is what new databases are made of: a copy of memos there would
// come back in every new database.
TEST_F(DatabaseCommandsTest, SaveAsOntoTheTemplateIsRefused)
{
    prepare();
    addMemo(u"stored"_s, u"t"_s);
    open();
    const QString templateFile = home.file(u"default.mdb"_s);
    ASSERT_TRUE(QFile::exists(templateFile));
    const QByteArray before = MemoFixtures::readBytes(templateFile);
    // Chosen whole, and as "default" completed with ".mdb".
    prompt.files = {{templateFile}, {home.file(u"default"_s)}};
    prompt.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
    triggerAction("mnuMDBSaveAs");
    triggerAction("mnuMDBSaveAs");
    const QString refused = kSaveFailed + u"\nテンプレートデータベース「default.mdb」には保存できません。"_s;
    EXPECT_EQ(prompt.messageTexts(), (QStringList{refused, refused}));
    EXPECT_EQ(prompt.shown.last().icon, PromptIcon::Critical);
    EXPECT_EQ(MemoFixtures::readBytes(templateFile), before);
    EXPECT_TRUE(setting(Settings::RecentFiles::ExportMDBFiles).isEmpty());
}

// --- Merge ---

TEST_F(DatabaseCommandsTest, MergeThroughTheDialogReportsItsCountsAndRecountsTheTags)
{
    prepare();
    addMemo(u"same"_s, u"mine"_s); // 2026/01/01, older than the other's copy
    addMemo(u"kept"_s, u"mine"_s); // the other's copy is older
    open();
    const QString other = otherDatabase({{u"same"_s, u"2026/03/01 00:00:00"_s},
                                         {u"kept"_s, u"2025/01/01 00:00:00"_s},
                                         {u"new one"_s, u"2020/01/01 00:00:00"_s}});
    answerMergeDialog(other, true, false);
    triggerAction("mnuMDBAddImport");
    EXPECT_EQ(prompt.messageTexts(),
              QStringList{u"メモデータの追加読み込み完了！\n新規メモ：1　上書き：1"_s});
    EXPECT_EQ(prompt.shown.last().icon, PromptIcon::Information);
    EXPECT_EQ(countsByName(categoryRows()), countsByName(recountedCategoryRows()));
    EXPECT_TRUE(countsByName(categoryRows()).contains(u"merged 2"_s));

    // Adding everything as new memos.
    prompt.shown.clear();
    answerMergeDialog(other, false, true);
    triggerAction("mnuMDBAddImport");
    EXPECT_EQ(prompt.messageTexts(),
              QStringList{u"メモデータの追加読み込み完了！\n新規メモ：3　上書き：0"_s});
    EXPECT_EQ(window->store().countMemos(), 6);
}

// A memo on screen that the merge overwrites shows the merged text, so that
// saving it later cannot put the old text back; one with unsaved edits keeps them.
TEST_F(DatabaseCommandsTest, AMemoOnScreenThatTheMergeOverwritesShowsTheMergedText)
{
    prepare();
    const qint64 shown = addMemo(u"same"_s, u"mine"_s, u"old body"_s);
    const qint64 edited = addMemo(u"edited"_s, u"mine"_s, u"old body"_s);
    const qint64 floating = addMemo(u"floating"_s, u"mine"_s, u"old body"_s);
    open();
    const QString other = otherDatabase({{u"same"_s, u"2026/03/01 00:00:00"_s},
                                         {u"edited"_s, u"2026/03/01 00:00:00"_s},
                                         {u"floating"_s, u"2026/03/01 00:00:00"_s}});

    chooseCategory(u"mine"_s);
    // Floating windows too: one unedited, one with edits of its own.
    frmViewer* unedited = openFloating(shown);
    frmViewer* typedIn = openFloating(floating);
    ASSERT_TRUE(unedited && typedIn);
    press(typedIn, "Edit");
    type(typedIn->txtContents(), u"floating "_s);
    chooseMemo(shown);
    answerMergeDialog(other, true, false);
    triggerAction("mnuMDBAddImport");
    EXPECT_EQ(unedited->boxText(), u"from other"_s);
    EXPECT_EQ(typedIn->boxText(), u"floating old body"_s);
    // Its save would write over the merged text: it asks first.
    prompt.answers = {PromptAnswer::Yes};
    press(typedIn, "Save");
    EXPECT_EQ(prompt.messageTexts().last(), MemoEditor::changedMeanwhileQuestion());
    EXPECT_EQ(window->store().readMemo(floating)->body, u"floating old body"_s);
    EXPECT_EQ(contents()->toPlainText(), u"from other"_s);
    EXPECT_EQ(tags()->text(), u"merged"_s);
    EXPECT_FALSE(window->editor().IsEdit());
    EXPECT_FALSE(contents()->document()->isUndoAvailable()) << "undo would bring back a text never stored";
    type(contents(), u"!"_s);
    triggerAction("mnuSaveMemo");
    EXPECT_EQ(window->store().readMemo(shown)->body, u"!from other"_s);

    // Unsaved edits are the user's: the merge leaves them in the boxes.
    const QByteArray undoMerge =
        "UPDATE Memo SET Memo = 'old body', UpdateTime = '2026/01/01 00:00:00' WHERE RecordID = " +
        QByteArray::number(edited);
    MemoFixtures::execute(dbPath(), undoMerge.constData());
    chooseCategory(u"merged"_s);
    chooseMemo(edited);
    ASSERT_EQ(contents()->toPlainText(), u"old body"_s);
    type(contents(), u"typed "_s);
    prompt.shown.clear();
    answerMergeDialog(other, true, false);
    triggerAction("mnuMDBAddImport");
    EXPECT_EQ(prompt.messageTexts(),
              QStringList{u"メモデータの追加読み込み完了！\n新規メモ：0　上書き：1"_s});
    EXPECT_EQ(contents()->toPlainText(), u"typed old body"_s);
    EXPECT_TRUE(window->editor().IsEdit());
}

TEST_F(DatabaseCommandsTest, MergeDialogPicksTheFileAndCancelStopsTheCommand)
{
    prepare();
    open();
    const QString other = otherDatabase({{u"a"_s, u"2020/01/01 00:00:00"_s}});
    prompt.files = {{other}};
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<frmMergeMDB*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        EXPECT_EQ(dialog->windowTitle(), u"メモデータベースを追加読み込み"_s);
        EXPECT_TRUE(dialog->findChild<QRadioButton*>(u"optOW_No"_s)->isChecked());
        EXPECT_TRUE(dialog->findChild<QRadioButton*>(u"optOW_Title"_s)->isChecked());
        QTest::mouseClick(dialog->findChild<QAbstractButton*>(u"Btn_OpenMDBPath"_s), Qt::LeftButton);
        EXPECT_EQ(dialog->findChild<QLineEdit*>(u"txtMDBPath"_s)->text(), other);
        if (!qEnvironmentVariableIsEmpty("QUILLET_SHOT_DIR"))
            dialog->grab().save(qEnvironmentVariable("QUILLET_SHOT_DIR") + u"/D-frmMergeMDB.png"_s);
        QTest::mouseClick(dialog->findChild<QAbstractButton*>(u"Btn_Close"_s), Qt::LeftButton);
    });
    triggerAction("mnuMDBAddImport");
    EXPECT_EQ(prompt.messageTexts(), QStringList{kCancelled});
    EXPECT_EQ(setting(Settings::RecentFiles::MergeMDBPath), QFileInfo(other).absolutePath());
    EXPECT_EQ(window->store().countMemos(), 0);

    // Confirmed without a path: cancelled as well.
    prompt.shown.clear();
    answerMergeDialog(QString(), false, false);
    triggerAction("mnuMDBAddImport");
    EXPECT_EQ(prompt.messageTexts(), QStringList{kCancelled});
}

TEST_F(DatabaseCommandsTest, MergingTheOpenDatabaseIntoItselfIsRefused)
{
    prepare();
    addMemo(u"one"_s, u"t"_s);
    open();
    answerMergeDialog(dbPath(), false, false);
    triggerAction("mnuMDBAddImport");
    EXPECT_EQ(prompt.messageTexts(), QStringList{SelfMergeMessage()});
    EXPECT_EQ(prompt.shown.last().icon, PromptIcon::Critical);
    EXPECT_EQ(window->store().countMemos(), 1);
}

TEST_F(DatabaseCommandsTest, ACancelInTheMergesFirstPassChangesNothing)
{
    prepare();
    addMemo(u"same"_s, u"t"_s);
    open();
    const QString other =
        otherDatabase({{u"same"_s, u"2027/01/01 00:00:00"_s}, {u"new"_s, u"2027/01/01 00:00:00"_s}});
    answerMergeDialog(other, true, false, "Btn_OK", true);
    triggerAction("mnuMDBAddImport");
    EXPECT_EQ(prompt.messageTexts(), QStringList{u"途中でキャンセルしました！\n新規メモ：0　上書き：0"_s});
    EXPECT_EQ(fileRows(dbPath()), QStringList{u"1 same"_s});
    EXPECT_EQ(window->store().readMemo(1)->body, QString());
}

TEST_F(DatabaseCommandsTest, AMergeThatFailsIsReportedInWords)
{
    prepare();
    addMemo(u"one"_s, u"t"_s);
    open();
    // Version 2.50 by its DBInfo, but without a memo table.
    const QString broken = home.file(u"broken.mdb"_s);
    MemoFixtures::execute(broken,
                          "CREATE TABLE DBInfo (VersionInfo INTEGER, IsMemoPass INTEGER, IsPass INTEGER, "
                          "Password TEXT); INSERT INTO DBInfo VALUES (250, 0, 0, '');");
    answerMergeDialog(broken, false, false);
    triggerAction("mnuMDBAddImport");
    const QStringList texts = prompt.messageTexts();
    ASSERT_EQ(texts.size(), 1);
    EXPECT_TRUE(texts[0].startsWith(u"ファイルの追加読みこみに失敗しました。\n"_s)) << texts[0].toStdString();
    EXPECT_EQ(prompt.shown.last().icon, PromptIcon::Critical);
    EXPECT_EQ(window->store().countMemos(), 1);
}

// A Windows database is converted into a temporary file after a question and
// then goes through the merge's usual checks; the temporary folder goes with
// the command, and the Jet file is only read.
TEST_F(DatabaseCommandsTest, MergeFromAJetFileConvertsItFirst)
{
    prepare();
    addMemo(u"one"_s, u"t"_s);
    open();
    // A memo table without DBInfo, a file of version 0.
    const QString jet = home.file(u"windows.mdb"_s);
    MemoFixtures::writeJetWithMemoTable(jet);
    const QByteArray bytes = MemoFixtures::readBytes(jet);
    const QString question = u"「windows.mdb」はWindows版のメモデータベース(Jet形式)です。\n"
                             u"一時ファイルに変換してから、そのメモを追加読み込みします。"
                             u"元のファイルは変更しません。\n\n変換しますか？"_s;
    const auto leftovers = [this] {
        return QDir(home.path()).entryList({u"quillet-jet-*"_s}, QDir::AllEntries | QDir::Hidden);
    };

    prompt.answers = {PromptAnswer::No};
    answerMergeDialog(jet, false, false);
    triggerAction("mnuMDBAddImport");
    EXPECT_EQ(prompt.messageTexts(), (QStringList{question, kCancelled}));

    prompt.shown.clear();
    prompt.answers = {PromptAnswer::Yes};
    answerMergeDialog(jet, false, false);
    triggerAction("mnuMDBAddImport");
    EXPECT_EQ(prompt.messageTexts(),
              (QStringList{question, u"メモデータベースのバージョンが低いため追加読み込みができません。\n"
                                     u"メモデータベースは2.50以上である必要があります。\n"
                                     u"(読み込んだメモデータベースは0.00でした)。"_s}));

    // A Jet file without any of Quillet's tables is refused before any question.
    const QString foreign = home.file(u"foreign.mdb"_s);
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUILLET_JET_FIXTURES "/jet4-access2000.mdb"), foreign));
    prompt.shown.clear();
    answerMergeDialog(foreign, false, false);
    triggerAction("mnuMDBAddImport");
    EXPECT_EQ(prompt.messageTexts(),
              QStringList{u"「foreign.mdb」はWindows版のデータベース(Jet形式)ですが、"
                          u"Quilletのメモのテーブル(Contents、FileDB、LogDB、Memo、DBInfo)がありません。"_s});
    EXPECT_EQ(prompt.shown.last().icon, PromptIcon::Critical);

    EXPECT_EQ(MemoFixtures::readBytes(jet), bytes);
    EXPECT_EQ(leftovers(), QStringList{});
    EXPECT_EQ(window->store().countMemos(), 1);
}

} // namespace
