#include "app/DesktopEntryValue.h"

namespace DesktopEntryValue {

bool isEscapedInQuotes(QChar c)
{
    return c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\');
}

namespace {

std::optional<QChar> escaped(QChar code)
{
    switch (code.unicode()) {
    case 's':
        return QLatin1Char(' ');
    case 'n':
        return QLatin1Char('\n');
    case 't':
        return QLatin1Char('\t');
    case 'r':
        return QLatin1Char('\r');
    case '\\':
        return QLatin1Char('\\');
    default:
        return std::nullopt;
    }
}

bool isSeparator(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n');
}

} // namespace

std::optional<QString> unescape(const QString& value, Reading reading)
{
    QString text;
    text.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\')) {
            text += c;
            continue;
        }
        const std::optional<QChar> meant = i + 1 < value.size() ? escaped(value.at(i + 1)) : std::nullopt;
        if (meant) {
            text += *meant;
            ++i;
        } else if (reading == Reading::Strict) {
            return std::nullopt;
        } else {
            text += c; // the next character, if any, follows as itself
        }
    }
    return text;
}

std::optional<QList<Argument>> splitExec(const QString& text, Reading reading)
{
    QList<Argument> arguments;
    Argument argument;
    bool inArgument = false;
    bool inQuotes = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (inQuotes) {
            if (c == QLatin1Char('"')) {
                inQuotes = false;
            } else if (c == QLatin1Char('\\') && i + 1 < text.size() &&
                       (reading == Reading::Lenient || isEscapedInQuotes(text.at(i + 1)))) {
                argument.text += text.at(++i);
            } else if (c == QLatin1Char('\\') && reading == Reading::Strict) {
                return std::nullopt;
            } else {
                argument.text += c;
            }
        } else if (isSeparator(c)) {
            if (inArgument)
                arguments.append(argument);
            argument = {};
            inArgument = false;
        } else if (c == QLatin1Char('"')) {
            inQuotes = true;
            inArgument = true;
            argument.quoted = true;
        } else {
            argument.text += c;
            inArgument = true;
        }
    }
    if (inQuotes && reading == Reading::Strict)
        return std::nullopt;
    if (inArgument)
        arguments.append(argument);
    return arguments;
}

} // namespace DesktopEntryValue
