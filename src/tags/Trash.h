#pragma once

#include "tags/BulkMemoRun.h"

#include <QList>

class MemoStore;
class Progress;
class TagTable;

// Moving memos into and out of the trash, and emptying it, in the database and
// in the tag table's counts. A memo that is already where it is to go, or that
// no longer exists, is left alone and changes no count, so that the counts
// always equal a recount.
class Trash
{
public:
    Trash(MemoStore& store, TagTable& table) : m_store(store), m_table(table) {}

    // True when the memo was moved.
    bool MoveMemoToTrash(qint64 id);
    bool RestoreMemo(qint64 id);

    // Moves the memos from the last to the first with the progress window,
    // stopping at a cancel; returns the memos taken (moved or left alone).
    BulkMemoResult MoveMemosToTrash(const QList<qint64>& ids, Progress& progress);
    // Restores the memos, writing in batches.
    void RestoreMemos(const QList<qint64>& ids);
    // Deletes every memo in the trash for good; returns how many went.
    int EmptyTrash();

private:
    bool setTrash(qint64 id, bool inTrash);

    MemoStore& m_store;
    TagTable& m_table;
};
