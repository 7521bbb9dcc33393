#pragma once

#include <QString>

// The limits a cleaned path keeps within: 260 characters for the whole path,
// 255 UTF-8 bytes for the file name, the longest Linux file systems take.
inline constexpr qsizetype MaxPathChars = 260;
inline constexpr qsizetype MaxNameBytes = 255;

// Cleans the file name of a path that Quillet builds from memo text (a title, an
// export template), so that the file can be created.
//
// The folder is everything up to the last '/'; the extension is the text after
// the last '.' of the name (a name without one gets a bare '.' appended). Only
// the base name between them is cleaned: '/' and NUL, which Linux forbids, and
// also '\\', ':', '*', '?', '"', '<', '>', '|', CR, LF and tab, which Windows
// forbids, are removed, so that the files stay usable when copied to such a
// system.
//
// The base name is then shortened, never splitting a character, so that the
// whole path is at most 260 characters and the file name (base name and
// extension) at most 255 UTF-8 bytes, the longest name Linux file systems take.
QString MakeSafeFilePath(const QString& path);

// The same for a name that is not yet joined to its folder: every '/' of the
// name (a title may hold one) is removed instead of splitting off a folder.
// `folder` ends in '/'.
QString MakeSafeFilePath(const QString& folder, const QString& name);

// `path` (a cleaned one) with " (n)" before its extension: "a/b.txt" gives
// "a/b (2).txt". The base name is shortened, never splitting a character, so
// that the number fits within the same limits; the number itself is kept
// whole, so each n gives another path.
QString NumberedFilePath(const QString& path, int n);
