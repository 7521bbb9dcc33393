#pragma once

#include "store/SqliteDatabase.h"

#include <optional>

// Groups many single-row writes into transactions: one opens at the first write
// and commits after `rowsPerCommit` writes or at commit(). An uncommitted
// batch is rolled back when the object goes (an error on the way), so the
// database only ever holds whole batches.
class WriteBatch
{
public:
    explicit WriteBatch(SqliteDatabase& db, int rowsPerCommit = 256)
        : m_db(db), m_rowsPerCommit(rowsPerCommit)
    {
    }

    // Call before each write.
    void beforeWrite()
    {
        if (!m_transaction)
            m_transaction.emplace(m_db);
    }
    // Call after each write.
    void afterWrite()
    {
        if (++m_rows >= m_rowsPerCommit)
            commit();
    }
    void commit()
    {
        if (m_transaction) {
            m_transaction->commit();
            m_transaction.reset();
        }
        m_rows = 0;
    }

private:
    SqliteDatabase& m_db;
    int m_rowsPerCommit;
    int m_rows = 0;
    std::optional<SqliteDatabase::Transaction> m_transaction;
};
