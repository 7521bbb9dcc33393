// Files that Quillet did not write, or that grew beyond reason: each opens
// with a clear message or is handled, never a crash or a hang, and merely
// opening it changes nothing stored.
#include "MainWindowFixture.h"
#include "MemoFixtures.h"
#include "app/IniFile.h"
#include "app/Startup.h"
#include "editing/RestoreFile.h"
#include "exchange/ExportMemos.h"
#include "store/MemoStore.h"
#include "tags/CategoryList.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTreeView>
#include <sqlite3.h>

namespace {

// Every row of every table and view, as text, to compare before and after.
QStringList dumpDatabase(const QString& path)
{
    QStringList rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return {QStringLiteral("cannot open")};
    }
    QStringList names;
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "SELECT type, name, sql FROM sqlite_master ORDER BY name", -1, &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        const auto column = [&](int i) {
            return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, i)));
        };
        rows.append(column(0) + u' ' + column(1) + u' ' + column(2));
        if (column(0) == u"table" || column(0) == u"view")
            names.append(column(1));
    }
    sqlite3_finalize(statement);
    for (const QString& name : names) {
        const QByteArray sql = "SELECT * FROM \"" + name.toUtf8() + "\"";
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr) != SQLITE_OK)
            continue;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            QString row = name + u':';
            for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, i));
                row += QString::number(sqlite3_column_type(statement, i)) + u'=' +
                       QString::fromLatin1(QByteArray(bytes, sqlite3_column_bytes(statement, i)).toHex()) + u'|';
            }
            rows.append(row);
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return rows;
}

struct HostileDatabase
{
    const char* name;
    const char* sql;
};

const HostileDatabase kHostileDatabases[] = {
    {"an extra column", "ALTER TABLE Memo ADD COLUMN Extra TEXT DEFAULT 'x';"
                        "INSERT INTO Memo (Title, Memo, Category, Extra) VALUES ('t', 'b', 'a', 'e');"},
    {"a missing column", "CREATE TABLE M2 (RecordID INTEGER PRIMARY KEY AUTOINCREMENT, Title TEXT, Memo TEXT,"
                         " Category TEXT, PublishTime TEXT, UpdateTime TEXT, IsPass INTEGER, IsTrash INTEGER);"
                         "INSERT INTO M2 (Title, Memo, Category) VALUES ('t', 'b', 'a');"
                         "DROP TABLE Memo; ALTER TABLE M2 RENAME TO Memo;"},
    {"wrongly typed columns", "INSERT INTO Memo (No, Title, Memo, Category, Icon, PublishTime, UpdateTime, IsPass,"
                              " IsTrash) VALUES ('abc', x'00ff10', 3.5, x'e38182', 'icon', 12, x'', 'yes', 'no');"
                              "INSERT INTO Memo (Title, Icon, IsPass, IsTrash) VALUES ('big', 99999999999, 7, -3);"},
    {"NULL in every column", "CREATE TABLE M2 (RecordID INTEGER PRIMARY KEY AUTOINCREMENT, No INTEGER, Title TEXT,"
                             " Memo TEXT, Category TEXT, Icon INTEGER, PublishTime TEXT, UpdateTime TEXT,"
                             " IsPass INTEGER, IsTrash INTEGER);"
                             "INSERT INTO M2 DEFAULT VALUES; INSERT INTO M2 DEFAULT VALUES;"
                             "DROP TABLE Memo; ALTER TABLE M2 RENAME TO Memo;"
                             "CREATE TABLE D2 (VersionInfo INTEGER, IsMemoPass INTEGER, IsPass INTEGER,"
                             " Password TEXT); INSERT INTO D2 VALUES (250, NULL, NULL, NULL);"
                             "DROP TABLE DBInfo; ALTER TABLE D2 RENAME TO DBInfo;"},
    {"a 10 MB body", "INSERT INTO Memo (Title, Memo, Category, PublishTime, UpdateTime) VALUES"
                     " ('big', replace(hex(zeroblob(5000000)), '0', 'あ'), 'a', '2026/01/01 00:00:00',"
                     " '2026/01/01 00:00:00');"},
    {"tags of 10,000 characters", "INSERT INTO Memo (Title, Memo, Category) VALUES"
                                  " ('long tags', 'b', replace(hex(zeroblob(5000)), '00', 'タグ '));"
                                  "INSERT INTO Memo (Title, Memo, Category) VALUES"
                                  " ('one long tag', 'b', replace(hex(zeroblob(5000)), '0', 'x'));"},
    {"a trigger that refuses every write", "INSERT INTO Memo (Title, Memo, Category) VALUES ('t', 'b', 'a');"
                                           "CREATE TRIGGER no_update BEFORE UPDATE ON Memo"
                                           " BEGIN SELECT RAISE(ABORT, 'refused'); END;"},
    {"a view named Memo", "INSERT INTO Memo (Title, Memo, Category) VALUES ('t', 'b', 'a');"
                          "ALTER TABLE Memo RENAME TO RealMemo; CREATE VIEW Memo AS SELECT * FROM RealMemo;"},
    {"no Memo table at all", "DROP TABLE Memo;"},
};

// Quillet adds the indexes its lists read by on the first open; they hold
// nothing of their own.
bool isListIndex(const QString& row)
{
    return row.startsWith(u"index Memo_");
}

class HostileFilesTest : public MainWindowFixture, public ::testing::WithParamInterface<HostileDatabase>
{
protected:
    // Opens the window on the database as start-up would and walks it as a user
    // does: every category, every memo shown. False when start-up refused.
    bool openAndBrowse()
    {
        StartupResult startup = Startup(prompt, home.path()).run({});
        if (!startup.proceed)
            return false;
        window = std::make_unique<Form1>(std::move(startup), prompt, clock);
        window->show();
        window->finishStartup();
        for (int row = 0; row < catList()->model()->rowCount(); ++row) {
            clickRow(catList(), row);
            for (int memo = 0; memo < memoList()->model()->rowCount(); ++memo)
                clickRow(memoList(), memo);
        }
        return true;
    }
};

TEST_P(HostileFilesTest, OpensOrRefusesInWordsAndChangesNothing)
{
    prepare();
    MemoFixtures::execute(dbPath(), GetParam().sql);
    const QStringList before = dumpDatabase(dbPath());

    if (!openAndBrowse()) {
        ASSERT_FALSE(prompt.messageTexts().isEmpty()) << "start-up refused without a word";
        EXPECT_FALSE(prompt.messageTexts().constLast().trimmed().isEmpty());
    }
    window.reset();
    const QStringList after = dumpDatabase(dbPath());
    for (const QString& row : before)
        EXPECT_TRUE(after.contains(row)) << "lost or changed: " << row.left(200).toStdString();
    for (const QString& row : after)
        EXPECT_TRUE(before.contains(row) || isListIndex(row)) << "added: " << row.left(200).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Databases, HostileFilesTest, ::testing::ValuesIn(kHostileDatabases),
                         [](const ::testing::TestParamInfo<HostileDatabase>& info) {
                             QString name = QString::fromLatin1(info.param.name);
                             name.replace(u',', QString()).replace(u' ', u'_');
                             return name.toStdString();
                         });

using HostileSettingsTest = MainWindowFixture;

TEST_F(HostileSettingsTest, AHugeSettingsFileOpensAndKeepsItsBytes)
{
    prepare();
    // A million keys in one section, then the window's own keys at the end.
    QByteArray settings;
    settings.reserve(20'000'000);
    settings += "[Junk]\r\n";
    for (int i = 0; i < 1'000'000; ++i)
        settings += "Key" + QByteArray::number(i) + "=value " + QByteArray::number(i) + "\r\n";
    settings += "[Security]\r\nPassword=\r\n";
    {
        QFile file(iniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(settings);
    }
    open();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->close());
    window.reset();
    // Closing writes the window's settings: the junk lines keep their bytes.
    const QByteArray after = MemoFixtures::readBytes(iniPath());
    EXPECT_TRUE(after.startsWith(settings.left(settings.indexOf("[Security]"))));
}

TEST_F(HostileSettingsTest, AHundredMegabyteSettingsFileOpensAndKeepsItsBytes)
{
    prepare();
    // 100 MB of bytes that are neither UTF-8 nor line-broken, inside a section
    // of their own, then the window's keys with values it will change.
    QByteArray junk(100 * 1024 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < junk.size(); ++i)
        junk[i] = char(0x80 + (i * 7919) % 0x7f); // high bytes only: no CR, LF or '['
    QByteArray settings = "[Junk]\r\nKey=" + junk + "\r\n[FormPosition]\r\nWidth=1\r\nHeight=1\r\n";
    junk = {};
    {
        QFile file(iniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(settings), settings.size());
    }
    open();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->close());
    window.reset();
    const QByteArray after = MemoFixtures::readBytes(iniPath());
    const qsizetype form = settings.indexOf("[FormPosition]");
    EXPECT_TRUE(after.startsWith(QByteArrayView(settings).first(form)));
    EXPECT_NE(after.mid(form), settings.mid(form)) << "the window's size was not written";
}

TEST_F(HostileSettingsTest, ARestoreFileNamingAMemoThatIsGoneKeepsItsText)
{
    const qint64 gone = addMemo(QStringLiteral("gone"), QStringLiteral("a"), QStringLiteral("body"));
    const qint64 other = addMemo(QStringLiteral("other"), QStringLiteral("a"), QStringLiteral("other body"));
    open();
    chooseMemo(gone);
    type(contents(), QStringLiteral(" edited"));
    const QString edited = contents()->toPlainText();
    ASSERT_TRUE(window->close()); // the edit goes to the restore file
    window.reset();
    MemoFixtures::execute(dbPath(), "DELETE FROM Memo WHERE Title = 'gone'");

    open();
    // The text comes back as a new memo, said so, and saves as one.
    EXPECT_EQ(prompt.messageTexts(), QStringList{RestoreFile::changedMeanwhileMessage(gone)});
    EXPECT_EQ(lblNo(), QStringLiteral("New"));
    ASSERT_EQ(contents()->toPlainText(), edited);
    triggerAction("mnuSaveMemo");
    MemoStore store(dbPath());
    EXPECT_EQ(store.readMemo(other)->body, u"other body");
    bool saved = false;
    store.forEachMemo(true, true, [&](const Memo& memo) {
        saved = saved || memo.body == edited;
        return true;
    });
    EXPECT_TRUE(saved) << prompt.messageTexts().join(u'|').toStdString();
}

TEST_F(HostileSettingsTest, AnExportDefinitionOfAHundredThousandPlaceholdersExportsWhole)
{
    addMemo(QStringLiteral("題"), QStringLiteral("a"), QStringLiteral("本文 [!ID]"));
    prepare();
    QByteArray definition = ":Quillet Export Definition File\r\n:1\r\n:START\r\n";
    const QByteArray placeholders = "[!ID][!TITLE][!MEMO][!DAY][!CATEGORY][!NOW_TIME][!NOW_DAY][!USER_ID]|";
    for (int i = 0; i < 100'000 / 8; ++i)
        definition += placeholders;
    QFile file(home.file(QStringLiteral("many.ted")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(definition);
    file.close();
    const QString out = home.file(QStringLiteral("out/"));
    QDir().mkpath(out);

    ExportRequest request;
    request.folder = out;
    request.definitionPath = file.fileName();
    request.fileNameTemplate = QStringLiteral("[!ID]");
    request.dbPath = dbPath();
    request.iniFilePath = iniPath();
    request.userId = QStringLiteral("default");
    const ExportOutcome outcome = ExportMemos(request, prompt, clock);
    ASSERT_EQ(outcome.written, 1);
    // Every group filled in, the body's own "[!ID]" left as it stands.
    const QString text = QString::fromUtf8(MemoFixtures::readBytes(out + QStringLiteral("1.txt")));
    EXPECT_EQ(text.count(QStringLiteral("1題本文 [!ID]2026/01/01 00:00:00a")), 100'000 / 8);
    EXPECT_FALSE(text.contains(QStringLiteral("[!TITLE]")));
}

} // namespace
