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

// The columns the memo list shows and filters on.
struct MemoListRow
{
    qint64 recordId = 0;
    QString publishTime;
    QString updateTime;
    QString title;
    int icon = -1;
    bool isPass = false;
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
