#pragma once

// What the crash child writes and the harness checks: every value is a pure
// function of (memo or key, round), so that after a kill the harness can say
// exactly which texts are whole.
#include <QString>

namespace CrashWork {

inline constexpr int MemoCount = 200;       // memos that the save loop cycles through
inline constexpr int BulkMemoCount = 10000; // memos of the bulk trash move and the tag rename
inline constexpr int SettingKeys = 5;

inline QString memoTitle(qint64 id, int round)
{
    return QStringLiteral("memo %1 round %2").arg(id).arg(round);
}

// Bodies of varying length with the characters that must survive untouched:
// CR LF, a lone CR, a lone LF, a no-break space, an emoji.
inline QString memoBody(qint64 id, int round)
{
    QString body = QStringLiteral("本文 %1/%2\r\n").arg(id).arg(round);
    for (int i = 0; i < round % 7; ++i)
        body += QStringLiteral("行\u00A0%1 🙂\rlone\nend\r\n").arg(i);
    return body;
}

inline QString settingValue(int key, int round)
{
    return QStringLiteral("値 %1 round %2%3").arg(key).arg(round).arg(QString(round % 11, u'x'));
}

} // namespace CrashWork
