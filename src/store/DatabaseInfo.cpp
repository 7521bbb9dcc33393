#include "store/DatabaseInfo.h"

#include "editing/PasswordScrambler.h"
#include "store/SqliteDatabase.h"
#include "store/StatementCatalogue.h"

#include <QFileInfo>

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

bool ReadIsMemoPass(const QString& path)
{
    SqliteDatabase db(path, SqliteDatabase::Access::ReadOnly);
    Statement query(db, sql::ReadIsMemoPass);
    return query.step() && query.boolean(0);
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
