#include "exchange/ReadFileText.h"

#include "app/CodePage.h"

#include <QFile>
#include <QStringDecoder>

namespace ReadFileText {

namespace {

// The text of a file that starts with a UTF-16 byte-order mark; nullopt for
// any other. FF and FE never occur in UTF-8, and in CP932 neither starts a
// character, so the mark cannot be the start of a text in the other encodings.
std::optional<QString> decodeUtf16(const QByteArray& bytes)
{
    QStringConverter::Encoding encoding;
    if (bytes.startsWith("\xFF\xFE"))
        encoding = QStringConverter::Utf16LE;
    else if (bytes.startsWith("\xFE\xFF"))
        encoding = QStringConverter::Utf16BE;
    else
        return std::nullopt;
    // Only the mark is dropped: a U+FEFF right after it is the user's character.
    // Stateless: an odd last byte becomes U+FFFD instead of vanishing.
    QStringDecoder decoder(encoding, QStringDecoder::Flag::ConvertInitialBom | QStringDecoder::Flag::Stateless);
    return QString(decoder.decode(QByteArrayView(bytes).sliced(2)));
}

} // namespace

QString decodeWhole(const QByteArray& bytes)
{
    if (std::optional<QString> utf16 = decodeUtf16(bytes))
        return *utf16;
    return CodePage::decodeFileText(bytes);
}

QString decode(const QByteArray& bytes)
{
    if (std::optional<QString> utf16 = decodeUtf16(bytes)) {
        const qsizetype nul = utf16->indexOf(QChar(0));
        return nul >= 0 ? utf16->left(nul) : *utf16;
    }
    // A NUL byte is never part of a longer character in UTF-8 or CP932, so the
    // text can be cut before decoding; the code page is then judged on what is
    // kept. A character that the NUL interrupts was not cut by the file's end.
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        return CodePage::decodeText(bytes.left(nul));
    return CodePage::decodeFileText(bytes);
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
