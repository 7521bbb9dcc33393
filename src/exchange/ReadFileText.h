#pragma once

#include <QString>
#include <optional>

// Reads a whole text file as Quillet takes files in (imports, the file back from
// an external editor): UTF-8 when the bytes are valid UTF-8 (a byte-order mark
// dropped), otherwise CP932, so that files written on a Japanese Windows system
// read correctly. The text ends before the first NUL byte; line breaks are kept
// as they are.
namespace ReadFileText {

// nullopt when the file is missing or cannot be read.
std::optional<QString> tryRead(const QString& path);

// The empty text when the file is missing or cannot be read.
QString read(const QString& path);

// The text of bytes already read, by the same rules.
QString decode(const QByteArray& bytes);

} // namespace ReadFileText
