#pragma once

#include <QList>
#include <QString>
#include <optional>

// Reading the values of freedesktop.org desktop entries (.desktop files and the
// MIME lists beside them): the string escapes, and the Exec key's quoting.
//
// Strict reading is for launchers Quillet wrote itself: anything its own
// writing never produces (an unknown escape, an open quote) makes the value
// unreadable. Lenient reading is for other programs' files: it takes what is
// there as literally as it can and never refuses.
namespace DesktopEntryValue {

enum class Reading
{
    Strict,
    Lenient
};

// Inside double quotes in an Exec value, these are written with a backslash
// before them: " ` $ and the backslash.
bool isEscapedInQuotes(QChar c);

// Undoes the escapes \s \n \t \r \\. Strict: nullopt for a backslash that
// starts no escape. Lenient: such a backslash stays as it is.
std::optional<QString> unescape(const QString& value, Reading reading);

// One argument of an Exec value, its quotes taken off; `quoted` when any part
// of it stood in double quotes.
struct Argument
{
    QString text;
    bool quoted = false;

    bool operator==(const Argument&) const = default;
};

// Splits an unescaped Exec value into arguments: blanks (space, tab, line
// break) separate them outside double quotes; inside quotes a backslash takes
// the next character. Strict: nullopt for an open quote, or a backslash in
// quotes before anything but " ` $ or a backslash. Lenient: an open quote runs
// to the end. Field codes (%f, %%, ...) are left to the caller.
std::optional<QList<Argument>> splitExec(const QString& text, Reading reading);

} // namespace DesktopEntryValue
