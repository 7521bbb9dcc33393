#pragma once

#include <QString>

// One row of table Memo. A Null Category reads as the empty text; Null flags as false.
struct Memo
{
    qint64 recordId = 0;
    qint64 no = 0;
    QString title;
    QString body; // line breaks stored as CR LF
    QString category;
    int icon = -1; // -1: no icon
    QString publishTime;
    QString updateTime;
    bool isPass = false;
    bool isTrash = false;
};

// What the memo list shows of one memo.
struct MemoListEntry
{
    qint64 id = 0;
    QString publishTime;
    QString updateTime;
    QString title;
    int icon = -1; // -1: no icon
    bool isPass = false;
};

// One memo as the memo list reads it: what it shows, and the tags it filters on.
struct MemoListRow
{
    MemoListEntry entry;
    QString category;
    bool categoryIsNull = true;
};

// What a floating memo window loads.
struct FloatingMemoText
{
    QString title;
    QString body;
    bool isPass = false;
};

// What a save replaced: the memo's previous tag string ("" when Null) and
// whether it lies in the trash.
struct SavedMemoState
{
    QString previousCategory;
    bool inTrash = false;
    // The stored memo was not what the saving place loaded: nothing was written.
    bool changedMeanwhile = false;
};

struct MemoIdentity
{
    qint64 recordId = 0;
    QString title;
    QString updateTime;
};

// One result row of the per-tag-string count: a distinct tag string (possibly
// Null) and the number of memos outside the trash that hold it.
struct CategoryGroup
{
    QString category;
    bool isNull = false;
    int count = 0;
};
