#include "exchange/ExportDefinition.h"

#include "exchange/ReadFileText.h"

#include <QDir>
#include <QFile>

namespace ExportDefinition {

namespace {

bool isBlank(QChar ch)
{
    return ch == u' ' || ch == u'\t';
}

bool isLineEnd(QChar ch)
{
    return ch == u'\r' || ch == u'\n';
}

QString withoutTrailingBlanks(QStringView text)
{
    qsizetype end = text.size();
    while (end > 0 && isBlank(text.at(end - 1)))
        --end;
    return text.first(end).toString();
}

} // namespace

QStringList splitItems(const QString& text)
{
    QStringList items;
    const qsizetype size = text.size();
    qsizetype pos = 0;
    // Each round reads one item; the file's end before an item ends the list,
    // so a final line end gives no empty item after the last line.
    while (pos < size) {
        while (pos < size && isBlank(text.at(pos)))
            ++pos;
        auto delimiterFrom = [&](qsizetype from) {
            while (from < size && text.at(from) != u',' && !isLineEnd(text.at(from)))
                ++from;
            return from;
        };
        QString item;
        if (pos < size && text.at(pos) == u'"') {
            const qsizetype start = pos + 1;
            qsizetype close = start;
            while (close < size && text.at(close) != u'"' && !isLineEnd(text.at(close)))
                ++close;
            item = text.mid(start, close - start);
            if (close < size && text.at(close) == u'"') {
                const qsizetype end = delimiterFrom(close + 1);
                item += withoutTrailingBlanks(QStringView(text).mid(close + 1, end - close - 1));
                pos = end;
            } else {
                pos = close;
            }
        } else {
            const qsizetype end = delimiterFrom(pos);
            item = withoutTrailingBlanks(QStringView(text).mid(pos, end - pos));
            pos = end;
        }
        items.append(item);
        // Drop the delimiter: a comma, or one line end (CR LF, LF or CR).
        if (pos < size) {
            if (text.at(pos) == u',') {
                ++pos;
            } else if (text.at(pos) == u'\r') {
                ++pos;
                if (pos < size && text.at(pos) == u'\n')
                    ++pos;
            } else if (text.at(pos) == u'\n') {
                ++pos;
            }
        }
    }
    return items;
}

Result parse(const QString& text)
{
    const QStringList items = splitItems(text);
    if (items.isEmpty() || items.first() != QLatin1StringView(Header))
        return {Error::WrongHeader, {}};
    if (items.size() < 2)
        return {Error::BadFormatNumber, {}};
    QString number = items.at(1);
    number.remove(u':');
    bool isNumber = false;
    const int format = number.trimmed().toInt(&isNumber);
    if (!isNumber || format < 1)
        return {Error::BadFormatNumber, {}};

    // The search for ":START" starts with the format number's own item.
    qsizetype start = 1;
    while (start < items.size() && items.at(start) != QLatin1StringView(StartMark))
        ++start;
    if (start == items.size())
        return {Error::NoStart, {}};
    if (start + 1 == items.size())
        return {Error::NoTemplate, {}};
    return {Error::None, items.mid(start + 1).join(QStringLiteral("\r\n"))};
}

Result read(const QString& path)
{
    const std::optional<QString> text = ReadFileText::tryRead(path);
    if (!text)
        return {Error::CannotOpen, {}};
    return parse(*text);
}

int installShipped(const QString& folder)
{
    const QDir dir(folder);
    if (!dir.entryList({QStringLiteral("*.ted")}, QDir::Files).isEmpty())
        return 0;
    struct Shipped
    {
        const char* resource;
        const char16_t* name;
    };
    const Shipped shipped[] = {
        {":/export/plain.ted", u"テキスト.ted"},
        {":/export/markdown.ted", u"Markdown.ted"},
        {":/export/body.ted", u"本文のみ.ted"},
    };
    int written = 0;
    for (const Shipped& file : shipped) {
        const QString target = dir.filePath(QString::fromUtf16(file.name));
        // A copy of a resource is read-only; the user may edit the definitions.
        if (QFile::copy(QString::fromLatin1(file.resource), target)) {
            QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner);
            ++written;
        }
    }
    return written;
}

} // namespace ExportDefinition
