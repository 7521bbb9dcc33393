#pragma once

#include "store/SqliteDatabase.h"

#include <QString>

#include <vector>

class Progress;

// The search index kept in a memo database beside the memos: a full-text
// table of each memo's tokens (SearchGrams.h), the memos whose tokens it does
// not hold yet ("pending"), filled by triggers in every writer's transaction,
// and the name of the token scheme. See the statement catalogue for the tables.
//
// The index is only ever a filter: the memos it names, together with every
// pending memo, include every memo a search finds, whatever state the index is
// in (new, half caught up, behind an older Quillet's writes, after a kill).
class SearchIndex
{
public:
    explicit SearchIndex(SqliteDatabase& db) : m_db(db) {}

    // Makes the index, every memo pending, when the writable database has none
    // or one of another token scheme or with a part missing. The first search
    // that looks for words does this, not the opening of the file: until then
    // there is no index to keep in step, and a database nobody searches is
    // spared the index's size and the start-up its time. Fails silently (the
    // database is left as it was) where SQLite lacks full-text tables:
    // searches then read every memo.
    void prepare();
    // The index is there, whole and of the current token scheme.
    bool isUsable();

    int pendingCount();
    // The pending memos' RecordIDs, in order.
    std::vector<qint64> pendingIds();

    // Files up to `limit` pending memos (all when negative) under their
    // tokens, in transactions of CatchUpBatch memos, each committed before the
    // next starts. With a progress, it shows the work on bar 1 and stops after
    // the batch in hand when cancelled; what was done stays. True when it
    // went through. Throws DatabaseError.
    bool catchUp(Progress* progress, int limit = -1);
    static constexpr int CatchUpBatch = 2000;

    // The RecordIDs filed under the index query `query` (SearchGrams), in
    // order. Memos still pending may be among them or not.
    std::vector<qint64> matchingIds(const QString& query);

    // What the progress window says while the index is caught up.
    static QString progressTitle();
    static QString progressText(int pending);

private:
    int catchUpBatch(int rows);

    SqliteDatabase& m_db;
};
