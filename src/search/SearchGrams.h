#pragma once

#include "search/SearchFolding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <vector>

// The tokens under which the search index files a memo, and the index queries
// for a search word.
//
// A memo's title and body are folded as the search folds them (SearchFolding.h);
// each folded text gives every distinct run of three neighbouring UTF-16 units
// (a trigram), and its last two units and last unit as shorter tokens. The
// matcher compares folded units, so a word it finds in a text has all its
// trigrams among the text's; a word of one or two units begins a trigram of
// the text or one of its last tokens. So the index finds every memo the
// matcher finds, and for a word of up to three units exactly those.
//
// Each token is plain ASCII: four lower-case hex digits per unit, title tokens
// led by an "x", separated by blanks, so that SQLite's own "ascii" tokenizer
// reads them and no tokenizer of Quillet's has to be registered to open the file.
class SearchGrams
{
public:
    SearchGrams();

    // Adds the tokens of a memo's title or body as stored (UTF-8); a null or
    // empty text adds none. Title and body are never joined.
    void addTitle(QByteArrayView utf8) { add(utf8, true); }
    void addBody(QByteArrayView utf8) { add(utf8, false); }
    // The distinct tokens added since the last call, blank-separated; resets
    // for the next memo. The same texts always give the same tokens.
    QByteArray take();

    // Words of up to this many units are matched exactly by their query.
    static constexpr int ExactUnits = 3;
    // The index query for the memos whose body (or title) holds `foldedWord`,
    // a folded, non-empty word: its trigrams joined with AND, or for a word of
    // one or two units the word as a prefix.
    static QString bodyQuery(QStringView foldedWord) { return wordQuery(foldedWord, false); }
    static QString titleQuery(QStringView foldedWord) { return wordQuery(foldedWord, true); }

    // Names the token scheme, stored with an index: an index made under any
    // other scheme is made again. It changes with this code's version and with
    // the Unicode tables the folding takes its case mapping from.
    static QString scheme();

private:
    void add(QByteArrayView utf8, bool title);
    void insert(uint64_t key);
    static QString wordQuery(QStringView foldedWord, bool title);

    FoldedText m_folded;
    // An open-addressing set of the memo's tokens as numbers (0 marks a free
    // slot), and the tokens in the order first added.
    std::vector<uint64_t> m_slots;
    std::vector<uint64_t> m_keys;
};
