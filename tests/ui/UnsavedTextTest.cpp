// Where unsaved text goes: one test per way of losing it, each driving the
// real window (and, for a kill and a termination, the real program's window in
// a child process) through the prompt interface.
#include "MainWindowFixture.h"
#include "MemoFixtures.h"
#include "app/Startup.h"
#include "editing/MemoEditor.h"
#include "editing/RestoreFile.h"
#include "store/MemoStore.h"
#include "store/TemplateDatabase.h"
#include "ui/FloatingWindows.h"
#include "ui/frmViewer.h"

#include <QAction>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScopeGuard>
#include <QToolBar>
#include <QTest>
#include <csignal>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kOffer = u"保存していないメモが、次のファイルに残っています。\n"_s;
const QString kOfferQuestion =
    u"新しいメモとしてフローティングメモで開きますか？\n「いいえ」を選ぶと、ファイルのあるフォルダを開きます。"_s;
// "abc", scrambled as the settings file keeps it.
const QString kSecurityAbc = u"[Security]\nPassword=dcb\n"_s;

void deleteMemo(MemoStore& store, qint64 id)
{
    store.writeMemoTrash(id, true);
    store.deleteTrashedMemos();
}

class UnsavedTextTest : public MainWindowFixture
{
protected:
    QString restorePath(const QString& profile = u"default"_s) const
    {
        return home.file(u"quillet_restoration_%1.txt"_s.arg(profile));
    }
    // The files kept beside a profile's restore file.
    QStringList filesBeside(const QString& profile = u"default"_s) const
    {
        QStringList files;
        for (const QString& name :
             QDir(home.path()).entryList({u"quillet_restoration_%1_*.txt"_s.arg(profile)}, QDir::Files, QDir::Name))
            files.append(home.file(name));
        return files;
    }
    QList<frmViewer*> viewers() const { return window->floatingWindows().windows(); }
    std::optional<Memo> stored(qint64 id) { return MemoStore(dbPath()).readMemo(id); }

    // Starts the window in a child process and waits until it has typed.
    void startChild(QProcess& child, const QStringList& arguments,
                    const QList<std::pair<QString, QString>>& variables = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QUILLET_HOME"_s, home.path());
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        for (const auto& [name, value] : variables)
            environment.insert(name, value);
        child.setProcessEnvironment(environment);
        child.start(QStringLiteral(UNSAVED_TEXT_CHILD), arguments);
        ASSERT_TRUE(child.waitForStarted());
        QDeadlineTimer deadline(30000);
        while (!child.canReadLine() && child.state() == QProcess::Running && !deadline.hasExpired())
            child.waitForReadyRead(100);
        ASSERT_EQ(child.readLine().trimmed(), "typed") << child.readAllStandardError().toStdString();
    }
    // Waits (at most 30 s) while the child runs until `condition` holds.
    static bool waitWhileRunning(QProcess& child, const std::function<bool()>& condition)
    {
        QDeadlineTimer deadline(30000);
        while (!condition() && child.state() == QProcess::Running && !deadline.hasExpired())
            QTest::qWait(50);
        return condition();
    }
};

// A profile of the database form is named by the file name alone: two
// databases named work.mdb share it, and neither may take the other's text.
TEST_F(UnsavedTextTest, SameNamedDatabasesKeepTheirOwnText)
{
    const QString a = home.file(u"a/work.mdb"_s);
    const QString b = home.file(u"b/work.mdb"_s);
    qint64 ids[2] = {};
    for (int i = 0; i < 2; ++i) {
        const QString path = i == 0 ? a : b;
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
        TemplateDatabase::copyTo(home.path(), path);
        ids[i] = MemoStore(path).insertMemo(u"memo"_s, i == 0 ? u"a body"_s : u"b body"_s, {},
                                            u"2026/01/01 00:00:00"_s);
    }
    ASSERT_EQ(ids[0], ids[1]);

    open({a});
    chooseMemo(ids[0]);
    QTest::keyClick(contents(), Qt::Key_End, Qt::ControlModifier);
    type(contents(), u" unsaved in a"_s);
    ASSERT_TRUE(window->close());

    prompt.shown.clear();
    open({b});
    EXPECT_TRUE(prompt.messageTexts().isEmpty());
    EXPECT_EQ(lblNo(), u"New"_s);
    EXPECT_TRUE(contents()->toPlainText().isEmpty());
    EXPECT_FALSE(window->editor().IsEdit());
    // A click that would have saved a's text over b's memo finds nothing to save.
    chooseMemo(ids[1]);
    EXPECT_EQ(contents()->toPlainText(), u"b body"_s);
    ASSERT_TRUE(window->close());
    EXPECT_EQ(MemoStore(b).readMemo(ids[1])->body, u"b body"_s);
    const QStringList kept = filesBeside(u"work.mdb"_s);
    ASSERT_EQ(kept.size(), 1);

    // a's next start offers the text it kept, as a new memo.
    prompt.shown.clear();
    prompt.answers = {PromptAnswer::Yes};
    open({a});
    QTRY_COMPARE(viewers().size(), 1);
    EXPECT_EQ(prompt.messageTexts(), QStringList{kOffer + kept.first() + u'\n' + kOfferQuestion});
    frmViewer* viewer = viewers().first();
    EXPECT_EQ(viewer->iID(), -1);
    EXPECT_EQ(viewer->boxText(), u"a body unsaved in a"_s);
    EXPECT_TRUE(viewer->IsEdit());
    EXPECT_FALSE(QFile::exists(kept.first()));
    EXPECT_EQ(MemoStore(a).readMemo(ids[0])->body, u"a body"_s);
}

// Between the close and the next start the stored memo changes (another copy
// of Quillet, a merge), goes, or is protected: the memo as stored now decides.
TEST_F(UnsavedTextTest, MemoChangedProtectedOrDeletedMeanwhile)
{
    enum class Comes { AsWritten, AsNewMemo, AsStored };
    struct Case
    {
        const char* what;
        bool typed;
        std::function<void(MemoStore&, qint64)> meanwhile;
        Comes comes;
        bool asksPassword;
    };
    const auto change = [](MemoStore& store, qint64 id) {
        store.updateMemo(id, u"m"_s, u"newer text"_s, u"tag"_s, u"2026/12/11 10:00:00"_s);
    };
    const Case cases[] = {
        {"untouched", true, [](MemoStore&, qint64) {}, Comes::AsWritten, false},
        {"changed elsewhere", true, change, Comes::AsNewMemo, false},
        {"only its tags changed", true,
         [](MemoStore& store, qint64 id) {
             store.updateMemo(id, u"m"_s, u"stored"_s, u"other"_s, u"2026/12/11 10:00:00"_s);
         },
         Comes::AsNewMemo, false},
        {"deleted", true, [](MemoStore& store, qint64 id) { deleteMemo(store, id); }, Comes::AsNewMemo, false},
        {"protected meanwhile", true, [](MemoStore& store, qint64 id) { store.writeMemoLock(id, true); },
         Comes::AsWritten, true},
        {"changed, nothing typed", false, change, Comes::AsStored, false},
        {"protected, nothing typed", false, [](MemoStore& store, qint64 id) { store.writeMemoLock(id, true); },
         Comes::AsStored, true},
    };
    prepare(kSecurityAbc);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const qint64 id = addMemo(u"m"_s, u"tag"_s, u"stored"_s);
        prompt.shown.clear();
        open();
        chooseMemo(id);
        if (c.typed)
            type(contents(), u"typed "_s);
        ASSERT_TRUE(window->close());
        window.reset();
        {
            MemoStore second(dbPath());
            c.meanwhile(second, id);
        }
        const std::optional<Memo> before = stored(id);

        prompt.shown.clear();
        prompt.passwords = {u"abc"_s};
        open();
        EXPECT_EQ(!prompt.shown.isEmpty() && prompt.shown.first().kind == ScriptedPrompt::Kind::Password,
                  c.asksPassword);
        switch (c.comes) {
        case Comes::AsWritten:
            EXPECT_EQ(lblNo(), QString::number(id));
            EXPECT_EQ(contents()->toPlainText(), u"typed stored"_s);
            EXPECT_TRUE(window->editor().IsEdit());
            EXPECT_EQ(window->editor().IsPassword(), c.asksPassword);
            EXPECT_TRUE(prompt.messageTexts().isEmpty());
            break;
        case Comes::AsNewMemo:
            EXPECT_EQ(lblNo(), u"New"_s);
            EXPECT_EQ(contents()->toPlainText(), u"typed stored"_s);
            EXPECT_TRUE(window->editor().IsEdit());
            EXPECT_EQ(prompt.messageTexts(), QStringList{RestoreFile::changedMeanwhileMessage(id)});
            break;
        case Comes::AsStored:
            EXPECT_EQ(lblNo(), QString::number(id));
            EXPECT_EQ(contents()->toPlainText(), before->body);
            EXPECT_FALSE(window->editor().IsEdit());
            EXPECT_EQ(window->editor().IsPassword(), before->isPass);
            break;
        }
        // Nothing was written over the stored memo.
        const std::optional<Memo> after = stored(id);
        EXPECT_EQ(after.has_value(), before.has_value());
        if (after) {
            EXPECT_EQ(after->body, before->body);
        }
        window.reset();
        QFile::remove(restorePath());
    }
}

// The same for a floating window kept with unsaved text.
TEST_F(UnsavedTextTest, FloatingMemoChangedOrProtectedMeanwhile)
{
    prepare(kSecurityAbc);
    const struct
    {
        const char* what;
        std::function<void(MemoStore&, qint64)> meanwhile;
        bool comesBackAsNew;
        bool asksPassword;
    } cases[] = {
        {"changed elsewhere",
         [](MemoStore& store, qint64 id) { store.updateMemoBody(id, u"newer text"_s, u"2026/12/11 10:00:00"_s); },
         true, false},
        {"protected meanwhile", [](MemoStore& store, qint64 id) { store.writeMemoLock(id, true); }, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const qint64 id = addMemo(u"m"_s, {}, u"stored"_s);
        open();
        ASSERT_TRUE(typeInFloating(id, u"typed "_s));
        ASSERT_TRUE(window->close());
        window.reset();
        {
            MemoStore second(dbPath());
            c.meanwhile(second, id);
        }
        const QString bodyBefore = stored(id)->body;

        prompt.shown.clear();
        // The main window, which showed the memo, asks as well.
        prompt.passwords = {u"abc"_s, u"abc"_s};
        open();
        EXPECT_EQ(!prompt.shown.isEmpty() && prompt.shown.first().kind == ScriptedPrompt::Kind::Password,
                  c.asksPassword);
        ASSERT_EQ(viewers().size(), 1);
        frmViewer* back = viewers().first();
        EXPECT_EQ(back->boxText(), u"typed stored"_s);
        EXPECT_TRUE(back->IsEdit());
        EXPECT_EQ(back->iID(), c.comesBackAsNew ? -1 : id);
        EXPECT_EQ(back->IsPassword(), c.asksPassword);
        EXPECT_EQ(prompt.messageTexts(), c.comesBackAsNew ? QStringList{RestoreFile::changedMeanwhileMessage(id)}
                                                          : QStringList{});
        EXPECT_EQ(stored(id)->body, bodyBefore);
        window.reset();
        prompt.passwords.clear();
        QFile::remove(restorePath());
        for (const QString& file : QDir(home.file(u"quillet_default"_s)).entryList(QDir::Files))
            QFile::remove(home.file(u"quillet_default/"_s + file));
    }
}

// Unsaved text reaches the disk a few seconds after typing pauses, and goes
// once it is saved or reverted; the floating windows do the same.
TEST_F(UnsavedTextTest, UnsavedTextIsOnDiskWhileTheUserTypes)
{
    const qint64 id = addMemo(u"m"_s, {}, u"stored"_s);
    const qint64 other = addMemo(u"o"_s, {}, u"other"_s);
    open();
    chooseMemo(id);
    type(contents(), u"typed "_s);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(restorePath()), 10000);
    const auto written = RestoreFile::readMain(restorePath());
    EXPECT_EQ(written.state.body, u"typed stored"_s);
    EXPECT_TRUE(written.state.isEdit);
    EXPECT_EQ(written.state.memoNumber, QString::number(id));
    triggerAction("mnuSaveMemo");
    EXPECT_FALSE(QFile::exists(restorePath()));

    type(contents(), u"again "_s);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(restorePath()), 10000);
    triggerAction("mnuAllUndo");
    EXPECT_FALSE(QFile::exists(restorePath()));

    frmViewer* viewer = typeInFloating(other, u"floating "_s);
    ASSERT_TRUE(viewer);
    const QString kept = window->profile().iniBasePath + QString::number(other) + u".txt"_s;
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(kept), 10000);
    EXPECT_EQ(RestoreFile::readFloating(kept).state.text, u"floating other"_s);
    prompt.answers = {PromptAnswer::No}; // the main window keeps what it shows
    press(viewer, "Save");
    EXPECT_EQ(stored(other)->body, u"floating other"_s);
    EXPECT_FALSE(QFile::exists(kept));
}

// Two copies of Quillet on one profile, both with unsaved text: whichever
// ends first, neither close replaces the other's text.
TEST_F(UnsavedTextTest, TwoCopiesClosingWithUnsavedTextKeepBoth)
{
    prepare();
    open();
    type(contents(), u"text of A"_s);
    StartupResult startup = Startup(prompt, home.path()).run({});
    ASSERT_TRUE(startup.proceed);
    auto copyB = std::make_unique<Form1>(std::move(startup), prompt, clock);
    copyB->show();
    type(copyB->findChild<QPlainTextEdit*>(u"txtContents"_s), u"text of B"_s);
    EXPECT_NE(copyB->restoreFilePath(), window->restoreFilePath());

    ASSERT_TRUE(window->close());
    ASSERT_TRUE(copyB->close());
    copyB.reset();
    EXPECT_EQ(RestoreFile::readMain(restorePath()).state.body, u"text of A"_s);
    const QStringList beside = filesBeside();
    ASSERT_EQ(beside.size(), 1);
    EXPECT_EQ(RestoreFile::readMain(beside.first()).state.body, u"text of B"_s);

    // The next start brings A's text into the boxes and offers B's.
    prompt.shown.clear();
    prompt.answers = {PromptAnswer::Yes};
    open();
    EXPECT_EQ(contents()->toPlainText(), u"text of A"_s);
    EXPECT_TRUE(window->editor().IsEdit());
    QTRY_COMPARE(viewers().size(), 1);
    EXPECT_EQ(prompt.messageTexts(), QStringList{kOffer + beside.first() + u'\n' + kOfferQuestion});
    EXPECT_EQ(viewers().first()->boxText(), u"text of B"_s);
    EXPECT_FALSE(QFile::exists(beside.first()));
    EXPECT_TRUE(QFile::exists(window->profile().iniBasePath + u"new.txt"_s));
}

// An unsaved new memo in a floating window comes back at the next start and
// saves as a new memo with the title and tags asked then.
TEST_F(UnsavedTextTest, UnsavedNewFloatingMemoComesBack)
{
    prepare();
    open();
    triggerAction("mnuMemoList_NewF");
    frmViewer* viewer = window->floatingWindows().QueryViewerOpen(-1);
    ASSERT_TRUE(viewer);
    type(viewer->txtContents(), u"first line"_s);
    QTest::keyClick(viewer->txtContents(), Qt::Key_Return);
    type(viewer->txtContents(), u"second"_s);
    ASSERT_TRUE(window->close());

    prompt.shown.clear();
    open();
    EXPECT_TRUE(prompt.messageTexts().isEmpty());
    ASSERT_EQ(viewers().size(), 1);
    frmViewer* back = viewers().first();
    EXPECT_EQ(back->iID(), -1);
    EXPECT_EQ(back->boxText(), u"first line\nsecond"_s);
    EXPECT_TRUE(back->IsEdit());
    EXPECT_TRUE(back->editMode());

    prompt.inputs = {u""_s};
    prompt.tagChoices = {u"home"_s};
    press(back, "Save");
    ASSERT_GT(back->iID(), 0);
    const std::optional<Memo> memo = stored(back->iID());
    ASSERT_TRUE(memo);
    EXPECT_EQ(memo->title, u"first line"_s);
    EXPECT_EQ(memo->body, u"first line\r\nsecond"_s);
    EXPECT_EQ(memo->category, u"home"_s);
    EXPECT_FALSE(QFile::exists(window->profile().iniBasePath + u"new.txt"_s));
}

// A kept window whose memo is gone says so once, then is forgotten.
TEST_F(UnsavedTextTest, KeptWindowOfAGoneMemoIsForgotten)
{
    const qint64 id = addMemo(u"m"_s, {}, u"body"_s);
    open();
    chooseMemo(id);
    triggerAction("mnuViewer");
    ASSERT_TRUE(window->floatingWindows().QueryViewerOpen(id));
    ASSERT_TRUE(window->close());
    window.reset();
    {
        MemoStore store(dbPath());
        deleteMemo(store, id);
    }

    prompt.shown.clear();
    open();
    EXPECT_EQ(prompt.messageTexts(), QStringList{u"メモが見つかりません。"_s});
    EXPECT_TRUE(viewers().isEmpty());
    EXPECT_TRUE(QDir(window->profile().iniBasePath).entryList(QDir::Files).isEmpty());
    ASSERT_TRUE(window->close());

    prompt.shown.clear();
    open();
    EXPECT_TRUE(prompt.messageTexts().isEmpty());
}

// kill -9 a few seconds after typing: the text typed since the start is on
// disk, and the next start brings it back.
TEST_F(UnsavedTextTest, KilledAfterTypingTheTextComesBack)
{
    prepare();
    QProcess child;
    startChild(child, {u"typed before the kill"_s});
    ASSERT_TRUE(waitWhileRunning(child, [this] {
        return RestoreFile::readMain(restorePath()).state.body == u"typed before the kill"_s;
    })) << child.readAllStandardError().toStdString();
    ASSERT_EQ(::kill(pid_t(child.processId()), SIGKILL), 0);
    ASSERT_TRUE(child.waitForFinished(30000));

    open();
    EXPECT_TRUE(prompt.messageTexts().isEmpty());
    EXPECT_EQ(lblNo(), u"New"_s);
    EXPECT_EQ(contents()->toPlainText(), u"typed before the kill"_s);
    EXPECT_TRUE(window->editor().IsEdit());
}

// The session ends (SIGTERM) while a memo is out in an external editor: the
// program writes every restore file and ends, the editor keeps its file, and
// the next start takes back what the editor saved.
TEST_F(UnsavedTextTest, TerminatedWhileAnEditorRunsKeepsEveryText)
{
    const qint64 id = addMemo(u"m"_s, {}, u"stored\r\n"_s);
    prepare(u"[OuterEditor]\nName_1=fake\nPath_1=" FAKE_EDITOR "\n"_s);
    const QString started = home.file(u"editor-started"_s);
    const QString stop = home.file(u"editor-stop"_s);
    const QString tempFile = home.file(u"quillet_defaulttmp/%1_m.txt"_s.arg(id));
    QProcess child;
    startChild(child, {u"main pane text"_s, u"--editor"_s, QString::number(id)},
               {{u"FAKE_EDITOR_MODE"_s, u"appendwait"_s},
                {u"FAKE_EDITOR_TEXT"_s, u"saved in the editor"_s},
                {u"FAKE_EDITOR_LOG"_s, started},
                {u"FAKE_EDITOR_STOP"_s, stop}});
    const auto stopEditor = qScopeGuard([&stop] { MemoFixtures::writeText(stop, {}); });
    ASSERT_TRUE(waitWhileRunning(child, [&] {
        return QFile::exists(started) && MemoFixtures::readBytes(tempFile).endsWith("saved in the editor");
    })) << child.readAllStandardError().toStdString();

    ASSERT_EQ(::kill(pid_t(child.processId()), SIGTERM), 0);
    ASSERT_TRUE(child.waitForFinished(30000)) << "the pass held the program";
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0);
    // The editor's file stays for the editor, recorded for the next start.
    EXPECT_TRUE(QFile::exists(tempFile));
    const auto kept = RestoreFile::readFloating(home.file(u"quillet_default/%1.txt"_s.arg(id)));
    ASSERT_EQ(kept.status, RestoreFile::Status::Restorable);
    EXPECT_EQ(kept.state.editorFile, tempFile);
    EXPECT_EQ(RestoreFile::readMain(restorePath()).state.body, u"main pane text"_s);
    EXPECT_EQ(stored(id)->body, u"stored\r\n"_s);

    open();
    EXPECT_EQ(contents()->toPlainText(), u"main pane text"_s);
    EXPECT_TRUE(window->editor().IsEdit());
    frmViewer* viewer = window->floatingWindows().QueryViewerOpen(id);
    ASSERT_TRUE(viewer);
    EXPECT_EQ(viewer->storedText(), u"stored\r\nsaved in the editor"_s);
    EXPECT_TRUE(viewer->IsEdit());
    EXPECT_FALSE(QFile::exists(tempFile));
}

} // namespace
