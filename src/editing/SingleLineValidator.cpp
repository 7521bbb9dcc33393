#include "editing/SingleLineValidator.h"

QValidator::State SingleLineValidator::validate(QString& input, int& position) const
{
    if (m_programSetsText)
        return Acceptable;
    QString kept;
    kept.reserve(input.size());
    int keptPosition = position;
    for (qsizetype i = 0; i < input.size(); ++i) {
        const QChar ch = input.at(i);
        if (ch == u'\r' || ch == u'\n') {
            if (i < position)
                --keptPosition;
            continue;
        }
        kept.append(ch);
    }
    if (kept.size() != input.size()) {
        input = kept;
        position = keptPosition;
    }
    return Acceptable;
}
