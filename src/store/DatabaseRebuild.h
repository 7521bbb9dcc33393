#pragma once

#include <QString>
#include <functional>

class Progress;

// What to rebuild: the database at `dbPath`, whose layout version is
// `oldVersion`, through the temporary files "old.mdb" and "new.mdb" in a
// folder of their own made in `myPath` (Quillet's folder), never in place of
// a file that is there. An empty title shows the default one.
struct RebuildRequest
{
    int oldVersion = 250;
    QString dbPath;
    QString title;
    QString myPath;
};

// Rebuilds the database into a fresh database of the built-in layout (not a
// copy of the file default.mdb, whatever that holds). True when the rebuilt file replaced the database,
// false when the user cancelled (database unchanged). Throws DatabaseError on failure (database unchanged).
// releaseDatabase is called right before the file is replaced (the caller closes its connection),
// reopenDatabase right after (also when the replace failed), both optional.
//
// Every table is copied row by row with the columns the old version has and
// fixed values for the ones it lacks. The database file itself is only
// touched at the end, by renaming a complete, synced copy over it, so that a
// crash at any moment leaves either the old or the new database whole. A
// database path that is a link stays one: the file it leads to is replaced.
bool RebuildDatabase(const RebuildRequest& request, Progress& progress,
                     const std::function<void()>& releaseDatabase = {},
                     const std::function<void()>& reopenDatabase = {});

// Rows written per transaction into the rebuilt file.
inline constexpr int RebuildRowsPerCommit = 1000;

// The progress window's title when the request names none.
QString DefaultRebuildTitle();
