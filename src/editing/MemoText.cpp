#include "editing/MemoText.h"

namespace MemoText {

QString toEditor(const QString& stored)
{
    QString text = stored;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString toStored(const QString& edited)
{
    QString text = edited;
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

QString titleToSave(const QString& title, const QString& editedContents, bool automaticTitle)
{
    QString result = title;
    if (result.isEmpty() && automaticTitle) {
        const qsizetype lineEnd = editedContents.indexOf(QLatin1Char('\n'));
        result = lineEnd < 0 ? editedContents : editedContents.left(lineEnd);
    }
    // Never keep half of a character that needs two UTF-16 units.
    if (result.size() > MaxTitleLength && result.at(MaxTitleLength - 1).isHighSurrogate())
        return result.left(MaxTitleLength - 1);
    return result.left(MaxTitleLength);
}

int countCharacters(const QString& edited)
{
    return int(edited.size() - edited.count(QLatin1Char('\n')));
}

} // namespace MemoText
