#include "tags/MemoListRows.h"

#include <QStringDecoder>

#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// Packed times: 1 + seconds counted with 12 months of 31 days a year from
// 1970/01/01 00:00:00, so that codes order as the texts do; codes from
// kOddTimes on name texts kept in the pool.
constexpr int kFirstYear = 1970;
constexpr int kYears = 130;
constexpr quint32 kCodesPerYear = 12u * 31u * 24u * 60u * 60u;
constexpr quint32 kOddTimes = 1u + quint32(kYears) * kCodesPerYear;
constexpr int kTimeLength = 19; // "yyyy/MM/dd HH:mm:ss"

template <typename Char> bool twoDigits(const Char* text, int lowest, int highest, int* value)
{
    const auto high = unsigned(text[0]) - '0';
    const auto low = unsigned(text[1]) - '0';
    if (high > 9 || low > 9)
        return false;
    *value = int(high * 10 + low);
    return *value >= lowest && *value <= highest;
}

// The code of a time text in the stored form, or 0 when it is not in that form.
template <typename Char> quint32 packTime(const Char* text, qsizetype length)
{
    if (length != kTimeLength || text[4] != '/' || text[7] != '/' || text[10] != ' ' || text[13] != ':' ||
        text[16] != ':')
        return 0;
    int century = 0, year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!twoDigits(text, 0, 99, &century) || !twoDigits(text + 2, 0, 99, &year) ||
        !twoDigits(text + 5, 1, 12, &month) || !twoDigits(text + 8, 1, 31, &day) ||
        !twoDigits(text + 11, 0, 23, &hour) || !twoDigits(text + 14, 0, 59, &minute) ||
        !twoDigits(text + 17, 0, 59, &second))
        return 0;
    year += century * 100;
    if (year < kFirstYear || year >= kFirstYear + kYears)
        return 0;
    quint32 code = quint32(year - kFirstYear);
    code = code * 12u + quint32(month - 1);
    code = code * 31u + quint32(day - 1);
    code = code * 24u + quint32(hour);
    code = code * 60u + quint32(minute);
    code = code * 60u + quint32(second);
    return 1u + code;
}

// Writes the text of a packed code (not 0) into `out`.
void unpackTime(quint32 code, char16_t* out)
{
    quint32 rest = code - 1;
    const auto put = [&out](int offset, quint32 value) {
        out[offset] = char16_t('0' + value / 10);
        out[offset + 1] = char16_t('0' + value % 10);
    };
    put(17, rest % 60);
    rest /= 60;
    put(14, rest % 60);
    rest /= 60;
    put(11, rest % 24);
    rest /= 24;
    put(8, rest % 31 + 1);
    rest /= 31;
    put(5, rest % 12 + 1);
    rest /= 12;
    const quint32 year = rest + kFirstYear;
    put(0, year / 100);
    put(2, year % 100);
    out[4] = out[7] = u'/';
    out[10] = u' ';
    out[13] = out[16] = u':';
}

// The units of a text's case-folded form, one at a time, as
// QString::toCaseFolded() gives them: each code point folded on its own
// (Qt's folding maps every code point to one).
class FoldedUnits
{
public:
    explicit FoldedUnits(QStringView text) : m_next(text.utf16()), m_end(text.utf16() + text.size()) {}

    // The next unit, or -1 at the end.
    int next()
    {
        if (m_pending) {
            const char16_t unit = m_pending;
            m_pending = 0;
            return unit;
        }
        if (m_next == m_end)
            return -1;
        const char16_t unit = *m_next++;
        if (unit < 0x80)
            return unit >= 'A' && unit <= 'Z' ? unit + ('a' - 'A') : unit;
        char32_t codePoint = unit;
        if (QChar::isSurrogate(unit)) {
            if (!QChar::isHighSurrogate(unit) || m_next == m_end || !QChar::isLowSurrogate(*m_next)) {
                m_loneSurrogate = true;
                return unit;
            }
            codePoint = QChar::surrogateToUcs4(unit, *m_next++);
        }
        const char32_t folded = QChar::toCaseFolded(codePoint);
        if (QChar::requiresSurrogates(folded)) {
            m_pending = QChar::lowSurrogate(folded);
            return QChar::highSurrogate(folded);
        }
        return int(folded);
    }

    // QString::toCaseFolded() treats a surrogate without its partner
    // differently by where it stands; such texts take the slow way.
    bool metLoneSurrogate() const { return m_loneSurrogate; }

private:
    const char16_t* m_next;
    const char16_t* m_end;
    char16_t m_pending = 0;
    bool m_loneSurrogate = false;
};

constexpr int kBlockBits = 20;
constexpr qsizetype kBlockUnits = qsizetype(1) << kBlockBits;
constexpr size_t kMaxBlocks = 2048; // block numbers fit bits 20 to 30 of a reference
constexpr quint32 kLongText = 0x80000000u;
constexpr qsizetype kLongLength = 0xFFFF; // lengths below fit the one unit in front of a text

constexpr size_t kBlockBytes = size_t(2) << 20;
static_assert(size_t(kBlockUnits) * sizeof(char16_t) == kBlockBytes,
              "a block holds the units of a text block");

} // namespace

// --- Blocks ---

// A list's first block takes memory page by page as it fills, so that a
// short list stays small. Its further blocks ask for huge pages (one page of
// 2 MiB per block, where the system offers them): a list of a million rows
// then takes a few dozen page faults instead of tens of thousands, which on
// some virtual machines cost more time than reading the rows. A huge page
// needs a block aligned to its size, hence a mapping of its own.
template <typename T> MemoListRows::Block<T> MemoListRows::newBlock(size_t blocksBefore)
{
    static_assert(kBlockBytes % sizeof(T) == 0);
    const bool huge = blocksBefore > 0;
    const size_t mapped = huge ? 2 * kBlockBytes : kBlockBytes;
    void* start = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (start == MAP_FAILED)
        throw std::bad_alloc();
    auto* block = static_cast<char*>(start);
    if (huge) {
        // The aligned 2 MiB stay; what lies before and after is given back.
        const auto address = reinterpret_cast<uintptr_t>(start);
        const size_t before = ((address + kBlockBytes - 1) & ~(kBlockBytes - 1)) - address;
        block += before;
        if (before > 0)
            munmap(start, before);
        munmap(block + kBlockBytes, kBlockBytes - before);
        madvise(block, kBlockBytes, MADV_HUGEPAGE);
    }
    // Rows are constructed as they are appended; units are written before they are read.
    return Block<T>(reinterpret_cast<T*>(block));
}

void MemoListRows::BlockRelease::operator()(void* block) const
{
    munmap(block, kBlockBytes);
}

// --- Text pool ---

char16_t* MemoListRows::TextPool::reserve(qsizetype units, quint32* reference)
{
    if (m_blocks.empty() || m_used + 1 + units > kBlockUnits) {
        if (m_blocks.size() == kMaxBlocks)
            return nullptr;
        m_blocks.push_back(newBlock<char16_t>(m_blocks.size()));
        m_used = 0;
    }
    *reference = quint32((m_blocks.size() - 1) << kBlockBits) | quint32(m_used);
    return m_blocks.back().get() + m_used;
}

quint32 MemoListRows::TextPool::addLong(QString text)
{
    m_long.push_back(std::move(text));
    return kLongText | quint32(m_long.size() - 1);
}

quint32 MemoListRows::TextPool::add(QStringView text)
{
    quint32 reference = 0;
    char16_t* at = text.size() < kLongLength ? reserve(text.size(), &reference) : nullptr;
    if (!at)
        return addLong(text.toString());
    at[0] = char16_t(text.size());
    std::copy_n(text.utf16(), text.size(), at + 1);
    m_used += 1 + text.size();
    return reference;
}

quint32 MemoListRows::TextPool::addUtf8(QByteArrayView utf8)
{
    // A UTF-8 text never has more UTF-16 units than bytes.
    quint32 reference = 0;
    char16_t* at = utf8.size() < kLongLength ? reserve(utf8.size(), &reference) : nullptr;
    if (!at)
        return addLong(QString::fromUtf8(utf8));
    const qsizetype length = decodeUtf8(utf8, at + 1);
    at[0] = char16_t(length);
    m_used += 1 + length;
    return reference;
}

std::function<quint32(quint32)> MemoListRows::TextPool::takeOver(TextPool&& pool)
{
    const quint32 longOffset = quint32(m_long.size());
    for (QString& text : pool.m_long)
        m_long.push_back(std::move(text));
    pool.m_long.clear();
    if (m_blocks.size() + pool.m_blocks.size() > kMaxBlocks) {
        // No room for its blocks: each text is copied (never met in practice).
        auto moved = std::make_shared<TextPool>(std::move(pool));
        return [this, moved, longOffset](quint32 reference) {
            return reference & kLongText ? reference + longOffset : add(moved->view(reference));
        };
    }
    const quint32 blockOffset = quint32(m_blocks.size()) << kBlockBits;
    for (auto& block : pool.m_blocks)
        m_blocks.push_back(std::move(block));
    if (!pool.m_blocks.empty())
        m_used = pool.m_used;
    pool.m_blocks.clear();
    return [blockOffset, longOffset](quint32 reference) {
        return reference & kLongText ? reference + longOffset : reference + blockOffset;
    };
}

QStringView MemoListRows::TextPool::view(quint32 reference) const
{
    if (reference & kLongText)
        return m_long[reference & ~kLongText];
    const char16_t* at = m_blocks[reference >> kBlockBits].get() + (reference & (kBlockUnits - 1));
    return QStringView(at + 1, at[0]);
}

// --- Rows ---

qsizetype MemoListRows::decodeUtf8(QByteArrayView utf8, char16_t* out)
{
    qsizetype length = 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
    while (length < utf8.size() && bytes[length] < 0x80) {
        out[length] = bytes[length];
        ++length;
    }
    if (length == utf8.size())
        return length;
    // Stateless: each text decodes on its own, exactly as QString::fromUtf8.
    static thread_local QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QChar* end = decoder.appendToBuffer(reinterpret_cast<QChar*>(out), utf8);
    return end - reinterpret_cast<const QChar*>(out);
}

MemoListRows::MemoListRows() = default;
MemoListRows::MemoListRows(MemoListRows&&) noexcept = default;
MemoListRows& MemoListRows::operator=(MemoListRows&&) noexcept = default;
MemoListRows::~MemoListRows() = default;

MemoListRows::Record& MemoListRows::appendRecord(qint64 id)
{
    static_assert(sizeof(Record) << kRecordChunkBits == kBlockBytes, "a chunk of rows fills a block");
    if ((m_size & kRecordChunkMask) == 0)
        m_records.push_back(newBlock<Record>(m_records.size()));
    const int index = m_size++;
    if (m_ascendingIds == index && (index == 0 || (*this)[index - 1].id < id))
        ++m_ascendingIds;
    else
        m_idsOutOfOrder.insert(id, index);
    Record* record = new (m_records.back().get() + (index & kRecordChunkMask)) Record();
    record->id = id;
    return *record;
}

quint32 MemoListRows::timeCode(QStringView text)
{
    if (text.isEmpty())
        return 0;
    if (const quint32 packed = packTime(text.utf16(), text.size()))
        return packed;
    m_oddTimes.push_back(m_texts.add(text));
    return kOddTimes + quint32(m_oddTimes.size() - 1);
}

quint32 MemoListRows::timeCodeUtf8(QByteArrayView text)
{
    if (text.isEmpty())
        return 0;
    if (const quint32 packed = packTime(text.data(), text.size()))
        return packed;
    m_oddTimes.push_back(m_texts.addUtf8(text));
    return kOddTimes + quint32(m_oddTimes.size() - 1);
}

int MemoListRows::append(const MemoListEntry& row)
{
    Record& record = appendRecord(row.id);
    record.publishTime = timeCode(row.publishTime);
    record.updateTime = timeCode(row.updateTime);
    record.title = m_texts.add(row.title);
    record.icon = row.icon;
    record.isPass = row.isPass;
    return m_size - 1;
}

int MemoListRows::append(qint64 id, QByteArrayView publishTime, QByteArrayView updateTime,
                         QByteArrayView title, int icon, bool isPass)
{
    Record& record = appendRecord(id);
    record.publishTime = timeCodeUtf8(publishTime);
    record.updateTime = timeCodeUtf8(updateTime);
    record.title = m_texts.addUtf8(title);
    record.icon = icon;
    record.isPass = isPass;
    return m_size - 1;
}

void MemoListRows::append(MemoListRows&& rows)
{
    const std::function<quint32(quint32)> moveText = m_texts.takeOver(std::move(rows.m_texts));
    const quint32 oddOffset = quint32(m_oddTimes.size());
    for (quint32 reference : rows.m_oddTimes)
        m_oddTimes.push_back(moveText(reference));
    const auto moveTime = [oddOffset](quint32 code) { return code >= kOddTimes ? code + oddOffset : code; };
    for (int i = 0; i < rows.size(); ++i) {
        const Record& from = rows[i];
        Record& record = appendRecord(from.id);
        record = from;
        record.publishTime = moveTime(from.publishTime);
        record.updateTime = moveTime(from.updateTime);
        record.title = moveText(from.title);
    }
    rows = MemoListRows();
}

MemoListEntry MemoListRows::entry(int index) const
{
    const Record& record = (*this)[index];
    return {
        record.id,    timeText(record.publishTime), timeText(record.updateTime), title(index), record.icon,
        record.isPass};
}

void MemoListRows::setUpdated(int index, const QString& updateTime, const QString& title)
{
    // The old title stays in the pool unused until the list is filled again.
    (*this)[index].updateTime = timeCode(updateTime);
    (*this)[index].title = m_texts.add(title);
}

int MemoListRows::indexOfId(qint64 id) const
{
    if (!m_idsOutOfOrder.isEmpty()) {
        const auto found = m_idsOutOfOrder.constFind(id);
        if (found != m_idsOutOfOrder.constEnd())
            return found.value();
    }
    int low = 0;
    int high = m_ascendingIds;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if ((*this)[middle].id < id)
            low = middle + 1;
        else
            high = middle;
    }
    return low < m_ascendingIds && (*this)[low].id == id ? low : -1;
}

QString MemoListRows::timeText(quint32 code) const
{
    if (code == 0)
        return QString();
    if (code >= kOddTimes)
        return m_texts.view(m_oddTimes[code - kOddTimes]).toString();
    QString text(kTimeLength, Qt::Uninitialized);
    unpackTime(code, reinterpret_cast<char16_t*>(text.data()));
    return text;
}

int MemoListRows::compareTimes(quint32 a, quint32 b) const
{
    if (a < kOddTimes && b < kOddTimes)
        return a < b ? -1 : a > b ? 1 : 0;
    char16_t bufferA[kTimeLength];
    char16_t bufferB[kTimeLength];
    const auto view = [this](quint32 code, char16_t* buffer) -> QStringView {
        if (code == 0)
            return {};
        if (code >= kOddTimes)
            return m_texts.view(m_oddTimes[code - kOddTimes]);
        unpackTime(code, buffer);
        return QStringView(buffer, kTimeLength);
    };
    return view(a, bufferA).compare(view(b, bufferB));
}

int MemoListRows::compareCaseFolded(QStringView a, QStringView b)
{
    FoldedUnits unitsA(a);
    FoldedUnits unitsB(b);
    for (;;) {
        const int unitA = unitsA.next();
        const int unitB = unitsB.next();
        if (unitsA.metLoneSurrogate() || unitsB.metLoneSurrogate())
            return a.toString().toCaseFolded().compare(b.toString().toCaseFolded());
        if (unitA != unitB)
            return unitA < unitB ? -1 : 1;
        if (unitA < 0)
            return 0;
    }
}

bool MemoListRows::caseFoldedPrefix(QStringView text, quint64* prefix, int from)
{
    FoldedUnits units(text);
    for (int i = 0; i < from; ++i)
        units.next();
    quint64 key = 0;
    for (int i = 0; i < 4; ++i) {
        const int unit = units.next();
        key = (key << 16) | quint64(unit < 0 ? 0 : unit);
    }
    *prefix = key;
    return !units.metLoneSurrogate();
}
