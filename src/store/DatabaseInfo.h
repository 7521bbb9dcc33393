#pragma once

#include <QString>

// Checks made on a database file before it is opened for the run; each opens
// its own short connection. They throw DatabaseError for a file that is not a
// readable database.

// The layout version (VersionInfo); 0 when the file is missing or has no DBInfo.
int ReadVersionInfo(const QString& path);
// The version the file's Memo table shows by its columns (220 to 250); 0 when
// it has no Memo table. A file whose DBInfo row is missing or blank would
// otherwise pass for version 0, and a rebuild by that version leaves its memos
// behind.
int ReadLayoutVersion(const QString& path);
// Whether the database asks for its password: IsMemoPass is set and a password
// is stored. A file without one (every layout before 250 has no Password
// column) is not protected, whatever its flag says.
bool ReadIsMemoPass(const QString& path);
// Whether `entered` equals the stored database password exactly (case and width
// count). False when DBInfo has no row.
bool CheckDatabasePassword(const QString& entered, const QString& path);

inline constexpr int CurrentDatabaseVersion = 250;
