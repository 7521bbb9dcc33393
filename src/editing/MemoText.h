#pragma once

#include <QString>

// Memo text at the boundary between the database and the edit boxes, and the
// rules a save applies to it. Bodies are stored with CR LF line breaks; the
// edit box holds one '\n' per line break, and carets and counts use that.
namespace MemoText {

inline constexpr int MaxTitleLength = 255;

// The box's text for a stored body: every CR LF, lone CR, lone LF and U+2029
// becomes one '\n'; every other character stays as it is.
QString toEditor(const QString& stored);
// The stored form of text typed in the box: each '\n' becomes CR LF.
QString toStored(const QString& edited);
// The stored form of `edited`, a later state of the box that showed
// `editedBefore` == toEditor(storedBefore): the text outside the changed range
// keeps its stored characters (a lone CR or LF stays one), and only the changed
// range is converted by toStored. Unchanged text gives storedBefore itself.
QString toStoredKeeping(const QString& storedBefore, const QString& editedBefore, const QString& edited);

// The title a save writes: with automatic titles on, an empty title becomes the
// first line of the contents; any title is cut to its first 255 characters.
QString titleToSave(const QString& title, const QString& editedContents, bool automaticTitle);

// Characters of an edit box's text, line breaks not counted.
int countCharacters(const QString& edited);

} // namespace MemoText
