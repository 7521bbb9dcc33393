#include "app/CodePage.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace {

const iconv_t InvalidDescriptor = reinterpret_cast<iconv_t>(-1);
const size_t ConversionFailed = static_cast<size_t>(-1);

// One iconv descriptor, opened once per thread and reused: opening a descriptor
// costs far more than converting a password or a settings file.
class Converter
{
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (m_cd != InvalidDescriptor)
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool isValid() const { return m_cd != InvalidDescriptor; }

    // Converts the whole input. Without a replacement any invalid or truncated
    // input fails the conversion; with one, each invalid byte is replaced and
    // conversion resumes at the next byte, so one bad byte never swallows the
    // character after it.
    std::optional<QByteArray> convert(const QByteArray& input, const char* replacement = nullptr) const
    {
        if (!isValid())
            return std::nullopt;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        QByteArray output;
        output.reserve(input.size() * 2 + 16);
        char* in = const_cast<char*>(input.constData());
        size_t inLeft = size_t(input.size());
        char buffer[16384];
        while (inLeft > 0) {
            char* out = buffer;
            size_t outLeft = sizeof buffer;
            // The input goes in windows of a bounded size: a checking build
            // inspects all the input it is given on every call, which over a
            // file of many megabytes would never end.
            const size_t window = std::min(inLeft, sizeof buffer);
            size_t windowLeft = window;
            const size_t result = iconv(m_cd, &in, &windowLeft, &out, &outLeft);
            const int error = errno;
            inLeft -= window - windowLeft;
            output.append(buffer, out - buffer);
            if (result != ConversionFailed) {
                // A non-zero count means an inexact mapping was made.
                if (result > 0 && !replacement)
                    return std::nullopt;
                continue;
            }
            // Output full, or a character cut by the window's end: go on.
            if (error == E2BIG || (error == EINVAL && windowLeft < inLeft))
                continue;
            if (!replacement || (error != EILSEQ && error != EINVAL))
                return std::nullopt;
            output.append(replacement);
            if (error == EINVAL)
                break; // a character cut off at the end of the input
            ++in;
            --inLeft;
            iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        }
        return output;
    }

    // Converts a short input into a small fixed buffer; the whole input must
    // convert. Returns the number of bytes written.
    std::optional<size_t> convertShort(const char* input, size_t length, char* output, size_t capacity) const
    {
        if (!isValid())
            return std::nullopt;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(input);
        size_t inLeft = length;
        char* out = output;
        size_t outLeft = capacity;
        const size_t result = iconv(m_cd, &in, &inLeft, &out, &outLeft);
        if (result != 0 || inLeft != 0)
            return std::nullopt;
        return capacity - outLeft;
    }

private:
    iconv_t m_cd;
};

const Converter& toCp932Converter()
{
    thread_local const Converter converter("CP932", "UTF-8");
    return converter;
}

const Converter& fromCp932Converter()
{
    thread_local const Converter converter("UTF-8", "CP932");
    return converter;
}

const char Utf8Bom[] = "\xEF\xBB\xBF";
const char Utf8Replacement[] = "\xEF\xBF\xBD";

} // namespace

namespace {

// How far bytes read as well-formed UTF-8: `validLength` bytes from the start
// are whole characters; when that is not all of them, `truncatedEnd` tells
// whether the rest is the start of one well-formed character that the end of
// the bytes cut off (a file cut short), rather than a wrong byte. The ranges
// of the lead and second bytes are those of the Unicode standard's table of
// well-formed sequences: no overlong forms, no surrogates, nothing above
// U+10FFFF.
struct Utf8Scan
{
    qsizetype validLength = 0;
    bool truncatedEnd = false;
};

Utf8Scan scanUtf8(const QByteArray& bytes)
{
    const auto* begin = reinterpret_cast<const unsigned char*>(bytes.constData());
    const auto* end = begin + bytes.size();
    const auto* p = begin;
    while (p < end) {
        const unsigned char lead = *p;
        if (lead < 0x80) {
            ++p;
            continue;
        }
        int length;
        unsigned char low = 0x80; // the range of the second byte
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0)
                low = 0xA0; // below: overlong
            else if (lead == 0xED)
                high = 0x9F; // above: a surrogate
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0)
                low = 0x90; // below: overlong
            else if (lead == 0xF4)
                high = 0x8F; // above: beyond U+10FFFF
        } else {
            return {p - begin, false}; // a continuation byte, C0, C1 or F5..FF in lead position
        }
        for (int i = 1; i < length; ++i) {
            if (p + i == end)
                return {p - begin, true};
            const unsigned char byte = p[i];
            if (byte < (i == 1 ? low : 0x80) || byte > (i == 1 ? high : 0xBF))
                return {p - begin, false};
        }
        p += length;
    }
    return {p - begin, false};
}

QString fromUtf8WithoutBom(const char* data, qsizetype size)
{
    if (size >= 3 && memcmp(data, Utf8Bom, 3) == 0)
        return QString::fromUtf8(data + 3, size - 3);
    return QString::fromUtf8(data, size);
}

} // namespace

bool CodePage::isValidUtf8(const QByteArray& bytes)
{
    return scanUtf8(bytes).validLength == bytes.size();
}

QString CodePage::decodeText(const QByteArray& bytes)
{
    return decode(bytes, false);
}

QString CodePage::decodeFileText(const QByteArray& bytes)
{
    return decode(bytes, true);
}

QString CodePage::decode(const QByteArray& bytes, bool mayBeCutShort)
{
    const Utf8Scan scan = scanUtf8(bytes);
    if (scan.validLength == bytes.size())
        return fromUtf8WithoutBom(bytes.constData(), bytes.size());
    // UTF-8 cut off inside its last character (a copy or download broken
    // off) is still UTF-8; the lost character's bytes become one U+FFFD.
    if (mayBeCutShort && scan.truncatedEnd)
        return fromUtf8WithoutBom(bytes.constData(), scan.validLength) + QChar(QChar::ReplacementCharacter);
    if (auto utf8 = fromCp932Converter().convert(bytes, Utf8Replacement))
        return QString::fromUtf8(*utf8);
    // Without a CP932 converter the best left is lenient UTF-8.
    return QString::fromUtf8(bytes);
}

std::optional<QByteArray> CodePage::toCp932(const QString& text)
{
    // QString::toUtf8 would quietly replace a lone surrogate, and a proper
    // pair lies outside the BMP, which CP932 does not reach either.
    for (QChar ch : text) {
        if (ch.isSurrogate())
            return std::nullopt;
    }
    return toCp932Converter().convert(text.toUtf8());
}

std::optional<QString> CodePage::fromCp932(const QByteArray& bytes)
{
    if (auto utf8 = fromCp932Converter().convert(bytes))
        return QString::fromUtf8(*utf8);
    return std::nullopt;
}

std::optional<quint16> CodePage::cp932Code(QChar ch)
{
    if (ch.isSurrogate())
        return std::nullopt;
    const char16_t u = ch.unicode();
    char utf8[3];
    size_t length;
    if (u < 0x80) {
        utf8[0] = char(u);
        length = 1;
    } else if (u < 0x800) {
        utf8[0] = char(0xC0 | (u >> 6));
        utf8[1] = char(0x80 | (u & 0x3F));
        length = 2;
    } else {
        utf8[0] = char(0xE0 | (u >> 12));
        utf8[1] = char(0x80 | ((u >> 6) & 0x3F));
        utf8[2] = char(0x80 | (u & 0x3F));
        length = 3;
    }
    unsigned char code[4];
    const auto written =
        toCp932Converter().convertShort(utf8, length, reinterpret_cast<char*>(code), sizeof code);
    if (written == 1u)
        return quint16(code[0]);
    if (written == 2u)
        return quint16((code[0] << 8) | code[1]);
    return std::nullopt;
}

std::optional<QChar> CodePage::fromCp932Code(quint16 code)
{
    char bytes[2];
    size_t length;
    if (code <= 0xFF) {
        bytes[0] = char(code);
        length = 1;
    } else {
        bytes[0] = char(code >> 8);
        bytes[1] = char(code & 0xFF);
        length = 2;
    }
    char utf8[8];
    const auto written = fromCp932Converter().convertShort(bytes, length, utf8, sizeof utf8);
    if (!written)
        return std::nullopt;
    // Both bytes must make one character: 0x0141 is two characters, not one.
    const QString decoded = QString::fromUtf8(utf8, qsizetype(*written));
    if (decoded.size() != 1)
        return std::nullopt;
    return decoded.at(0);
}
