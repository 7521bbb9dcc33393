#include "exchange/ReportList.h"

namespace ReportList {

QString lines(qsizetype count, const std::function<QString(qsizetype)>& entryAt)
{
    QString text;
    for (qsizetype i = 0; i < count && i < Listed; ++i)
        text += u'\n' + entryAt(i);
    if (count > Listed)
        text += QStringLiteral("\nほか%1件").arg(count - Listed);
    return text;
}

} // namespace ReportList
