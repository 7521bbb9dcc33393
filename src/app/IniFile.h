#pragma once

#include <QList>
#include <QString>

struct IniWrite
{
    QString section;
    QString key;
    QString value;
};

// Reads and writes settings files ("[Section]" lines followed by "key=value"
// lines). Every call opens the file anew; nothing is cached, so two copies of
// Quillet sharing a profile always see each other's last write.
//
// Sections and keys match without regard to letter case; keys and values are
// trimmed of ASCII blanks (space, tab, vertical tab, form feed; an ideographic
// space U+3000 is text); lines starting with ';' are comments. Only the first
// section of a name counts, and in it only the first line of a key.
//
// Each line is decoded on its own: as UTF-8 when its bytes are valid UTF-8,
// otherwise as CP932, so files written on Windows read as before and a file
// holding both kinds of line reads correctly. A leading UTF-8 byte-order mark
// is ignored.
class IniFile
{
public:
    IniFile() = delete;

    // The value with one pair of matching surrounding quotes (" or ') removed,
    // cut at its first NUL and to at most 255 UTF-8 bytes without splitting a
    // character; the default when the file, section or key is missing.
    static QString readText(const QString& file, const QString& section, const QString& key,
                            const QString& defaultValue);

    // A 16-bit signed decimal integer (optional sign, digits, nothing else);
    // the default for anything else.
    static int readInt(const QString& file, const QString& section, const QString& key, int defaultValue);

    // A decimal number with '.' as the decimal point ("2520", "1234.5", ".5");
    // the default for anything else.
    static double readNumber(const QString& file, const QString& section, const QString& key,
                             double defaultValue);

    // Replaces the key's value, or adds the key to its section, or adds the
    // section at the end. Only that line is written anew, as UTF-8; every other
    // line keeps its exact bytes and line break (a leading UTF-8 byte-order mark
    // is dropped, unless the first line starts with another), and new lines
    // take the file's line-break style (CR LF for a new file). A key whose line
    // already reads as `value` is left as it is.
    // The file is replaced atomically.
    //
    // Whatever is written reads back identical through readText: a value that
    // starts or ends with a blank, or starts and ends with the same quote, is
    // stored inside a pair of double quotes, which reading takes off. A value
    // that no line can give back is refused and the file left as it was: one
    // with a line break (CR or LF), a NUL, a lone surrogate, or more than the
    // 255 UTF-8 bytes that readText returns.
    //
    // Returns false for such a value, when the file could not be read or
    // written, or when the section or key name could not be stored as such
    // (empty, a line break, '=' in a key, ...).
    static bool writeText(const QString& file, const QString& section, const QString& key,
                          const QString& value);

    // Several writes with one read and one replace of the file, each made as
    // writeText makes it, in order; the file is not written when no line
    // changes. A write that writeText would refuse is left out and the others
    // are made. False when any was left out or the file could not be read or
    // written.
    static bool writeTexts(const QString& file, const QList<IniWrite>& writes);

    // Whether writeText would take this section, key and value.
    static bool isStorable(const QString& section, const QString& key, const QString& value);
};
