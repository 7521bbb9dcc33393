#pragma once

#include "search/SearchFolding.h"
#include "search/SearchRequest.h"

#include <QList>

#include <memory>
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

private:
    struct Word
    {
        bool empty = false;
        std::unique_ptr<FoldedMatcher> matcher;
    };

    bool tagsHold(QByteArrayView category);
    bool wordsHold(QByteArrayView title, QByteArrayView body);
    bool wordFound(const Word& word, QByteArrayView title, QByteArrayView body);

    QStringList m_tags;
    SearchJoin m_tagJoin;
    std::vector<Word> m_words;
    SearchJoin m_wordJoin;
    bool m_searchTitles;

    // Per memo: the tag string as UTF-16, and the folded title and body, each
    // made when first needed.
    std::vector<QChar> m_category;
    FoldedText m_title;
    FoldedText m_body;
    bool m_titleFolded = false;
    bool m_bodyFolded = false;
};

// The search itself: every memo, those in the trash and the locked ones
// included, in table order; returns the RecordIDs of the memos that match.
// Throws DatabaseError.
QList<qint64> RunTagSearch(MemoStore& store, const SearchRequest& request);
