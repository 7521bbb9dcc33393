#include "tags/TagString.h"

static QStringView trimmedView(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.sliced(begin, end - begin);
}

// Returns the view as a string, sharing the original's data when it is the whole of it.
static QString toString(QStringView view, const QString& original)
{
    if (view.size() == original.size())
        return original;
    return view.toString();
}

QString trimBlanks(const QString& text)
{
    return toString(trimmedView(text), text);
}

QStringList splitTags(const QString& tagString)
{
    const QStringView trimmed = trimmedView(tagString);
    if (trimmed.isEmpty())
        return {};
    QStringList names;
    for (const QStringView name : trimmed.split(u' ', Qt::KeepEmptyParts))
        names.append(name.toString());
    return names;
}

QString shortenTagString(const QString& tagBoxText)
{
    // Works on the trimmed text from the start: a leading blank must not count as
    // the separator in front of a single long tag, or that tag would vanish
    // instead of being cut.
    QStringView tags = trimmedView(tagBoxText);
    while (tags.size() > MaxTagStringLength) {
        const qsizetype lastBlank = tags.lastIndexOf(u' ');
        if (lastBlank >= 0) {
            tags = trimmedView(tags.first(lastBlank));
        } else {
            qsizetype cut = MaxTagStringLength;
            if (tags[cut - 1].isHighSurrogate() && tags[cut].isLowSurrogate())
                --cut;
            tags = tags.first(cut); // no blank in it, so nothing to trim
        }
    }
    return toString(tags, tagBoxText);
}

bool holdsTag(QStringView tagString, QStringView name)
{
    if (name.isEmpty()) {
        // The padded string holds two blanks in a row.
        return tagString.isEmpty() || tagString.startsWith(u' ') || tagString.endsWith(u' ') ||
               tagString.contains(u"  ");
    }
    const qsizetype length = name.size();
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = tagString.indexOf(name, from, Qt::CaseInsensitive);
        if (at < 0)
            return false;
        const bool startsTag = at == 0 || tagString[at - 1] == u' ';
        const bool endsTag = at + length == tagString.size() || tagString[at + length] == u' ';
        if (startsTag && endsTag)
            return true;
        from = at + 1;
    }
}
