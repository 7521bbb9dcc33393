#include "store/DatabaseInfo.h"

#include "editing/PasswordScrambler.h"
#include "store/SqliteDatabase.h"
#include "store/StatementCatalogue.h"

#include <QFileInfo>
#include <QSet>

int ReadVersionInfo(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return 0;
    SqliteDatabase db(path, SqliteDatabase::Access::ReadOnly);
    {
        Statement exists(db, sql::TableExists);
        exists.bind(1, QStringLiteral("DBInfo"));
        if (!exists.step())
            return 0;
    }
    Statement query(db, sql::ReadVersionInfo);
    if (!query.step())
        return 0;
    return qint16(query.int64(0));
}

int ReadLayoutVersion(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return 0;
    SqliteDatabase db(path, SqliteDatabase::Access::ReadOnly);
    QSet<QString> columns;
    Statement query(db, sql::ReadMemoColumns);
    while (query.step())
        columns.insert(query.text(0).toCaseFolded());
    if (columns.isEmpty())
        return 0;
    const auto has = [&](const char* name) { return columns.contains(QString::fromLatin1(name).toCaseFolded()); };
    if (has("UpdateTime") && has("Icon"))
        return 250;
    if (has("IsTrash"))
        return 240;
    if (has("No") && has("Category") && has("IsPass"))
        return 230;
    return 220;
}

bool ReadIsMemoPass(const QString& path)
{
    SqliteDatabase db(path, SqliteDatabase::Access::ReadOnly);
    {
        Statement column(db, sql::TableHasColumn);
        column.bind(1, QStringLiteral("DBInfo")).bind(2, QStringLiteral("Password"));
        if (!column.step())
            return false;
    }
    Statement query(db, sql::ReadDatabaseProtection);
    return query.step() && query.boolean(0) && !query.isNull(1) && !query.text(1).isEmpty();
}

bool CheckDatabasePassword(const QString& entered, const QString& path)
{
    SqliteDatabase db(path, SqliteDatabase::Access::ReadOnly);
    Statement query(db, sql::ReadDatabasePassword);
    if (!query.step())
        return false;
    const std::optional<QString> stored = DecodePassword(query.text(0));
    return stored && *stored == entered;
}
