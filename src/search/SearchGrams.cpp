#include "search/SearchGrams.h"

#include <QChar>

#include <algorithm>

namespace {

// Bump whenever the tokens of a text change (the folding included), so that
// indexes made before are made again.
constexpr int kSchemeVersion = 1;

// A token as a number: up to three units in the low 48 bits (the first unit
// highest), the unit count above them, and a flag for title tokens. The count
// is never 0, so no token is 0.
constexpr int kCountShift = 48;
constexpr uint64_t kTitleFlag = uint64_t(1) << 50;

uint64_t key(const char16_t* units, int count, bool title)
{
    uint64_t value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 16) | units[i];
    return value | (uint64_t(count) << kCountShift) | (title ? kTitleFlag : 0);
}

constexpr char kHex[] = "0123456789abcdef";

char* putUnit(char* out, uint32_t unit)
{
    out[0] = kHex[(unit >> 12) & 0xF];
    out[1] = kHex[(unit >> 8) & 0xF];
    out[2] = kHex[(unit >> 4) & 0xF];
    out[3] = kHex[unit & 0xF];
    return out + 4;
}

// The longest token: "x" and three units.
constexpr int kMaxTokenSize = 13;

char* putToken(char* out, uint64_t value)
{
    if (value & kTitleFlag)
        *out++ = 'x';
    const int count = int((value >> kCountShift) & 3);
    for (int i = count - 1; i >= 0; --i)
        out = putUnit(out, uint32_t(value >> (16 * i)) & 0xFFFF);
    return out;
}

QString token(const char16_t* units, int count, bool title)
{
    char text[kMaxTokenSize];
    const char* end = putToken(text, key(units, count, title));
    return QString::fromLatin1(text, end - text);
}

size_t slotOf(uint64_t value, size_t mask)
{
    return size_t((value * 0x9E3779B97F4A7C15ull) >> 20) & mask;
}

} // namespace

SearchGrams::SearchGrams() : m_slots(1024, 0) {}

void SearchGrams::insert(uint64_t value)
{
    size_t mask = m_slots.size() - 1;
    for (size_t slot = slotOf(value, mask);; slot = (slot + 1) & mask) {
        if (m_slots[slot] == value)
            return;
        if (m_slots[slot] == 0) {
            m_slots[slot] = value;
            m_keys.push_back(value);
            break;
        }
    }
    // Kept at most half full, so that probes stay short.
    if (m_keys.size() * 2 > m_slots.size()) {
        m_slots.assign(m_slots.size() * 2, 0);
        mask = m_slots.size() - 1;
        for (const uint64_t kept : m_keys) {
            size_t slot = slotOf(kept, mask);
            while (m_slots[slot] != 0)
                slot = (slot + 1) & mask;
            m_slots[slot] = kept;
        }
    }
}

void SearchGrams::add(QByteArrayView utf8, bool title)
{
    if (utf8.isEmpty())
        return;
    m_folded.assignUtf8(utf8);
    const qsizetype size = m_folded.view().size();
    const char16_t* units = m_folded.view().utf16();
    for (qsizetype i = 0; i + 3 <= size; ++i)
        insert(key(units + i, 3, title));
    // The last two units and the last one: every place in the text starts a
    // token of at least one unit, and one of at least two units where two remain.
    if (size >= 2)
        insert(key(units + size - 2, 2, title));
    if (size >= 1)
        insert(key(units + size - 1, 1, title));
}

QByteArray SearchGrams::take()
{
    QByteArray tokens(qsizetype(m_keys.size() * (kMaxTokenSize + 1)), Qt::Uninitialized);
    char* const begin = tokens.data();
    char* out = begin;
    for (const uint64_t value : m_keys) {
        if (out != begin)
            *out++ = ' ';
        out = putToken(out, value);
    }
    tokens.truncate(out - begin);
    // Only the slots used are cleared, so that a memo costs what its text
    // costs. A key is looked for past free slots: those of keys cleared before
    // it may lie on its way.
    const size_t mask = m_slots.size() - 1;
    for (const uint64_t value : m_keys) {
        size_t slot = slotOf(value, mask);
        while (m_slots[slot] != value)
            slot = (slot + 1) & mask;
        m_slots[slot] = 0;
    }
    m_keys.clear();
    return tokens;
}

QString SearchGrams::wordQuery(QStringView foldedWord, bool title)
{
    const char16_t* units = foldedWord.utf16();
    const qsizetype size = foldedWord.size();
    // Quoted, so that no token reads as a keyword of the query language.
    if (size < 3)
        return u'"' + token(units, int(size), title) + QStringLiteral("\"*");
    std::vector<uint64_t> trigrams;
    for (qsizetype i = 0; i + 3 <= size; ++i)
        trigrams.push_back(key(units + i, 3, title));
    std::sort(trigrams.begin(), trigrams.end());
    trigrams.erase(std::unique(trigrams.begin(), trigrams.end()), trigrams.end());
    QString query;
    for (const uint64_t value : trigrams) {
        char text[kMaxTokenSize];
        const char* end = putToken(text, value);
        if (!query.isEmpty())
            query += QStringLiteral(" AND ");
        query += u'"' + QLatin1StringView(text, end - text) + u'"';
    }
    return query;
}

QString SearchGrams::scheme()
{
    return QStringLiteral("trigrams %1, Unicode %2")
        .arg(kSchemeVersion)
        .arg(int(QChar::currentUnicodeVersion()));
}
