#include "store/SqliteDatabase.h"

#include "store/StatementCatalogue.h"

#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <sqlite3.h>

namespace {

QString engineMessage(sqlite3* db, int code)
{
    if (db)
        return QString::fromUtf8(sqlite3_errmsg(db));
    return QString::fromUtf8(sqlite3_errstr(code));
}

// The file is locked by another connection for longer than the busy timeout.
bool isBusy(int code)
{
    const int primary = code & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

QString inUseMessage(const QString& path)
{
    return QStringLiteral("データベースは他のプログラムで使用中です。\n") + path;
}

// What failed, told in words: a full disk says so instead of leaving the user
// with the engine's English text alone.
QString failureMessage(const QString& what, int code)
{
    if ((code & 0xff) == SQLITE_FULL)
        return what + QStringLiteral("\nディスクの空き容量が足りません。");
    return what;
}

int openFlags(SqliteDatabase::Access access)
{
    switch (access) {
    case SqliteDatabase::Access::ReadOnly:
        return SQLITE_OPEN_READONLY;
    case SqliteDatabase::Access::Create:
        return SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    case SqliteDatabase::Access::ReadWrite:
        break;
    }
    // SQLite falls back to read-only by itself when the file is write-protected.
    return SQLITE_OPEN_READWRITE;
}

} // namespace

SqliteDatabase::SqliteDatabase(const QString& path, Access access) : m_path(path), m_access(access)
{
    if (access != Access::Create && !QFileInfo(path).isFile())
        throw DatabaseError(QStringLiteral("データベースファイルが見つかりません。\n") + path);

    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db,
                                   openFlags(access) | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString text = engineMessage(m_db, rc);
        sqlite3_close(m_db);
        m_db = nullptr;
        throw DatabaseError(QStringLiteral("データベースファイルを開けません。\n") + path, text, rc);
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, 5000);
    try {
        // Reading the schema is the first moment SQLite looks at the file's
        // contents, so a file that is not a database is refused here.
        Statement probe(*this, sql::CountSchemaObjects);
        probe.step();
    } catch (const DatabaseError& e) {
        sqlite3_close(m_db);
        m_db = nullptr;
        if (isBusy(e.code()))
            throw DatabaseError(inUseMessage(path), e.engineText(), e.code());
        throw DatabaseError(
            QStringLiteral("データベースファイルを開けません。ファイルが壊れているか、データベースではありません。\n") +
                path,
            e.engineText(), e.code());
    }
}

SqliteDatabase::~SqliteDatabase()
{
    sqlite3_close_v2(m_db);
}

void SqliteDatabase::close()
{
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

void SqliteDatabase::reopen()
{
    // A file that is not there any more is not created afresh.
    SqliteDatabase fresh(m_path, m_access == Access::Create ? Access::ReadWrite : m_access);
    std::swap(m_db, fresh.m_db);
}

void SqliteDatabase::fail(const QString& what) const
{
    const int code = sqlite3_extended_errcode(m_db);
    throw DatabaseError(isBusy(code) ? inUseMessage(m_path) : failureMessage(what, code), engineMessage(m_db, code),
                        code);
}

void SqliteDatabase::execute(const char* sql)
{
    if (!m_db)
        throw DatabaseError(QStringLiteral("データベースは閉じられています。\n") + m_path);
    char* error = nullptr;
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        const QString text = error ? QString::fromUtf8(error) : engineMessage(m_db, rc);
        sqlite3_free(error);
        throw DatabaseError(isBusy(rc) ? inUseMessage(m_path)
                                       : failureMessage(QStringLiteral("データベースの操作に失敗しました。"), rc),
                            text, rc);
    }
}

qint64 SqliteDatabase::lastInsertId() const
{
    return sqlite3_last_insert_rowid(m_db);
}

int SqliteDatabase::changes() const
{
    return sqlite3_changes(m_db);
}

qint64 SqliteDatabase::totalChanges() const
{
    return sqlite3_total_changes64(m_db);
}

bool SqliteDatabase::inTransaction() const
{
    return m_db && sqlite3_get_autocommit(m_db) == 0;
}

bool SqliteDatabase::isReadOnly() const
{
    return sqlite3_db_readonly(m_db, "main") == 1;
}

void SqliteDatabase::backupTo(const QString& target)
{
    const QString partial = target + QStringLiteral(".partial");
    QFile::remove(partial);
    try {
        SqliteDatabase destination(partial, Access::Create);
        sqlite3_backup* backup = sqlite3_backup_init(destination.m_db, "main", m_db, "main");
        if (!backup)
            destination.fail(QStringLiteral("データベースのコピーに失敗しました。"));
        sqlite3_backup_step(backup, -1);
        const int rc = sqlite3_backup_finish(backup);
        if (rc != SQLITE_OK)
            destination.fail(QStringLiteral("データベースのコピーに失敗しました。"));
        // The copy is a standalone file: no WAL to carry along.
        destination.execute(sql::UseRollbackJournal);
    } catch (const DatabaseError&) {
        // A copy that did not finish (a full disk) is no copy: it must not
        // stay behind taking the space.
        QFile::remove(partial);
        throw;
    }
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(target).constData()) != 0) {
        QFile::remove(partial);
        throw DatabaseError(QStringLiteral("データベースのコピーに失敗しました。\n") + target);
    }
}

// --- Statement ---

SqliteDatabase::Statement::Statement(SqliteDatabase& db, const char* sql) : m_db(db), m_sql(sql)
{
    if (!db.m_db)
        throw DatabaseError(QStringLiteral("データベースは閉じられています。\n") + db.m_path);
    if (sqlite3_prepare_v2(db.m_db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
        db.fail(QStringLiteral("データベースの操作に失敗しました。"));
}

SqliteDatabase::Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

SqliteDatabase::Statement& SqliteDatabase::Statement::bind(int index, qint64 value)
{
    sqlite3_bind_int64(m_stmt, index, value);
    return *this;
}

SqliteDatabase::Statement& SqliteDatabase::Statement::bind(int index, const QString& value)
{
    if (value.isNull())
        return bindNull(index);
    const QByteArray utf8 = value.toUtf8();
    sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    return *this;
}

SqliteDatabase::Statement& SqliteDatabase::Statement::bind(int index, double value)
{
    sqlite3_bind_double(m_stmt, index, value);
    return *this;
}

SqliteDatabase::Statement& SqliteDatabase::Statement::bindBlob(int index, QByteArrayView value)
{
    if (value.isNull())
        return bindNull(index);
    sqlite3_bind_blob64(m_stmt, index, value.data(), sqlite3_uint64(value.size()), SQLITE_TRANSIENT);
    return *this;
}

SqliteDatabase::Statement& SqliteDatabase::Statement::bindUtf8(int index, QByteArrayView value)
{
    if (value.isNull())
        return bindNull(index);
    sqlite3_bind_text64(m_stmt, index, value.data(), sqlite3_uint64(value.size()), SQLITE_TRANSIENT,
                        SQLITE_UTF8);
    return *this;
}

SqliteDatabase::Statement& SqliteDatabase::Statement::bindNull(int index)
{
    sqlite3_bind_null(m_stmt, index);
    return *this;
}

bool SqliteDatabase::Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    m_db.fail(QStringLiteral("データベースの操作に失敗しました。"));
}

void SqliteDatabase::Statement::run()
{
    while (step()) {
    }
}

void SqliteDatabase::Statement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

bool SqliteDatabase::Statement::isNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

qint64 SqliteDatabase::Statement::int64(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

QString SqliteDatabase::Statement::text(int column) const
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    if (!data)
        return {};
    return QString::fromUtf8(data, sqlite3_column_bytes(m_stmt, column));
}

QByteArrayView SqliteDatabase::Statement::utf8(int column) const
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    if (!data)
        return {};
    return QByteArrayView(data, sqlite3_column_bytes(m_stmt, column));
}

// --- Transaction ---

SqliteDatabase::Transaction::Transaction(SqliteDatabase& db) : m_db(db)
{
    m_db.execute(sql::BeginTransaction);
}

SqliteDatabase::Transaction::~Transaction()
{
    if (m_open) {
        try {
            m_db.execute(sql::RollbackTransaction);
        } catch (const DatabaseError&) {
            // Nothing more can be done while unwinding.
        }
    }
}

void SqliteDatabase::Transaction::commit()
{
    m_db.execute(sql::CommitTransaction);
    m_open = false;
}

// --- ReadTransaction ---

SqliteDatabase::ReadTransaction::ReadTransaction(SqliteDatabase& db) : m_db(db)
{
    if (m_db.inTransaction())
        return;
    m_db.execute(sql::BeginReadTransaction);
    m_open = true;
}

SqliteDatabase::ReadTransaction::~ReadTransaction()
{
    if (!m_open)
        return;
    try {
        // Nothing was written: ending it either way only lets the snapshot go.
        m_db.execute(sql::CommitTransaction);
    } catch (const DatabaseError&) {
        // Nothing more can be done while unwinding.
    }
}
