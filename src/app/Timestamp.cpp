#include "app/Timestamp.h"

QString formatTimestamp(const QDateTime& time)
{
    return time.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}
