#pragma once

#include <QString>
#include <optional>

// The find-in-text steps of the find dialog, on a plain string: the text of
// the contents box, its caret (the start of its selection) and the string to
// find. Positions count UTF-16 code units, a line break being one, which is
// the contents box's own counting. The finder remembers between steps whether
// the previous step found something and what it found, so that pressing the
// button again moves on to the next occurrence.
class TextFinder
{
public:
    // The values of the dialog's direction state.
    enum class Direction
    {
        Whole = 0,
        Up = 1,
        Down = 2
    };
    enum class Outcome
    {
        Found,
        NotFound,
        NoMore
    };

    struct Step
    {
        Outcome outcome = Outcome::NotFound;
        qsizetype position = -1; // start of the occurrence to select
        qsizetype length = 0;    // length of the selection
    };

    // The direction a choice of the direction box stands for ("全体", "下へ",
    // "上へ"); nullopt for any other text, which leaves the direction as it is.
    static std::optional<Direction> directionForChoice(const QString& choice);
    // The message shown for a step that found nothing; empty for Found.
    static QString message(Outcome outcome);

    Direction direction() const { return m_direction; }
    void setDirection(Direction direction) { m_direction = direction; }
    bool continuing() const { return m_continuing; }
    const QString& lastFound() const { return m_lastFound; }

    // One press of the find button: looks for `what` in `text` in the current
    // direction from `caret`. A search over the whole text turns the direction
    // to down for the steps after it. Unless case counts, width and kana do
    // not count either, as in the tag and word search; the occurrence found
    // then covers the text's own characters, whose length may differ from
    // that of `what` ("ｶﾞ" for "が").
    Step findNext(const QString& text, qsizetype caret, const QString& what, Qt::CaseSensitivity sensitivity);

private:
    Direction m_direction = Direction::Down;
    bool m_continuing = false;
    QString m_lastFound;
    qsizetype m_lastLength = 0; // of the occurrence last found, in the text
};
