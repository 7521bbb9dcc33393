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

// The tag choice dialog's toggle: an empty text becomes the name; a text that
// holds the name loses every whole-tag occurrence of it (" " + text + " ", each
// " name " found left to right, letter case ignored, becomes one blank; the
// result trimmed); any other text gets a blank and the name appended.
QString toggleTag(const QString& text, const QString& name);

// The tag string after adding `names` (empty names skipped, a name already
// held not added again, letter case ignored) to `tagString`, or, with
// `replace`, made of those names only. Not shortened.
QString addTagsToString(const QString& tagString, const QStringList& names, bool replace);

// The tag string without the tag `name`: in tagString + " ", every occurrence
// of name + " " that starts the text or follows a blank, letter case ignored,
// becomes one blank; the result trimmed. A tag taken from between two others
// leaves two blanks there. Unchanged when it does not hold the name.
QString removeTagFromString(const QString& tagString, const QString& name);

// The tag string with the tag `name` renamed to `newName`: as removeTagFromString,
// but each occurrence becomes newName + " ". Unchanged when it does not hold the name.
QString renameTagInString(const QString& tagString, const QString& name, const QString& newName);

// True when the tag string holds the name as a whole tag, letter case ignored:
// " " + tagString + " " contains " " + name + " ". Runs once per memo when the
// memo list is filled, so it searches in place and allocates nothing.
bool holdsTag(QStringView tagString, QStringView name);
