#include "search/TextFinder.h"

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

qsizetype TextFinder::findForward(const QString& text, const QString& what, qsizetype from,
                                  Qt::CaseSensitivity sensitivity)
{
    if (from < 0)
        from = 0;
    while (from + what.size() <= text.size()) {
        // The empty string is found where the search starts.
        const qsizetype position = what.isEmpty() ? from : text.indexOf(what, from, sensitivity);
        if (position < 0)
            return -1;
        if (whole(text, position, what.size()))
            return position;
        from = position + 1;
    }
    return -1;
}

qsizetype TextFinder::findBackward(const QString& text, const QString& what, qsizetype end,
                                   Qt::CaseSensitivity sensitivity)
{
    // The latest start an occurrence ending at or before `end` can have.
    // QString::lastIndexOf reads a negative start as counted from the end of
    // the text, so the search stops before the start drops below 0.
    qsizetype from = qMin(end, text.size()) - what.size();
    while (from >= 0) {
        const qsizetype position = what.isEmpty() ? from : text.lastIndexOf(what, from, sensitivity);
        if (position < 0)
            return -1;
        if (whole(text, position, what.size()))
            return position;
        from = position - 1;
    }
    return -1;
}

TextFinder::Step TextFinder::findNext(const QString& text, qsizetype caret, const QString& what,
                                      Qt::CaseSensitivity sensitivity)
{
    caret = qBound<qsizetype>(0, caret, text.size());
    // Pressing the button again for the string just found moves past it.
    const bool repeat = m_continuing && what == m_lastFound;
    qsizetype position = -1;
    switch (m_direction) {
    case Direction::Whole:
        m_direction = Direction::Down;
        position = findForward(text, what, 0, sensitivity);
        break;
    case Direction::Down:
        position = findForward(text, what, repeat ? caret + what.size() : caret, sensitivity);
        break;
    case Direction::Up:
        // Every occurrence that ends at or before the caret, one that ends
        // right at it included. When repeating, the caret stands at the start
        // of the selected occurrence, so the search moves on past it.
        position = findBackward(text, what, caret, sensitivity);
        break;
    }

    if (position >= 0) {
        m_continuing = true;
        m_lastFound = what;
        return {Outcome::Found, position, what.size()};
    }
    const Outcome outcome = m_continuing ? Outcome::NoMore : Outcome::NotFound;
    m_continuing = false;
    m_lastFound.clear();
    return {outcome, -1, 0};
}
