#pragma once

#include <QString>
#include <QStringList>

class DatabaseError;
class Progress;

// Databases of the Windows program are Jet files (Access 97 "Jet 3" or Access
// 2000 "Jet 4"). Quillet reads them once, through mdbtools' libmdb, and writes
// their tables into a new SQLite file, which is then an ordinary (possibly old)
// Quillet database.

// Whether the file at `path` starts like a Jet database ("Standard Jet DB" at byte 4).
bool IsJetFile(const QString& path);

// The SQLite file a Jet file is converted into, beside it: "work.mdb" gives
// "work.sqlite.mdb" (the extension stays ".mdb", so that the command line and
// the file dialogs take the copy as a database).
QString JetConvertedPath(const QString& jetPath);

// The tables of Quillet's layouts, old and new: the diary tables, the memos,
// the database information.
QStringList KnownJetTables();

// What a conversion found, for the question after it.
struct JetConversion
{
    bool cancelled = false;
    bool jet3 = false;        // text was decoded from code page 932 (Jet 3 stores no Unicode)
    QStringList tables;       // the tables copied, in the order copied
    QStringList sampleTitles; // a few memo (or diary) titles as they were decoded
};

// Opens the Jet file and reads its catalogue without writing anything:
// throws the DatabaseError a conversion would for a file that is damaged,
// protected by a password or has none of `tables`, so that the user is asked
// to convert only a file that can be.
void CheckJetDatabase(const QString& jetPath, const QStringList& tables);

// Copies the tables named in `tables` that the Jet file at `jetPath` has
// (names compared without letter case; `KnownJetTables()` for Quillet), every
// column and every row, into a new SQLite file at `target`:
// - NULL stays NULL (libmdb reports an empty text as no value: it arrives as NULL);
// - yes/no columns become -1 (yes) and 0 (no), as the Windows program stored them;
// - date/time columns become text "yyyy/MM/dd HH:mm:ss";
// - text arrives as the same characters: Jet 4 stores UTF-16, Jet 3 the code
//   page, read as CP932;
// - numbers stay numbers; binary values become blobs.
// Columns of Quillet's own layout take the built-in layout's type and default
// (RecordID stays the key, its values kept); others take their Jet type.
//
// `target` must not exist and is never replaced: the file is written under a
// temporary name beside it and appears only when complete. The Jet file is
// only read. Throws DatabaseError (nothing written) for a Jet file that is
// damaged, protected by a password, or has none of the tables, or when the
// target cannot be written. A cancel (checked after each row) writes nothing.
JetConversion ConvertJetDatabase(const QString& jetPath, const QString& target, const QStringList& tables,
                                 Progress& progress);

// The refusal of a Jet file that cannot be read: "「work.mdb」は…壊れているため読み込めません。"
DatabaseError DamagedJetFile(const QString& jetPath, const QString& detail = {});

// Throws DatabaseError when a file stands at `target`: a conversion never replaces one.
void RefuseExistingJetTarget(const QString& target);

// Removes the unfinished copies ("<target>.partial-XXXXXX" and its journals)
// that a conversion into `target` which was killed or stopped left beside it.
void RemoveUnfinishedJetCopies(const QString& target);

// Rows written per transaction into the converted file.
inline constexpr int JetRowsPerCommit = 1000;
