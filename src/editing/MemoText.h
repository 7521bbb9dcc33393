#pragma once

#include <QString>

// Memo text at the boundary between the database and the edit boxes, and the
// rules a save applies to it. Bodies are stored with CR LF line breaks; the
// edit box holds one '\n' per line break, and carets and counts use that.
namespace MemoText {

inline constexpr int MaxTitleLength = 255;

QString toEditor(const QString& stored);
QString toStored(const QString& edited);

// The title a save writes: with automatic titles on, an empty title becomes the
// first line of the contents; any title is cut to its first 255 characters.
QString titleToSave(const QString& title, const QString& editedContents, bool automaticTitle);

// Characters of an edit box's text, line breaks not counted.
int countCharacters(const QString& edited);

} // namespace MemoText
