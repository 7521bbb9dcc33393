// One editing pass through a real external process: the stand-in editor
// fake-editor.sh appends, replaces, deletes or leaves the file, hands it over
// and saves later, or cannot be started.
#include "exchange/EditorPass.h"
#include "QtPrinters.h"
#include "ScriptedPrompt.h"
#include "exchange/EditorWaitWindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <map>

namespace {

using namespace Qt::Literals::StringLiterals;

const QString FakeEditor = QString::fromUtf8(FAKE_EDITOR);

// Sets environment variables for one test and puts the old values back.
class Environment
{
public:
    ~Environment()
    {
        for (const auto& [name, value] : m_saved) {
            if (value)
                qputenv(name.c_str(), *value);
            else
                qunsetenv(name.c_str());
        }
    }
    void set(const char* name, const QString& value)
    {
        if (!m_saved.count(name))
            m_saved[name] = qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
        qputenv(name, value.toUtf8());
    }

private:
    std::map<std::string, std::optional<QByteArray>> m_saved;
};

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void copyExecutable(const QString& from, const QString& to)
{
    QDir().mkpath(QFileInfo(to).absolutePath());
    QFile::remove(to);
    ASSERT_TRUE(QFile::copy(from, to));
    QFile::setPermissions(to, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

class EditorPassTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_env.set("FAKE_EDITOR_LOG", path(u"args.log"_s));
        m_env.set("FAKE_EDITOR_COPY", path(u"handed.txt"_s));
        m_env.set("FAKE_EDITOR_DELAY", u"0"_s);
        // Entry 0 resolves through these folders only: nothing of the machine's desktop.
        m_env.set("XDG_CONFIG_HOME", path(u"config"_s));
        m_env.set("XDG_CONFIG_DIRS", path(u"none"_s));
        m_env.set("XDG_DATA_HOME", path(u"data"_s));
        m_env.set("XDG_DATA_DIRS", path(u"none"_s));
        m_env.set("XDG_CURRENT_DESKTOP", QString());
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }

    // Makes the fake editor the desktop's application for text files.
    void associateTextFiles()
    {
        writeBytes(path(u"config/mimeapps.list"_s),
                   "[Added Associations]\ntext/plain=other.desktop;\n"
                   "[Default Applications]\ntext/plain=missing.desktop;quillet-fake.desktop;\n");
        writeBytes(path(u"data/applications/quillet-fake.desktop"_s),
                   "[Desktop Entry]\nType=Application\nName=Fake\nName[ja]=偽\n"
                   "Exec=\"" +
                       FakeEditor.toUtf8() + "\" --from-desktop %U\n");
    }

    EditorPass::Request request(int index, const QString& editorPath,
                                const QString& text = u"一行目\r\n二行目"_s)
    {
        EditorPass::Request r;
        r.tmpBasePath = path(u"tmp"_s) + u'/';
        r.recordId = 42;
        r.title = u"買い物"_s;
        r.text = text;
        r.editorIndex = index;
        r.editorPath = editorPath;
        return r;
    }

    // Runs a pass to its end and gathers what it took back.
    EditorPass::Outcome run(const EditorPass::Request& r)
    {
        EditorPass pass(m_prompt);
        pass.setQuickExitMs(m_quickExitMs);
        QObject::connect(&pass, &EditorPass::textTaken,
                         [this](const QString& text) { m_taken.append(text); });
        QObject::connect(&pass, &EditorPass::waitingForSaves, [this] { m_waited = true; });
        m_file = EditorPass::tempFilePath(r.tmpBasePath, r.recordId, r.title);
        return pass.exec(r);
    }

    QStringList arguments() const
    {
        return QString::fromUtf8(readBytes(path(u"args.log"_s))).split(u'\n', Qt::SkipEmptyParts);
    }

    QTemporaryDir m_dir;
    Environment m_env;
    ScriptedPrompt m_prompt;
    QStringList m_taken;
    QString m_file;
    bool m_waited = false;
    int m_quickExitMs = 0; // only the hand-over tests wait for saves
};

TEST_F(EditorPassTest, ChangedFileComesBackExactlyAndTheFileGoes)
{
    m_env.set("FAKE_EDITOR_MODE", u"append"_s);
    m_env.set("FAKE_EDITOR_TEXT", u"追記\r\n"_s);
    EditorPass::Request r = request(1, FakeEditor);
    r.title = u"買い物/メモ: 5月?"_s;

    EXPECT_EQ(run(r), EditorPass::Outcome::TakenBack);

    // The editor got the exact text as UTF-8: no byte-order mark, no added line break.
    EXPECT_EQ(readBytes(path(u"handed.txt"_s)), u"一行目\r\n二行目"_s.toUtf8());
    EXPECT_EQ(m_file, path(u"tmp/42_買い物メモ 5月.txt"_s));
    EXPECT_EQ(arguments(), QStringList{m_file});
    EXPECT_EQ(m_taken, QStringList{u"一行目\r\n二行目追記\r\n"_s});
    EXPECT_FALSE(QFileInfo::exists(m_file));
    EXPECT_TRUE(m_prompt.shown.isEmpty());
}

TEST_F(EditorPassTest, TemporaryFileIsReadableByItsOwnerOnly)
{
    // The memo may be password-protected; its text must not be open to others.
    m_env.set("FAKE_EDITOR_MODE", u"unchanged"_s);
    m_env.set("FAKE_EDITOR_STAT", path(u"mode.log"_s));
    run(request(1, FakeEditor));
    EXPECT_EQ(readBytes(path(u"mode.log"_s)).trimmed(), QByteArray("600"));
}

TEST_F(EditorPassTest, Cp932FileIsDecodedAndEndsAtNul)
{
    writeBytes(path(u"cp932.txt"_s), QByteArray("\x93\xFA\x96\x7B\x8C\xEA\r\n\xB1\0junk", 13));
    m_env.set("FAKE_EDITOR_MODE", u"replace"_s);
    m_env.set("FAKE_EDITOR_SOURCE", path(u"cp932.txt"_s));

    EXPECT_EQ(run(request(1, FakeEditor)), EditorPass::Outcome::TakenBack);
    EXPECT_EQ(m_taken, QStringList{u"日本語\r\nｱ"_s});
}

TEST_F(EditorPassTest, UnchangedOrDeletedFileGivesNothingBack)
{
    for (const QString& mode : {u"unchanged"_s, u"delete"_s}) {
        m_env.set("FAKE_EDITOR_MODE", mode);
        m_taken.clear();
        EXPECT_EQ(run(request(1, FakeEditor)), EditorPass::Outcome::Unchanged) << mode.toStdString();
        EXPECT_TRUE(m_taken.isEmpty()) << mode.toStdString();
        EXPECT_FALSE(QFileInfo::exists(m_file)) << mode.toStdString();
    }
    EXPECT_TRUE(m_prompt.shown.isEmpty());
}

TEST_F(EditorPassTest, InterfaceStaysLiveWhileTheEditorRuns)
{
    m_env.set("FAKE_EDITOR_MODE", u"unchanged"_s);
    m_env.set("FAKE_EDITOR_DELAY", u"0.6"_s);
    m_quickExitMs = 300;
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(20);

    // An editor that ran longer than a hand-over takes and left the file alone: done.
    EXPECT_EQ(run(request(1, FakeEditor)), EditorPass::Outcome::Unchanged);
    EXPECT_GE(ticks, 10);
    EXPECT_FALSE(m_waited);
    EXPECT_FALSE(QFileInfo::exists(m_file));
}

TEST_F(EditorPassTest, EntryZeroOpensTheDesktopsTextApplication)
{
    associateTextFiles();
    m_env.set("FAKE_EDITOR_MODE", u"append"_s);
    m_env.set("FAKE_EDITOR_TEXT", u"!"_s);

    // Entry 0's configured path is never used; an entry with no path is entry 0 too.
    for (const auto& [index, editorPath] : {std::pair{0, u"/no/such/editor"_s}, std::pair{2, QString()}}) {
        QFile::remove(path(u"args.log"_s));
        m_taken.clear();
        EXPECT_EQ(run(request(index, editorPath)), EditorPass::Outcome::TakenBack) << index;
        EXPECT_EQ(arguments(), (QStringList{u"--from-desktop"_s, m_file})) << index;
        EXPECT_EQ(m_taken, QStringList{u"一行目\r\n二行目!"_s}) << index;
    }
    EXPECT_TRUE(m_prompt.shown.isEmpty());
}

TEST_F(EditorPassTest, InvalidPathIsReportedThenTheTextApplicationOpens)
{
    associateTextFiles();
    m_env.set("FAKE_EDITOR_MODE", u"append"_s);
    m_env.set("FAKE_EDITOR_TEXT", u"!"_s);

    EXPECT_EQ(run(request(2, u"/no/such/editor --wait"_s)), EditorPass::Outcome::TakenBack);
    ASSERT_EQ(m_prompt.shown.size(), 1);
    EXPECT_EQ(
        m_prompt.shown[0].text,
        u"外部エディタのパスが不正です。テキストファイルに関連づけられたアプリケーションで開きます。"_s);
    EXPECT_EQ(m_prompt.shown[0].icon, PromptIcon::Critical);
    EXPECT_EQ(m_prompt.shown[0].title, u"Quillet"_s);
    EXPECT_EQ(arguments(), (QStringList{u"--from-desktop"_s, m_file}));
}

TEST_F(EditorPassTest, EditorThatCannotStartIsReportedAndNothingComesBack)
{
    writeBytes(path(u"not-a-program.txt"_s), "just text");
    // A file that cannot be executed; then entry 0 on a desktop that names no
    // application for text files.
    for (const auto& [index, editorPath] :
         {std::pair{1, path(u"not-a-program.txt"_s)}, std::pair{0, QString()}}) {
        m_prompt.shown.clear();
        EXPECT_EQ(run(request(index, editorPath)), EditorPass::Outcome::StartFailed) << index;
        EXPECT_EQ(m_prompt.messageTexts(), QStringList{u"外部エディタを開くのに失敗しました。"_s}) << index;
        EXPECT_EQ(m_prompt.shown.value(0).icon, PromptIcon::Critical);
        EXPECT_TRUE(m_taken.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(m_file)) << index;
    }
}

TEST_F(EditorPassTest, ConfiguredPathMayHoldBlanksAndArguments)
{
    const QString spaced = path(u"my editor/fake editor.sh"_s);
    copyExecutable(FakeEditor, spaced);
    copyExecutable(FakeEditor, path(u"bin/fakeed"_s));
    m_env.set("PATH", path(u"bin"_s) + u":/usr/bin:/bin"_s);
    m_env.set("FAKE_EDITOR_MODE", u"append"_s);
    m_env.set("FAKE_EDITOR_TEXT", u"x"_s);

    struct Case
    {
        QString configured;
        QStringList leading; // arguments before the file
    };
    const Case cases[] = {
        {spaced, {}},
        {spaced + u" --wait -n"_s, {u"--wait"_s, u"-n"_s}},
        {u'"' + spaced + u"\" --wait"_s, {u"--wait"_s}},
        {u"fakeed --wait \"two words\""_s, {u"--wait"_s, u"two words"_s}},
        {u"fakeed"_s, {}},
    };
    for (const Case& c : cases) {
        EditorPass::Request r = request(3, c.configured);
        r.title = u"two words"_s; // the file's own blank stays inside one argument
        m_taken.clear();
        EXPECT_EQ(run(r), EditorPass::Outcome::TakenBack) << c.configured.toStdString();
        EXPECT_EQ(arguments(), c.leading + QStringList{path(u"tmp/42_two words.txt"_s)})
            << c.configured.toStdString();
        EXPECT_EQ(m_taken.size(), 1) << c.configured.toStdString();
    }
    EXPECT_TRUE(m_prompt.shown.isEmpty());
}

TEST_F(EditorPassTest, HandedOverFileIsWatchedAndEachSaveComesBackUntilFinished)
{
    m_env.set("FAKE_EDITOR_MODE", u"handover"_s);
    m_env.set("FAKE_EDITOR_DELAY", u"0.5"_s);
    m_env.set("FAKE_EDITOR_TEXT", u"後で保存"_s);

    EditorPass pass(m_prompt);
    pass.setPollIntervalMs(200);
    EditorWaitWindow window(pass);
    QStringList taken;
    std::optional<EditorPass::Outcome> outcome;
    QObject::connect(&pass, &EditorPass::textTaken, [&](const QString& text) { taken.append(text); });
    QObject::connect(&pass, &EditorPass::finished, [&](EditorPass::Outcome o) { outcome = o; });

    const EditorPass::Request r = request(1, FakeEditor, u"元"_s);
    ASSERT_TRUE(pass.start(r));
    ASSERT_TRUE(QTest::qWaitFor([&] { return pass.isWaitingForSaves(); }, 5000));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.findChild<QLabel*>(u"lblEditorWait"_s)->text(),
              u"外部エディタでの編集を待っています…"_s);
    auto* finishButton = window.findChild<QPushButton*>(u"cmdFinishEdit"_s);
    ASSERT_NE(finishButton, nullptr);
    EXPECT_EQ(finishButton->text(), u"編集を終了"_s);
    EXPECT_FALSE(window.isModal());

    // The running instance saves later: taken back, and the pass goes on.
    ASSERT_TRUE(QTest::qWaitFor([&] { return taken.size() == 1; }, 5000));
    EXPECT_EQ(taken[0], u"元後で保存"_s);
    EXPECT_FALSE(outcome.has_value());
    EXPECT_TRUE(QFileInfo::exists(pass.filePath()));

    // A second save, by writing a new file over the old one, comes back too.
    writeBytes(pass.filePath() + u".new"_s, u"書き直し"_s.toUtf8());
    QFile::remove(pass.filePath());
    QFile::rename(pass.filePath() + u".new"_s, pass.filePath());
    ASSERT_TRUE(QTest::qWaitFor([&] { return taken.size() == 2; }, 5000));
    EXPECT_EQ(taken[1], u"書き直し"_s);

    QTest::mouseClick(finishButton, Qt::LeftButton);
    ASSERT_TRUE(outcome.has_value());
    EXPECT_EQ(*outcome, EditorPass::Outcome::TakenBack);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(QFileInfo::exists(pass.filePath()));
    EXPECT_EQ(taken.size(), 2);
    EXPECT_TRUE(m_prompt.shown.isEmpty());
}

TEST_F(EditorPassTest, FinishTakesBackASaveNotYetSeen)
{
    m_env.set("FAKE_EDITOR_MODE", u"handover"_s);
    m_env.set("FAKE_EDITOR_DELAY", u"30"_s);
    EditorPass pass(m_prompt);
    pass.setPollIntervalMs(60000);
    EditorWaitWindow window(pass);
    QStringList taken;
    QObject::connect(&pass, &EditorPass::textTaken, [&](const QString& text) { taken.append(text); });

    ASSERT_TRUE(pass.start(request(1, FakeEditor, u"a"_s)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return pass.isWaitingForSaves(); }, 5000));
    {
        QFile file(pass.filePath());
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write("b");
    }
    // Closing the window ends the pass as the button does, with the last save.
    window.close();
    EXPECT_FALSE(pass.isRunning());
    EXPECT_EQ(taken.value(taken.size() - 1), u"ab"_s);
    EXPECT_EQ(pass.outcome(), EditorPass::Outcome::TakenBack);
}

TEST_F(EditorPassTest, FileThatCannotBeReadBackIsKeptAndReported)
{
    m_env.set("FAKE_EDITOR_MODE", u"unreadable"_s);

    EXPECT_EQ(run(request(1, FakeEditor)), EditorPass::Outcome::FileKept);
    EXPECT_EQ(
        m_prompt.messageTexts(),
        QStringList{
            u"外部エディタで編集したファイルを読み込めませんでした。ファイルは次の場所に残してあります。\r\n"_s +
            m_file});
    EXPECT_EQ(m_prompt.shown.value(0).icon, PromptIcon::Critical);
    EXPECT_TRUE(m_taken.isEmpty());
    EXPECT_TRUE(QFileInfo(m_file).isSymLink());
}

TEST(EditorCommandTest, ExecLineFieldCodesAndQuoting)
{
    const QString file = u"/tmp/q/1_a b.txt"_s;
    struct Case
    {
        QString exec;
        QString program;
        QStringList arguments;
    };
    const Case cases[] = {
        {u"gedit %U"_s, u"gedit"_s, {file}},
        {u"kate -b %f"_s, u"kate"_s, {u"-b"_s, file}},
        {u"mousepad"_s, u"mousepad"_s, {file}}, // no place named: the file goes last
        {u"\"/opt/my editor/ed\" --name=\"a \\\"b\\\"\" %F"_s,
         u"/opt/my editor/ed"_s,
         {u"--name=a \"b\""_s, file}},
        {u"ed %i %c %k --x=100%% %u"_s, u"ed"_s, {u"--x=100%"_s, file}},
        {u"ed --file=%f"_s, u"ed"_s, {u"--file="_s + file}},
    };
    for (const Case& c : cases) {
        const auto command = EditorCommand::fromExecLine(c.exec, file);
        ASSERT_TRUE(command.has_value()) << c.exec.toStdString();
        EXPECT_EQ(command->program, c.program) << c.exec.toStdString();
        EXPECT_EQ(command->arguments, c.arguments) << c.exec.toStdString();
    }
    EXPECT_FALSE(EditorCommand::fromExecLine(u"  "_s, file).has_value());
    EXPECT_FALSE(EditorCommand::fromConfiguredPath(u"/no/such/editor --wait"_s, file).has_value());
}

} // namespace
