#pragma once

#include "store/DatabaseError.h"

#include <QByteArrayView>
#include <QString>
#include <memory>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

// One SQLite connection, with prepared statements that bind their values.
// The SQL texts themselves live in the statement catalogue (StatementCatalogue.h).
class SqliteDatabase
{
public:
    enum class Access { ReadWrite, ReadOnly, Create };

    // Opens an existing file (or creates one with Access::Create). Throws
    // DatabaseError with a clear message when the file is missing, is not a
    // database, or cannot be opened.
    SqliteDatabase(const QString& path, Access access);
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    class Statement
    {
    public:
        Statement(SqliteDatabase& db, const char* sql);
        ~Statement();
        Statement(const Statement&) = delete;
        Statement& operator=(const Statement&) = delete;

        // Parameters are numbered from 1.
        Statement& bind(int index, qint64 value);
        Statement& bind(int index, int value) { return bind(index, qint64(value)); }
        Statement& bind(int index, bool value) { return bind(index, qint64(value ? 1 : 0)); }
        Statement& bind(int index, double value);
        Statement& bind(int index, const QString& value); // a null QString binds NULL
        // Binds UTF-8 text as it is; a null view binds NULL.
        Statement& bindUtf8(int index, QByteArrayView value);
        // Binds bytes as a blob; a null view binds NULL.
        Statement& bindBlob(int index, QByteArrayView value);
        Statement& bindNull(int index);

        // Advances to the next row; false at the end. Throws on failure.
        bool step();
        // Runs a statement that returns no rows.
        void run();
        void reset();

        // Columns are numbered from 0.
        bool isNull(int column) const;
        qint64 int64(int column) const;
        int int32(int column) const { return int(int64(column)); }
        bool boolean(int column) const { return int64(column) != 0; }
        QString text(int column) const; // NULL reads as a null QString
        // The column's text as UTF-8, without copying: valid until the next step;
        // NULL reads as a null view.
        QByteArrayView utf8(int column) const;

    private:
        SqliteDatabase& m_db;
        sqlite3_stmt* m_stmt = nullptr;
        const char* m_sql;
    };

    // A transaction that rolls back unless committed.
    class Transaction
    {
    public:
        explicit Transaction(SqliteDatabase& db);
        ~Transaction();
        void commit();

    private:
        SqliteDatabase& m_db;
        bool m_open = true;
    };

    // A read transaction: every statement run while it lives sees the database
    // as it was at the first read, whatever other connections write meanwhile.
    // Within a transaction already open it does nothing. It must not live
    // while events are processed.
    class ReadTransaction
    {
    public:
        explicit ReadTransaction(SqliteDatabase& db);
        ~ReadTransaction();
        ReadTransaction(const ReadTransaction&) = delete;
        ReadTransaction& operator=(const ReadTransaction&) = delete;

    private:
        SqliteDatabase& m_db;
        bool m_open = false;
    };

    // Runs one or more statements without parameters (schema, pragmas).
    void execute(const char* sql);
    qint64 lastInsertId() const;
    int changes() const;
    // The rows changed by this connection since it was opened.
    qint64 totalChanges() const;
    // A transaction of this connection is open.
    bool inTransaction() const;
    bool isReadOnly() const;
    QString path() const { return m_path; }

    // Closes the connection, so that the file can be replaced; statements fail
    // until reopen() opens the same path again with the same access.
    void close();
    void reopen();
    bool isOpen() const { return m_db != nullptr; }

    // Copies the whole database into a new file at `target` (SQLite's online
    // backup, safe on a live WAL database). The target is replaced atomically.
    void backupTo(const QString& target);

    [[noreturn]] void fail(const QString& what) const;

private:
    sqlite3* m_db = nullptr;
    QString m_path;
    Access m_access = Access::ReadWrite;
};

using Statement = SqliteDatabase::Statement;
