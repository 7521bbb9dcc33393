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

// Replaces in `text`, left to right and without overlaps, every occurrence of
// `word` (letter case ignored) that starts the text or follows a blank.
static QString replaceAtTagStarts(const QString& text, const QString& word, const QString& replacement)
{
    QString result;
    qsizetype from = 0;
    qsizetype copied = 0;
    while (!word.isEmpty()) {
        const qsizetype at = text.indexOf(word, from, Qt::CaseInsensitive);
        if (at < 0)
            break;
        if (at == 0 || text[at - 1] == u' ') {
            result += QStringView(text).sliced(copied, at - copied);
            result += replacement;
            copied = from = at + word.size();
        } else {
            from = at + 1;
        }
    }
    result += QStringView(text).sliced(copied);
    return result;
}

QString toggleTag(const QString& text, const QString& name)
{
    if (text.isEmpty())
        return name;
    if (!holdsTag(text, name))
        return text + u' ' + name;
    // " name " occurrences, each found after the end of the one before.
    const QString padded = u' ' + text + u' ';
    const QString word = u' ' + name + u' ';
    QString result;
    qsizetype copied = 0;
    for (qsizetype at = padded.indexOf(word, 0, Qt::CaseInsensitive); at >= 0;
         at = padded.indexOf(word, copied, Qt::CaseInsensitive)) {
        result += QStringView(padded).sliced(copied, at - copied);
        result += u' ';
        copied = at + word.size();
    }
    result += QStringView(padded).sliced(copied);
    return trimBlanks(result);
}

QString addTagsToString(const QString& tagString, const QStringList& names, bool replace)
{
    QString tags = replace ? QString() : trimBlanks(tagString) + u' ';
    for (const QString& name : names) {
        if (!name.isEmpty() && !holdsTag(tags, name))
            tags += name + u' ';
    }
    return trimBlanks(tags);
}

QString removeTagFromString(const QString& tagString, const QString& name)
{
    if (!holdsTag(tagString, name))
        return tagString;
    return trimBlanks(replaceAtTagStarts(tagString + u' ', name + u' ', QStringLiteral(" ")));
}

QString renameTagInString(const QString& tagString, const QString& name, const QString& newName)
{
    if (!holdsTag(tagString, name))
        return tagString;
    return trimBlanks(replaceAtTagStarts(tagString + u' ', name + u' ', newName + u' '));
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
