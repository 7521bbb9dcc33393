#pragma once

#include <QString>

// Reads and writes settings files ("[Section]" lines followed by "key=value"
// lines). Every call opens the file anew; nothing is cached, so two copies of
// Quillet sharing a profile always see each other's last write.
//
// Sections and keys match without regard to letter case; keys and values are
// trimmed of blanks; lines starting with ';' are comments. Only the first
// section of a name counts, and in it only the first line of a key.
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
    // section at the end; every other line is kept as it was. Line breaks in the
    // value become blanks. The file is written as UTF-8 in its own line-break
    // style (CR LF for a new file) and replaced atomically. Returns false when
    // the file could not be read or written, or when the section or key name
    // could not be stored as such (empty, a line break, '=' in a key, ...).
    static bool writeText(const QString& file, const QString& section, const QString& key,
                          const QString& value);
};
