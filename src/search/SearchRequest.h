#pragma once

#include <QString>
#include <QStringList>

// How several tags, or several words, of a tag search combine.
enum class SearchJoin
{
    And,
    Or
};

// What the filter dialog asks for: the ticked tag names and the search words,
// each with its AND/OR choice, and whether titles are searched too.
struct SearchRequest
{
    // The ticked tag names in list order; none: every memo passes the tag test.
    QStringList tags;
    SearchJoin tagJoin = SearchJoin::And;
    // The words as typed: split at single half-width blanks, so that two blanks
    // in a row give an empty word, which every memo contains. Empty: every memo
    // passes the word test.
    QString words;
    SearchJoin wordJoin = SearchJoin::And;
    bool searchTitles = true;

    bool operator==(const SearchRequest&) const = default;
};
