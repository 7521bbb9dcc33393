#include "exchange/ClipboardText.h"

#include "app/HugePages.h"
#include "app/HugePages.h"
#include "editing/MemoText.h"
#include "store/MemoStore.h"

#include <QMimeData>
#include <QStringDecoder>

namespace ClipboardText {

std::optional<QString> plainText(const QMimeData* data)
{
    // QMimeData::hasText() also answers true for a file list, whose text would
    // be the files' addresses; only text offered as text counts.
    if (!data || !(data->hasFormat(QStringLiteral("text/plain")) ||
                   data->hasFormat(QStringLiteral("text/plain;charset=utf-8"))))
        return std::nullopt;
    return data->text();
}

std::optional<QString> pastableText(const QMimeData* data)
{
    std::optional<QString> text = plainText(data);
    if (text && text->isEmpty())
        return std::nullopt;
    return text;
}

QString fromStored(const QString& storedBody)
{
    return MemoText::toEditor(storedBody);
}

QString toStored(const QString& text)
{
    return MemoText::toStored(MemoText::toEditor(text));
}

namespace {

// Appends a stored body's UTF-8 with each line break (CR LF, a lone CR or LF,
// or U+2029, E2 80 A9 in UTF-8) as one LF. Line breaks are the only bytes
// that change, and none of them occurs inside another character's bytes.
void appendWithLineFeeds(QByteArray& out, QByteArrayView body)
{
    qsizetype runStart = 0;
    const qsizetype size = body.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char ch = body[i];
        qsizetype breakLength = 0;
        if (ch == '\r')
            breakLength = i + 1 < size && body[i + 1] == '\n' ? 2 : 1;
        else if (ch == '\n')
            breakLength = 1;
        else if (ch == '\xE2' && body.sliced(i).startsWith("\xE2\x80\xA9"))
            breakLength = 3;
        else
            continue;
        out.append(body.sliced(runStart, i - runStart));
        out.append('\n');
        i += breakLength - 1;
        runStart = i + 1;
    }
    out.append(body.sliced(runStart));
}

} // namespace

MemoBodies readMemoBodies(MemoStore& store, const QList<qint64>& ids)
{
    MemoBodies bodies;
    // Room for bodies of about a kilobyte up front, backed by huge pages:
    // growing a text of many megabytes step by step would copy it again and
    // again, and touching it page by page costs more than the copying.
    bodies.utf8.reserve(ids.size() * 1024);
    adviseHugePages(bodies.utf8.data(), size_t(bodies.utf8.capacity()));
    store.forEachMemoBody(ids, [&bodies](QByteArrayView body, bool isPass) {
        appendWithLineFeeds(bodies.utf8, body);
        bodies.utf8.append('\n');
        bodies.anyLocked = bodies.anyLocked || isPass;
    });
    return bodies;
}

QMimeData* textMimeData(const QByteArray& utf8)
{
    auto* data = new QMimeData;
    data->setData(QStringLiteral("text/plain;charset=utf-8"), utf8);
    data->setData(QStringLiteral("text/plain"), utf8);
    return data;
}

} // namespace ClipboardText
