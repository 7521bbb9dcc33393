#include "MainWindowFixture.h"
#include "MemoFixtures.h"
#include "editing/MemoEditor.h"
#include "editing/RestoreFile.h"
#include "search/SearchRequest.h"
#include "store/MemoFingerprint.h"
#include "store/MemoStore.h"
#include "tags/CategoryList.h"

#include <QAction>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTest>
#include <QTreeView>
#include <csignal>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kFailed = QStringLiteral("メモの復帰に失敗しました。");
const QString kKeptAside = QStringLiteral("\n復帰できなかった内容は次のファイルに残してあります。\n");

class RestoreTest : public MainWindowFixture
{
protected:
    QString restorePath() const { return home.file(QStringLiteral("quillet_restoration_default.txt")); }
    // Held by the copy of Quillet that runs on the profile.
    QString lockPath() const { return restorePath() + QStringLiteral(".lock"); }
    // Where a file that could not be restored is kept (the fixture's clock).
    QString asidePath() const
    {
        return home.file(QStringLiteral("quillet_restoration_default_20261210-093000.txt"));
    }
    std::optional<Memo> stored(qint64 id) { return window->store().readMemo(id); }
    bool saveEnabled() const { return window->findChild<QAction*>(QStringLiteral("Save"))->isEnabled(); }
    int caret() const { return contents()->textCursor().position(); }
    QString selectedCategory() const
    {
        return catList()->selectionModel()->selectedRows(1).value(0).data().toString();
    }
    void writeRestoreFile(const QByteArray& bytes) const
    {
        QFile file(restorePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    void reopen()
    {
        prompt.shown.clear();
        open();
    }
    // Closes the window as the user does with its close box.
    bool closeBox() { return window->close(); }
};

TEST_F(RestoreTest, NewUnsavedMemoComesBackAfterClose)
{
    prepare();
    open();
    type(title(), QStringLiteral("買い物"));
    type(contents(), QStringLiteral("milk"));
    QTest::keyClick(contents(), Qt::Key_Return);
    type(contents(), QStringLiteral("bread"));
    QTest::keyClick(contents(), Qt::Key_Return);

    // Closing asks nothing; the edits go into the restore file, line by line,
    // the body's final line break leaving an empty line before the last CR LF.
    EXPECT_TRUE(closeBox());
    EXPECT_TRUE(prompt.shown.isEmpty());
    EXPECT_EQ(MemoFixtures::readBytes(restorePath()),
              ":Quillet RestoreFile\r\n 6 \r\n" + RestoreFile::databaseKey(dbPath()).toUtf8() +
                  "\r\n\r\n\r\n\r\n 1 \r\n 11 \r\nNew\r\nTrue\r\nFalse\r\n"
                  "買い物\r\n\r\nmilk\r\nbread\r\n\r\n");

    reopen();
    EXPECT_TRUE(prompt.shown.isEmpty());
    EXPECT_EQ(lblNo(), QStringLiteral("New"));
    EXPECT_EQ(title()->text(), QStringLiteral("買い物"));
    EXPECT_EQ(contents()->toPlainText(), QStringLiteral("milk\nbread\n"));
    EXPECT_EQ(caret(), 11);
    EXPECT_TRUE(window->editor().IsEdit());
    EXPECT_TRUE(saveEnabled());
    // The unsaved text stays on disk until it is saved; the histories start
    // from the restored text.
    EXPECT_EQ(RestoreFile::readMain(restorePath()).state.body, QStringLiteral("milk\r\nbread\r\n"));
    QTest::keyClick(contents(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(contents()->toPlainText(), QStringLiteral("milk\nbread\n"));

    triggerAction("mnuSaveMemo");
    EXPECT_FALSE(QFile::exists(restorePath()));
    const std::optional<Memo> memo = stored(lblNo().toLongLong());
    ASSERT_TRUE(memo);
    EXPECT_EQ(memo->body.toUtf8(), QByteArray("milk\r\nbread\r\n"));
    EXPECT_EQ(memo->title, QStringLiteral("買い物"));
}

TEST_F(RestoreTest, StoredMemoWithEditsComesBackByteForByte)
{
    // Line ends of every kind: the ones the user did not touch stay as stored.
    const QString body = QStringLiteral("one\rtwo\nthree\u2029four\r\n");
    addMemo(QStringLiteral("home memo"), QStringLiteral("home"), QStringLiteral("x"));
    const qint64 id = addMemo(QStringLiteral("t"), QStringLiteral("work"), body);
    const qint64 other = addMemo(QStringLiteral("u"), QStringLiteral("work"), QStringLiteral("y"));
    open();
    // A tag search for a word of the memo.
    SearchRequest search;
    search.words = QStringLiteral("two");
    prompt.searches = {search};
    triggerAction("mnuFiltering");
    chooseCategory(QStringLiteral("work"));
    chooseMemo(id);
    type(title(), QStringLiteral("x"));
    contents()->setFocus();
    QTest::keyClick(contents(), Qt::Key_End, Qt::ControlModifier);
    type(contents(), QStringLiteral("!"));
    QTest::keyClick(contents(), Qt::Key_Left);
    const int caretAtClose = caret();

    EXPECT_TRUE(closeBox());
    const RestoreFile::Result<RestoreFile::MainState> written = RestoreFile::readMain(restorePath());
    ASSERT_EQ(written.status, RestoreFile::Status::Restorable);
    EXPECT_EQ(written.state.findWord, QStringLiteral("two"));
    EXPECT_EQ(written.state.findIds, QList<qint64>{id});
    EXPECT_EQ(written.state.categoryRow, 6); // [ALL] [Trash] [Find] [Import] home work
    EXPECT_EQ(written.state.memoNumber, QString::number(id));
    EXPECT_EQ(written.state.body.toUtf8(), (body + QStringLiteral("!")).toUtf8());
    EXPECT_EQ(stored(id)->body, body);

    reopen();
    EXPECT_TRUE(prompt.shown.isEmpty());
    EXPECT_EQ(selectedCategory(), QStringLiteral("work"));
    EXPECT_EQ(memoRowIds(), (QList<qint64>{id, other}));
    EXPECT_TRUE(memoList()->selectionModel()->selectedRows().isEmpty());
    EXPECT_EQ(categoryRows().value(2), QStringLiteral("3 [Find] 1"));
    EXPECT_EQ(window->FindWord(), QStringLiteral("two"));
    EXPECT_EQ(lblNo(), QString::number(id));
    EXPECT_EQ(title()->text(), QStringLiteral("tx"));
    EXPECT_EQ(tags()->text(), QStringLiteral("work"));
    EXPECT_EQ(contents()->toPlainText(), QStringLiteral("one\ntwo\nthree\nfour\n!"));
    EXPECT_EQ(caret(), caretAtClose);
    EXPECT_TRUE(window->editor().IsEdit());

    triggerAction("mnuSaveMemo");
    EXPECT_EQ(stored(id)->body.toUtf8(), (body + QStringLiteral("!")).toUtf8());
    EXPECT_EQ(stored(id)->title, QStringLiteral("tx"));
}

TEST_F(RestoreTest, OlderFormatIsLeftAlone)
{
    const qint64 id = addMemo(QStringLiteral("t"), QString(), QStringLiteral("body"));
    const QByteArray older = QByteArray(":Quillet RestoreFile\r\n 4 \r\n\r\n\r\n 1 \r\n 0 \r\n") +
                             QByteArray::number(id) + "\r\nTrue\r\nFalse\r\nold\r\n\r\nold body\r\n";
    writeRestoreFile(older);
    open();
    EXPECT_TRUE(prompt.shown.isEmpty());
    EXPECT_EQ(lblNo(), QStringLiteral("New"));
    EXPECT_TRUE(contents()->toPlainText().isEmpty());
    EXPECT_FALSE(window->editor().IsEdit());
    EXPECT_EQ(MemoFixtures::readBytes(restorePath()), older);
}

struct PasswordCase
{
    const char* name;
    QString answer;
    QStringList messages; // after the password dialog
    bool restored;
};

class RestorePasswordTest : public RestoreTest, public ::testing::WithParamInterface<PasswordCase>
{
};

TEST_P(RestorePasswordTest, ProtectedMemoAsksForThePasswordAtStart)
{
    const PasswordCase& c = GetParam();
    const qint64 locked = addMemo(QStringLiteral("locked"), QString(), QStringLiteral("hidden"), false, true);
    prepare(QStringLiteral("[Security]\nPassword=dcb\n")); // "abc"
    open();
    // Opened with the password just before the close: the start asks again all the same.
    prompt.passwords = {QStringLiteral("abc")};
    chooseMemo(locked);
    ASSERT_EQ(lblNo(), QString::number(locked));
    type(contents(), QStringLiteral("more "));
    EXPECT_TRUE(closeBox());
    const QByteArray written = MemoFixtures::readBytes(restorePath());

    prompt.passwords = {c.answer};
    reopen();
    ASSERT_GE(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown.first().kind, ScriptedPrompt::Kind::Password);
    EXPECT_EQ(prompt.shown.first().title, QStringLiteral("パスワードの入力"));
    EXPECT_EQ(prompt.shown.first().text,
              QStringLiteral("このメモを開くためのパスワードを入力してください。"));
    QStringList messages;
    for (const QString& text : c.messages)
        messages.append(text == kFailed ? kFailed + kKeptAside + asidePath() : text);
    EXPECT_EQ(prompt.messageTexts(), messages);
    if (c.restored) {
        EXPECT_EQ(lblNo(), QString::number(locked));
        EXPECT_EQ(contents()->toPlainText(), QStringLiteral("more hidden"));
        EXPECT_TRUE(window->editor().IsPassword());
        EXPECT_TRUE(window->editor().IsEdit());
        EXPECT_TRUE(QFile::exists(restorePath())) << "unsaved text stays on disk";
        return;
    }
    // Refused: the memo stays closed, and its unsaved text waits in the kept file.
    EXPECT_EQ(prompt.shown.last().icon, PromptIcon::Critical);
    EXPECT_EQ(lblNo(), QStringLiteral("New"));
    EXPECT_TRUE(contents()->toPlainText().isEmpty());
    EXPECT_FALSE(window->editor().IsEdit());
    EXPECT_FALSE(QFile::exists(restorePath()));
    EXPECT_EQ(MemoFixtures::readBytes(asidePath()), written);
}

INSTANTIATE_TEST_SUITE_P(Answers, RestorePasswordTest,
                         ::testing::Values(PasswordCase{"right", QStringLiteral("abc"), {}, true},
                                           PasswordCase{
                                               "wrong",
                                               QStringLiteral("abd"),
                                               {QStringLiteral("パスワードが間違っています。"), kFailed},
                                               false},
                                           PasswordCase{"empty", QString(), {kFailed}, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RestoreTest, DamagedFileIsKeptAsideAndTheStartGoesOn)
{
    const qint64 id = addMemo(QStringLiteral("t"), QStringLiteral("home"), QStringLiteral("body"));
    const QByteArray number = QByteArray::number(id);
    const struct
    {
        const char* what;
        QByteArray file;
    } cases[] = {
        {"truncated", ":Quillet RestoreFile\r\n 5 \r\n\r\n\r\n 1 \r\n 0 \r\n" + number + "\r\nTrue\r\n"},
        {"a category row that no longer exists", ":Quillet RestoreFile\r\n 5 \r\n\r\n\r\n 9 \r\n 0 \r\n" +
                                                     number + "\r\nTrue\r\nFalse\r\nt\r\nhome\r\nedited\r\n"},
        {"a memo number that is none",
         ":Quillet RestoreFile\r\n 5 \r\n\r\n\r\n 1 \r\n 0 \r\nabc\r\nTrue\r\nFalse\r\nt\r\n\r\nx\r\n"},
        {"not a restore file", "some notes\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeRestoreFile(c.file);
        reopen();
        EXPECT_EQ(prompt.messageTexts(), QStringList{kFailed + kKeptAside + asidePath()});
        EXPECT_EQ(prompt.shown.value(0).icon, PromptIcon::Critical);
        EXPECT_EQ(lblNo(), QStringLiteral("New"));
        EXPECT_TRUE(contents()->toPlainText().isEmpty());
        EXPECT_EQ(selectedCategory(), QStringLiteral("[ALL]"));
        EXPECT_FALSE(QFile::exists(restorePath()));
        EXPECT_EQ(MemoFixtures::readBytes(asidePath()), c.file);

        // The next close writes a file of its own and leaves the kept one be.
        EXPECT_TRUE(closeBox());
        EXPECT_EQ(RestoreFile::readMain(restorePath()).status, RestoreFile::Status::Restorable);
        EXPECT_EQ(MemoFixtures::readBytes(asidePath()), c.file);
        QFile::remove(asidePath());
        QFile::remove(restorePath());
    }
}

TEST_F(RestoreTest, UnwritableRestoreFileLetsTheUserChoose)
{
    const QString question = QStringLiteral("編集中のメモを復帰用ファイルに書き込めませんでした。\n");
    const QString choice =
        QStringLiteral("\nこのまま終了すると、保存していない変更は失われます。終了しますか？");
    prepare();
    open();
    // A folder where the file should go: nothing can be written there.
    ASSERT_TRUE(QDir().mkdir(restorePath()));

    // Nothing unsaved: nothing to lose, nothing asked.
    EXPECT_TRUE(closeBox());
    EXPECT_TRUE(prompt.shown.isEmpty());

    ASSERT_TRUE(QDir().rmdir(restorePath()));
    reopen();
    ASSERT_TRUE(QDir().mkdir(restorePath()));
    type(contents(), QStringLiteral("unsaved"));
    prompt.answers = {PromptAnswer::No};
    EXPECT_FALSE(closeBox());
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(prompt.messageTexts().size(), 1);
    const QString text = prompt.messageTexts().first();
    EXPECT_TRUE(text.startsWith(question + restorePath() + QLatin1Char('\n'))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(choice)) << text.toStdString();
    EXPECT_EQ(prompt.shown.first().icon, PromptIcon::Exclamation);
    EXPECT_EQ(prompt.shown.first().buttons, PromptButtons::YesNo);
    EXPECT_EQ(contents()->toPlainText(), QStringLiteral("unsaved"));

    prompt.answers = {PromptAnswer::Yes};
    EXPECT_TRUE(closeBox());
    EXPECT_TRUE(prompt.allAnswersUsed());
}

// A search result read back from the file keeps only the memos that are
// here now, outside the trash, in table order: its count agrees with its list.
TEST_F(RestoreTest, TheRestoredSearchResultHoldsOnlyMemosOutsideTheTrash)
{
    const qint64 kept = addMemo(u"a"_s, u"x"_s);
    const qint64 trashed = addMemo(u"b"_s, u"x"_s, {}, true);
    const qint64 other = addMemo(u"c"_s, u"x"_s);
    RestoreFile::MainState state;
    state.databasePath = RestoreFile::databaseKey(dbPath());
    state.categoryRow = 3; // [Find]
    state.memoNumber = u"New"_s;
    state.findWord = u"word"_s;
    state.findIds = {other, trashed, 999, kept};
    writeRestoreFile(RestoreFile::formatMain(state));
    open();
    EXPECT_EQ(window->categoryList().table().findIds(), (QList<qint64>{kept, other}));
    EXPECT_EQ(categoryRows().value(2), u"3 [Find] 2"_s);
    EXPECT_EQ(memoRowIds(), (QList<qint64>{kept, other}));
}

// The session ending sends SIGTERM: the real program closes its window the
// normal way, writing its settings and the restore file, and exits cleanly.
TEST_F(RestoreTest, SessionEndClosesTheWindowTheNormalWay)
{
    const qint64 id = addMemo(QStringLiteral("t"), QStringLiteral("home"), QStringLiteral("stored\r\n"));
    RestoreFile::MainState state;
    state.databasePath = RestoreFile::databaseKey(dbPath());
    state.memoFingerprint = MemoFingerprint::ofMemo(u"t"_s, u"home"_s, u"stored\r\n"_s);
    state.categoryRow = 5; // home
    state.caret = 8;
    state.memoNumber = QString::number(id);
    state.isEdit = true;
    state.title = QStringLiteral("t edited");
    state.tags = QStringLiteral("home");
    state.body = QStringLiteral("stored\r\nunsaved 未保存\r\n");
    const QByteArray bytes = RestoreFile::formatMain(state);
    writeRestoreFile(bytes);

    QProcess quillet;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUILLET_HOME"), home.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    quillet.setProcessEnvironment(environment);
    quillet.start(QStringLiteral(QUILLET_BINARY), {});
    ASSERT_TRUE(quillet.waitForStarted());
    // The start takes the file in, holding it while it runs.
    QDeadlineTimer deadline(30000);
    while (!QFile::exists(lockPath()) && quillet.state() == QProcess::Running && !deadline.hasExpired())
        QTest::qWait(20);
    ASSERT_TRUE(QFile::exists(lockPath())) << quillet.readAllStandardError().toStdString();
    ASSERT_EQ(quillet.state(), QProcess::Running);

    ASSERT_EQ(::kill(pid_t(quillet.processId()), SIGTERM), 0);
    ASSERT_TRUE(quillet.waitForFinished(30000));
    EXPECT_EQ(quillet.exitStatus(), QProcess::NormalExit) << quillet.readAllStandardError().toStdString();
    EXPECT_EQ(quillet.exitCode(), 0);
    EXPECT_EQ(MemoFixtures::readBytes(restorePath()), bytes);
    EXPECT_TRUE(MemoFixtures::readBytes(iniPath()).contains("[FormPosition]"));

    // The next start brings the unsaved text back into the boxes.
    open();
    EXPECT_EQ(lblNo(), QString::number(id));
    EXPECT_EQ(title()->text(), QStringLiteral("t edited"));
    EXPECT_EQ(contents()->toPlainText(), QStringLiteral("stored\nunsaved 未保存\n"));
    EXPECT_TRUE(window->editor().IsEdit());
    EXPECT_EQ(stored(id)->body, QStringLiteral("stored\r\n"));
}

} // namespace
