#pragma once

#include <QValidator>

// Keeps a line box on one line: CR and LF that come in by typing, pasting or
// dropping are dropped. While `programSetsText` is true (the program putting
// its own text in) the text is left as it is.
class SingleLineValidator : public QValidator
{
public:
    SingleLineValidator(const bool& programSetsText, QObject* parent)
        : QValidator(parent), m_programSetsText(programSetsText)
    {
    }

    State validate(QString& input, int& position) const override;

private:
    const bool& m_programSetsText;
};
