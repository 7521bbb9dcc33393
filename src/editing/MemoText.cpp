#include "editing/MemoText.h"

#include <algorithm>

namespace MemoText {

namespace {

// Length of the stored line break at `position`, 0 when there is none.
qsizetype storedBreakLength(const QString& stored, qsizetype position)
{
    const QChar ch = stored.at(position);
    if (ch == QLatin1Char('\r'))
        return position + 1 < stored.size() && stored.at(position + 1) == QLatin1Char('\n') ? 2 : 1;
    return ch == QLatin1Char('\n') || ch == QChar::ParagraphSeparator ? 1 : 0;
}

// The stored offset of the box offset `edited` (counted from the start).
qsizetype storedOffset(const QString& stored, qsizetype edited)
{
    qsizetype position = 0;
    for (qsizetype i = 0; i < edited && position < stored.size(); ++i)
        position += std::max<qsizetype>(1, storedBreakLength(stored, position));
    return position;
}

} // namespace

QString toEditor(const QString& stored)
{
    // Runs without a line break are appended whole; each break (CR LF, a
    // lone CR or LF, or the paragraph separator) becomes one LF.
    QString text;
    text.reserve(stored.size());
    qsizetype runStart = 0;
    const qsizetype size = stored.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t ch = stored.at(i).unicode();
        if (ch != u'\r' && ch != u'\n' && ch != 0x2029)
            continue;
        text.append(QStringView(stored).mid(runStart, i - runStart));
        text.append(QLatin1Char('\n'));
        if (ch == u'\r' && i + 1 < size && stored.at(i + 1) == QLatin1Char('\n'))
            ++i;
        runStart = i + 1;
    }
    text.append(QStringView(stored).mid(runStart));
    return text;
}

QString toStoredKeeping(const QString& storedBefore, const QString& editedBefore, const QString& edited)
{
    if (edited == editedBefore)
        return storedBefore;
    // Without a known correspondence between box and stored text, the box wins.
    if (toEditor(storedBefore) != editedBefore)
        return toStored(edited);
    // The changed range in the box's terms: what is left after the common
    // prefix and suffix.
    const qsizetype shorter = std::min(editedBefore.size(), edited.size());
    qsizetype prefix = 0;
    while (prefix < shorter && editedBefore.at(prefix) == edited.at(prefix))
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix &&
           editedBefore.at(editedBefore.size() - 1 - suffix) == edited.at(edited.size() - 1 - suffix))
        ++suffix;
    // Box offsets map to stored offsets by walking the stored text, where a
    // line break may take two characters.
    const qsizetype storedPrefix = storedOffset(storedBefore, prefix);
    const qsizetype storedSuffixStart = storedOffset(storedBefore, editedBefore.size() - suffix);
    return storedBefore.left(storedPrefix) + toStored(edited.mid(prefix, edited.size() - prefix - suffix)) +
           storedBefore.mid(storedSuffixStart);
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
