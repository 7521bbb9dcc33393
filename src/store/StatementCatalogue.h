#pragma once

// Every SQL text Quillet sends, in one place. Values are always bound (?1, ?2 ...),
// never spliced into the text. Column orders of the SELECT statements are relied
// on by MemoStore; change both together.
namespace sql {

// --- Connection set-up and transactions ---
inline constexpr const char* CountSchemaObjects = "SELECT count(*) FROM sqlite_master";
inline constexpr const char* ConfigureConnection = "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;";
inline constexpr const char* UseRollbackJournal = "PRAGMA journal_mode=DELETE";
inline constexpr const char* BeginTransaction = "BEGIN IMMEDIATE";
inline constexpr const char* CommitTransaction = "COMMIT";
inline constexpr const char* RollbackTransaction = "ROLLBACK";
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
inline constexpr const char* ReadIsMemoPass = "SELECT IsMemoPass FROM DBInfo LIMIT 1";
inline constexpr const char* ReadDatabasePassword = "SELECT Password FROM DBInfo LIMIT 1";
inline constexpr const char* WriteDatabasePassword =
    "UPDATE DBInfo SET IsMemoPass = ?1, Password = ?2 WHERE rowid = (SELECT min(rowid) FROM DBInfo)";

// --- Reading memos ---
// Every column of one memo, in the order of MemoStore's readMemoRow().
inline constexpr const char* ReadMemo =
    "SELECT RecordID, No, Title, Memo, Category, Icon, PublishTime, UpdateTime, IsPass, IsTrash "
    "FROM Memo WHERE RecordID = ?1";
inline constexpr const char* ReadMemoForWindow = "SELECT Title, Memo, IsPass FROM Memo WHERE RecordID = ?1";
// The memo list: only the columns it shows and filters on, outside (?1 = 0) or
// inside (?1 = 1) the trash.
inline constexpr const char* ListMemos =
    "SELECT RecordID, PublishTime, UpdateTime, Title, Icon, IsPass, Category "
    "FROM Memo WHERE (IsTrash <> 0) = ?1 ORDER BY RecordID";
inline constexpr const char* CountMemosPerCategory =
    "SELECT Category, count(RecordID) FROM Memo WHERE IsTrash = 0 GROUP BY Category";
inline constexpr const char* CountTrashedMemos = "SELECT count(*) FROM Memo WHERE (IsTrash <> 0) = 1";
inline constexpr const char* CountMemos = "SELECT count(*) FROM Memo";
// Whole memos for searches, exports and merges, in table order. ?1 = include
// trashed memos, ?2 = include locked memos.
inline constexpr const char* ReadAllMemos =
    "SELECT RecordID, No, Title, Memo, Category, Icon, PublishTime, UpdateTime, IsPass, IsTrash "
    "FROM Memo WHERE (?1 OR IsTrash = 0) AND (?2 OR IsPass = 0) ORDER BY RecordID";
// The tag search: the columns it tests of every memo, in table order, those in
// the trash and the locked ones included.
inline constexpr const char* ReadMemosForSearch =
    "SELECT RecordID, Category, Title, Memo FROM Memo ORDER BY RecordID";
inline constexpr const char* ReadMemoIdentities = "SELECT RecordID, Title, UpdateTime FROM Memo ORDER BY RecordID";
inline constexpr const char* IsMemoLocked = "SELECT 1 FROM Memo WHERE RecordID = ?1 AND IsPass <> 0";
inline constexpr const char* ReadMemoCategory = "SELECT Category FROM Memo WHERE RecordID = ?1";
inline constexpr const char* ReadMemoCategoryAndTrash = "SELECT Category, IsTrash FROM Memo WHERE RecordID = ?1";

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
    "UPDATE Memo SET No = ?2, UpdateTime = ?3, Category = ?4, Title = ?5, Memo = ?6, IsPass = ?7, IsTrash = ?8 "
    "WHERE RecordID = ?1";
inline constexpr const char* WriteMemoCategory = "UPDATE Memo SET Category = ?2 WHERE RecordID = ?1";
inline constexpr const char* WriteMemoTrash = "UPDATE Memo SET IsTrash = ?2 WHERE RecordID = ?1";
inline constexpr const char* WriteMemoIcon = "UPDATE Memo SET Icon = ?2 WHERE RecordID = ?1";
inline constexpr const char* WriteMemoLock = "UPDATE Memo SET IsPass = ?2 WHERE RecordID = ?1";
inline constexpr const char* DeleteTrashedMemos = "DELETE FROM Memo WHERE (IsTrash <> 0) = 1";
// The tag sweep over all memos: every memo's tag string, then one update per changed memo.
inline constexpr const char* ReadAllCategories = "SELECT RecordID, Category FROM Memo ORDER BY RecordID";

} // namespace sql
