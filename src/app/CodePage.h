#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

#include <optional>

// Text conversions between Quillet's UTF-8 world and code page 932, the code page
// of files and stored passwords written on a Japanese Windows system.
class CodePage
{
public:
    CodePage() = delete;

    // Decodes a text: as UTF-8 when the bytes are valid UTF-8 (a leading
    // byte-order mark is dropped), otherwise as CP932, where each byte that does
    // not start a valid character becomes U+FFFD and decoding goes on after it.
    static QString decodeText(const QByteArray& bytes);

    // The same for the whole of a file, which may have been cut short: bytes
    // that are valid UTF-8 but for a last character cut off before its end
    // count as UTF-8, the cut character becoming one U+FFFD. A line of a
    // settings file is never cut short, so there such an end is read as CP932
    // (a half-width katakana, say) by decodeText.
    static QString decodeFileText(const QByteArray& bytes);

    // Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF,
    // no truncated sequence.
    static bool isValidUtf8(const QByteArray& bytes);

    // Strict conversions: nullopt when a character has no CP932 code, or when
    // the bytes are not valid CP932.
    static std::optional<QByteArray> toCp932(const QString& text);
    static std::optional<QString> fromCp932(const QByteArray& bytes);

    // The CP932 code of one character as a number: one byte (0x41 for "A") or
    // a lead and a trail byte (0x82A0 for "あ"). Surrogates have no code.
    static std::optional<quint16> cp932Code(QChar ch);

    // The character whose CP932 code is `code`; nullopt when the code names no
    // character (an unused code, a lone lead byte, an invalid trail byte).
    static std::optional<QChar> fromCp932Code(quint16 code);

private:
    static QString decode(const QByteArray& bytes, bool mayBeCutShort);
};
