#include "exchange/ClipboardText.h"

#include "editing/MemoText.h"
#include "store/MemoStore.h"

#include <QMimeData>

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

MemoBodies readMemoBodies(MemoStore& store, const QList<qint64>& ids)
{
    MemoBodies bodies;
    for (qint64 id : ids) {
        const std::optional<FloatingMemoText> memo = store.readMemoText(id);
        if (!memo)
            continue;
        bodies.text += fromStored(memo->body);
        bodies.text += QLatin1Char('\n');
        bodies.anyLocked = bodies.anyLocked || memo->isPass;
    }
    return bodies;
}

} // namespace ClipboardText
