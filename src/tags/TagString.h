#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// A memo's tag string (column Category): tag names separated by single blanks
// (U+0020 only; tabs and U+3000 belong to the names), trimmed, at most
// MaxTagStringLength UTF-16 units. Null or empty means no tags.

inline constexpr qsizetype MaxTagStringLength = 255;

// Removes leading and trailing U+0020 blanks; no other character counts as a blank.
QString trimBlanks(const QString& text);

// Trims, then splits at every single blank. Two blanks in a row give an empty
// name between them, which is kept. An empty (or all-blank) string gives no names.
QStringList splitTags(const QString& tagString);

// What the tag box text becomes when it is stored: trimmed and, when longer than
// MaxTagStringLength, shortened by dropping whole tags from the end; a single
// over-long tag is cut to its first MaxTagStringLength units (never between the
// two halves of a surrogate pair). The result is trimmed.
QString shortenTagString(const QString& tagBoxText);

// True when the tag string holds the name as a whole tag, letter case ignored:
// " " + tagString + " " contains " " + name + " ". Runs once per memo when the
// memo list is filled, so it searches in place and allocates nothing.
bool holdsTag(QStringView tagString, QStringView name);
