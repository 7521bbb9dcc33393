#include "exchange/ReadFileText.h"

#include "app/CodePage.h"

#include <QFile>

namespace ReadFileText {

QString decode(const QByteArray& bytes)
{
    // A NUL byte is never part of a longer character in UTF-8 or CP932, so the
    // text can be cut before decoding; the code page is then judged on what is kept.
    const qsizetype nul = bytes.indexOf('\0');
    return CodePage::decodeText(nul >= 0 ? bytes.left(nul) : bytes);
}

std::optional<QString> tryRead(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return decode(bytes);
}

QString read(const QString& path)
{
    return tryRead(path).value_or(QString());
}

} // namespace ReadFileText
