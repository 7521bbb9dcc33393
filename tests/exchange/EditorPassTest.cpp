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

#include <functional>
#include <map>
#include <sys/stat.h>

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

// The permission bits of a file or folder, as stat(2) gives them.
mode_t modeOf(const QString& path)
{
    struct stat st{};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : mode_t(-1);
}

// Sets the process's umask for one test and puts the old one back.
class Umask
{
public:
    explicit Umask(mode_t mask) : m_old(::umask(mask)) {}
    ~Umask() { ::umask(m_old); }

private:
    mode_t m_old;
};

void copyExecutable(const QString& from, const QString& to)
{
    QDir().mkpath(QFileInfo(to).absolutePath());
    QFile::remove(to);
    ASSERT_TRUE(QFile::copy(from, to));
    QFile::setPermissions(to, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// A prompt that does something while its question is open, as a real dialog
// runs the event loop meanwhile; it records and answers through a scripted one.
class BusyPrompt final : public Prompt
{
public:
    ScriptedPrompt script;
    std::function<void()> whileAsking;

    PromptAnswer message(const PromptMessage& m) override
    {
        if (m.buttons != PromptButtons::Ok && whileAsking)
            whileAsking();
        return script.message(m);
    }
    std::optional<QString> inputText(const QString& t, const QString& l, const QString& i) override
    {
        return script.inputText(t, l, i);
    }
    QString password(const QString& c, const QString& l) override { return script.password(c, l); }
    QString openFile(const FileDialogRequest& r) override { return script.openFile(r); }
    QStringList openFiles(const FileDialogRequest& r) override { return script.openFiles(r); }
    QString saveFile(const FileDialogRequest& r) override { return script.saveFile(r); }
    QString chooseFolder(const FileDialogRequest& r) override { return script.chooseFolder(r); }
    std::optional<quint32> chooseColour(quint32 i) override { return script.chooseColour(i); }
    QString chooseTags(const QString& i, const QStringList& n) override { return script.chooseTags(i, n); }
    std::optional<SearchRequest> chooseSearch(const SearchRequest& i, const QStringList& t) override
    {
        return script.chooseSearch(i, t);
    }
};

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

    // Runs a pass to its end and gathers what it took back. A pass that waits
    // for saves is ended as the wait window's "編集を終了" does.
    EditorPass::Outcome run(const EditorPass::Request& r)
    {
        EditorPass pass(m_prompt);
        QObject::connect(&pass, &EditorPass::textTaken,
                         [this](const QString& text) { m_taken.append(text); });
        QObject::connect(&pass, &EditorPass::waitingForSaves, &pass, [this, &pass] {
            m_waited = true;
            QTimer::singleShot(0, &pass, &EditorPass::finishWaiting);
        });
        const EditorPass::Outcome outcome = pass.exec(r);
        m_file = pass.filePath();
        return outcome;
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

TEST_F(EditorPassTest, TemporaryFileAndFolderAreTheOwnersOnlyWhateverTheUmask)
{
    // The memo may be password-protected; its text must not be open to others,
    // not even between the file's creation and a later chmod.
    const Umask open(0);
    m_env.set("FAKE_EDITOR_MODE", u"append"_s);
    m_env.set("FAKE_EDITOR_STAT", path(u"mode.log"_s));
    run(request(1, FakeEditor));
    EXPECT_EQ(readBytes(path(u"mode.log"_s)).trimmed(), QByteArray("600"));
    EXPECT_EQ(modeOf(path(u"tmp"_s)), mode_t(0700));

    // The file as created, before anything else could change its mode.
    const QString created = EditorPass::writeNewPrivateFile(path(u"made/here/1_a.txt"_s), "text");
    ASSERT_EQ(created, path(u"made/here/1_a.txt"_s));
    EXPECT_EQ(modeOf(created), mode_t(0600));
    EXPECT_EQ(modeOf(path(u"made/here"_s)), mode_t(0700));
    EXPECT_EQ(modeOf(path(u"made"_s)), mode_t(0700));
    EXPECT_EQ(readBytes(created), QByteArray("text"));
}

TEST_F(EditorPassTest, TwoPassesOfNewMemosAtOnceEachKeepTheirOwnFile)
{
    m_env.set("FAKE_EDITOR_MODE", u"appendwait"_s);
    m_env.set("FAKE_EDITOR_STOP", path(u"stop"_s));
    struct Pass
    {
        QString text;
        QString appended;
        std::unique_ptr<EditorPass> pass;
        QStringList taken;
        std::optional<EditorPass::Outcome> outcome;
    };
    Pass passes[] = {{u"一つ目\r\n"_s, u"+a"_s, {}, {}, {}}, {u"二つ目\r\n"_s, u"+b"_s, {}, {}, {}}};
    for (Pass& p : passes) {
        p.pass = std::make_unique<EditorPass>(m_prompt);
        QObject::connect(p.pass.get(), &EditorPass::textTaken, [&p](const QString& text) { p.taken.append(text); });
        QObject::connect(p.pass.get(), &EditorPass::finished, [&p](EditorPass::Outcome o) { p.outcome = o; });
        // Each editor process takes the environment as it is when it starts.
        m_env.set("FAKE_EDITOR_TEXT", p.appended);
        EditorPass::Request r = request(1, FakeEditor, p.text);
        r.recordId = -1;
        r.title = QString();
        ASSERT_TRUE(p.pass->start(r));
        ASSERT_TRUE(QTest::qWaitFor([&] { return readBytes(p.pass->filePath()).endsWith(p.appended.toUtf8()); }, 5000));
    }
    EXPECT_EQ(passes[0].pass->filePath(), path(u"tmp/-1_.txt"_s));
    EXPECT_EQ(passes[1].pass->filePath(), path(u"tmp/-1_ (2).txt"_s));

    writeBytes(path(u"stop"_s), "");
    for (Pass& p : passes) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return p.outcome.has_value(); }, 10000));
        EXPECT_EQ(*p.outcome, EditorPass::Outcome::TakenBack);
        EXPECT_EQ(p.taken, QStringList{p.text + p.appended});
        EXPECT_FALSE(QFileInfo::exists(p.pass->filePath()));
    }
    EXPECT_TRUE(m_prompt.shown.isEmpty());
}

TEST_F(EditorPassTest, FileLeftByAnEarlierPassIsNeverReplaced)
{
    // A file kept from an earlier pass may hold the only copy of its edits.
    const QByteArray kept("kept edits\r\n");
    writeBytes(path(u"tmp/42_買い物.txt"_s), kept);
    m_env.set("FAKE_EDITOR_MODE", u"append"_s);
    m_env.set("FAKE_EDITOR_TEXT", u"!"_s);

    EXPECT_EQ(run(request(1, FakeEditor, u"新"_s)), EditorPass::Outcome::TakenBack);
    EXPECT_EQ(m_file, path(u"tmp/42_買い物 (2).txt"_s));
    EXPECT_EQ(arguments(), QStringList{m_file});
    EXPECT_EQ(m_taken, QStringList{u"新!"_s});
    EXPECT_EQ(readBytes(path(u"tmp/42_買い物.txt"_s)), kept);

    // A numbered name stays within the file-name limit: the title gives way.
    const QString longWanted = EditorPass::tempFilePath(path(u"tmp/"_s), 7, QString(200, u'あ'));
    writeBytes(longWanted, kept);
    const QString numbered = EditorPass::writeNewPrivateFile(longWanted, "x");
    ASSERT_FALSE(numbered.isEmpty());
    EXPECT_TRUE(numbered.endsWith(u"あ (2).txt"_s)) << numbered.toStdString();
    EXPECT_LE(QFileInfo(numbered).fileName().toUtf8().size(), 255);
    EXPECT_EQ(readBytes(numbered), QByteArray("x"));
    EXPECT_EQ(readBytes(longWanted), kept);
}

TEST_F(EditorPassTest, Cp932FileIsDecoded)
{
    writeBytes(path(u"cp932.txt"_s), QByteArray("\x93\xFA\x96\x7B\x8C\xEA\r\n\xB1"));
    m_env.set("FAKE_EDITOR_MODE", u"replace"_s);
    m_env.set("FAKE_EDITOR_SOURCE", path(u"cp932.txt"_s));

    EXPECT_EQ(run(request(1, FakeEditor)), EditorPass::Outcome::TakenBack);
    EXPECT_EQ(m_taken, QStringList{u"日本語\r\nｱ"_s});
}

TEST_F(EditorPassTest, Utf16FileWithByteOrderMarkComesBackWhole)
{
    // Japanese, a character outside the BMP, CR LF and a lone LF, and a
    // U+FEFF of the text itself right after the mark.
    const QString text = u"\uFEFF日本語\r\n二行目 🍙\n三行目\r\n"_s;
    QByteArray littleEndian("\xFF\xFE");
    QByteArray bigEndian("\xFE\xFF");
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        littleEndian.append(char(u & 0xFF)).append(char(u >> 8));
        bigEndian.append(char(u >> 8)).append(char(u & 0xFF));
    }
    for (const auto& [name, bytes] : {std::pair{"LE", littleEndian}, std::pair{"BE", bigEndian}}) {
        writeBytes(path(u"utf16.txt"_s), bytes);
        m_env.set("FAKE_EDITOR_MODE", u"replace"_s);
        m_env.set("FAKE_EDITOR_SOURCE", path(u"utf16.txt"_s));
        m_taken.clear();
        EXPECT_EQ(run(request(1, FakeEditor)), EditorPass::Outcome::TakenBack) << name;
        ASSERT_EQ(m_taken.size(), 1) << name;
        EXPECT_EQ(m_taken[0].toUtf8(), text.toUtf8()) << name;
        EXPECT_FALSE(QFileInfo::exists(m_file)) << name;
    }
    EXPECT_TRUE(m_prompt.shown.isEmpty());
}

TEST_F(EditorPassTest, TextWithNulIsRefusedAndTheFileKept)
{
    // Cut at the NUL, the memo would lose everything after it.
    const QByteArray withNul[] = {
        QByteArray("before\0after", 12),
        QByteArray("\x93\xFA\x96\x7B\0\x8C\xEA", 7),       // CP932
        QByteArray("\xFF\xFE" "a\0\0\0b\0", 8),              // UTF-16 LE holding U+0000
        QByteArray("\xFF\xFE\0\0" "a\0\0\0", 8),            // UTF-32 LE, read as UTF-16
    };
    for (const QByteArray& bytes : withNul) {
        writeBytes(path(u"nul.txt"_s), bytes);
        m_env.set("FAKE_EDITOR_MODE", u"replace"_s);
        m_env.set("FAKE_EDITOR_SOURCE", path(u"nul.txt"_s));
        m_taken.clear();
        m_prompt.shown.clear();
        EXPECT_EQ(run(request(1, FakeEditor)), EditorPass::Outcome::FileKept) << bytes.toHex().toStdString();
        EXPECT_TRUE(m_taken.isEmpty()) << bytes.toHex().toStdString();
        EXPECT_EQ(readBytes(m_file), bytes) << bytes.toHex().toStdString();
        EXPECT_EQ(m_prompt.messageTexts(),
                  QStringList{u"外部エディタで編集したファイルを読み込めませんでした。"
                              u"ファイルは次の場所に残してあります。\r\n"_s +
                              m_file});
        QFile::remove(m_file);
    }
}

TEST_F(EditorPassTest, FileOverTenMegabytesIsTakenOnlyWhenTheUserSaysSo)
{
    // 11 MB of text; the editor puts it in place of the memo.
    QByteArray big;
    big.reserve(11 * 1024 * 1024);
    while (big.size() < 11 * 1024 * 1024)
        big.append("0123456789abcdef\r\n");
    big.truncate(11 * 1024 * 1024);
    writeBytes(path(u"big.txt"_s), big);
    m_env.set("FAKE_EDITOR_MODE", u"replace"_s);
    m_env.set("FAKE_EDITOR_SOURCE", path(u"big.txt"_s));
    const auto question = [](const QString& file) {
        return u"外部エディタで編集したファイルは 11.0 MB あります。メモに取り込みますか？\r\n"
               u"取り込まない場合、ファイルは次の場所に残します。\r\n"_s +
               file;
    };

    m_prompt.answers = {PromptAnswer::No};
    EXPECT_EQ(run(request(1, FakeEditor)), EditorPass::Outcome::FileKept);
    EXPECT_TRUE(m_taken.isEmpty());
    EXPECT_EQ(m_prompt.messageTexts(), QStringList{question(m_file)});
    EXPECT_EQ(m_prompt.shown.value(0).buttons, PromptButtons::YesNo);
    EXPECT_EQ(readBytes(m_file), big);
    const QString declined = m_file;

    m_prompt.shown.clear();
    m_prompt.answers = {PromptAnswer::Yes};
    EXPECT_EQ(run(request(1, FakeEditor)), EditorPass::Outcome::TakenBack);
    EXPECT_NE(m_file, declined); // the kept file is not reused
    EXPECT_EQ(m_prompt.messageTexts(), QStringList{question(m_file)});
    ASSERT_EQ(m_taken.size(), 1);
    EXPECT_EQ(m_taken[0].toUtf8(), big);
    EXPECT_FALSE(QFileInfo::exists(m_file));
    EXPECT_EQ(readBytes(declined), big);
}

TEST_F(EditorPassTest, UnchangedOrDeletedFileGivesNothingBack)
{
    struct Case
    {
        QString mode;
        bool waits; // an unchanged file may be a hand-over; a deleted one ends the pass
    };
    for (const Case& c : {Case{u"unchanged"_s, true}, Case{u"delete"_s, false}}) {
        m_env.set("FAKE_EDITOR_MODE", c.mode);
        m_taken.clear();
        m_waited = false;
        EXPECT_EQ(run(request(1, FakeEditor)), EditorPass::Outcome::Unchanged) << c.mode.toStdString();
        EXPECT_EQ(m_waited, c.waits) << c.mode.toStdString();
        EXPECT_TRUE(m_taken.isEmpty()) << c.mode.toStdString();
        EXPECT_FALSE(QFileInfo::exists(m_file)) << c.mode.toStdString();
    }
    EXPECT_TRUE(m_prompt.shown.isEmpty());
}

TEST_F(EditorPassTest, InterfaceStaysLiveWhileTheEditorRuns)
{
    m_env.set("FAKE_EDITOR_MODE", u"unchanged"_s);
    m_env.set("FAKE_EDITOR_DELAY", u"0.6"_s);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(20);

    EXPECT_EQ(run(request(1, FakeEditor)), EditorPass::Outcome::Unchanged);
    EXPECT_GE(ticks, 10);
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

TEST_F(EditorPassTest, SlowHandOverIsWaitedForAndItsSaveComesBack)
{
    // The launcher takes longer than two seconds to hand the file over and
    // ends with it unchanged; the running instance saves later.
    m_env.set("FAKE_EDITOR_MODE", u"handover"_s);
    m_env.set("FAKE_EDITOR_LINGER", u"2.3"_s);
    m_env.set("FAKE_EDITOR_DELAY", u"3"_s);
    m_env.set("FAKE_EDITOR_TEXT", u"遅い保存"_s);

    EditorPass pass(m_prompt);
    pass.setPollIntervalMs(100);
    QStringList taken;
    std::optional<EditorPass::Outcome> outcome;
    QObject::connect(&pass, &EditorPass::textTaken, [&](const QString& text) { taken.append(text); });
    QObject::connect(&pass, &EditorPass::finished, [&](EditorPass::Outcome o) { outcome = o; });
    ASSERT_TRUE(pass.start(request(1, FakeEditor, u"元"_s)));

    ASSERT_TRUE(QTest::qWaitFor([&] { return pass.isWaitingForSaves() || outcome; }, 10000));
    EXPECT_FALSE(outcome.has_value());
    EXPECT_TRUE(QFileInfo::exists(pass.filePath()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !taken.isEmpty(); }, 10000));
    EXPECT_EQ(taken, QStringList{u"元遅い保存"_s});

    pass.finishWaiting();
    ASSERT_TRUE(outcome.has_value());
    EXPECT_EQ(*outcome, EditorPass::Outcome::TakenBack);
    EXPECT_FALSE(QFileInfo::exists(pass.filePath()));
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

TEST_F(EditorPassTest, EndingThePassWhileItsQuestionIsOpen)
{
    // While the question about a large save is open, the wait window is
    // closed (the pass ends after this save is taken) or the program must end
    // (nothing more is taken, the file stays).
    struct Case
    {
        const char* name;
        bool abandon;
        EditorPass::Outcome outcome;
        QStringList events;
        bool fileStays;
    };
    const Case cases[] = {
        {"finish", false, EditorPass::Outcome::TakenBack, {u"taken"_s, u"finished"_s}, false},
        {"abandon", true, EditorPass::Outcome::Abandoned, {u"finished"_s}, true},
    };
    const QByteArray big(EditorPass::LargeFileBytes + 1, 'x');
    m_env.set("FAKE_EDITOR_MODE", u"handover"_s);
    m_env.set("FAKE_EDITOR_DELAY", u"30"_s);
    for (const Case& c : cases) {
        BusyPrompt prompt;
        EditorPass pass(prompt);
        pass.setPollIntervalMs(20);
        QStringList events;
        QObject::connect(&pass, &EditorPass::textTaken, [&](const QString&) { events.append(u"taken"_s); });
        QObject::connect(&pass, &EditorPass::finished, [&](EditorPass::Outcome) { events.append(u"finished"_s); });
        prompt.whileAsking = [&] {
            if (c.abandon)
                pass.abandon();
            else
                pass.finishWaiting();
            QTest::qWait(100); // the poll comes round meanwhile
        };
        prompt.script.answers = {PromptAnswer::Yes};

        ASSERT_TRUE(pass.start(request(1, FakeEditor, u"a"_s))) << c.name;
        ASSERT_TRUE(QTest::qWaitFor([&] { return pass.isWaitingForSaves(); }, 5000)) << c.name;
        writeBytes(pass.filePath(), big);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !pass.isRunning(); }, 5000)) << c.name;

        EXPECT_EQ(prompt.script.shown.size(), 1) << c.name; // asked once
        EXPECT_EQ(pass.outcome(), c.outcome) << c.name;
        EXPECT_EQ(events, c.events) << c.name;
        EXPECT_EQ(QFileInfo::exists(pass.filePath()), c.fileStays) << c.name;
        QFile::remove(pass.filePath());
    }
}

TEST_F(EditorPassTest, FileNameIsNeverShellCodeForADesktopEntry)
{
    // A desktop entry that puts the file into a shell script would run a
    // title's command substitutions; Quillet refuses to start it.
    writeBytes(path(u"config/mimeapps.list"_s), "[Default Applications]\ntext/plain=quillet-sh.desktop;\n");
    writeBytes(path(u"data/applications/quillet-sh.desktop"_s),
               "[Desktop Entry]\nType=Application\nName=Shell\n"
               "Exec=sh -c \"cd '" + m_dir.path().toUtf8() + "' && touch ran && cat %f >/dev/null\"\n");
    EditorPass::Request r = request(0, QString());
    r.title = u"$(touch X)`touch Y`"_s;

    EXPECT_EQ(run(r), EditorPass::Outcome::StartFailed);
    EXPECT_EQ(m_prompt.messageTexts(), QStringList{u"外部エディタを開くのに失敗しました。"_s});
    EXPECT_FALSE(QFileInfo::exists(path(u"X"_s)));
    EXPECT_FALSE(QFileInfo::exists(path(u"Y"_s)));
    EXPECT_FALSE(QFileInfo::exists(path(u"ran"_s)));
    EXPECT_TRUE(m_taken.isEmpty());
}

// A stand-in terminal: logs its name and arguments, then runs the command
// after its option, in its own process (as xterm does) or, when
// TERMINAL_HANDS_OVER is set, in the background a little later while it
// exits at once (as gnome-terminal's client hands the window to its server).
const QByteArray StandInTerminal = R"(#!/bin/sh
PATH=/usr/bin:/bin
export PATH
{ basename "$0"; printf '%s\n' "$@"; } > "$TERMINAL_LOG"
case "$1" in -e|-x|--) shift ;; esac
if [ -n "$TERMINAL_HANDS_OVER" ]; then
    (sleep 0.5; exec "$@") </dev/null >/dev/null 2>&1 &
    exit 0
fi
exec "$@"
)";

class TerminalEditorTest : public EditorPassTest
{
protected:
    void SetUp() override
    {
        EditorPassTest::SetUp();
        // Only the stand-in terminals are on PATH.
        QDir().mkpath(path(u"bin"_s));
        m_env.set("PATH", path(u"bin"_s));
        m_env.set("TERMINAL_LOG", path(u"terminal.log"_s));
        m_env.set("FAKE_EDITOR_MODE", u"append"_s);
        m_env.set("FAKE_EDITOR_TEXT", u"端末で追記"_s);
        writeBytes(path(u"config/mimeapps.list"_s),
                   "[Default Applications]\ntext/plain=quillet-vi.desktop;\n");
        writeBytes(path(u"data/applications/quillet-vi.desktop"_s),
                   "[Desktop Entry]\nType=Application\nName=Vi\nTerminal=true\nExec=\"" +
                       FakeEditor.toUtf8() + "\" --in-terminal %F\n");
    }
    void installTerminal(const QString& name)
    {
        writeBytes(path(u"bin/"_s + name), StandInTerminal);
        QFile::setPermissions(path(u"bin/"_s + name),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    QStringList terminalLog() const
    {
        return QString::fromUtf8(readBytes(path(u"terminal.log"_s))).split(u'\n', Qt::SkipEmptyParts);
    }
};

// The desktop's text editor runs in a terminal (vim, nano): in the terminal
// the desktop names, else Debian's x-terminal-emulator; the pass waits for it.
TEST_F(TerminalEditorTest, TerminalEditorRunsInTheDesktopsTerminal)
{
    const struct
    {
        QStringList installed;
        QStringList startedWith; // the terminal's name and options before the editor
    } cases[] = {
        {{u"x-terminal-emulator"_s}, {u"x-terminal-emulator"_s, u"-e"_s}},
        {{u"x-terminal-emulator"_s, u"xdg-terminal-exec"_s}, {u"xdg-terminal-exec"_s}},
        {{u"xterm"_s}, {u"xterm"_s, u"-e"_s}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.installed.join(u' ').toStdString());
        QDir(path(u"bin"_s)).removeRecursively();
        for (const QString& name : c.installed)
            installTerminal(name);
        m_taken.clear();
        m_waited = false;
        EXPECT_EQ(run(request(0, QString())), EditorPass::Outcome::TakenBack);
        EXPECT_EQ(terminalLog(), (c.startedWith + QStringList{FakeEditor, u"--in-terminal"_s, m_file}));
        EXPECT_EQ(m_taken, QStringList{u"一行目\r\n二行目端末で追記"_s});
        EXPECT_FALSE(m_waited);
    }
    EXPECT_TRUE(m_prompt.shown.isEmpty());
}

// A terminal that hands its window to a running server ends at once with the
// file unchanged: the pass waits for the editor's saves and keeps them.
TEST_F(TerminalEditorTest, TerminalThatExitsAtOnceStillGivesTheSaveBack)
{
    installTerminal(u"x-terminal-emulator"_s);
    m_env.set("TERMINAL_HANDS_OVER", u"1"_s);
    EditorPass pass(m_prompt);
    pass.setPollIntervalMs(100);
    QStringList taken;
    QObject::connect(&pass, &EditorPass::textTaken, [&](const QString& text) { taken.append(text); });

    ASSERT_TRUE(pass.start(request(0, QString(), u"元"_s)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return pass.isWaitingForSaves(); }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !taken.isEmpty(); }, 10000));
    EXPECT_EQ(taken, QStringList{u"元端末で追記"_s});
    pass.finishWaiting();
    EXPECT_EQ(pass.outcome(), EditorPass::Outcome::TakenBack);
    EXPECT_FALSE(QFileInfo::exists(pass.filePath()));
    EXPECT_TRUE(m_prompt.shown.isEmpty());
}

// Without any terminal the editor would run unseen: it is not started, and
// the user is told that the editor could not be opened.
TEST_F(TerminalEditorTest, NoTerminalMeansTheEditorIsNotStarted)
{
    EXPECT_EQ(run(request(0, QString())), EditorPass::Outcome::StartFailed);
    EXPECT_EQ(m_prompt.messageTexts(), QStringList{u"外部エディタを開くのに失敗しました。"_s});
    EXPECT_FALSE(QFileInfo::exists(path(u"args.log"_s)));
    EXPECT_FALSE(QFileInfo::exists(m_file));
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
        // Quotes around the field code alone change nothing.
        {u"ed \"%f\""_s, u"ed"_s, {file}},
        {u"sh -c \"printf 100%%\""_s, u"sh"_s, {u"-c"_s, u"printf 100%"_s, file}},
    };
    for (const Case& c : cases) {
        const auto command = EditorCommand::fromExecLine(c.exec, file);
        ASSERT_TRUE(command.has_value()) << c.exec.toStdString();
        EXPECT_EQ(command->program, c.program) << c.exec.toStdString();
        EXPECT_EQ(command->arguments, c.arguments) << c.exec.toStdString();
    }
    EXPECT_FALSE(EditorCommand::fromExecLine(u"  "_s, file).has_value());
    // The file inside a longer quoted argument: forbidden for desktop entries.
    for (const QString& exec : {u"sh -c \"ed %f\""_s, u"ed \"--file=%U\""_s, u"sh -c \"ed \"%u"_s})
        EXPECT_FALSE(EditorCommand::fromExecLine(exec, file).has_value()) << exec.toStdString();
    EXPECT_FALSE(EditorCommand::fromConfiguredPath(u"/no/such/editor --wait"_s, file).has_value());
}

} // namespace
