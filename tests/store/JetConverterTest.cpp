#include "store/JetConverter.h"
#include "MemoFixtures.h"
#include "TestHome.h"
#include "app/Progress.h"
#include "store/DatabaseError.h"
#include "store/JetWorker.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

namespace {

const QString kFixtures = QStringLiteral(QUILLET_JET_FIXTURES "/");

class CancellingProgress final : public Progress
{
public:
    int cancelAfterRows = 0; // 0: never
    int rows = 0;
    QStringList explains;

    void SetProgressBar(bool, bool) override {}
    void SetTitle(const QString&) override {}
    void SetExplain(const QString& text) override { explains.append(text); }
    void SetProgressMax(int, int) override {}
    void SetProgress(int bar, int) override
    {
        if (bar == 2)
            ++rows;
    }
    void SetProgressClear(int) override {}
    bool IsCancel() const override { return cancelAfterRows > 0 && rows >= cancelAfterRows; }
};

// One value as the independent reader printed it: quoted (text), bare (a
// number or a yes/no word) or nothing (NULL).
struct ExportedValue
{
    bool quoted = false;
    QString text;
};
using ExportedRow = QList<ExportedValue>;

// mdb-export's CSV: comma between values, a line per row, text in double
// quotes with inner quotes doubled (and line breaks kept inside the quotes).
QList<ExportedRow> parseCsv(const QString& csv)
{
    QList<ExportedRow> rows;
    ExportedRow row;
    ExportedValue value;
    bool inQuotes = false;
    for (qsizetype i = 0; i < csv.size(); ++i) {
        const QChar c = csv.at(i);
        if (inQuotes) {
            if (c == QLatin1Char('"') && i + 1 < csv.size() && csv.at(i + 1) == QLatin1Char('"')) {
                value.text += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                inQuotes = false;
            } else {
                value.text += c;
            }
        } else if (c == QLatin1Char('"')) {
            inQuotes = true;
            value.quoted = true;
        } else if (c == QLatin1Char(',')) {
            row.append(value);
            value = {};
        } else if (c == QLatin1Char('\n')) {
            row.append(value);
            rows.append(row);
            row = {};
            value = {};
        } else {
            value.text += c;
        }
    }
    return rows;
}

QString mdbTool(const char* name)
{
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

QString runTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(30000)) << program.toStdString();
    EXPECT_EQ(process.exitCode(), 0) << program.toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

QStringList userTables(const QString& jetPath)
{
    return runTool(mdbTool("mdb-tables"), {QStringLiteral("-1"), jetPath})
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// What the converted table holds, value by value: the SQLite type and the text.
struct StoredValue
{
    int type = SQLITE_NULL;
    QString text;
    qint64 integer = 0;
    double real = 0;
};

struct StoredTable
{
    QStringList columns;
    QList<QList<StoredValue>> rows;
};

StoredTable readTable(const QString& path, const QString& table)
{
    StoredTable result;
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr),
              SQLITE_OK);
    const QByteArray query = QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(table).toUtf8();
    sqlite3_stmt* stmt = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, query.constData(), -1, &stmt, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    for (int i = 0; stmt && i < sqlite3_column_count(stmt); ++i)
        result.columns.append(QString::fromUtf8(sqlite3_column_name(stmt, i)));
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
        QList<StoredValue> row;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            StoredValue value;
            value.type = sqlite3_column_type(stmt, i);
            value.integer = sqlite3_column_int64(stmt, i);
            value.real = sqlite3_column_double(stmt, i);
            if (value.type == SQLITE_TEXT)
                value.text = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)),
                                               sqlite3_column_bytes(stmt, i));
            row.append(value);
        }
        result.rows.append(row);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return result;
}

QByteArray hashOf(const QString& path)
{
    return QCryptographicHash::hash(MemoFixtures::readBytes(path), QCryptographicHash::Sha256);
}

// Everything in `folder` but the given file names.
QStringList otherEntries(const QString& folder, const QStringList& expected)
{
    QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : expected)
        entries.removeAll(name);
    return entries;
}

// A copy of a fixture with byte strings replaced, each exactly where it occurs.
QString patchedCopy(const QString& fixture, const QString& target,
                    const QList<std::pair<QByteArray, QByteArray>>& replacements)
{
    QByteArray bytes = MemoFixtures::readBytes(kFixtures + fixture);
    for (const auto& [from, to] : replacements) {
        EXPECT_EQ(from.size(), to.size());
        EXPECT_TRUE(bytes.contains(from)) << from.toStdString();
        bytes.replace(from, to);
    }
    QFile file(target);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return target;
}

QByteArray utf16(const char* text)
{
    const QString s = QString::fromLatin1(text);
    return QByteArray(reinterpret_cast<const char*>(s.utf16()), s.size() * 2);
}

// The two ways a file is converted: here, and in a worker process as Quillet
// itself does it.
using Converter = JetConversion (*)(const QString&, const QString&, const QStringList&, Progress&);
const QList<std::pair<const char*, Converter>> kConverters{
    {"in this process", &ConvertJetDatabase},
    {"in a worker",
     [](const QString& jet, const QString& target, const QStringList& tables, Progress& progress) {
         return ConvertJetDatabaseInWorker(jet, target, tables, progress);
     }},
};

class JetConverterTest : public ::testing::Test
{
protected:
    TestHome home;
    CancellingProgress progress;
    QString target = home.file(QStringLiteral("work.sqlite.mdb"));

    void SetUp() override
    {
        ASSERT_FALSE(mdbTool("mdb-export").isEmpty()) << "mdb-export (package mdbtools) is needed";
    }
};

TEST(JetFileTest, RecognisedByTheHeaderAndConvertedBesideItself)
{
    EXPECT_TRUE(IsJetFile(kFixtures + QStringLiteral("jet3-access97.mdb")));
    EXPECT_TRUE(IsJetFile(kFixtures + QStringLiteral("jet4-access2000.mdb")));
    EXPECT_FALSE(IsJetFile(kFixtures + QStringLiteral("README.md")));
    EXPECT_FALSE(IsJetFile(kFixtures + QStringLiteral("missing.mdb")));
    TestHome home;
    const QString sqlite = home.file(QStringLiteral("diary.mdb"));
    MemoFixtures::createDatabase(home.path(), sqlite);
    EXPECT_FALSE(IsJetFile(sqlite));

    EXPECT_EQ(JetConvertedPath(QStringLiteral("/home/u/work.mdb")),
              QStringLiteral("/home/u/work.sqlite.mdb"));
    EXPECT_EQ(JetConvertedPath(QStringLiteral("/home/u/日記.MDB")),
              QStringLiteral("/home/u/日記.sqlite.mdb"));
    EXPECT_EQ(JetConvertedPath(QStringLiteral("/home/u.x/diary")),
              QStringLiteral("/home/u.x/diary.sqlite.mdb"));
}

// Every table of the public Jet 3 and Jet 4 files, every value, as mdb-export
// (an independent reader) prints it: text the same, numbers the same, yes/no
// as -1/0, date/time as "yyyy/MM/dd HH:mm:ss", nothing for NULL. Converted in
// a worker process, as Quillet does it.
TEST_F(JetConverterTest, EveryTableAndValueAsMdbExportReadsIt)
{
    for (const char* name : {"jet3-access97.mdb", "jet4-access2000.mdb", "jet4-access2000-numeric.mdb"}) {
        SCOPED_TRACE(name);
        const QString jet = kFixtures + QString::fromLatin1(name);
        const QByteArray before = hashOf(jet);
        const QStringList tables = userTables(jet);
        ASSERT_FALSE(tables.isEmpty());
        const QString out = home.file(QString::fromLatin1(name) + QStringLiteral(".sqlite"));
        const JetConversion conversion = ConvertJetDatabaseInWorker(jet, out, tables, progress);
        EXPECT_FALSE(conversion.cancelled);
        EXPECT_EQ(conversion.tables, tables);
        EXPECT_EQ(conversion.jet3, QByteArray(name).startsWith("jet3"));
        EXPECT_EQ(hashOf(jet), before) << "the Jet file is only read";
        EXPECT_EQ(MemoFixtures::integrityCheck(out), QStringLiteral("ok"));

        int values = 0;
        for (const QString& table : tables) {
            SCOPED_TRACE(table.toStdString());
            const QList<ExportedRow> exported = parseCsv(
                runTool(mdbTool("mdb-export"),
                        {QStringLiteral("-B"), QStringLiteral("-D"), QStringLiteral("%Y/%m/%d %H:%M:%S"),
                         QStringLiteral("-T"), QStringLiteral("%Y/%m/%d %H:%M:%S"), jet, table}));
            ASSERT_FALSE(exported.isEmpty());
            const StoredTable stored = readTable(out, table);
            QStringList header;
            for (const ExportedValue& column : exported.first())
                header.append(column.text);
            EXPECT_EQ(stored.columns, header);
            ASSERT_EQ(stored.rows.size(), exported.size() - 1);
            for (qsizetype r = 0; r < stored.rows.size(); ++r) {
                const ExportedRow& expected = exported.at(r + 1);
                ASSERT_EQ(stored.rows.at(r).size(), expected.size());
                for (qsizetype c = 0; c < expected.size(); ++c) {
                    SCOPED_TRACE(header.at(c).toStdString() + " row " + std::to_string(r));
                    const ExportedValue& want = expected.at(c);
                    const StoredValue& got = stored.rows.at(r).at(c);
                    ++values;
                    if (want.quoted) {
                        EXPECT_EQ(got.type, SQLITE_TEXT);
                        EXPECT_EQ(got.text, want.text);
                    } else if (want.text.isEmpty()) {
                        EXPECT_EQ(got.type, SQLITE_NULL);
                    } else if (want.text == QLatin1String("TRUE") || want.text == QLatin1String("FALSE")) {
                        EXPECT_EQ(got.type, SQLITE_INTEGER);
                        EXPECT_EQ(got.integer, want.text == QLatin1String("TRUE") ? -1 : 0);
                    } else {
                        // A number, the same value whether kept as an
                        // integer or not (a Double of 0 is 0.0, a money
                        // amount of 0.0000 may be kept as the integer 0).
                        EXPECT_TRUE(got.type == SQLITE_INTEGER || got.type == SQLITE_FLOAT) << got.type;
                        bool whole = false;
                        const qint64 integer = want.text.toLongLong(&whole);
                        if (whole && got.type == SQLITE_INTEGER) {
                            EXPECT_EQ(got.integer, integer);
                        } else {
                            bool ok = false;
                            EXPECT_EQ(got.real, want.text.toDouble(&ok));
                            EXPECT_TRUE(ok) << want.text.toStdString();
                        }
                    }
                }
            }
        }
        EXPECT_GT(values, 0);
    }
}

// The values the fixtures hold, spelled out once, so that a fault shared by
// libmdb's two readers (the converter's and mdb-export's) still shows.
TEST_F(JetConverterTest, KnownValuesOfTheJet3File)
{
    const QString jet = kFixtures + QStringLiteral("jet3-access97.mdb");
    ConvertJetDatabase(jet, target, {QStringLiteral("Table1")}, progress);
    const StoredTable table = readTable(target, QStringLiteral("Table1"));
    ASSERT_EQ(table.rows.size(), 2);
    const QList<StoredValue>& second = table.rows.at(1);
    EXPECT_EQ(second.at(0).text, QStringLiteral("abcdefg"));
    EXPECT_EQ(second.at(1).text, QStringLiteral("hijklmnop"));
    EXPECT_EQ(second.at(4).integer, 333333333);
    // Readable as a database SQLite made itself would be: 0644 less the umask.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat info = {};
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644 & ~mask);
    EXPECT_EQ(second.at(6).text, QStringLiteral("1974/09/21 00:00:00"));
    EXPECT_EQ(second.at(7).real, 3.5);
    EXPECT_EQ(second.at(8).integer, -1);
    EXPECT_EQ(table.rows.at(0).at(8).integer, 0);
}

// Jet 3 keeps text in the code page: a copy of the Jet 3 file with Shift_JIS
// bytes in place of two values, among them characters that only code page 932
// has (circled digits, the IBM kanji) or maps differently (the full-width tilde).
TEST_F(JetConverterTest, Jet3TextIsReadAsCodePage932)
{
    const QByteArray first("\x87\x40\x81\x60\xfb\xfc\xb1", 7);       // ①～髙ｱ
    const QByteArray second("\x93\xfa\x8b\x4c\x92\xa0\x82\xcc!", 9); // 日記帳の!
    const QString jet =
        patchedCopy(QStringLiteral("jet3-access97.mdb"), home.file(QStringLiteral("sjis.mdb")),
                    {{"abcdefg", first}, {"hijklmnop", second}});
    const JetConversion conversion = ConvertJetDatabase(jet, target, {QStringLiteral("Table1")}, progress);
    EXPECT_TRUE(conversion.jet3);
    const StoredTable table = readTable(target, QStringLiteral("Table1"));
    ASSERT_EQ(table.rows.size(), 2);
    EXPECT_EQ(table.rows.at(1).at(0).text, QString::fromUtf8("\u2460\uFF5E\u9AD9\uFF71"));
    EXPECT_EQ(table.rows.at(1).at(1).text, QStringLiteral("日記帳の!"));
}

// A table of Quillet's layout takes the layout's declarations for the columns
// it knows (here a copy of the numeric file whose table is named Memo and two
// of its columns Memo and Icon): a memo added later gets the layout's default.
TEST_F(JetConverterTest, KnownTablesTakeTheLayoutsDeclarations)
{
    const QString jet = patchedCopy(
        QStringLiteral("jet4-access2000-numeric.mdb"), home.file(QStringLiteral("m.mdb")),
        {{utf16("test"), utf16("Memo")}, {utf16("col1"), utf16("Memo")}, {utf16("col2"), utf16("Icon")}});
    const JetConversion conversion = ConvertJetDatabase(jet, target, KnownJetTables(), progress);
    EXPECT_EQ(conversion.tables, QStringList{QStringLiteral("Memo")});
    EXPECT_EQ(conversion.sampleTitles, QStringList{}); // no Title column
    const StoredTable before = readTable(target, QStringLiteral("Memo"));
    ASSERT_EQ(before.rows.size(), 1);
    EXPECT_EQ(before.rows.at(0).at(0).text, QStringLiteral("some data"));
    EXPECT_EQ(before.rows.at(0).at(1).integer, 1);
    MemoFixtures::execute(target, "INSERT INTO Memo (Memo) VALUES ('new')");
    const StoredTable after = readTable(target, QStringLiteral("Memo"));
    ASSERT_EQ(after.rows.size(), 2);
    EXPECT_EQ(after.rows.at(1).at(1).integer, -1);
}

// Refusals say which, and write nothing: no converted file, no half-written
// file, the Jet file as it was.
TEST_F(JetConverterTest, RefusedFilesLeaveNothingBehind)
{
    // Cut short: at a page boundary (no catalogue left), and within a page,
    // where libmdb would follow pages past the end for ever.
    const auto cutCopy = [&](const QString& fixture, qsizetype size, const QString& name) {
        QFile file(home.file(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(MemoFixtures::readBytes(kFixtures + fixture).left(size));
    };
    cutCopy(QStringLiteral("jet4-access2000.mdb"), 4096 * 2, QStringLiteral("damaged.mdb"));
    cutCopy(QStringLiteral("jet3-access97.mdb"), 102369, QStringLiteral("cut.mdb"));

    struct Case
    {
        QString jet;
        QStringList tables;
        QString message;
    };
    const QList<Case> cases{
        {kFixtures + QStringLiteral("jet4-access2000-with-password.mdb"),
         {QStringLiteral("Table1")},
         QStringLiteral(
             "「jet4-access2000-with-password.mdb」はパスワードで保護されたWindows版のメモデータベース"
             "(Jet形式)のため読み込めません。\nWindowsでパスワードを解除してから読み込んでください。")},
        {kFixtures + QStringLiteral("jet4-access2000.mdb"), KnownJetTables(),
         QStringLiteral("「jet4-access2000.mdb」はWindows版のデータベース(Jet形式)ですが、"
                        "Quilletのメモのテーブル(Contents、FileDB、LogDB、Memo、DBInfo)がありません。")},
        {kFixtures + QStringLiteral("jet4-access2000-empty.mdb"),
         {QStringLiteral("Table1")},
         QStringLiteral("「jet4-access2000-empty.mdb」はWindows版のデータベース(Jet形式)ですが、"
                        "Quilletのメモのテーブル(Table1)がありません。")},
        {home.file(QStringLiteral("damaged.mdb")),
         {QStringLiteral("Table1")},
         QStringLiteral("「damaged.mdb」はWindows版のメモデータベース(Jet形式)ですが、"
                        "ファイルが壊れているため読み込めません。")},
        {home.file(QStringLiteral("cut.mdb")),
         {QStringLiteral("Table1")},
         QStringLiteral("「cut.mdb」はWindows版のメモデータベース(Jet形式)ですが、"
                        "ファイルが壊れているため読み込めません。")},
    };
    for (const auto& [way, convert] : kConverters) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.jet.toStdString() + " " + way);
            const QByteArray before = hashOf(c.jet);
            try {
                convert(c.jet, target, c.tables, progress);
                ADD_FAILURE() << "converted";
            } catch (const DatabaseError& error) {
                EXPECT_EQ(error.what16(), c.message);
            }
            EXPECT_EQ(hashOf(c.jet), before);
            EXPECT_EQ(otherEntries(home.path(), {QStringLiteral("damaged.mdb"), QStringLiteral("cut.mdb")}),
                      QStringList{});
        }
    }
}

TEST_F(JetConverterTest, ExistingTargetIsNeverReplaced)
{
    MemoFixtures::writeText(target, QStringLiteral("mine"));
    EXPECT_THROW(ConvertJetDatabase(kFixtures + QStringLiteral("jet4-access2000.mdb"), target,
                                    {QStringLiteral("Table1")}, progress),
                 DatabaseError);
    EXPECT_EQ(MemoFixtures::readBytes(target), QByteArray("mine"));
    EXPECT_EQ(otherEntries(home.path(), {QStringLiteral("work.sqlite.mdb")}), QStringList{});
}

// A conversion killed before it ended leaves its unfinished copy; the next
// conversion into the same file clears it, and only it.
TEST_F(JetConverterTest, LeftoversOfAKilledConversionAreCleared)
{
    const QStringList leftovers{QStringLiteral("work.sqlite.mdb.partial-Ab3dE9"),
                                QStringLiteral("work.sqlite.mdb.partial-Ab3dE9-journal")};
    const QStringList kept{QStringLiteral("work.mdb.partial-Ab3dE9"),
                           QStringLiteral("work.sqlite.mdb.partial-notes")};
    for (const QString& name : leftovers + kept)
        MemoFixtures::writeText(home.file(name), QStringLiteral("unfinished"));
    ConvertJetDatabase(kFixtures + QStringLiteral("jet4-access2000.mdb"), target, {QStringLiteral("Table1")},
                       progress);
    EXPECT_EQ(otherEntries(home.path(), {QStringLiteral("work.sqlite.mdb")}), kept);
}

TEST_F(JetConverterTest, CancelWritesNothing)
{
    for (const auto& [way, convert] : kConverters) {
        SCOPED_TRACE(way);
        progress = CancellingProgress();
        progress.cancelAfterRows = 1;
        const JetConversion conversion = convert(kFixtures + QStringLiteral("jet4-access2000.mdb"), target,
                                                 {QStringLiteral("Table1")}, progress);
        EXPECT_TRUE(conversion.cancelled);
        EXPECT_EQ(progress.rows, 1);
        EXPECT_EQ(otherEntries(home.path(), {}), QStringList{});
    }
}

// The worker tells every step and the result: the progress shown, the tables
// copied, whether the text was read from the code page.
TEST_F(JetConverterTest, TheWorkerTellsWhatThisProcessWouldSee)
{
    for (const char* name : {"jet3-access97.mdb", "jet4-access2000.mdb"}) {
        SCOPED_TRACE(name);
        const QString jet = kFixtures + QString::fromLatin1(name);
        const QStringList tables{QStringLiteral("Table2"), QStringLiteral("Table1")};
        QList<JetConversion> conversions;
        QList<QStringList> explains;
        for (const auto& [way, convert] : kConverters) {
            progress = CancellingProgress();
            const QString out = home.file(QString::fromLatin1(name) + QString::fromLatin1(way));
            conversions.append(convert(jet, out, tables, progress));
            explains.append(progress.explains);
            EXPECT_EQ(readTable(out, QStringLiteral("Table1")).rows.size(), 2);
        }
        EXPECT_EQ(conversions.at(1).tables, tables);
        EXPECT_EQ(conversions.at(1).tables, conversions.at(0).tables);
        EXPECT_EQ(conversions.at(1).jet3, QByteArray(name).startsWith("jet3"));
        EXPECT_EQ(conversions.at(1).jet3, conversions.at(0).jet3);
        EXPECT_EQ(explains.at(1), explains.at(0));
        EXPECT_EQ(explains.at(1), (QStringList{QStringLiteral("「Table2」を変換中。"),
                                               QStringLiteral("「Table1」を変換中。")}));
    }
}

// A file whose catalogue is damaged so that libmdb reads it for ever (one
// byte changed in a page of the public Jet 4 file) is refused as damaged once
// the worker has been silent for the time allowed; nothing is left behind.
TEST_F(JetConverterTest, AFileThatLibmdbReadsForEverIsRefusedAsDamaged)
{
    QByteArray bytes = MemoFixtures::readBytes(kFixtures + QStringLiteral("jet4-access2000.mdb"));
    bytes[2887476] = char(0x81);
    const QString jet = home.file(QStringLiteral("endless.mdb"));
    {
        QFile file(jet);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    const QString message = QStringLiteral("「endless.mdb」はWindows版のメモデータベース(Jet形式)ですが、"
                                           "ファイルが壊れているため読み込めません。");
    try {
        CheckJetDatabaseInWorker(jet, {QStringLiteral("Table1")}, 1000);
        ADD_FAILURE() << "checked";
    } catch (const DatabaseError& error) {
        EXPECT_EQ(error.what16(), message);
    }
    try {
        ConvertJetDatabaseInWorker(jet, target, {QStringLiteral("Table1")}, progress, 1000);
        ADD_FAILURE() << "converted";
    } catch (const DatabaseError& error) {
        EXPECT_EQ(error.what16(), message);
    }
    EXPECT_EQ(otherEntries(home.path(), {QStringLiteral("endless.mdb")}), QStringList{});
    EXPECT_EQ(MemoFixtures::readBytes(jet), bytes);
}

} // namespace
