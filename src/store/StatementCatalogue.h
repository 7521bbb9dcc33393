#pragma once

// Every SQL text Quillet sends, in one place. Values are always bound (?1, ?2 ...),
// never spliced into the text. Column orders of the SELECT statements are relied
// on by MemoStore; change both together.
namespace sql {

// --- Connection set-up and transactions ---
inline constexpr const char* CountSchemaObjects = "SELECT count(*) FROM sqlite_master";
inline constexpr const char* ConfigureConnection = "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;";
inline constexpr const char* UseRollbackJournal = "PRAGMA journal_mode=DELETE";
// Moves the write-ahead log into the database file and empties it (benchmarks
// weigh the file this way).
inline constexpr const char* CheckpointWal = "PRAGMA wal_checkpoint(TRUNCATE)";
inline constexpr const char* BeginTransaction = "BEGIN IMMEDIATE";
inline constexpr const char* CommitTransaction = "COMMIT";
inline constexpr const char* RollbackTransaction = "ROLLBACK";
// A read transaction: its statements all see the database as of its first read.
inline constexpr const char* BeginReadTransaction = "BEGIN DEFERRED";
// Changes whenever another connection commits a change to the file.
inline constexpr const char* ReadDataVersion = "PRAGMA data_version";
inline constexpr const char* TableExists = "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1";

// --- The template database: tables Memo and DBInfo, and the diary tables of
// the sibling program that may share the file ---
inline constexpr const char* CreateTemplateSchema = R"SQL(
CREATE TABLE Memo (
    RecordID    INTEGER PRIMARY KEY AUTOINCREMENT,
    No          INTEGER DEFAULT 0,
    Title       TEXT,
    Memo        TEXT,
    Category    TEXT,
    Icon        INTEGER DEFAULT -1,
    PublishTime TEXT,
    UpdateTime  TEXT,
    IsPass      INTEGER NOT NULL DEFAULT 0,
    IsTrash     INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE DBInfo (
    VersionInfo INTEGER NOT NULL DEFAULT 250,
    IsMemoPass  INTEGER NOT NULL DEFAULT 0,
    IsPass      INTEGER NOT NULL DEFAULT 0,
    Password    TEXT DEFAULT ''
);
INSERT INTO DBInfo (VersionInfo, IsMemoPass, IsPass, Password) VALUES (250, 0, 0, '');
CREATE TABLE Contents (
    Day         TEXT,
    Title       TEXT,
    Contents    TEXT,
    Weather     TEXT DEFAULT '-',
    Genre       TEXT DEFAULT '一般',
    Number      INTEGER DEFAULT 1,
    PublishTime TEXT,
    Private     INTEGER NOT NULL DEFAULT 0,
    TrackBack   TEXT DEFAULT '',
    Extend      TEXT DEFAULT '',
    Excerpt     TEXT DEFAULT '',
    ImportMark  TEXT DEFAULT ''
);
CREATE TABLE FileDB (
    FileName TEXT,
    Day      TEXT,
    Uploaded INTEGER NOT NULL DEFAULT 0,
    Logged   INTEGER NOT NULL DEFAULT 0,
    Number   INTEGER DEFAULT 0
);
CREATE TABLE LogDB (
    LogMonth    TEXT,
    LogFileName TEXT
);
)SQL";

// The yes/no columns IsPass and IsTrash count as set for every value but 0:
// older writers stored True as -1. "In the trash" is therefore (IsTrash <> 0),
// and the statements that select by it compare that expression as a whole, so
// that the expression index below serves them.
//
// Indexes that keep the lists and counts from reading the memo bodies: the tag
// counts walk (IsTrash, Category); the memo list and the trash count read a
// covering index on (IsTrash <> 0) in RecordID order. IsTrash itself ends that
// index so that SQLite counts it as covering. Added to any writable database at
// open; Memo_ListColumns, the list index of earlier versions, keyed on the stored
// value, is replaced.
inline constexpr const char* CreateIndexes = R"SQL(
DROP INDEX IF EXISTS Memo_ListColumns;
CREATE INDEX IF NOT EXISTS Memo_TrashCategory ON Memo (IsTrash, Category);
CREATE INDEX IF NOT EXISTS Memo_ListByTrash
    ON Memo ((IsTrash <> 0), RecordID, PublishTime, UpdateTime, Title, Icon, IsPass, Category, IsTrash);
)SQL";

// --- Database information ---
inline constexpr const char* ReadVersionInfo = "SELECT VersionInfo FROM DBInfo LIMIT 1";
// The columns of table Memo, which tell the layout a file really has.
inline constexpr const char* ReadMemoColumns = "SELECT name FROM pragma_table_info('Memo')";
inline constexpr const char* ReadIsMemoPass = "SELECT IsMemoPass FROM DBInfo LIMIT 1";
// Whether table ?1 has a column named ?2 (letter case ignored).
inline constexpr const char* TableHasColumn =
    "SELECT 1 FROM pragma_table_info(?1) WHERE name = ?2 COLLATE NOCASE";
// The protection flag with the stored password: the database asks for a
// password only when both are there.
inline constexpr const char* ReadDatabaseProtection = "SELECT IsMemoPass, Password FROM DBInfo LIMIT 1";
inline constexpr const char* ReadDatabasePassword = "SELECT Password FROM DBInfo LIMIT 1";
inline constexpr const char* WriteDatabasePassword =
    "UPDATE DBInfo SET IsMemoPass = ?1, Password = ?2 WHERE rowid = (SELECT min(rowid) FROM DBInfo)";

// --- Reading memos ---
// Every column of one memo, in the order of MemoStore's readMemoRow().
inline constexpr const char* ReadMemo =
    "SELECT RecordID, No, Title, Memo, Category, Icon, PublishTime, UpdateTime, IsPass, IsTrash "
    "FROM Memo WHERE RecordID = ?1";
inline constexpr const char* ReadMemoForWindow = "SELECT Title, Memo, IsPass FROM Memo WHERE RecordID = ?1";
// The bodies and protection flags of the memos whose RecordIDs ?1 lists as a
// JSON array, in the array's order: CROSS JOIN keeps json_each as the outer
// loop, which walks the array in order, so no sort is needed. IDs of memos
// that are gone give no row. One statement for any number of memos.
inline constexpr const char* ReadMemoBodiesInOrder =
    "SELECT m.Memo, m.IsPass FROM json_each(?1) AS j CROSS JOIN Memo AS m ON m.RecordID = j.value";
inline constexpr const char* ListMemos =
    "SELECT RecordID, PublishTime, UpdateTime, Title, Icon, IsPass, Category "
    "FROM Memo WHERE (IsTrash <> 0) = ?1 ORDER BY RecordID";
// The same within RecordIDs ?2 to ?3, so that a long list can be read in
// parts at once; ListShownMemosInRange without the tag strings, for the
// lists that do not filter on them.
inline constexpr const char* ListMemosInRange =
    "SELECT RecordID, PublishTime, UpdateTime, Title, Icon, IsPass, Category "
    "FROM Memo WHERE (IsTrash <> 0) = ?1 AND RecordID BETWEEN ?2 AND ?3 ORDER BY RecordID";
inline constexpr const char* ListShownMemosInRange =
    "SELECT RecordID, PublishTime, UpdateTime, Title, Icon, IsPass "
    "FROM Memo WHERE (IsTrash <> 0) = ?1 AND RecordID BETWEEN ?2 AND ?3 ORDER BY RecordID";
// The first ?4 of those rows, or the last ?4 from the highest RecordID down.
inline constexpr const char* ListLowestShownMemosInRange =
    "SELECT RecordID, PublishTime, UpdateTime, Title, Icon, IsPass "
    "FROM Memo WHERE (IsTrash <> 0) = ?1 AND RecordID BETWEEN ?2 AND ?3 ORDER BY RecordID LIMIT ?4";
inline constexpr const char* ListHighestShownMemosInRange =
    "SELECT RecordID, PublishTime, UpdateTime, Title, Icon, IsPass "
    "FROM Memo WHERE (IsTrash <> 0) = ?1 AND RecordID BETWEEN ?2 AND ?3 ORDER BY RecordID DESC LIMIT ?4";
// The lowest and highest RecordID (Null when there is no memo).
// Two subqueries: SQLite looks up a lone min() or max() at the end of the
// table, but scans the whole table for both in one query.
inline constexpr const char* ReadRecordIdRange =
    "SELECT (SELECT min(RecordID) FROM Memo), (SELECT max(RecordID) FROM Memo)";
inline constexpr const char* CountMemosPerCategory =
    "SELECT Category, count(RecordID) FROM Memo WHERE IsTrash = 0 GROUP BY Category";
// The tag strings of the memos outside the trash one by one, in the order of
// the grouped count above (Null first, then by their bytes): the index
// Memo_TrashCategory yields them so without grouping them, which costs more
// than the walk itself.
inline constexpr const char* ListTagStringsInOrder =
    "SELECT Category FROM Memo WHERE IsTrash = 0 ORDER BY Category";
inline constexpr const char* ListIdsOutsideTrash =
    "SELECT RecordID FROM Memo WHERE (IsTrash <> 0) = 0 ORDER BY RecordID";
inline constexpr const char* CountTrashedMemos = "SELECT count(*) FROM Memo WHERE (IsTrash <> 0) = 1";
inline constexpr const char* CountMemos = "SELECT count(*) FROM Memo";
// Whole memos for searches, exports and merges, in table order. ?1 = include
// trashed memos, ?2 = include locked memos.
inline constexpr const char* ReadAllMemos =
    "SELECT RecordID, No, Title, Memo, Category, Icon, PublishTime, UpdateTime, IsPass, IsTrash "
    "FROM Memo WHERE (?1 OR IsTrash = 0) AND (?2 OR IsPass = 0) ORDER BY RecordID";
// The tag search: the columns it tests of every memo outside the trash (as the
// "[Find]" list shows them), the locked ones included, in table order.
inline constexpr const char* ReadMemosForSearch =
    "SELECT RecordID, Category, Title, Memo FROM Memo WHERE (IsTrash <> 0) = 0 ORDER BY RecordID";
inline constexpr const char* ReadMemoIdentities =
    "SELECT RecordID, Title, UpdateTime FROM Memo ORDER BY RecordID";
inline constexpr const char* IsMemoLocked = "SELECT 1 FROM Memo WHERE RecordID = ?1 AND IsPass <> 0";
inline constexpr const char* ReadMemoCategory = "SELECT Category FROM Memo WHERE RecordID = ?1";
inline constexpr const char* ReadMemoCategoryAndTrash =
    "SELECT Category, IsTrash FROM Memo WHERE RecordID = ?1";

// --- Writing memos ---
inline constexpr const char* InsertMemo =
    "INSERT INTO Memo (Title, Memo, PublishTime, UpdateTime, Category) VALUES (?1, ?2, ?3, ?3, ?4)";
// A memo copied whole from another database (merge, rebuild): every column but RecordID.
inline constexpr const char* InsertWholeMemo =
    "INSERT INTO Memo (No, Title, Memo, Category, Icon, PublishTime, UpdateTime, IsPass, IsTrash) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)";
inline constexpr const char* UpdateMemo =
    "UPDATE Memo SET Title = ?2, Memo = ?3, Category = ?4, UpdateTime = ?5 WHERE RecordID = ?1";
// A floating window's save: only the body and the update time change.
inline constexpr const char* UpdateMemoBody =
    "UPDATE Memo SET Memo = ?2, UpdateTime = ?3 WHERE RecordID = ?1";
// The merge's overwrite: PublishTime and Icon of the overwritten memo stay.
inline constexpr const char* OverwriteMemo =
    "UPDATE Memo SET No = ?2, UpdateTime = ?3, Category = ?4, Title = ?5, Memo = ?6, IsPass = ?7, "
    "IsTrash = ?8 WHERE RecordID = ?1";
inline constexpr const char* WriteMemoCategory = "UPDATE Memo SET Category = ?2 WHERE RecordID = ?1";
inline constexpr const char* WriteMemoTrash = "UPDATE Memo SET IsTrash = ?2 WHERE RecordID = ?1";
inline constexpr const char* WriteMemoIcon = "UPDATE Memo SET Icon = ?2 WHERE RecordID = ?1";
inline constexpr const char* WriteMemoLock = "UPDATE Memo SET IsPass = ?2 WHERE RecordID = ?1";
inline constexpr const char* DeleteTrashedMemos = "DELETE FROM Memo WHERE (IsTrash <> 0) = 1";
// The tag sweep over all memos: every memo's tag string, then one update per changed memo.
inline constexpr const char* ReadAllCategories = "SELECT RecordID, Category FROM Memo ORDER BY RecordID";

// --- The search index (SearchIndex) ---
// A full-text table of the tokens SearchGrams makes of each memo's title and
// body (rowid = RecordID), with no copy of the text itself; the table
// MemoSearchPending names the memos whose tokens the index does not hold yet.
// Triggers on Memo fill it in the writer's own transaction, whatever program
// writes: a new memo (or a replaced one) is pending with nothing indexed; a
// changed or deleted memo with the text the index holds, kept from its FIRST
// change, since that is what the index must take out again. Trash,
// tags, icon and lock do not touch the index.
inline constexpr const char* SearchIndexObjectCount =
    "SELECT count(*) FROM sqlite_master WHERE name IN ('MemoSearchIndex', 'MemoSearchPending', "
    "'MemoSearchScheme', 'MemoSearchBeforeInsert', 'MemoSearchAfterInsert', 'MemoSearchBeforeNewId', "
    "'MemoSearchAfterUpdate', 'MemoSearchAfterDelete')";
inline constexpr int SearchIndexObjects = 8;
inline constexpr const char* SearchIndexReadScheme = "SELECT Scheme FROM MemoSearchScheme";
inline constexpr const char* SearchIndexDrop = R"SQL(
DROP TRIGGER IF EXISTS MemoSearchBeforeInsert;
DROP TRIGGER IF EXISTS MemoSearchAfterInsert;
DROP TRIGGER IF EXISTS MemoSearchBeforeNewId;
DROP TRIGGER IF EXISTS MemoSearchAfterUpdate;
DROP TRIGGER IF EXISTS MemoSearchAfterDelete;
DROP TABLE IF EXISTS MemoSearchIndex;
DROP TABLE IF EXISTS MemoSearchPending;
DROP TABLE IF EXISTS MemoSearchScheme;
)SQL";
// An INSERT OR REPLACE over an existing RecordID (and an update that moves a
// memo onto one) deletes that memo without its delete trigger: the BEFORE
// triggers keep its text first. The triggers add a row only where none is
// (NOT EXISTS, not OR IGNORE): a conflict clause of the writing statement,
// such as OR REPLACE, would override their own.
inline constexpr const char* SearchIndexCreate = R"SQL(
CREATE VIRTUAL TABLE MemoSearchIndex USING fts5(Grams, content='', detail=none, columnsize=0, tokenize='ascii');
CREATE TABLE MemoSearchPending (RecordID INTEGER PRIMARY KEY, Indexed INTEGER NOT NULL, OldTitle, OldMemo);
CREATE TABLE MemoSearchScheme (Scheme TEXT NOT NULL);
CREATE TRIGGER MemoSearchBeforeInsert BEFORE INSERT ON Memo BEGIN
    INSERT INTO MemoSearchPending SELECT RecordID, 1, Title, Memo FROM Memo WHERE RecordID = new.RecordID
        AND NOT EXISTS (SELECT 1 FROM MemoSearchPending WHERE RecordID = new.RecordID);
END;
CREATE TRIGGER MemoSearchAfterInsert AFTER INSERT ON Memo BEGIN
    INSERT INTO MemoSearchPending (RecordID, Indexed) SELECT new.RecordID, 0
        WHERE NOT EXISTS (SELECT 1 FROM MemoSearchPending WHERE RecordID = new.RecordID);
END;
CREATE TRIGGER MemoSearchBeforeNewId BEFORE UPDATE OF RecordID ON Memo
WHEN new.RecordID IS NOT old.RecordID BEGIN
    INSERT INTO MemoSearchPending SELECT RecordID, 1, Title, Memo FROM Memo WHERE RecordID = new.RecordID
        AND NOT EXISTS (SELECT 1 FROM MemoSearchPending WHERE RecordID = new.RecordID);
END;
CREATE TRIGGER MemoSearchAfterUpdate AFTER UPDATE OF RecordID, Title, Memo ON Memo
WHEN new.RecordID IS NOT old.RecordID OR new.Title IS NOT old.Title OR new.Memo IS NOT old.Memo BEGIN
    INSERT INTO MemoSearchPending SELECT old.RecordID, 1, old.Title, old.Memo
        WHERE NOT EXISTS (SELECT 1 FROM MemoSearchPending WHERE RecordID = old.RecordID);
    INSERT INTO MemoSearchPending (RecordID, Indexed) SELECT new.RecordID, 0
        WHERE NOT EXISTS (SELECT 1 FROM MemoSearchPending WHERE RecordID = new.RecordID);
END;
CREATE TRIGGER MemoSearchAfterDelete AFTER DELETE ON Memo BEGIN
    INSERT INTO MemoSearchPending SELECT old.RecordID, 1, old.Title, old.Memo
        WHERE NOT EXISTS (SELECT 1 FROM MemoSearchPending WHERE RecordID = old.RecordID);
END;
)SQL";
inline constexpr const char* SearchIndexWriteScheme = "INSERT INTO MemoSearchScheme (Scheme) VALUES (?1)";
// A new index: every memo pending, nothing indexed. The RecordIDs are read
// from the small index on (IsTrash, Category), made at open before this, and
// sorted, so that the memo texts are not read and the rows go in in order.
inline constexpr const char* SearchIndexPendAll =
    "INSERT INTO MemoSearchPending (RecordID, Indexed) "
    "SELECT RecordID, 0 FROM Memo INDEXED BY Memo_TrashCategory ORDER BY RecordID";
inline constexpr const char* SearchIndexCountPending = "SELECT count(*) FROM MemoSearchPending";
inline constexpr const char* SearchIndexPendingIds =
    "SELECT RecordID FROM MemoSearchPending ORDER BY RecordID";
// The next ?1 pending memos: what the index holds of each (Indexed, OldTitle,
// OldMemo) and the memo as it is now (whether it still exists, Title, Memo).
inline constexpr const char* SearchIndexReadPending =
    "SELECT p.RecordID, p.Indexed, p.OldTitle, p.OldMemo, m.RecordID IS NOT NULL, m.Title, m.Memo "
    "FROM MemoSearchPending AS p LEFT JOIN Memo AS m ON m.RecordID = p.RecordID ORDER BY p.RecordID LIMIT ?1";
// A contentless index forgets a row by being given the tokens it was filed under.
inline constexpr const char* SearchIndexRemoveTokens =
    "INSERT INTO MemoSearchIndex (MemoSearchIndex, rowid, Grams) VALUES ('delete', ?1, ?2)";
inline constexpr const char* SearchIndexAddTokens =
    "INSERT INTO MemoSearchIndex (rowid, Grams) VALUES (?1, ?2)";
inline constexpr const char* SearchIndexDonePending = "DELETE FROM MemoSearchPending WHERE RecordID = ?1";
// The RecordIDs filed under the tokens of query ?1, in order.
inline constexpr const char* SearchIndexMatch =
    "SELECT rowid FROM MemoSearchIndex WHERE MemoSearchIndex MATCH ?1 ORDER BY rowid";

// --- What an indexed tag search reads of the memos (IndexedSearch) ---
// One memo's search columns, when it lies outside the trash.
inline constexpr const char* ReadMemoForSearch =
    "SELECT RecordID, Category, Title, Memo FROM Memo WHERE RecordID = ?1 AND (IsTrash <> 0) = 0";
// Every tag string outside the trash, through the index on (IsTrash, Category)
// so that no memo text is read; IsTrash = 0 selects the same rows as
// (IsTrash <> 0) = 0. The rows come in tag order.
inline constexpr const char* ReadTagsOutsideTrash = "SELECT RecordID, Category FROM Memo WHERE IsTrash = 0";
// The memos not outside the trash: those in it, and any with a Null IsTrash,
// which "(IsTrash <> 0) = 0" leaves out too.
inline constexpr const char* ListTrashedIds =
    "SELECT RecordID FROM Memo WHERE (IsTrash <> 0) = 1 OR (IsTrash <> 0) IS NULL ORDER BY RecordID";

// --- Merging another memo database into the open one (DatabaseMerge) ---
// The other file's memos, every column but Icon, in table order.
inline constexpr const char* MergeReadOtherMemos =
    "SELECT RecordID, No, Title, Memo, Category, PublishTime, UpdateTime, IsPass, IsTrash "
    "FROM Memo ORDER BY RecordID";
// A memo taken over as new: every column but RecordID and Icon, which start
// as the table's defaults (a new identity, no icon).
inline constexpr const char* MergeInsertMemo =
    "INSERT INTO Memo (No, Title, Memo, Category, PublishTime, UpdateTime, IsPass, IsTrash) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)";
// The same copy done by SQLite alone, for the merge benchmark's yardstick.
inline constexpr const char* MergeAttachOther = "ATTACH DATABASE ?1 AS other";
inline constexpr const char* MergeCopyAllFromOther =
    "INSERT INTO Memo (No, Title, Memo, Category, PublishTime, UpdateTime, IsPass, IsTrash) "
    "SELECT coalesce(No, 0), Title, Memo, Category, PublishTime, UpdateTime, IsPass <> 0, IsTrash <> 0 "
    "FROM other.Memo ORDER BY RecordID";
inline constexpr const char* MergeDetachOther = "DETACH DATABASE other";

// --- Exporting memos as text files (ExportMemos) ---
// The columns the templates use, in table order. ?1 = include trashed memos,
// ?2 = include locked memos; any value but 0 counts as set.
inline constexpr const char* ExportReadMemos =
    "SELECT RecordID, Title, Memo, PublishTime, Category FROM Memo "
    "WHERE (?1 OR IsTrash = 0) AND (?2 OR IsPass = 0) ORDER BY RecordID";
// How many memos the export above writes, for its progress window.
inline constexpr const char* ExportCountMemos =
    "SELECT COUNT(*) FROM Memo WHERE (?1 OR IsTrash = 0) AND (?2 OR IsPass = 0)";
// One memo of the selection written into a single text file.
inline constexpr const char* ExportReadMemoText = "SELECT Title, Memo FROM Memo WHERE RecordID = ?1";

// --- Rebuilding a database into a fresh copy of the template (DatabaseRebuild) ---
// The old file is read with the columns its layout version has; a column the
// version lacks reads as NULL in its place, so that every variant of a table
// yields the same column positions. Rows come in the old file's table order.
// Contents: Day, Title, Contents, Weather, Genre, Number, PublishTime, Private,
// TrackBack, Extend, Excerpt, ImportMark.
inline constexpr const char* RebuildCountContents = "SELECT count(*) FROM Contents";
inline constexpr const char* RebuildReadContents100 =
    "SELECT Day, Title, Contents, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL FROM Contents";
inline constexpr const char* RebuildReadContents110 =
    "SELECT Day, Title, Contents, Weather, Genre, NULL, NULL, NULL, NULL, NULL, NULL, NULL FROM Contents";
inline constexpr const char* RebuildReadContents150 =
    "SELECT Day, Title, Contents, Weather, Genre, Number, PublishTime, NULL, NULL, NULL, NULL, NULL "
    "FROM Contents";
inline constexpr const char* RebuildReadContents200 =
    "SELECT Day, Title, Contents, Weather, Genre, Number, PublishTime, Private, TrackBack, Extend, "
    "Excerpt, NULL FROM Contents";
inline constexpr const char* RebuildReadContents210 =
    "SELECT Day, Title, Contents, Weather, Genre, Number, PublishTime, Private, TrackBack, Extend, Excerpt, "
    "ImportMark FROM Contents";
inline constexpr const char* RebuildInsertContents =
    "INSERT INTO Contents (Day, Title, Contents, Weather, Genre, Number, PublishTime, Private, TrackBack, "
    "Extend, Excerpt, ImportMark) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)";
// FileDB: FileName, Day, Uploaded, Logged, Number.
inline constexpr const char* RebuildCountFileDB = "SELECT count(*) FROM FileDB";
inline constexpr const char* RebuildReadFileDB100 =
    "SELECT FileName, Day, Uploaded, Logged, NULL FROM FileDB";
inline constexpr const char* RebuildReadFileDB150 =
    "SELECT FileName, Day, Uploaded, Logged, Number FROM FileDB";
inline constexpr const char* RebuildInsertFileDB =
    "INSERT INTO FileDB (FileName, Day, Uploaded, Logged, Number) VALUES (?1, ?2, ?3, ?4, ?5)";
// LogDB: LogMonth, LogFileName.
inline constexpr const char* RebuildCountLogDB = "SELECT count(*) FROM LogDB";
inline constexpr const char* RebuildReadLogDB = "SELECT LogMonth, LogFileName FROM LogDB";
inline constexpr const char* RebuildInsertLogDB = "INSERT INTO LogDB (LogMonth, LogFileName) VALUES (?1, ?2)";
// Memo: copied by SQLite itself from the old file attached as "old", by
// batches of rows in rowid order (the bounds are ?1 < rowid <= ?2). RecordID
// is not copied: the rebuilt file numbers the memos afresh in that order. What
// a version lacks is filled in: No 0 (also for Null), Icon -1 and UpdateTime =
// PublishTime below 250, IsPass and IsTrash "no".
inline constexpr const char* RebuildCountMemo = "SELECT count(*) FROM Memo";
inline constexpr const char* RebuildAttachOld = "ATTACH DATABASE ?1 AS old";
inline constexpr const char* RebuildDetachOld = "DETACH DATABASE old";
// The last rowid and the number of rows of the next batch after rowid ?1, at most ?2 rows.
inline constexpr const char* RebuildNextMemoBatch =
    "SELECT max(rowid), count(*) FROM (SELECT rowid FROM old.Memo WHERE rowid > ?1 ORDER BY rowid LIMIT ?2)";
inline constexpr const char* RebuildCopyMemos220 =
    "INSERT INTO Memo (No, Title, Memo, Category, Icon, PublishTime, UpdateTime, IsPass, IsTrash) "
    "SELECT 0, Title, Memo, NULL, -1, PublishTime, PublishTime, 0, 0 "
    "FROM old.Memo WHERE rowid > ?1 AND rowid <= ?2 ORDER BY rowid";
inline constexpr const char* RebuildCopyMemos230 =
    "INSERT INTO Memo (No, Title, Memo, Category, Icon, PublishTime, UpdateTime, IsPass, IsTrash) "
    "SELECT coalesce(No, 0), Title, Memo, Category, -1, PublishTime, PublishTime, coalesce(IsPass, 0), 0 "
    "FROM old.Memo WHERE rowid > ?1 AND rowid <= ?2 ORDER BY rowid";
inline constexpr const char* RebuildCopyMemos240 =
    "INSERT INTO Memo (No, Title, Memo, Category, Icon, PublishTime, UpdateTime, IsPass, IsTrash) "
    "SELECT coalesce(No, 0), Title, Memo, Category, -1, PublishTime, PublishTime, coalesce(IsPass, 0), "
    "coalesce(IsTrash, 0) FROM old.Memo WHERE rowid > ?1 AND rowid <= ?2 ORDER BY rowid";
inline constexpr const char* RebuildCopyMemos250 =
    "INSERT INTO Memo (No, Title, Memo, Category, Icon, PublishTime, UpdateTime, IsPass, IsTrash) "
    "SELECT coalesce(No, 0), Title, Memo, Category, Icon, PublishTime, UpdateTime, coalesce(IsPass, 0), "
    "coalesce(IsTrash, 0) FROM old.Memo WHERE rowid > ?1 AND rowid <= ?2 ORDER BY rowid";
// DBInfo: IsMemoPass, IsPass, Password; the first row updates the template's one row.
inline constexpr const char* RebuildCountDBInfo = "SELECT count(*) FROM DBInfo";
inline constexpr const char* RebuildReadDBInfo220 = "SELECT IsMemoPass, IsPass, NULL FROM DBInfo LIMIT 1";
inline constexpr const char* RebuildReadDBInfo250 = "SELECT IsMemoPass, IsPass, Password FROM DBInfo LIMIT 1";
inline constexpr const char* RebuildWriteDBInfo =
    "UPDATE DBInfo SET IsMemoPass = ?1, IsPass = ?2 WHERE rowid = (SELECT min(rowid) FROM DBInfo)";
inline constexpr const char* RebuildWriteDBInfoWithPassword =
    "UPDATE DBInfo SET IsMemoPass = ?1, IsPass = ?2, Password = ?3 "
    "WHERE rowid = (SELECT min(rowid) FROM DBInfo)";
// The rebuilt file is scratch until it is synced and renamed over the database:
// its journal stays in memory and its writes are not synced one by one.
inline constexpr const char* RebuildScratchSettings = "PRAGMA journal_mode=MEMORY; PRAGMA synchronous=OFF;";
// The benchmark's yardstick: the same memos copied by SQLite alone, with the
// old file attached by RebuildAttachOld.
inline constexpr const char* RebuildBenchCopyMemos =
    "INSERT INTO Memo (No, Title, Memo, Category, Icon, PublishTime, UpdateTime, IsPass, IsTrash) "
    "SELECT coalesce(No, 0), Title, Memo, Category, Icon, PublishTime, UpdateTime, IsPass, IsTrash "
    "FROM old.Memo";

// --- Converting a Jet file of the Windows program (JetConverter) ---
// The column declarations of a table of the built-in layout (a database
// written with CreateTemplateSchema), which the converted tables take.
inline constexpr const char* ReadColumnDeclarations =
    "SELECT name, type, dflt_value, pk FROM pragma_table_info(?1)";
// %1 the table, %2 its columns, %3 one parameter per column: the names come
// from the Jet file and are put in as quoted identifiers; values are bound.
inline constexpr const char* JetCreateTable = "CREATE TABLE %1 (%2)";
inline constexpr const char* JetInsertRow = "INSERT INTO %1 (%2) VALUES (%3)";

} // namespace sql
