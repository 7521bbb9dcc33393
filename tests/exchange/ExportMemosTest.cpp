// The export run: placeholders, file names, the four filters, the closing
// report, files that cannot be written, the round trip through a shipped
// definition, and the selection written into one file.
#include "exchange/ExportMemos.h"
#include "FixedClock.h"
#include "MemoFixtures.h"
#include "QtPrinters.h"
#include "ScriptedPrompt.h"
#include "StoreFixture.h"
#include "app/Settings.h"
#include "app/SettingsFile.h"
#include "exchange/ExportDefinition.h"
#include "exchange/MakeSafeFilePath.h"
#include "exchange/ReadFileText.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using namespace Qt::Literals::StringLiterals;

const QString kHead = u":Quillet Export Definition File\r\n:1\r\n:START\r\n"_s;
const QString kDay = u"2006/01/02 09:30:00"_s;

QByteArray expanded(const QByteArray& text, const ExportMemoRow& row, const ExportContext& context,
                    bool isFileName)
{
    QByteArray result = text;
    ExpandPlaceholders(result, row, context, isFileName);
    return result;
}

ExportContext contextAt(const QDateTime& now)
{
    ExportContext context;
    context.userId = "alice";
    context.setNow(now);
    return context;
}

TEST(ExpandPlaceholdersTest, EveryPlaceholderEveryOccurrenceCaseSensitive)
{
    const QByteArray title = u"題名"_s.toUtf8();
    const QByteArray body = u"本文\r\n二行目"_s.toUtf8();
    const QByteArray day = kDay.toUtf8();
    const ExportMemoRow row{7, title, body, day, "a b"};
    const ExportContext context = contextAt(QDateTime(QDate(2026, 12, 10), QTime(8, 5, 3)));
    EXPECT_EQ(
        QString::fromUtf8(expanded("[!USER_ID]|[!ID]|[!TITLE]|[!MEMO]|[!DAY]|[!CATEGORY]|[!NOW_TIME]|"
                                   "[!NOW_DAY]|[!ID][!ID]|[!title]|[!FOO]|[![!ID]|[!",
                                   row, context, false)),
        u"alice|7|題名|本文\r\n二行目|2006/01/02 09:30:00|a b|08:05:03|2026/12/10|77|[!title]|[!FOO]|[!7|[!"_s);
    // Null columns read as empty text.
    const ExportMemoRow nulls{3, {}, {}, {}, {}};
    EXPECT_EQ(expanded("<[!TITLE]|[!MEMO]|[!DAY]|[!CATEGORY]>", nulls, context, false), "<|||>");
}

TEST(ExpandPlaceholdersTest, ValuesPutInAreWrittenAsTheyStand)
{
    // A memo about templates keeps its own text: nothing put in is expanded again.
    const QByteArray title = "[!MEMO]";
    const QByteArray body = "[!DAY] [!CATEGORY] [!NOW_TIME] [!NOW_DAY] [!USER_ID]";
    const QByteArray category = "[!NOW_DAY]";
    const ExportMemoRow row{7, title, body, "2006/01/02 09:30:00", category};
    const ExportContext context = contextAt(QDateTime(QDate(2026, 12, 10), QTime(8, 5, 3)));
    EXPECT_EQ(expanded("[!TITLE]|[!MEMO]|[!CATEGORY]", row, context, false),
              title + '|' + body + '|' + category);
}

TEST(ExpandPlaceholdersTest, FileNamesTurnColonsAndSlashesIntoHyphens)
{
    struct Case
    {
        QString nameTemplate;
        QString title;
        QString category;
        QString expected;
    };
    const Case cases[] = {
        {u"[!ID]_[!TITLE]"_s, u"a/b:c?"_s, {}, u"7_a-b-c.txt"_s},
        {u"[!DAY]"_s, {}, {}, u"2006-01-02 09-30-00.txt"_s},
        {u"[!NOW_DAY]_[!NOW_TIME]"_s, {}, {}, u"2026-12-10_08-05-03.txt"_s},
        {u"[!TITLE]"_s, u"tab\there\r\nline\\x"_s, {}, u"tabherelinex.txt"_s},
        {u"[!CATEGORY]"_s, {}, u"x/y z"_s, u"x-y z.txt"_s},
        {u"[!TITLE]"_s, u"v1.2 <draft>|*"_s, {}, u"v1.2 draft.txt"_s},
        {u"[!USER_ID]-[!ID]"_s, {}, {}, u"alice-7.txt"_s},
    };
    const ExportContext context = contextAt(QDateTime(QDate(2026, 12, 10), QTime(8, 5, 3)));
    for (const Case& c : cases) {
        const QByteArray title = c.title.toUtf8();
        const QByteArray category = c.category.toUtf8();
        const ExportMemoRow row{7, title, "body", "2006/01/02 09:30:00", category};
        const QString name = QString::fromUtf8(expanded(c.nameTemplate.toUtf8(), row, context, true));
        EXPECT_EQ(MakeSafeFilePath(u"/tmp/out/"_s, name + u".txt"_s), u"/tmp/out/"_s + c.expected)
            << c.nameTemplate.toStdString();
    }
}

class ExportMemosTest : public StoreFixture
{
protected:
    ScriptedPrompt prompt;
    FixedClock clock;
    QTemporaryDir out;

    QString outDir() const { return out.path() + u'/'; }
    QString iniPath() const { return home.file(u"quillet_default.ini"_s); }

    QString writeDefinition(const QString& name, const QString& lines)
    {
        const QString path = home.file(name + u".ted"_s);
        MemoFixtures::writeText(path, kHead + lines);
        return path;
    }
    qint64 add(const QString& title, const QString& body, const QString& tags = {})
    {
        return store->insertMemo(title, body, tags, kDay);
    }
    ExportOutcome run(const QString& definitionPath, const QString& nameTemplate = u"[!ID]_[!TITLE]"_s,
                      bool trash = false, bool locked = false, const QString& folder = {})
    {
        ExportRequest request;
        request.folder = folder.isEmpty() ? out.path() : folder;
        request.definitionPath = definitionPath;
        request.fileNameTemplate = nameTemplate;
        request.includeTrash = trash;
        request.includeLocked = locked;
        request.dbPath = dbPath;
        request.iniFilePath = iniPath();
        request.userId = u"default"_s;
        return ExportMemos(request, prompt, clock);
    }
    QStringList writtenFiles(const QString& folder = {}) const
    {
        return QDir(folder.isEmpty() ? out.path() : folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    QByteArray bytesOf(const QString& name) const { return MemoFixtures::readBytes(outDir() + name); }
};

TEST_F(ExportMemosTest, TemplateLinesEachEndedByCrLfAndTheReport)
{
    const qint64 id = add(u"T"_s, u"body"_s);
    const QString definition =
        writeDefinition(u"lines"_s, u"[!TITLE], [!DAY]\r\n\"[!TITLE], [!DAY]\"\r\n\r\n[!NOW_TIME]\r\n"_s);
    const ExportOutcome outcome = run(definition);
    EXPECT_EQ(outcome.written, 1);
    EXPECT_TRUE(outcome.failures.empty());
    const QString name = QString::number(id) + u"_T.txt"_s;
    EXPECT_EQ(writtenFiles(), QStringList{name});
    // The time keeps its colons in the contents.
    EXPECT_EQ(bytesOf(name), "T\r\n2006/01/02 09:30:00\r\nT, 2006/01/02 09:30:00\r\n\r\n09:30:00\r\n");
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown[0].text, u"1件のメモをエクスポートしました。"_s);
    EXPECT_EQ(prompt.shown[0].icon, PromptIcon::Information);
    EXPECT_EQ(prompt.shown[0].title, u"Quillet"_s);
}

TEST_F(ExportMemosTest, TheFourFilters)
{
    const qint64 plain = add(u"plain"_s, u"1"_s);
    const qint64 trashed = add(u"trashed"_s, u"2"_s);
    const qint64 locked = add(u"locked"_s, u"3"_s);
    const qint64 both = add(u"both"_s, u"4"_s);
    const qint64 oldTrue = add(u"old"_s, u"5"_s);
    store->writeMemoTrash(trashed, true);
    store->writeMemoLock(locked, true);
    store->writeMemoTrash(both, true);
    store->writeMemoLock(both, true);
    // Older writers stored True as -1: still in the trash and locked.
    store.reset();
    MemoFixtures::execute(
        dbPath, qPrintable(u"UPDATE Memo SET IsTrash = -1, IsPass = -1 WHERE RecordID = %1"_s.arg(oldTrue)));
    const QString definition = writeDefinition(u"plain"_s, u"[!MEMO]"_s);

    struct Case
    {
        bool trash;
        bool locked;
        QList<qint64> ids;
    };
    const Case cases[] = {
        {false, false, {plain}},
        {true, false, {plain, trashed}},
        {false, true, {plain, locked}},
        {true, true, {plain, trashed, locked, both, oldTrue}},
    };
    for (const Case& c : cases) {
        QTemporaryDir folder;
        prompt.shown.clear();
        const ExportOutcome outcome = run(definition, u"[!ID]"_s, c.trash, c.locked, folder.path());
        QStringList expected;
        for (qint64 id : c.ids)
            expected.append(QString::number(id) + u".txt"_s);
        expected.sort();
        EXPECT_EQ(writtenFiles(folder.path()), expected) << c.trash << c.locked;
        EXPECT_EQ(outcome.written, c.ids.size());
        EXPECT_EQ(prompt.messageTexts(),
                  QStringList{QString::number(c.ids.size()) + u"件のメモをエクスポートしました。"_s});
    }
}

TEST_F(ExportMemosTest, TheFileNameTemplateIsStoredUnlessEmpty)
{
    const qint64 id = add(u"a/b:c?"_s, u"x"_s);
    const QString definition = writeDefinition(u"plain"_s, u"[!MEMO]"_s);
    const SettingsFile settings(iniPath());
    run(definition, u"[!TITLE]-[!ID]"_s);
    EXPECT_EQ(settings.read(Settings::Export::FileNameDef), u"[!TITLE]-[!ID]"_s);
    EXPECT_EQ(writtenFiles(), QStringList{u"a-b-c-"_s + QString::number(id) + u".txt"_s});

    // An empty template exports with the default and leaves the setting alone.
    QTemporaryDir second;
    run(definition, QString(), false, false, second.path());
    EXPECT_EQ(writtenFiles(second.path()), QStringList{QString::number(id) + u"_a-b-c.txt"_s});
    EXPECT_EQ(settings.read(Settings::Export::FileNameDef), u"[!TITLE]-[!ID]"_s);
}

TEST_F(ExportMemosTest, ADefinitionThatCannotBeReadExportsNothing)
{
    add(u"t"_s, u"b"_s);
    const QString broken = home.file(u"broken.ted"_s);
    MemoFixtures::writeText(broken, u":Quillet Export Definition File\r\n:0\r\n:START\r\n[!MEMO]\r\n"_s);
    // A FIFO must not block the export until something writes to it.
    const QString fifo = home.file(u"fifo.ted"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& path : {broken, home.file(u"missing.ted"_s), fifo}) {
        prompt.shown.clear();
        const ExportOutcome outcome = run(path, u"[!ID]"_s);
        EXPECT_FALSE(outcome.definitionRead);
        EXPECT_TRUE(writtenFiles().isEmpty());
        ASSERT_EQ(prompt.shown.size(), 1);
        EXPECT_EQ(prompt.shown[0].text, u"定義ファイルの読み込みに失敗しました。"_s);
        EXPECT_EQ(prompt.shown[0].icon, PromptIcon::None);
    }
    // The template was stored before the definition was read.
    EXPECT_EQ(SettingsFile(iniPath()).read(Settings::Export::FileNameDef), u"[!ID]"_s);
}

TEST_F(ExportMemosTest, LongNamesAreCutToTheTwoHundredSixtyCharacterLimit)
{
    add(QString(300, u'x'), u"long"_s);
    const QString folder = outDir() + QString(150 - out.path().size(), u'd') + u'/';
    ASSERT_TRUE(QDir().mkpath(folder));
    const ExportOutcome outcome =
        run(writeDefinition(u"plain"_s, u"[!MEMO]"_s), u"[!TITLE]"_s, false, false, folder);
    EXPECT_EQ(outcome.written, 1);
    const QStringList files = writtenFiles(folder);
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(QString(folder + files[0]).size(), 260);
    EXPECT_EQ(files[0], QString(260 - folder.size() - 4, u'x') + u".txt"_s);
    EXPECT_EQ(MemoFixtures::readBytes(folder + files[0]), "long\r\n");
}

TEST_F(ExportMemosTest, MemosWhoseNamesComeOutTheSameGetNumberedFiles)
{
    add(u"TODO"_s, u"first"_s);
    add(u"other"_s, u"other"_s);
    add(u"TODO"_s, u"second"_s);
    add(u"TODO (2)"_s, u"named like a number"_s);
    add(u"TODO"_s, u"third"_s);
    // A file that was there before the run is replaced, as always.
    MemoFixtures::writeText(outDir() + u"TODO.txt"_s, u"old"_s);

    const ExportOutcome outcome = run(writeDefinition(u"plain"_s, u"[!MEMO]"_s), u"[!TITLE]"_s);
    EXPECT_EQ(outcome.written, 5);
    EXPECT_TRUE(outcome.failures.empty());
    EXPECT_EQ(writtenFiles(), (QStringList{u"TODO (2) (2).txt"_s, u"TODO (2).txt"_s, u"TODO (3).txt"_s,
                                           u"TODO.txt"_s, u"other.txt"_s}));
    EXPECT_EQ(bytesOf(u"TODO.txt"_s), "first\r\n");
    EXPECT_EQ(bytesOf(u"TODO (2).txt"_s), "second\r\n");
    EXPECT_EQ(bytesOf(u"TODO (2) (2).txt"_s), "named like a number\r\n");
    EXPECT_EQ(bytesOf(u"TODO (3).txt"_s), "third\r\n");
    EXPECT_EQ(prompt.messageTexts(), QStringList{u"5件のメモをエクスポートしました。"_s});
}

TEST_F(ExportMemosTest, NamesThatTheLengthLimitMakesTheSameAreNumberedWithinTheLimit)
{
    const QString definition = writeDefinition(u"plain"_s, u"[!MEMO]"_s);
    // Room for six characters of base name: the number takes the place of
    // the name's end.
    add(u"Long title"_s, u"1"_s);
    add(u"Long tale"_s, u"2"_s);
    add(u"Long time"_s, u"3"_s);
    const QString roomForSix = outDir() + QString(260 - out.path().size() - 2 - 6 - 4, u'd') + u'/';
    ASSERT_TRUE(QDir().mkpath(roomForSix));
    ExportOutcome outcome = run(definition, u"[!TITLE]"_s, false, false, roomForSix);
    EXPECT_EQ(outcome.written, 3);
    EXPECT_EQ(writtenFiles(roomForSix), (QStringList{u"Lo (2).txt"_s, u"Lo (3).txt"_s, u"Long t.txt"_s}));
    EXPECT_EQ(MemoFixtures::readBytes(roomForSix + u"Lo (3).txt"_s), "3\r\n");

    // Room for one character: "10", "11" and "12" all become "1", and no
    // number fits beside it. The later memos are reported, not written over it.
    prompt.shown.clear();
    const QString roomForOne = outDir() + QString(260 - out.path().size() - 2 - 1 - 4, u'e') + u'/';
    ASSERT_TRUE(QDir().mkpath(roomForOne));
    outcome = run(definition, u"1[!ID]"_s, false, false, roomForOne);
    EXPECT_EQ(outcome.written, 1);
    EXPECT_EQ(outcome.failures.size(), 2u);
    EXPECT_EQ(writtenFiles(roomForOne), QStringList{u"1.txt"_s});
    EXPECT_EQ(MemoFixtures::readBytes(roomForOne + u"1.txt"_s), "1\r\n");
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_TRUE(prompt.shown[0].text.startsWith(
        u"1件のメモをエクスポートしました。\n2件のメモは書き込めませんでした。"_s));
}

TEST_F(ExportMemosTest, FilesThatCannotBeWrittenAreSkippedAndReported)
{
    const qint64 first = add(u"a"_s, u"1"_s);
    const qint64 blocked = add(u"b"_s, u"2"_s);
    const qint64 last = add(u"c"_s, u"3"_s);
    const QString definition = writeDefinition(u"plain"_s, u"[!MEMO]"_s);
    // A folder stands where memo b's file would go.
    const QString blockedPath = outDir() + QString::number(blocked) + u"_b.txt"_s;
    ASSERT_TRUE(QDir().mkpath(blockedPath));

    ExportOutcome outcome = run(definition);
    EXPECT_EQ(outcome.written, 2);
    ASSERT_EQ(outcome.failures.size(), 1u);
    EXPECT_EQ(outcome.failures[0].recordId, blocked);
    EXPECT_EQ(outcome.failures[0].path, blockedPath);
    EXPECT_EQ(bytesOf(QString::number(first) + u"_a.txt"_s), "1\r\n");
    EXPECT_EQ(bytesOf(QString::number(last) + u"_c.txt"_s), "3\r\n");
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown[0].icon, PromptIcon::Exclamation);
    EXPECT_EQ(prompt.shown[0].text,
              u"2件のメモをエクスポートしました。\n1件のメモは書き込めませんでした。\n\nID "_s +
                  QString::number(blocked) + u": "_s + blockedPath + u"\n("_s + outcome.failures[0].reason +
                  u")"_s);
    EXPECT_FALSE(outcome.failures[0].reason.isEmpty());

    // A folder that does not exist: every memo fails, the run ends normally.
    prompt.shown.clear();
    outcome = run(definition, u"[!ID]_[!TITLE]"_s, false, false, outDir() + u"missing"_s);
    EXPECT_EQ(outcome.written, 0);
    EXPECT_EQ(outcome.failures.size(), 3u);
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_TRUE(prompt.shown[0].text.startsWith(
        u"0件のメモをエクスポートしました。\n3件のメモは書き込めませんでした。"_s));

    // A folder so deep that no name fits in 260 characters.
    const QString deep = outDir() + QString(120, u'd') + u'/' + QString(140, u'e') + u'/';
    ASSERT_TRUE(QDir().mkpath(deep));
    outcome = run(definition, u"[!ID]_[!TITLE]"_s, false, false, deep);
    EXPECT_EQ(outcome.written, 0);
    EXPECT_EQ(outcome.failures.size(), 3u);
    EXPECT_TRUE(writtenFiles(deep).isEmpty());
}

TEST_F(ExportMemosTest, TheReportNamesTenFailuresAndCountsTheRest)
{
    for (int i = 0; i < 12; ++i)
        add(u"m"_s, u"x"_s);
    run(writeDefinition(u"plain"_s, u"[!MEMO]"_s), u"[!ID]"_s, false, false, outDir() + u"missing"_s);
    ASSERT_EQ(prompt.shown.size(), 1);
    const QString text = prompt.shown[0].text;
    EXPECT_EQ(text.count(u"\nID "_s), 10);
    EXPECT_TRUE(text.endsWith(u"\nほか2件"_s)) << text.toStdString();
}

TEST_F(ExportMemosTest, BodiesRoundTripByteForByteThroughTheShippedDefinitions)
{
    const QString bodies[] = {
        u"line1\r\nline2"_s,
        u"ends with a break\r\n"_s,
        u"lone\nLF and lone\rCR"_s,
        u"絵文字 😀、한국어、€ and ①"_s,
        u"[!DAY] looks like a placeholder [!MEMO] [!NOW_TIME]"_s,
        QString(),
        u"  blanks around \t"_s,
        u"\r\n\r\n"_s,
        u"\"quoted\", commas, and a # sign"_s,
    };
    QList<qint64> ids;
    for (const QString& body : bodies)
        ids.append(add(u"題 %1"_s.arg(ids.size()), body, u"タグ 日記"_s));
    ASSERT_EQ(ExportDefinition::installShipped(home.path()), 3);

    QTemporaryDir bodyOnly;
    run(home.file(u"本文のみ.ted"_s), u"[!ID]"_s, false, false, bodyOnly.path());
    QTemporaryDir markdown;
    run(home.file(u"Markdown.ted"_s), u"[!ID]"_s, false, false, markdown.path());
    for (qsizetype i = 0; i < ids.size(); ++i) {
        const QString name = u"/"_s + QString::number(ids[i]) + u".txt"_s;
        // The file is the body's bytes and the closing CR LF; read back, the
        // body is all but that CR LF.
        const QByteArray bytes = MemoFixtures::readBytes(bodyOnly.path() + name);
        EXPECT_EQ(bytes, bodies[i].toUtf8() + "\r\n") << i;
        const QString back = ReadFileText::read(bodyOnly.path() + name);
        ASSERT_TRUE(back.endsWith(u"\r\n"_s)) << i;
        EXPECT_EQ(back.chopped(2), bodies[i]) << i;

        const QString header = u"# 題 %1\r\n\r\n- 日付: %2\r\n- タグ: タグ 日記\r\n\r\n"_s.arg(i).arg(kDay);
        EXPECT_EQ(MemoFixtures::readBytes(markdown.path() + name), (header + bodies[i] + u"\r\n"_s).toUtf8())
            << i;
    }
}

TEST_F(ExportMemosTest, TheSelectionInOneFileInTheGivenOrder)
{
    const qint64 a = add(u"Alpha"_s, u"first\r\nline"_s);
    const qint64 b = add(u"ベータ"_s, QString());
    const qint64 c = add(u"Gamma"_s, u"third\r\n"_s);
    const QString path = outDir() + u"selection.txt"_s;
    // A longer file of that name is replaced, not extended.
    MemoFixtures::writeText(path, QString(500, u'z'));

    const TextExportResult result = ExportMemoText(dbPath, {c, a, 999, b}, path);
    EXPECT_TRUE(result.saved);
    EXPECT_EQ(result.written, 3);
    const QByteArray rule = "------------------------------------------\r\n";
    ASSERT_EQ(rule.size(), 44);
    EXPECT_EQ(MemoFixtures::readBytes(path), "TITLE : Gamma\r\n\r\nthird\r\n\r\n" + rule +
                                                 "TITLE : Alpha\r\n\r\nfirst\r\nline\r\n" + rule +
                                                 u"TITLE : ベータ\r\n\r\n\r\n"_s.toUtf8() + rule);

    // A file that cannot be written is reported and leaves nothing behind.
    const TextExportResult failed = ExportMemoText(dbPath, {a}, outDir() + u"missing/x.txt"_s);
    EXPECT_FALSE(failed.saved);
    EXPECT_FALSE(failed.error.isEmpty());
}

} // namespace
