#include "MemoFixtures.h"

#include "editing/PasswordScrambler.h"
#include "store/DatabaseError.h"
#include "store/MemoStore.h"
#include "store/SqliteDatabase.h"
#include "store/TemplateDatabase.h"

#include <QFile>
#include <gtest/gtest.h>

namespace MemoFixtures {

void createDatabase(const QString& folder, const QString& path)
{
    TemplateDatabase::copyTo(folder, path);
}

void setDatabasePassword(const QString& path, const QString& password)
{
    MemoStore store(path);
    const std::optional<QString> scrambled = EncodePassword(password);
    ASSERT_TRUE(scrambled.has_value());
    store.writeDatabasePassword(true, *scrambled);
}

void execute(const QString& path, const char* sql)
{
    SqliteDatabase db(path, SqliteDatabase::Access::Create);
    db.execute(sql);
}

QString integrityCheck(const QString& path)
{
    const auto check = [&path](SqliteDatabase::Access access) {
        SqliteDatabase db(path, access);
        SqliteDatabase::Statement check(db, "PRAGMA integrity_check");
        return check.step() ? check.text(0) : QStringLiteral("no result");
    };
    try {
        return check(SqliteDatabase::Access::ReadOnly);
    } catch (const DatabaseError&) {
        // A process killed while writing can leave a write-ahead log that only
        // a writer may replay, as Quillet does when it opens the file.
    }
    try {
        return check(SqliteDatabase::Access::ReadWrite);
    } catch (const DatabaseError& error) {
        return QStringLiteral("cannot open: ") + error.userMessage();
    }
}

void writeText(const QString& path, const QString& text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeJetWithMemoTable(const QString& path)
{
    QByteArray bytes = readBytes(QStringLiteral(QUILLET_JET_FIXTURES "/jet4-access2000-numeric.mdb"));
    // The catalogue names the table in UTF-16; "test" and "Memo" are of one length.
    const QString from = QStringLiteral("test");
    const QString to = QStringLiteral("Memo");
    const auto utf16 = [](const QString& text) {
        return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    };
    ASSERT_TRUE(bytes.contains(utf16(from)));
    bytes.replace(utf16(from), utf16(to));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace MemoFixtures
