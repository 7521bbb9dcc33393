#include "search/TextFinder.h"

#include "search/SearchFolding.h"

#include <algorithm>

namespace {

// True when `position` lies between the high and the low half of a surrogate
// pair, where no occurrence may start or end.
bool splitsPair(const QString& text, qsizetype position)
{
    return position > 0 && position < text.size() && text.at(position - 1).isHighSurrogate() &&
           text.at(position).isLowSurrogate();
}

bool whole(const QString& text, qsizetype position, qsizetype length)
{
    return !splitsPair(text, position) && !splitsPair(text, position + length);
}

// An occurrence in the original text.
struct Span
{
    qsizetype position = -1;
    qsizetype length = 0;
};

// The first occurrence starting at or after `from`, and the last one ending
// at or before `end`. An occurrence never starts or ends between the two
// halves of a surrogate pair.
Span findExactForward(const QString& text, const QString& what, qsizetype from)
{
    from = std::max<qsizetype>(from, 0);
    while (from + what.size() <= text.size()) {
        // The empty string is found where the search starts.
        const qsizetype position = what.isEmpty() ? from : text.indexOf(what, from);
        if (position < 0)
            return {};
        if (whole(text, position, what.size()))
            return {position, what.size()};
        from = position + 1;
    }
    return {};
}

Span findExactBackward(const QString& text, const QString& what, qsizetype end)
{
    // The latest start an occurrence ending at or before `end` can have.
    // QString::lastIndexOf reads a negative start as counted from the end of
    // the text, so the search stops before the start drops below 0.
    qsizetype from = qMin(end, text.size()) - what.size();
    while (from >= 0) {
        const qsizetype position = what.isEmpty() ? from : text.lastIndexOf(what, from);
        if (position < 0)
            return {};
        if (whole(text, position, what.size()))
            return {position, what.size()};
        from = position - 1;
    }
    return {};
}

// Any case, width and kana: the search runs on the folded forms, as the tag
// and word search does, and the occurrence covers the original characters.
class FoldedSearch
{
public:
    FoldedSearch(const QString& text, const QString& what)
        : m_text(foldKeepingSources(text)), m_what(foldForSearch(what))
    {
    }

    // The same searches as on the text itself, run on the folded text.
    Span forward(qsizetype from) const
    {
        // From the first unit whose character starts at or after `from`.
        const qsizetype unit =
            std::lower_bound(m_text.start.begin(), m_text.start.end(), from) - m_text.start.begin();
        return original(findExactForward(m_text.text, m_what, unit));
    }
    Span backward(qsizetype end) const
    {
        // Within the units whose characters end at or before `end`.
        const qsizetype units = std::upper_bound(m_text.end.begin(), m_text.end.end(), end) - m_text.end.begin();
        return original(findExactBackward(m_text.text, m_what, units));
    }

private:
    // An occurrence in the folded text as the span of the characters it came from.
    Span original(Span folded) const
    {
        if (folded.position < 0)
            return {};
        const qsizetype start = m_text.start[size_t(folded.position)];
        return {start, m_text.end[size_t(folded.position + folded.length - 1)] - start};
    }

    FoldedWithSources m_text;
    QString m_what;
};

} // namespace

std::optional<TextFinder::Direction> TextFinder::directionForChoice(const QString& choice)
{
    if (choice == QStringLiteral("上へ"))
        return Direction::Up;
    if (choice == QStringLiteral("下へ"))
        return Direction::Down;
    if (choice == QStringLiteral("全体"))
        return Direction::Whole;
    return std::nullopt;
}

QString TextFinder::message(Outcome outcome)
{
    switch (outcome) {
    case Outcome::NoMore:
        return QStringLiteral("これ以上は見つかりませんでした。");
    case Outcome::NotFound:
        return QStringLiteral("見つかりませんでした。");
    default:
        return {};
    }
}

TextFinder::Step TextFinder::findNext(const QString& text, qsizetype caret, const QString& what,
                                      Qt::CaseSensitivity sensitivity)
{
    caret = qBound<qsizetype>(0, caret, text.size());
    // Pressing the button again for the string just found moves past it.
    const bool repeat = m_continuing && what == m_lastFound;
    const bool exact = sensitivity == Qt::CaseSensitive || what.isEmpty();
    const std::optional<FoldedSearch> folded =
        exact ? std::nullopt : std::optional<FoldedSearch>(std::in_place, text, what);
    const auto forward = [&](qsizetype from) {
        return folded ? folded->forward(from) : findExactForward(text, what, from);
    };
    Span found;
    switch (m_direction) {
    case Direction::Whole:
        m_direction = Direction::Down;
        found = forward(0);
        break;
    case Direction::Down:
        found = forward(repeat ? caret + m_lastLength : caret);
        break;
    case Direction::Up:
        // Every occurrence that ends at or before the caret, one that ends
        // right at it included. When repeating, the caret stands at the start
        // of the selected occurrence, so the search moves on past it.
        found = folded ? folded->backward(caret) : findExactBackward(text, what, caret);
        break;
    }

    if (found.position >= 0) {
        m_continuing = true;
        m_lastFound = what;
        m_lastLength = found.length;
        return {Outcome::Found, found.position, found.length};
    }
    const Outcome outcome = m_continuing ? Outcome::NoMore : Outcome::NotFound;
    m_continuing = false;
    m_lastFound.clear();
    m_lastLength = 0;
    return {outcome, -1, 0};
}
