#pragma once

#include <QString>
#include <optional>

// Reads a whole text file as Quillet takes files in (imports, definition files,
// the file back from an external editor): UTF-16 when the bytes start with its
// byte-order mark (FF FE little-endian, FE FF big-endian; the mark dropped),
// UTF-8 when the bytes are valid UTF-8 (a byte-order mark dropped; a last
// character cut off by the end of the file becomes U+FFFD), otherwise CP932,
// so that files written on a Japanese Windows system read correctly. The text
// ends before the first NUL character; line breaks are kept as they are.
//
// Only regular files (a symbolic link is followed) of at most MaxFileBytes are
// read: a FIFO would block the program until something writes to it, and a
// device such as /dev/zero never ends. Files of other kinds are not even opened.
namespace ReadFileText {

inline constexpr qint64 MaxFileBytes = 64 * 1024 * 1024;

enum class Failure
{
    None,
    Unreadable, // missing, or cannot be opened or read
    NotAFile,   // a folder, FIFO, socket or device
    TooLarge,   // more than MaxFileBytes
};

struct Loaded
{
    std::optional<QString> text; // nullopt on failure
    Failure failure = Failure::None;
};

Loaded load(const QString& path);

// nullopt when the file is missing or cannot be read (or is refused as above).
std::optional<QString> tryRead(const QString& path);

// The empty text when the file is missing or cannot be read.
QString read(const QString& path);

// The text of bytes already read, by the same rules.
QString decode(const QByteArray& bytes);

// The same, but the whole text: a NUL character and what follows it are kept,
// so that a caller that must not lose anything can see one and refuse the text.
QString decodeWhole(const QByteArray& bytes);

} // namespace ReadFileText
