#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// The restore files: the state of the main window's editing pane, written when
// the window closes and read back at the next start, and the floating memo
// windows' variant. Plain text, UTF-8 without BOM, one item per line, every
// line ended by CR LF. Three kinds of line:
//   text    the text itself;
//   number  a decimal integer with a blank in place of a plus sign and one
//           blank after it (5 is " 5 ", -3 is "-3 ");
//   flag    "True" or "False".
// The memo text comes last and runs over as many lines as it has: its own
// CR LF line breaks end lines, and joining the remaining lines with CR LF gives
// it back. Only CR LF ends a line on reading, so a lone CR or LF in a body
// stays in it, and a body ending in CR LF leaves an empty last line.
//
// Format 6 adds the lines that tie a file to where its text came from: the
// database it was written from, and a fingerprint of the stored memo as the
// window loaded it, so that a start can tell whether the memo changed since.
// Format 5 files (without them) are still read, their origin unknown.
//
// A single-line item (the search words, the memo number, title and tags) can
// hold no line break of the file's own. A title read from the database may
// carry one, so in those items CR, LF and ESC (U+001B) are written as ESC "r",
// ESC "n" and ESC ESC; every other text is written unchanged.
namespace RestoreFile {

inline constexpr int FormatNumber = 6;
// The oldest format read; an older one is left alone.
inline constexpr int OldestFormatRead = 5;
inline constexpr char MainHeader[] = ":Quillet RestoreFile";
inline constexpr char FloatingHeader[] = ":Quillet RestoreFile FloatingMemo";

// What the main window keeps across a restart, in the order of the file's lines.
struct MainState
{
    // False for a format 5 file, which names neither database nor fingerprint.
    bool originKnown = true;
    QString databasePath;    // the database the text belongs to
    QString memoFingerprint; // the stored memo as loaded (MemoFingerprint); empty for a new memo
    QString findWord;      // the words of the last tag search
    QList<qint64> findIds; // the memos it found
    int categoryRow = 1;   // the selected row of the category list, from 1
    int caret = 0;         // caret position in the contents box (a line break counts one)
    QString memoNumber;    // the caption of lblNo: a RecordID or "New"
    bool isEdit = false;
    bool isPassword = false;
    QString title;
    QString tags;
    QString body; // the contents in stored form (CR LF line breaks)
};

// What a floating memo window keeps across a restart.
struct FloatingState
{
    bool originKnown = true;
    QString databasePath;
    QString memoFingerprint; // of the stored body as loaded; empty for a new memo
    // A memo out in an external editor when the program had to end: the
    // editor's file and the fingerprint of its bytes as last written or taken,
    // so that the next start takes back what was saved there since.
    QString editorFile;
    QString editorFingerprint;
    // A new memo's title and tags, proposed when it is first saved.
    QString newTitle;
    QString newTags;
    int caret = 0;
    qint64 recordId = 0;
    bool isEdit = false;
    bool isPassword = false;
    QString caption;
    QString text; // stored form (CR LF line breaks)
};

enum class Status
{
    Restorable, // the state was read whole
    Missing,    // there is no file
    Ignored,    // an older format number (or, for the floating variant, another kind of file): left alone
    Damaged,    // unreadable, truncated or not a restore file: the failure path
};

template <typename State> struct Result
{
    Status status = Status::Missing;
    State state;
    QString problem; // for Damaged: what was wrong, for the log
};

QByteArray formatMain(const MainState& state);
Result<MainState> parseMain(const QByteArray& bytes);
QByteArray formatFloating(const FloatingState& state);
Result<FloatingState> parseFloating(const QByteArray& bytes);

// Writes the file whole or not at all (a temporary file renamed over the old
// one), readable by its owner only: it may hold a protected memo's text.
// On failure returns false with the reason in `error`; an old file stays.
bool write(const QString& path, const QByteArray& bytes, QString* error);
// Missing when there is no file; Damaged when it cannot be read.
Result<MainState> readMain(const QString& path);
Result<FloatingState> readFloating(const QString& path);

// The database path a restore file records: the file a symbolic link points
// to, so that two names of one file count as one database.
QString databaseKey(const QString& databasePath);
// Whether text recorded for `recorded` belongs to the open database
// `current`. An unknown origin (an older file) counts as this database.
bool sameDatabase(const QString& recorded, const QString& current);
// The message shown when unsaved text of memo `id` comes back as a new memo,
// because the stored memo changed or went after the text was kept.
QString changedMeanwhileMessage(qint64 id);

// Renames a restore file that could not be restored, so that the next close
// does not write over what it holds: "<name>_<yyyyMMdd-HHmmss>.txt" beside it
// (with "-2", "-3" ... when that exists). Returns the new path, or the empty
// text when the file could not be moved.
QString keepAside(const QString& path, const QDateTime& now);

} // namespace RestoreFile
