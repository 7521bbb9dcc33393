#pragma once

#include "store/Memo.h"

#include <QHash>
#include <QString>
#include <vector>

class MemoStore;
class Progress;
class Prompt;

// Reading the memos of another memo database into the open one: either every
// memo as a new one, or a merge in which memos that count as the same (by
// title or by ID) are overwritten when the other copy was saved later.

// How memos count as the same (the merge dialog's SameMemoType).
inline constexpr int MatchByTitle = 1;
inline constexpr int MatchById = 2;

// What a run did: memos added and overwritten, and whether the user cancelled
// (the counts are then those handled before the cancel).
struct MergeResult
{
    int added = 0;
    int overwritten = 0;
    bool cancelled = false;
};

// The open database's memos as the merge's first pass reads them, in table
// order, with lookups that find the first record of a title or an ID at once
// (the list is walked from its first record for every memo of the other file
// otherwise, which is quadratic over large databases).
class PresentMemos
{
public:
    void append(const MemoIdentity& memo);
    bool empty() const { return m_list.empty(); }
    int size() const { return int(m_list.size()); }
    // The first record with this title (compared exactly) or ID; null when none.
    const MemoIdentity* firstWithTitle(const QString& title) const;
    const MemoIdentity* firstWithId(qint64 id) const;
    // The memo `id` was overwritten with a copy of this update time: a later
    // copy of the same memo in the other file is compared with it, not with
    // the time the memo had before the run.
    void setUpdateTime(qint64 id, const QString& updateTime);

private:
    std::vector<MemoIdentity> m_list;
    QHash<QString, int> m_byTitle;
    QHash<qint64, int> m_byId;
};

// FindSameMemo's answer: add the other memo as new, overwrite the present
// memo `recordId` with it, or skip it.
struct SameMemo
{
    enum Action
    {
        Add,
        Overwrite,
        Skip
    };
    Action action = Add;
    qint64 recordId = 0;
};

// Looks for the present memo that counts as the same as the other memo with
// this key (its title for MatchByTitle, its ID in decimal for MatchById). None:
// add. Found: overwrite when the other's update time is later (compared as
// text), else skip. Any other match mode answers add.
SameMemo FindSameMemo(const PresentMemos& present, int matchMode, const QString& key,
                      const QString& otherUpdateTime);

// Reads the memos of the database at `otherPath` (opened read-only for the
// run) into `store`, driving `progress`. `overwrite` false adds every memo as
// a new one; true merges by `matchMode`; a memo overwritten by several copies
// counts once. Icons are never carried. Writes are
// committed in batches, so what was done before a cancel stays. A cancel
// during the first pass of a merge (reading the present memos) ends the run
// before anything is written. Throws DatabaseError on a failure of either
// database, and when `otherPath` is the open database's own file.
MergeResult MergeMemoDatabase(MemoStore& store, const QString& otherPath, bool overwrite, int matchMode,
                              Progress& progress);

// Whether the two paths name the same file (also through links).
bool IsSameDatabaseFile(const QString& a, const QString& b);

// The checks made on the other file before a merge, each telling the user why
// it refuses: not the open database itself, a layout of version 2.50 or later,
// and its database password when it has one. True when the file may be read.
bool CheckMergeSource(Prompt& prompt, const QString& openPath, const QString& otherPath);

// The message shown after a run, with its counts.
QString MergeResultMessage(const MergeResult& result);

// Shown when the open database is chosen as the other file.
QString SelfMergeMessage();
