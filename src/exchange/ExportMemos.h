#pragma once

#include "app/Progress.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QString>
#include <vector>

class Clock;
class Prompt;
class SqliteDatabase;

// Writing memos out as text files: one file per memo through an export
// definition's template, or the selected memos one after another in one file.

// One memo's values as UTF-8, straight from the database; a null view (a Null
// column) reads as the empty text.
struct ExportMemoRow
{
    qint64 recordId = 0;
    QByteArrayView title;
    QByteArrayView body;
    QByteArrayView publishTime;
    QByteArrayView category;
};

// The values that do not come from the memo: the profile and the current time.
struct ExportContext
{
    QByteArray userId;
    QByteArray nowTime; // "hh:mm:ss"
    QByteArray nowDay;  // "yyyy/MM/dd"

    // Sets the two times from `now` (local time).
    void setNow(const QDateTime& now);
};

// Replaces the placeholders of `text` (UTF-8, changed in place) with the memo's
// values: [!USER_ID], [!ID], [!TITLE], [!MEMO], [!DAY], [!CATEGORY], [!NOW_TIME]
// and [!NOW_DAY], every occurrence, case-sensitive. Only the text's own
// placeholders are replaced: a value put in is written as it stands, so a memo
// whose body holds "[!DAY]" is exported with "[!DAY]" there.
//
// For a file name, afterwards every ':' and '/' becomes '-' (a date gives
// "2006-01-02 09-30-00") and every '\' is removed.
void ExpandPlaceholders(QByteArray& text, const ExportMemoRow& row, const ExportContext& context,
                        bool isFileName);

// The file-name template used when the dialog's is empty.
inline constexpr const char* DefaultFileNameDef = "[!ID]_[!TITLE]";

struct ExportRequest
{
    QString folder;           // destination folder; a '/' is added when missing
    QString definitionPath;   // the ".ted" file
    QString fileNameTemplate; // empty: DefaultFileNameDef, and nothing is stored
    bool includeTrash = false;
    bool includeLocked = false;
    QString dbPath;      // the memo database, read on a connection of its own
    QString iniFilePath; // where a non-empty file-name template is stored
    QString userId;      // the profile's identifier
};

// A memo whose file could not be created or written.
struct ExportFailure
{
    qint64 recordId = 0;
    QString path;
    QString reason;
};

struct ExportOutcome
{
    bool definitionRead = false;
    bool databaseRead = false;
    bool cancelled = false;
    int written = 0;
    std::vector<ExportFailure> failures;
};

// Writes every memo that passes the two filters to its own file in the folder:
// the template filled in and one CR LF, as UTF-8 without byte-order mark, the
// memo's text byte for byte as stored. The name is the file-name template
// filled in, cleaned by MakeSafeFilePath, with ".txt"; a name the run has
// written a file of already gets " (2)", " (3)"… before the extension, so
// that no memo's file is overwritten by another's. A memo whose file cannot
// be written (missing folder, a folder in the way, a name that cannot fit the
// 260-character path limit) is skipped and the run goes on. Tells the user the
// outcome: the number written, and which memos failed. An export of more than
// ProgressShownAbove memos shows a window from `makeProgress`, if given; the run
// can then be cancelled between memos, and the files written so far stay.
ExportOutcome ExportMemos(const ExportRequest& request, Prompt& prompt, const Clock& clock,
                          const ProgressFactory& makeProgress = {});

// The text of the closing report (also used when some memos failed or the
// run was cancelled).
QString exportReport(const ExportOutcome& outcome);

// --- The selection as one text file ---

// One memo in the single-file layout: "TITLE : " and the title, an empty line,
// the body as it stands, a line of 42 hyphens; each line ended by CR LF.
void appendMemoTextBlock(QByteArray& out, QByteArrayView title, QByteArrayView body);

// Appends the block of memo `id` to `out`; false, appending nothing, when no
// memo has that RecordID.
bool AppendMemoText(SqliteDatabase& db, qint64 id, QByteArray& out);

struct TextExportResult
{
    bool saved = false;
    int written = 0;
    QString error; // why the file could not be saved
};

// Writes the memos `ids`, in this order, into the file at `path`, reading them
// on a connection of its own. The file is replaced only once every block is
// written, so a failure leaves a file that was there before as it was. Memos
// no longer in the database are left out.
TextExportResult ExportMemoText(const QString& dbPath, const QList<qint64>& ids, const QString& path);
