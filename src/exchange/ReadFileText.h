#pragma once

#include <QString>
#include <optional>

// Reads a whole text file as Quillet takes files in (imports, the file back from
// an external editor): UTF-16 when the bytes start with its byte-order mark
// (FF FE little-endian, FE FF big-endian; the mark dropped), UTF-8 when the
// bytes are valid UTF-8 (a byte-order mark dropped; a last character cut off
// by the end of the file becomes U+FFFD), otherwise CP932, so that files
// written on a Japanese Windows system read correctly. The text ends before
// the first NUL character; line breaks are kept as they are.
namespace ReadFileText {

// nullopt when the file is missing or cannot be read.
std::optional<QString> tryRead(const QString& path);

// The empty text when the file is missing or cannot be read.
QString read(const QString& path);

// The text of bytes already read, by the same rules.
QString decode(const QByteArray& bytes);

// The same, but the whole text: a NUL character and what follows it are kept,
// so that a caller that must not lose anything can see one and refuse the text.
QString decodeWhole(const QByteArray& bytes);

} // namespace ReadFileText
