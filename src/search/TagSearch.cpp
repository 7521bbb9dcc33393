#include "search/TagSearch.h"

#include "search/SearchGrams.h"
#include "store/DatabaseError.h"
#include "store/MemoStore.h"
#include "store/SearchIndex.h"
#include "tags/TagString.h"

#include <QElapsedTimer>
#include <QStringDecoder>

#include <algorithm>
#include <iterator>

namespace {

// A character that nothing else equals with letter case ignored: no letter
// has it as its case folding, and it has no case itself. A tag name of such
// characters alone is held exactly where its UTF-8 bytes stand between
// blanks, so the tag string need not be decoded.
bool standsForItselfOnly(char16_t c)
{
    const bool asciiLetter = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
    return (c > u' ' && c < 0x7F && !asciiLetter) || (c >= 0x3001 && c <= 0x30FF) ||
           (c >= 0x3400 && c <= 0x9FFF);
}

bool holdsTagBytes(QByteArrayView tags, QByteArrayView name)
{
    for (qsizetype from = 0;;) {
        const qsizetype at = tags.indexOf(name, from);
        if (at < 0)
            return false;
        const bool startsTag = at == 0 || tags[at - 1] == ' ';
        const qsizetype end = at + name.size();
        if (startsTag && (end == tags.size() || tags[end] == ' '))
            return true;
        from = at + 1;
    }
}

} // namespace

TagSearch::TagSearch(const SearchRequest& request)
    : m_tags(request.tags), m_tagJoin(request.tagJoin), m_wordJoin(request.wordJoin),
      m_searchTitles(request.searchTitles)
{
    for (const QString& tag : std::as_const(m_tags)) {
        const bool plain = !tag.isEmpty() && std::all_of(tag.begin(), tag.end(), [](QChar c) {
            return standsForItselfOnly(c.unicode());
        });
        m_tagBytes.push_back(plain ? tag.toUtf8() : QByteArray());
    }
    // An empty text gives no words at all; otherwise every single blank
    // separates two words, empty ones included.
    if (!request.words.isEmpty()) {
        for (const QString& word : request.words.split(u' ')) {
            Word compiled;
            compiled.empty = word.isEmpty();
            if (!compiled.empty) {
                compiled.folded = foldForSearch(word);
                compiled.matcher = std::make_unique<FoldedMatcher>(compiled.folded);
            }
            m_words.push_back(std::move(compiled));
        }
    }
}

bool TagSearch::matches(const MemoSearchRow& row)
{
    return tagsHold(row.category) && wordsHold(row.title, row.body);
}

bool TagSearch::wordsAlwaysHold() const
{
    const auto empty = [](const Word& word) { return word.empty; };
    if (m_wordJoin == SearchJoin::And)
        return std::all_of(m_words.begin(), m_words.end(), empty);
    return m_words.empty() || std::any_of(m_words.begin(), m_words.end(), empty);
}

QStringList TagSearch::foldedWords() const
{
    QStringList words;
    for (const Word& word : m_words)
        if (!word.empty)
            words.append(word.folded);
    return words;
}

bool TagSearch::tagsHold(QByteArrayView category)
{
    if (m_tags.isEmpty())
        return true;
    if (category.isNull())
        return false;
    if (!m_lastCategoryNull &&
        QByteArrayView(m_lastCategory.data(), qsizetype(m_lastCategory.size())) == category)
        return m_lastVerdict;
    m_lastCategory.assign(category.data(), size_t(category.size()));
    m_lastCategoryNull = false;
    m_lastVerdict = tagsHoldIn(category);
    return m_lastVerdict;
}

bool TagSearch::tagsHoldIn(QByteArrayView category)
{
    // Otherwise the tag string as UTF-16 (in a buffer that is kept), for the
    // tag table's own whole-tag test; made when first needed.
    QStringView tags;
    bool decoded = false;
    for (qsizetype i = 0; i < m_tags.size(); ++i) {
        bool held = false;
        if (!m_tagBytes[size_t(i)].isNull()) {
            held = holdsTagBytes(category, m_tagBytes[size_t(i)]);
        } else {
            if (!decoded) {
                QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                                 QStringDecoder::Flag::ConvertInitialBom);
                const qsizetype needed = decoder.requiredSpace(category.size());
                if (qsizetype(m_category.size()) < needed)
                    m_category.resize(size_t(needed));
                const QChar* end = decoder.appendToBuffer(m_category.data(), category);
                tags = QStringView(m_category.data(), end - m_category.data());
                decoded = true;
            }
            held = holdsTag(tags, m_tags[i]);
        }
        if (m_tagJoin == SearchJoin::Or && held)
            return true;
        if (m_tagJoin == SearchJoin::And && !held)
            return false;
    }
    return m_tagJoin == SearchJoin::And;
}

bool TagSearch::wordsHold(QByteArrayView title, QByteArrayView body)
{
    if (m_words.empty())
        return true;
    m_titleFolded = false;
    m_bodyFolded = false;
    for (const Word& word : m_words) {
        const bool found = wordFound(word, title, body);
        if (m_wordJoin == SearchJoin::Or && found)
            return true;
        if (m_wordJoin == SearchJoin::And && !found)
            return false;
    }
    return m_wordJoin == SearchJoin::And;
}

bool TagSearch::wordFound(const Word& word, QByteArrayView title, QByteArrayView body)
{
    if (word.empty)
        return true;
    // A Null title or body contains nothing.
    if (m_searchTitles && !title.isNull()) {
        if (!m_titleFolded) {
            m_title.assignUtf8(title);
            m_titleFolded = true;
        }
        if (word.matcher->indexIn(m_title.view()) >= 0)
            return true;
    }
    if (body.isNull())
        return false;
    if (!m_bodyFolded) {
        m_body.assignUtf8(body);
        m_bodyFolded = true;
    }
    return word.matcher->indexIn(m_body.view()) >= 0;
}

namespace {

using Ids = std::vector<qint64>;

Ids unite(const Ids& a, const Ids& b)
{
    Ids out;
    out.reserve(a.size() + b.size());
    std::set_union(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
    return out;
}

Ids intersect(const Ids& a, const Ids& b)
{
    Ids out;
    std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
    return out;
}

Ids subtract(const Ids& a, const Ids& b)
{
    Ids out;
    out.reserve(a.size());
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
    return out;
}

QList<qint64> toList(const Ids& ids)
{
    return QList<qint64>(ids.begin(), ids.end());
}

// Up to this many memos are read one by one without further thought; more
// only while that costs less than reading and matching every memo in table
// order, which takes about a quarter of the time per memo (measured at
// 100,000 and 1,000,000 memos).
constexpr size_t kPointReads = 2000;
constexpr qint64 kPointReadCost = 4;

bool pointReadsPay(MemoStore& store, size_t memos, std::optional<int>& memoCount)
{
    if (memos <= kPointReads)
        return true;
    if (!memoCount)
        memoCount = store.countMemos();
    return qint64(memos) * kPointReadCost < *memoCount;
}

// The memos outside the trash that pass the tag test, in order; no memo text
// is read.
Ids tagMatches(MemoStore& store, TagSearch& search)
{
    Ids found;
    store.forEachTagRow([&](const MemoSearchRow& row) {
        if (search.tagsHold(row.category))
            found.push_back(row.id);
    });
    std::sort(found.begin(), found.end());
    return found;
}

// Files the memos the index does not hold yet, as far as the search's rules
// and the user allow. A failure leaves them pending: the search reads them.
void catchUp(SearchIndex& index, const ProgressFactory& makeProgress)
{
    try {
        const int pending = index.pendingCount();
        if (pending > CatchUpWithProgressAbove) {
            if (makeProgress) {
                const std::unique_ptr<Progress> progress = makeProgress();
                index.catchUp(progress.get());
            }
        } else if (pending > 0) {
            index.catchUp(nullptr, QuietCatchUp);
        }
    } catch (const DatabaseError&) {
        // Busy or failing: the memos stay pending and are read as they are.
    }
}

// The search through the index. The index names, for each word, a superset
// of the memos that hold it (exactly those for words of up to
// SearchGrams::ExactUnits units); the memos pending are added to every
// superset and taken out of every exact set, as the index may be stale for
// them. Memos certain to hold the words get only the tag and trash tests;
// the other candidates are matched as the scan matches them.
std::optional<QList<qint64>> indexedSearch(MemoStore& store, TagSearch& search, TagSearchStats& stats)
{
    SearchIndex index(store.database());
    if (!index.isUsable())
        return std::nullopt;
    stats.usedIndex = true;
    const SqliteDatabase::ReadTransaction snapshot(store.database());
    QElapsedTimer asking;
    asking.start();

    Ids candidates;
    Ids certain;
    bool first = true;
    for (const QString& word : search.foldedWords()) {
        Ids holders = index.matchingIds(SearchGrams::bodyQuery(word));
        if (search.searchesTitles())
            holders = unite(holders, index.matchingIds(SearchGrams::titleQuery(word)));
        const bool exact = word.size() <= SearchGrams::ExactUnits;
        if (search.wordJoin() == SearchJoin::And) {
            certain = first ? (exact ? holders : Ids{}) : (exact ? intersect(certain, holders) : Ids{});
            candidates = first ? std::move(holders) : intersect(candidates, holders);
        } else {
            if (exact)
                certain = unite(certain, holders);
            candidates = unite(candidates, holders);
        }
        first = false;
    }
    const Ids pending = index.pendingIds();
    stats.indexMs = double(asking.nsecsElapsed()) / 1e6;
    certain = subtract(certain, pending);
    Ids uncertain = subtract(unite(candidates, pending), certain);
    stats.candidates = qsizetype(certain.size() + uncertain.size());
    stats.certain = qsizetype(certain.size());

    // Too many to read one by one: where tags are asked for, the tag strings
    // alone (read without any memo text) may leave few.
    bool tagsTested = false;
    if (search.hasTags() && uncertain.size() > kPointReads) {
        const Ids tagged = tagMatches(store, search);
        uncertain = intersect(uncertain, tagged);
        certain = intersect(certain, tagged);
        tagsTested = true;
    }

    std::optional<int> memoCount;
    Ids found;
    if (!pointReadsPay(store, uncertain.size(), memoCount)) {
        // Most memos are candidates: read them all in table order, testing
        // each as the index allows.
        stats.scanned = true;
        auto nextCertain = certain.begin();
        auto nextUncertain = uncertain.begin();
        store.forEachSearchRow([&](const MemoSearchRow& row) {
            while (nextCertain != certain.end() && *nextCertain < row.id)
                ++nextCertain;
            while (nextUncertain != uncertain.end() && *nextUncertain < row.id)
                ++nextUncertain;
            if (nextCertain != certain.end() && *nextCertain == row.id) {
                if (search.tagsHold(row.category))
                    found.push_back(row.id);
            } else if (nextUncertain != uncertain.end() && *nextUncertain == row.id) {
                if (search.matches(row))
                    found.push_back(row.id);
            }
        });
        return toList(found);
    }

    store.forEachSearchRowOf(uncertain, [&](const MemoSearchRow& row) {
        if (search.matches(row))
            found.push_back(row.id);
    });
    Ids sure;
    if (tagsTested) {
        sure = certain; // the tag rows lie outside the trash
    } else if (!search.hasTags()) {
        sure = subtract(certain, store.trashedIds());
    } else if (pointReadsPay(store, certain.size(), memoCount)) {
        store.forEachSearchRowOf(certain, [&](const MemoSearchRow& row) {
            if (search.tagsHold(row.category))
                sure.push_back(row.id);
        });
    } else {
        sure = intersect(certain, tagMatches(store, search));
    }
    return toList(unite(found, sure));
}

} // namespace

QList<qint64> RunTagSearch(MemoStore& store, const SearchRequest& request,
                           const ProgressFactory& makeProgress, TagSearchStats* stats)
{
    if (!store.isReadOnly() && !TagSearch(request).wordsAlwaysHold()) {
        SearchIndex index(store.database());
        index.prepare();
        if (index.isUsable())
            catchUp(index, makeProgress);
    }
    return RunTagSearchAsIs(store, request, stats);
}

QList<qint64> RunTagSearchAsIs(MemoStore& store, const SearchRequest& request, TagSearchStats* stats)
{
    TagSearch search(request);
    TagSearchStats ignored;
    TagSearchStats& counts = stats ? *stats : ignored;
    counts = {};
    // The words hold for every memo: only the tag strings need reading.
    if (search.wordsAlwaysHold())
        return toList(tagMatches(store, search));
    try {
        if (std::optional<QList<qint64>> found = indexedSearch(store, search, counts))
            return *found;
    } catch (const DatabaseError&) {
        // An index this SQLite cannot read (no full-text tables): the scan
        // finds the same memos.
    }
    counts = {};
    counts.scanned = true;
    return ScanTagSearch(store, request);
}

QList<qint64> ScanTagSearch(MemoStore& store, const SearchRequest& request)
{
    TagSearch search(request);
    QList<qint64> found;
    store.forEachSearchRow([&](const MemoSearchRow& row) {
        if (search.matches(row))
            found.append(row.id);
    });
    return found;
}
