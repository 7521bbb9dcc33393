#include "exchange/ReadFileText.h"

#include "app/CodePage.h"

#include <QFile>
#include <QStringDecoder>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Whether a file of this kind and size is read at all.
Failure judge(const struct stat& info)
{
    if (!S_ISREG(info.st_mode))
        return Failure::NotAFile;
    if (info.st_size > MaxFileBytes)
        return Failure::TooLarge;
    return Failure::None;
}

struct FileDescriptor
{
    int fd;
    ~FileDescriptor() { ::close(fd); }
};

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

Loaded load(const QString& path)
{
    if (path.isEmpty())
        return {std::nullopt, Failure::Unreadable};
    const QByteArray name = QFile::encodeName(path);
    // Judged before the file is opened: opening a device may already do
    // something (rewind a tape, take a terminal).
    struct stat info;
    if (::stat(name.constData(), &info) != 0)
        return {std::nullopt, Failure::Unreadable};
    if (const Failure refused = judge(info); refused != Failure::None)
        return {std::nullopt, refused};
    // Non-blocking, and judged again on what was opened: the path may have
    // been replaced by a FIFO in between.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {std::nullopt, Failure::Unreadable};
    const FileDescriptor closing{fd};
    if (::fstat(fd, &info) != 0)
        return {std::nullopt, Failure::Unreadable};
    if (const Failure refused = judge(info); refused != Failure::None)
        return {std::nullopt, refused};

    // Read to the end, but never past the limit: the file may grow meanwhile.
    QByteArray bytes;
    bytes.reserve(qsizetype(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return {std::nullopt, Failure::Unreadable};
        }
        if (got == 0)
            break;
        if (bytes.size() + got > MaxFileBytes)
            return {std::nullopt, Failure::TooLarge};
        bytes.append(buffer, got);
    }
    return {decode(bytes), Failure::None};
}

std::optional<QString> tryRead(const QString& path)
{
    return load(path).text;
}

QString read(const QString& path)
{
    return tryRead(path).value_or(QString());
}

} // namespace ReadFileText
