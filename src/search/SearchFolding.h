#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <vector>

// The form in which the tag search compares its words with memo text, so
// that a plain (case-sensitive) substring search on folded texts finds what
// a Japanese user means by "the same word":
// - letter case: Unicode full case folding (so "STRASSE" finds "Straße");
// - width: full-width ASCII (U+FF01..U+FF5E) counts as half-width, the
//   ideographic space as a blank, and half-width katakana and punctuation as
//   full-width, a following half-width (or combining) voiced or semi-voiced
//   mark joined to its kana ("ｶﾞ" is "ガ", never "カ" and a mark);
// - kana: hiragana counts as katakana.
// Nothing else is merged: kanji variants, "〜" and "～", circled digits and
// the like stay distinct. Tags are not folded this way: they keep the tag
// table's rule (letter case only), so that a tag search agrees with the counts.
class FoldedText
{
public:
    QStringView view() const { return QStringView(m_data.data(), m_size); }
    bool isEmpty() const { return m_size == 0; }
    void clear() { m_size = 0; }

    // Replace the contents with the folded form of the text; the buffer only
    // ever grows, so folding memo after memo allocates almost never.
    void assign(QStringView text);
    void assignUtf8(QByteArrayView utf8);

private:
    char16_t* reserve(qsizetype units);

    std::vector<char16_t> m_data;
    qsizetype m_size = 0;
};

// The folded form of a text, as a string (for the search words and tests).
QString foldForSearch(QStringView text);

// The folded form of a text with, for each folded unit, the span of the
// original text its character came from, so that a word found in the folded
// form can be selected on the characters the user sees. A voiced mark joined
// to its kana widens that kana's span; a character that folds to several
// units gives each of them its whole span.
struct FoldedWithSources
{
    QString text;
    std::vector<qsizetype> start; // where each unit's character starts in the original
    std::vector<qsizetype> end;   // and where it ends
};
FoldedWithSources foldKeepingSources(QStringView text);

// Finds one folded word in folded texts. It looks for the word's least common
// character first (Qt's vectorised character search), then compares the whole
// word there: on memo text this is several times faster than a Boyer-Moore
// matcher, which has few long skips over mixed kana, kanji and ASCII.
class FoldedMatcher
{
public:
    explicit FoldedMatcher(QString foldedWord);
    // The position of the first occurrence, or -1. The empty word is at 0.
    qsizetype indexIn(QStringView text) const;

private:
    QString m_word;
    qsizetype m_anchor = 0; // index of the character looked for first
};
