#include "search/SearchFolding.h"

#include <QChar>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// Full case foldings that map one code point to several (the "F" entries of
// Unicode's CaseFolding.txt, Unicode 14); every other code point folds with
// QChar::toCaseFolded, the one-to-one ("C" and "S") mapping.
struct FullFolding
{
    char16_t from;
    std::array<char16_t, 3> to; // unused places are 0
};

constexpr FullFolding kFullFoldings[] = {
    {0x00DF, {0x0073, 0x0073, 0x0000}}, {0x0130, {0x0069, 0x0307, 0x0000}},
    {0x0149, {0x02BC, 0x006E, 0x0000}}, {0x01F0, {0x006A, 0x030C, 0x0000}},
    {0x0390, {0x03B9, 0x0308, 0x0301}}, {0x03B0, {0x03C5, 0x0308, 0x0301}},
    {0x0587, {0x0565, 0x0582, 0x0000}}, {0x1E96, {0x0068, 0x0331, 0x0000}},
    {0x1E97, {0x0074, 0x0308, 0x0000}}, {0x1E98, {0x0077, 0x030A, 0x0000}},
    {0x1E99, {0x0079, 0x030A, 0x0000}}, {0x1E9A, {0x0061, 0x02BE, 0x0000}},
    {0x1E9E, {0x0073, 0x0073, 0x0000}}, {0x1F50, {0x03C5, 0x0313, 0x0000}},
    {0x1F52, {0x03C5, 0x0313, 0x0300}}, {0x1F54, {0x03C5, 0x0313, 0x0301}},
    {0x1F56, {0x03C5, 0x0313, 0x0342}}, {0x1F80, {0x1F00, 0x03B9, 0x0000}},
    {0x1F81, {0x1F01, 0x03B9, 0x0000}}, {0x1F82, {0x1F02, 0x03B9, 0x0000}},
    {0x1F83, {0x1F03, 0x03B9, 0x0000}}, {0x1F84, {0x1F04, 0x03B9, 0x0000}},
    {0x1F85, {0x1F05, 0x03B9, 0x0000}}, {0x1F86, {0x1F06, 0x03B9, 0x0000}},
    {0x1F87, {0x1F07, 0x03B9, 0x0000}}, {0x1F88, {0x1F00, 0x03B9, 0x0000}},
    {0x1F89, {0x1F01, 0x03B9, 0x0000}}, {0x1F8A, {0x1F02, 0x03B9, 0x0000}},
    {0x1F8B, {0x1F03, 0x03B9, 0x0000}}, {0x1F8C, {0x1F04, 0x03B9, 0x0000}},
    {0x1F8D, {0x1F05, 0x03B9, 0x0000}}, {0x1F8E, {0x1F06, 0x03B9, 0x0000}},
    {0x1F8F, {0x1F07, 0x03B9, 0x0000}}, {0x1F90, {0x1F20, 0x03B9, 0x0000}},
    {0x1F91, {0x1F21, 0x03B9, 0x0000}}, {0x1F92, {0x1F22, 0x03B9, 0x0000}},
    {0x1F93, {0x1F23, 0x03B9, 0x0000}}, {0x1F94, {0x1F24, 0x03B9, 0x0000}},
    {0x1F95, {0x1F25, 0x03B9, 0x0000}}, {0x1F96, {0x1F26, 0x03B9, 0x0000}},
    {0x1F97, {0x1F27, 0x03B9, 0x0000}}, {0x1F98, {0x1F20, 0x03B9, 0x0000}},
    {0x1F99, {0x1F21, 0x03B9, 0x0000}}, {0x1F9A, {0x1F22, 0x03B9, 0x0000}},
    {0x1F9B, {0x1F23, 0x03B9, 0x0000}}, {0x1F9C, {0x1F24, 0x03B9, 0x0000}},
    {0x1F9D, {0x1F25, 0x03B9, 0x0000}}, {0x1F9E, {0x1F26, 0x03B9, 0x0000}},
    {0x1F9F, {0x1F27, 0x03B9, 0x0000}}, {0x1FA0, {0x1F60, 0x03B9, 0x0000}},
    {0x1FA1, {0x1F61, 0x03B9, 0x0000}}, {0x1FA2, {0x1F62, 0x03B9, 0x0000}},
    {0x1FA3, {0x1F63, 0x03B9, 0x0000}}, {0x1FA4, {0x1F64, 0x03B9, 0x0000}},
    {0x1FA5, {0x1F65, 0x03B9, 0x0000}}, {0x1FA6, {0x1F66, 0x03B9, 0x0000}},
    {0x1FA7, {0x1F67, 0x03B9, 0x0000}}, {0x1FA8, {0x1F60, 0x03B9, 0x0000}},
    {0x1FA9, {0x1F61, 0x03B9, 0x0000}}, {0x1FAA, {0x1F62, 0x03B9, 0x0000}},
    {0x1FAB, {0x1F63, 0x03B9, 0x0000}}, {0x1FAC, {0x1F64, 0x03B9, 0x0000}},
    {0x1FAD, {0x1F65, 0x03B9, 0x0000}}, {0x1FAE, {0x1F66, 0x03B9, 0x0000}},
    {0x1FAF, {0x1F67, 0x03B9, 0x0000}}, {0x1FB2, {0x1F70, 0x03B9, 0x0000}},
    {0x1FB3, {0x03B1, 0x03B9, 0x0000}}, {0x1FB4, {0x03AC, 0x03B9, 0x0000}},
    {0x1FB6, {0x03B1, 0x0342, 0x0000}}, {0x1FB7, {0x03B1, 0x0342, 0x03B9}},
    {0x1FBC, {0x03B1, 0x03B9, 0x0000}}, {0x1FC2, {0x1F74, 0x03B9, 0x0000}},
    {0x1FC3, {0x03B7, 0x03B9, 0x0000}}, {0x1FC4, {0x03AE, 0x03B9, 0x0000}},
    {0x1FC6, {0x03B7, 0x0342, 0x0000}}, {0x1FC7, {0x03B7, 0x0342, 0x03B9}},
    {0x1FCC, {0x03B7, 0x03B9, 0x0000}}, {0x1FD2, {0x03B9, 0x0308, 0x0300}},
    {0x1FD3, {0x03B9, 0x0308, 0x0301}}, {0x1FD6, {0x03B9, 0x0342, 0x0000}},
    {0x1FD7, {0x03B9, 0x0308, 0x0342}}, {0x1FE2, {0x03C5, 0x0308, 0x0300}},
    {0x1FE3, {0x03C5, 0x0308, 0x0301}}, {0x1FE4, {0x03C1, 0x0313, 0x0000}},
    {0x1FE6, {0x03C5, 0x0342, 0x0000}}, {0x1FE7, {0x03C5, 0x0308, 0x0342}},
    {0x1FF2, {0x1F7C, 0x03B9, 0x0000}}, {0x1FF3, {0x03C9, 0x03B9, 0x0000}},
    {0x1FF4, {0x03CE, 0x03B9, 0x0000}}, {0x1FF6, {0x03C9, 0x0342, 0x0000}},
    {0x1FF7, {0x03C9, 0x0342, 0x03B9}}, {0x1FFC, {0x03C9, 0x03B9, 0x0000}},
    {0xFB00, {0x0066, 0x0066, 0x0000}}, {0xFB01, {0x0066, 0x0069, 0x0000}},
    {0xFB02, {0x0066, 0x006C, 0x0000}}, {0xFB03, {0x0066, 0x0066, 0x0069}},
    {0xFB04, {0x0066, 0x0066, 0x006C}}, {0xFB05, {0x0073, 0x0074, 0x0000}},
    {0xFB06, {0x0073, 0x0074, 0x0000}}, {0xFB13, {0x0574, 0x0576, 0x0000}},
    {0xFB14, {0x0574, 0x0565, 0x0000}}, {0xFB15, {0x0574, 0x056B, 0x0000}},
    {0xFB16, {0x057E, 0x0576, 0x0000}}, {0xFB17, {0x0574, 0x056D, 0x0000}},
};

const FullFolding* findFullFolding(char32_t c)
{
    // The entries lie in three blocks: Latin to Armenian, Greek extended and
    // the Latin and Armenian ligatures.
    const bool inBlocks =
        (c >= 0x00DF && c <= 0x0587) || (c >= 0x1E96 && c <= 0x1FFC) || (c >= 0xFB00 && c <= 0xFB17);
    if (!inBlocks)
        return nullptr;
    const auto* it =
        std::lower_bound(std::begin(kFullFoldings), std::end(kFullFoldings), c,
                         [](const FullFolding& entry, char32_t value) { return entry.from < value; });
    return it != std::end(kFullFoldings) && it->from == c ? it : nullptr;
}

// Half-width katakana and punctuation U+FF61..U+FF9D as full-width.
constexpr char16_t kHalfWidthKana[] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9, 0x30E3, 0x30E5,
    0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB, 0x30AD, 0x30AF, 0x30B1, 0x30B3,
    0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1, 0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC,
    0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5, 0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4,
    0x30E6, 0x30E8, 0x30E9, 0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3};

// A katakana with its voiced (dakuten) form, as Unicode composes them.
constexpr std::pair<char16_t, char16_t> kVoiced[] = {
    {0x30A6, 0x30F4}, {0x30AB, 0x30AC}, {0x30AD, 0x30AE}, {0x30AF, 0x30B0}, {0x30B1, 0x30B2},
    {0x30B3, 0x30B4}, {0x30B5, 0x30B6}, {0x30B7, 0x30B8}, {0x30B9, 0x30BA}, {0x30BB, 0x30BC},
    {0x30BD, 0x30BE}, {0x30BF, 0x30C0}, {0x30C1, 0x30C2}, {0x30C4, 0x30C5}, {0x30C6, 0x30C7},
    {0x30C8, 0x30C9}, {0x30CF, 0x30D0}, {0x30D2, 0x30D3}, {0x30D5, 0x30D6}, {0x30D8, 0x30D9},
    {0x30DB, 0x30DC}, {0x30EF, 0x30F7}, {0x30F0, 0x30F8}, {0x30F1, 0x30F9}, {0x30F2, 0x30FA},
    {0x30FD, 0x30FE}};

char16_t voicedForm(char16_t kana, bool semiVoiced)
{
    // The semi-voiced (handakuten) forms exist for the ha row only, two places on.
    if (semiVoiced) {
        const bool haRow = kana >= 0x30CF && kana <= 0x30DB && (kana - 0x30CF) % 3 == 0;
        return haRow ? char16_t(kana + 2) : 0;
    }
    for (const auto& [plain, voiced] : kVoiced)
        if (plain == kana)
            return voiced;
    return 0;
}

constexpr std::array<char16_t, 128> makeAsciiFolding()
{
    std::array<char16_t, 128> table{};
    for (char16_t c = 0; c < 128; ++c)
        table[c] = (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    return table;
}
constexpr std::array<char16_t, 128> kAscii = makeAsciiFolding();

// Appends the folded form of code point c (not ASCII) at `out` and returns
// the new end. `begin` is the start of the folded text, for joining a voiced
// mark to the kana before it. The common blocks of Japanese text are tested
// first: kanji and katakana have no case and pass unchanged.
char16_t* foldNonAscii(char32_t c, char16_t* out, const char16_t* begin)
{
    if (c >= 0x3400 && c <= 0x9FFF) { // CJK ideographs
        *out++ = char16_t(c);
        return out;
    }
    if (c >= 0x3000 && c <= 0x30FF) { // CJK punctuation, hiragana, katakana
        if ((c >= 0x3041 && c <= 0x3096) || c == 0x309D || c == 0x309E) { // hiragana as katakana
            *out++ = char16_t(c + 0x60);
        } else if (c == 0x3000) { // ideographic space
            *out++ = u' ';
        } else if ((c == 0x3099 || c == 0x309A) && out != begin &&
                   voicedForm(out[-1], c == 0x309A)) { // combining voiced marks join their kana
            out[-1] = voicedForm(out[-1], c == 0x309A);
        } else {
            *out++ = char16_t(c);
        }
        return out;
    }
    if (c >= 0xFF01 && c <= 0xFF5E) { // full-width ASCII
        *out++ = kAscii[c - 0xFEE0];
        return out;
    }
    if (c >= 0xFF61 && c <= 0xFF9F) { // half-width katakana
        if (c <= 0xFF9D) {
            *out++ = kHalfWidthKana[c - 0xFF61];
            return out;
        }
        const bool semi = c == 0xFF9F;
        if (out != begin) {
            if (const char16_t joined = voicedForm(out[-1], semi)) {
                out[-1] = joined;
                return out;
            }
        }
        *out++ = semi ? 0x309C : 0x309B; // a mark on its own: the full-width spacing mark
        return out;
    }
    if (const FullFolding* full = findFullFolding(c)) {
        for (char16_t unit : full->to)
            if (unit)
                *out++ = unit;
        return out;
    }
    const char32_t folded = QChar::toCaseFolded(c);
    if (QChar::requiresSurrogates(folded)) {
        *out++ = QChar::highSurrogate(folded);
        *out++ = QChar::lowSurrogate(folded);
    } else {
        *out++ = char16_t(folded);
    }
    return out;
}

char16_t* foldCodePoint(char32_t c, char16_t* out, const char16_t* begin)
{
    if (c < 0x80) {
        *out++ = kAscii[c];
        return out;
    }
    return foldNonAscii(c, out, begin);
}

// Folds a run of ASCII bytes 16 at a time; returns how many bytes it took
// (a multiple of 16, stopping before the first block with a non-ASCII byte).
qsizetype foldAsciiBlocks(const uchar* in, qsizetype size, char16_t* out)
{
    qsizetype done = 0;
#if defined(__SSE2__)
    const __m128i beforeA = _mm_set1_epi8('A' - 1);
    const __m128i afterZ = _mm_set1_epi8('Z' + 1);
    const __m128i caseBit = _mm_set1_epi8(0x20);
    const __m128i zero = _mm_setzero_si128();
    for (; done + 16 <= size; done += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + done));
        if (_mm_movemask_epi8(bytes) != 0)
            break;
        // ASCII bytes are positive as signed bytes, so signed compares serve.
        const __m128i upper = _mm_and_si128(_mm_cmpgt_epi8(bytes, beforeA), _mm_cmplt_epi8(bytes, afterZ));
        const __m128i lower = _mm_or_si128(bytes, _mm_and_si128(upper, caseBit));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done), _mm_unpacklo_epi8(lower, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done + 8), _mm_unpackhi_epi8(lower, zero));
    }
#else
    Q_UNUSED(in);
    Q_UNUSED(size);
    Q_UNUSED(out);
#endif
    return done;
}

bool isContinuation(uchar byte)
{
    return (byte & 0xC0) == 0x80;
}

} // namespace

char16_t* FoldedText::reserve(qsizetype units)
{
    if (qsizetype(m_data.size()) < units)
        m_data.resize(std::max<size_t>(size_t(units), m_data.size() * 2));
    return m_data.data();
}

void FoldedText::assign(QStringView text)
{
    // A code point folds to at most three units.
    char16_t* const begin = reserve(text.size() * 3);
    char16_t* out = begin;
    const char16_t* in = text.utf16();
    const char16_t* const end = in + text.size();
    while (in < end) {
        char32_t c = *in++;
        if (QChar::isHighSurrogate(c) && in < end && QChar::isLowSurrogate(*in))
            c = QChar::surrogateToUcs4(char16_t(c), *in++);
        out = foldCodePoint(c, out, begin);
    }
    m_size = out - begin;
}

void FoldedText::assignUtf8(QByteArrayView utf8)
{
    // At most three units per two bytes (a two-byte character with a threefold
    // case folding); one per byte that is not valid UTF-8.
    char16_t* const begin = reserve(utf8.size() * 2);
    char16_t* out = begin;
    const auto* in = reinterpret_cast<const uchar*>(utf8.data());
    const uchar* const end = in + utf8.size();
    while (in < end) {
        const uchar lead = *in;
        if (lead < 0x80) {
            const qsizetype block = foldAsciiBlocks(in, end - in, out);
            in += block;
            out += block;
            // The rest of the run, byte by byte, up to the next non-ASCII byte.
            while (in < end && *in < 0x80)
                *out++ = kAscii[*in++];
            continue;
        }
        // Malformed, overlong or surrogate sequences read as U+FFFD, one byte at a time.
        char32_t c = 0xFFFD;
        int length = 1;
        const qsizetype left = end - in;
        // Three bytes first: kana and kanji, the bulk of Japanese text.
        if (lead >= 0xE0 && lead <= 0xEF && left >= 3 && isContinuation(in[1]) && isContinuation(in[2])) {
            const char32_t value =
                (char32_t(lead & 0x0F) << 12) | (char32_t(in[1] & 0x3F) << 6) | (in[2] & 0x3F);
            if (value >= 0x800 && !(value >= 0xD800 && value <= 0xDFFF)) {
                in += 3;
                // Kanji and katakana (without the marks) fold to themselves.
                if ((value >= 0x3400 && value <= 0x9FFF) || (value >= 0x30A1 && value <= 0x30FA))
                    *out++ = char16_t(value);
                else
                    out = foldNonAscii(value, out, begin);
                continue;
            }
        } else if (lead >= 0xC2 && lead <= 0xDF && left >= 2 && isContinuation(in[1])) {
            c = (char32_t(lead & 0x1F) << 6) | (in[1] & 0x3F);
            length = 2;
        } else if (lead >= 0xF0 && lead <= 0xF4 && left >= 4 && isContinuation(in[1]) &&
                   isContinuation(in[2]) && isContinuation(in[3])) {
            const char32_t value = (char32_t(lead & 0x07) << 18) | (char32_t(in[1] & 0x3F) << 12) |
                                   (char32_t(in[2] & 0x3F) << 6) | (in[3] & 0x3F);
            if (value >= 0x10000 && value <= 0x10FFFF) {
                c = value;
                length = 4;
            }
        }
        in += length;
        out = foldNonAscii(c, out, begin);
    }
    m_size = out - begin;
}

QString foldForSearch(QStringView text)
{
    FoldedText folded;
    folded.assign(text);
    return folded.view().toString();
}

FoldedWithSources foldKeepingSources(QStringView text)
{
    FoldedWithSources result;
    std::vector<char16_t> buffer(size_t(text.size()) * 3);
    char16_t* const begin = buffer.data();
    char16_t* out = begin;
    result.start.reserve(size_t(text.size()));
    result.end.reserve(size_t(text.size()));
    for (qsizetype at = 0; at < text.size();) {
        char32_t c = text[at].unicode();
        qsizetype next = at + 1;
        if (QChar::isHighSurrogate(c) && next < text.size() && text[next].isLowSurrogate())
            c = QChar::surrogateToUcs4(char16_t(c), text[next++].unicode());
        char16_t* const before = out;
        out = foldCodePoint(c, out, begin);
        if (out == before && !result.end.empty())
            result.end.back() = next; // joined to the unit before
        for (char16_t* unit = before; unit < out; ++unit) {
            result.start.push_back(at);
            result.end.push_back(next);
        }
        at = next;
    }
    result.text = QString(reinterpret_cast<const QChar*>(begin), out - begin);
    return result;
}

namespace {

// A rough commonness of a character in memo text, for choosing the character
// a search looks for first: blanks, frequent English letters and kana come
// often; kanji, digits and rare letters seldom.
int commonness(char16_t c)
{
    static constexpr char kLettersByFrequency[] = "zqxjkvbpygfwmucldrhsnioate";
    if (c == u' ')
        return 40;
    if (c >= u'a' && c <= u'z')
        return 2 + int(std::strchr(kLettersByFrequency, char(c)) - kLettersByFrequency);
    if (c == u'.' || c == u',' || c == u'\r' || c == u'\n')
        return 25;
    if (c < 0x80)
        return 10;
    if (c >= 0x3000 && c <= 0x30FF) // kana and Japanese punctuation
        return 20;
    return 5;
}

} // namespace

FoldedMatcher::FoldedMatcher(QString foldedWord) : m_word(std::move(foldedWord))
{
    for (qsizetype i = 1; i < m_word.size(); ++i)
        if (commonness(m_word[i].unicode()) < commonness(m_word[m_anchor].unicode()))
            m_anchor = i;
}

qsizetype FoldedMatcher::indexIn(QStringView text) const
{
    const qsizetype length = m_word.size();
    if (length == 0)
        return 0;
    const QChar anchor = m_word[m_anchor];
    // The anchor of an occurrence lies between these two places.
    qsizetype from = m_anchor;
    const qsizetype last = text.size() - length + m_anchor;
    while (from <= last) {
        const qsizetype at = text.indexOf(anchor, from);
        if (at < 0 || at > last)
            return -1;
        const qsizetype start = at - m_anchor;
        if (std::memcmp(text.data() + start, m_word.constData(), size_t(length) * sizeof(QChar)) == 0)
            return start;
        from = at + 1;
    }
    return -1;
}
