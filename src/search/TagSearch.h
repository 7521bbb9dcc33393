#pragma once

#include "app/Progress.h"
#include "search/SearchFolding.h"
#include "search/SearchRequest.h"

#include <QList>

#include <memory>
#include <string>
#include <vector>

class MemoStore;
struct MemoSearchRow;

// One tag search made ready once (words folded, matchers built) and then
// tried on memo after memo, reusing its buffers so that a memo costs no
// allocation.
//
// A memo matches when both hold:
// - the tag test: no tags asked for; or its tag string (not Null) holds the
//   tags as whole tags, letter case ignored, all of them with AND, any with OR;
// - the word test: no words; or the words (split at single blanks) occur in
//   its body, or in its title when titles are searched, all of them with AND,
//   any with OR. Comparison is on the folded forms (SearchFolding.h). An empty
//   word, from two blanks in a row, is found in every memo.
class TagSearch
{
public:
    explicit TagSearch(const SearchRequest& request);
    TagSearch(const TagSearch&) = delete;
    TagSearch& operator=(const TagSearch&) = delete;

    bool matches(const MemoSearchRow& row);
    // The tag test alone.
    bool tagsHold(QByteArrayView category);

    // Every memo passes the word test: no words, only empty ones with AND, or
    // an empty one with OR.
    bool wordsAlwaysHold() const;
    bool hasTags() const { return !m_tags.isEmpty(); }
    SearchJoin wordJoin() const { return m_wordJoin; }
    bool searchesTitles() const { return m_searchTitles; }
    // The folded forms of the words that are not empty, in the order typed.
    QStringList foldedWords() const;

private:
    struct Word
    {
        bool empty = false;
        QString folded;
        std::unique_ptr<FoldedMatcher> matcher;
    };

    bool tagsHoldIn(QByteArrayView category);
    bool wordsHold(QByteArrayView title, QByteArrayView body);
    bool wordFound(const Word& word, QByteArrayView title, QByteArrayView body);

    QStringList m_tags;
    // Per tag: its UTF-8 bytes where a byte comparison decides (see
    // standsForItselfOnly), else null.
    std::vector<QByteArray> m_tagBytes;
    SearchJoin m_tagJoin;
    std::vector<Word> m_words;
    SearchJoin m_wordJoin;
    bool m_searchTitles;

    // Per memo: the tag string as UTF-16, and the folded title and body, each
    // made when first needed.
    std::vector<QChar> m_category;
    // The last tag string tested and its verdict: memos read in tag order
    // come with the same tag string one after the other.
    std::string m_lastCategory;
    bool m_lastCategoryNull = true;
    bool m_lastVerdict = false;
    FoldedText m_title;
    FoldedText m_body;
    bool m_titleFolded = false;
    bool m_bodyFolded = false;
};

// How one search went, for the benchmarks.
struct TagSearchStats
{
    bool usedIndex = false;
    // Memos that the index names or that were pending, before the text test.
    qsizetype candidates = 0;
    // Of those, the ones the index alone decides (words of up to three units).
    qsizetype certain = 0;
    // Every memo was read (too many candidates, or no index).
    bool scanned = false;
    // Time spent asking the index (its queries and the memos pending).
    double indexMs = 0;
};

// The search itself: the memos outside the trash (locked ones included) that
// match, as RecordIDs in table order. With the database's search index where
// it has a usable one, else by reading every memo; the results are the same
// either way. Many memos not yet in the index (a new index, a merge) are
// filed first, shown by a progress window from `makeProgress` when given; a
// cancel there leaves them for later and the search reads them all. Throws
// DatabaseError.
QList<qint64> RunTagSearch(MemoStore& store, const SearchRequest& request,
                           const ProgressFactory& makeProgress = {}, TagSearchStats* stats = nullptr);

// The same search with the index as it stands, filing nothing (as on a
// database opened read-only): the memos waiting are read as they are.
QList<qint64> RunTagSearchAsIs(MemoStore& store, const SearchRequest& request,
                               TagSearchStats* stats = nullptr);

// The same search, always by reading every memo outside the trash.
QList<qint64> ScanTagSearch(MemoStore& store, const SearchRequest& request);

// Above this many memos waiting for the index, a search files them with a
// progress window first; up to it, it files at most QuietCatchUp of them at
// once without one and reads the others as they are.
inline constexpr int CatchUpWithProgressAbove = 2000;
inline constexpr int QuietCatchUp = 200;
