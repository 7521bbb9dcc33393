#include "store/DatabaseRebuild.h"

#include "app/Progress.h"
#include "store/DatabaseError.h"
#include "store/SqliteDatabase.h"
#include "store/StatementCatalogue.h"
#include "store/TemplateDatabase.h"
#include "store/WriteBatch.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The layout versions at which columns and tables were added. A file of a
// version below a threshold lacks what came with it.
constexpr int kLogTable = 100;          // table LogDB
constexpr int kWeatherGenre = 110;      // Contents.Weather, Contents.Genre
constexpr int kNumbers = 150;           // Contents.Number, Contents.PublishTime, FileDB.Number
constexpr int kBlogColumns = 200;       // Contents.Private, TrackBack, Extend, Excerpt
constexpr int kImportMark = 210;        // Contents.ImportMark
constexpr int kMemoTable = 220;         // table Memo and the memo columns of DBInfo
constexpr int kMemoTags = 230;          // Memo.No, Memo.Category, Memo.IsPass
constexpr int kMemoTrash = 240;         // Memo.IsTrash
constexpr int kMemoIconAndUpdate = 250; // Memo.UpdateTime, Memo.Icon, DBInfo.Password

const QString kEmpty = QStringLiteral("");
const QString kOldFile = QStringLiteral("old.mdb");
const QString kNewFile = QStringLiteral("new.mdb");
const QString kFolderPrefix = QStringLiteral("quillet-rebuild-");

// Stages of bar 1: temporary files, the five tables, the end.
constexpr int kStages = 7;

struct TableTexts
{
    QString start;
    QString end;
};

const TableTexts kContentsTexts{QStringLiteral("日記の内容のコピーを開始。"),
                                QStringLiteral("日記の内容のコピーを終了。")};
const TableTexts kFileTexts{QStringLiteral("ファイル登録データベースのコピーを開始。"),
                            QStringLiteral("ファイル登録データベースのコピーを終了。")};
const TableTexts kLogTexts{QStringLiteral("ログ登録データベースのコピーを開始。"),
                           QStringLiteral("ログ登録データベースのコピーを終了。")};
const TableTexts kMemoTexts{QStringLiteral("Quilletデータのコピーを開始。"),
                            QStringLiteral("Quilletデータのコピーを終了。")};
const TableTexts kInfoTexts{QStringLiteral("Database Informationのコピーを開始。"),
                            QStringLiteral("Database Informationのコピーを終了。")};

// A database file together with the files SQLite may keep beside it, and the
// half-written copy a backup leaves when it is interrupted.
void removeDatabaseFiles(const QString& path)
{
    for (const char* suffix : {"", "-journal", "-wal", "-shm", ".partial"})
        QFile::remove(path + QLatin1String(suffix));
}

// The folder of one rebuild's temporary files "old.mdb" and "new.mdb": made
// afresh in Quillet's folder under a name nothing had, so that they can never
// take the place of a file that is there (the database being rebuilt, or any
// other called old.mdb or new.mdb). The rebuild holds a lock on it while it
// runs; the folders of killed runs, whose lock ended with their process, are
// cleared by the next rebuild.
class RebuildFolder
{
public:
    explicit RebuildFolder(const QString& parent)
    {
        clearLeftovers(parent);
        QByteArray name = QFile::encodeName(parent + kFolderPrefix + QStringLiteral("XXXXXX"));
        if (!::mkdtemp(name.data())) {
            const int error = errno;
            throw DatabaseError(QStringLiteral("テンポラリファイルを作成できません。\n") + parent,
                                QString::fromLocal8Bit(std::strerror(error)), error);
        }
        m_path = QFile::decodeName(name) + QLatin1Char('/');
        m_lock = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (m_lock >= 0)
            ::flock(m_lock, LOCK_EX);
    }
    ~RebuildFolder()
    {
        removeFiles();
        ::rmdir(QFile::encodeName(m_path).constData());
        if (m_lock >= 0)
            ::close(m_lock);
    }
    RebuildFolder(const RebuildFolder&) = delete;
    RebuildFolder& operator=(const RebuildFolder&) = delete;

    QString file(const QString& name) const { return m_path + name; }
    void removeFiles() const { removeFilesIn(m_path); }

private:
    static void removeFilesIn(const QString& folder)
    {
        removeDatabaseFiles(folder + kOldFile);
        removeDatabaseFiles(folder + kNewFile);
    }
    // Only the rebuild's own files go, and the folder once it is empty.
    static void clearLeftovers(const QString& parent)
    {
        const QStringList names = QDir(parent).entryList({kFolderPrefix + QLatin1Char('*')},
                                                         QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
        for (const QString& name : names) {
            const QByteArray path = QFile::encodeName(parent + name);
            const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (fd < 0)
                continue;
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
                removeFilesIn(parent + name + QLatin1Char('/'));
                ::rmdir(path.constData());
            }
            ::close(fd);
        }
    }

    QString m_path;
    int m_lock = -1;
};

// Forces a file's (or a folder's) contents to the disk, so that a rename that
// follows never publishes a file whose data is still only in memory.
void syncToDisk(const QString& path, bool folder)
{
    const int fd = ::open(QFile::encodeName(path).constData(), folder ? (O_RDONLY | O_DIRECTORY) : O_RDONLY);
    if (fd < 0 || ::fsync(fd) != 0) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        throw DatabaseError(QStringLiteral("データベースファイルを書き込めません。\n") + path,
                            QString::fromLocal8Bit(std::strerror(error)), error);
    }
    ::close(fd);
}

bool sameFileSystem(const QString& first, const QString& second)
{
    struct stat a
    {
    };
    struct stat b
    {
    };
    return ::stat(QFile::encodeName(first).constData(), &a) == 0 &&
           ::stat(QFile::encodeName(second).constData(), &b) == 0 && a.st_dev == b.st_dev;
}

// The diary program stored Day as a date; files converted from it hold text
// such as "2008/3/5" or "2008-03-05 00:00:00". Written as "yyyy/MM/dd"; text
// that is no date is kept as it is.
QString formatDay(const QString& day)
{
    static const QRegularExpression date(
        QStringLiteral(R"(^\s*(\d{4})[/-](\d{1,2})[/-](\d{1,2})(?:[ T].*)?$)"));
    const QRegularExpressionMatch match = date.match(day);
    if (!match.hasMatch())
        return day;
    const QDate parsed(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    return parsed.isValid() ? parsed.toString(QStringLiteral("yyyy/MM/dd")) : day;
}

// Yes/no columns are NOT NULL in the template; a Null of an older file is "no".
qint64 yesNo(const Statement& row, int column)
{
    return row.isNull(column) ? 0 : row.int64(column);
}

void bindIntegerOrNull(Statement& insert, int parameter, const Statement& row, int column)
{
    if (row.isNull(column))
        insert.bindNull(parameter);
    else
        insert.bind(parameter, row.int64(column));
}

int countRows(SqliteDatabase& db, const char* count)
{
    Statement query(db, count);
    return query.step() ? query.int32(0) : 0;
}

// Copies one table: every row of `read` (in the old file's order) is handed to
// `fill`, which binds the insert's values; the rows go in by batches.
template <typename Fill>
void copyRows(SqliteDatabase& from, SqliteDatabase& to, const char* count, const char* read,
              const char* insert, Progress& progress, Fill fill)
{
    const int rows = countRows(from, count);
    progress.SetProgressMax(2, rows > 0 ? rows : 100);
    progress.SetProgressClear(2);

    Statement reader(from, read);
    Statement writer(to, insert);
    WriteBatch batch(to, RebuildRowsPerCommit);
    int copied = 0;
    while (reader.step()) {
        batch.beforeWrite();
        writer.reset();
        fill(reader, writer);
        writer.run();
        batch.afterWrite();
        progress.SetProgress(2, ++copied);
    }
    batch.commit();
}

void copyContents(SqliteDatabase& from, SqliteDatabase& to, int version, Progress& progress)
{
    const char* read = version < kWeatherGenre  ? sql::RebuildReadContents100
                       : version < kNumbers     ? sql::RebuildReadContents110
                       : version < kBlogColumns ? sql::RebuildReadContents150
                       : version < kImportMark  ? sql::RebuildReadContents200
                                                : sql::RebuildReadContents210;
    copyRows(from, to, sql::RebuildCountContents, read, sql::RebuildInsertContents, progress,
             [version](const Statement& row, Statement& insert) {
                 const QString day = row.isNull(0) ? QString() : formatDay(row.text(0));
                 insert.bind(1, day).bind(2, row.text(1)).bind(3, row.text(2));
                 if (version < kWeatherGenre)
                     insert.bind(4, QStringLiteral("-")).bind(5, QStringLiteral("一般"));
                 else
                     insert.bind(4, row.text(3)).bind(5, row.text(4));
                 if (version < kNumbers) {
                     insert.bind(6, 1).bind(7, day.isNull() ? QString() : day + QStringLiteral(" 00:00:00"));
                 } else {
                     bindIntegerOrNull(insert, 6, row, 5);
                     insert.bind(7, row.text(6));
                 }
                 if (version < kBlogColumns) {
                     insert.bind(8, 0).bind(9, kEmpty).bind(10, kEmpty).bind(11, kEmpty);
                 } else {
                     insert.bind(8, yesNo(row, 7))
                         .bind(9, row.text(8))
                         .bind(10, row.text(9))
                         .bind(11, row.text(10));
                 }
                 insert.bind(12, version < kImportMark ? kEmpty : row.text(11));
             });
}

void copyFiles(SqliteDatabase& from, SqliteDatabase& to, int version, Progress& progress)
{
    copyRows(
        from, to, sql::RebuildCountFileDB,
        version < kNumbers ? sql::RebuildReadFileDB100 : sql::RebuildReadFileDB150, sql::RebuildInsertFileDB,
        progress, [version](const Statement& row, Statement& insert) {
            insert.bind(1, row.text(0)).bind(2, row.text(1)).bind(3, yesNo(row, 2)).bind(4, yesNo(row, 3));
            if (version < kNumbers)
                insert.bind(5, row.text(1) == QLatin1String("ALL") ? 0 : 1);
            else
                bindIntegerOrNull(insert, 5, row, 4);
        });
}

void copyLogs(SqliteDatabase& from, SqliteDatabase& to, Progress& progress)
{
    copyRows(
        from, to, sql::RebuildCountLogDB, sql::RebuildReadLogDB, sql::RebuildInsertLogDB, progress,
        [](const Statement& row, Statement& insert) { insert.bind(1, row.text(0)).bind(2, row.text(1)); });
}

// The memos, by far the biggest table, are copied by SQLite itself, batch by
// batch in the old file's rowid order, each batch one transaction; the rules
// for the columns a version lacks are part of the statements.
void copyMemos(SqliteDatabase& from, SqliteDatabase& to, const QString& oldPath, int version,
               Progress& progress)
{
    const int rows = countRows(from, sql::RebuildCountMemo);
    progress.SetProgressMax(2, rows > 0 ? rows : 100);
    progress.SetProgressClear(2);

    Statement(to, sql::RebuildAttachOld).bind(1, oldPath).run();
    {
        Statement nextBatch(to, sql::RebuildNextMemoBatch);
        Statement copy(to, version < kMemoTags            ? sql::RebuildCopyMemos220
                           : version < kMemoTrash         ? sql::RebuildCopyMemos230
                           : version < kMemoIconAndUpdate ? sql::RebuildCopyMemos240
                                                          : sql::RebuildCopyMemos250);
        qint64 lastRowid = std::numeric_limits<qint64>::min();
        int copied = 0;
        for (;;) {
            nextBatch.reset();
            nextBatch.bind(1, lastRowid).bind(2, RebuildRowsPerCommit);
            if (!nextBatch.step() || nextBatch.isNull(0))
                break;
            const qint64 batchEnd = nextBatch.int64(0);
            const int batchRows = nextBatch.int32(1);
            nextBatch.reset();

            SqliteDatabase::Transaction transaction(to);
            copy.reset();
            copy.bind(1, lastRowid).bind(2, batchEnd).run();
            transaction.commit();
            lastRowid = batchEnd;
            copied += batchRows;
            progress.SetProgress(2, copied);
        }
    }
    to.execute(sql::RebuildDetachOld);
}

// The template's one DBInfo row is updated in place; VersionInfo stays the
// template's. The first row of the old table counts, as everywhere else in
// Quillet, so that a password it sets is never dropped.
void copyInfo(SqliteDatabase& from, SqliteDatabase& to, int version, Progress& progress)
{
    const int rows = countRows(from, sql::RebuildCountDBInfo);
    progress.SetProgressMax(2, rows > 0 ? rows : 100);
    progress.SetProgressClear(2);
    const bool hasPassword = version >= kMemoIconAndUpdate;
    Statement reader(from, hasPassword ? sql::RebuildReadDBInfo250 : sql::RebuildReadDBInfo220);
    if (!reader.step())
        return;
    Statement writer(to, hasPassword ? sql::RebuildWriteDBInfoWithPassword : sql::RebuildWriteDBInfo);
    writer.bind(1, yesNo(reader, 0)).bind(2, yesNo(reader, 1));
    if (hasPassword)
        writer.bind(3, reader.text(2));
    writer.run();
    progress.SetProgress(2, 1);
}

// Puts the rebuilt file in the database's place. `rebuilt` is closed and
// complete. The rename is atomic: at any moment the path holds either the old
// or the new database, whole. A database path that is a link (into a synced
// folder, say) stays a link: the file it leads to is replaced.
void replaceDatabase(const QString& rebuilt, const QString& databasePath,
                     const std::function<void()>& releaseDatabase,
                     const std::function<void()>& reopenDatabase)
{
    const QString linked = QFileInfo(databasePath).canonicalFilePath();
    const QString dbPath = linked.isEmpty() ? databasePath : linked;
    const QString dbFolder = QFileInfo(dbPath).absolutePath();
    // A rename only works within one file system: elsewhere the rebuilt file
    // is first copied beside the database.
    QString staged = rebuilt;
    if (!sameFileSystem(QFileInfo(rebuilt).absolutePath(), dbFolder)) {
        staged = dbPath + QStringLiteral(".rebuilt");
        removeDatabaseFiles(staged);
        SqliteDatabase(rebuilt, SqliteDatabase::Access::ReadOnly).backupTo(staged);
    }
    syncToDisk(staged, false);
    if (QFileInfo::exists(dbPath))
        QFile::setPermissions(staged, QFile::permissions(dbPath));

    if (releaseDatabase)
        releaseDatabase();
    const auto reopen = qScopeGuard([&reopenDatabase] {
        if (reopenDatabase)
            reopenDatabase();
    });
    if (QFileInfo::exists(dbPath)) {
        // The old file's write-ahead log is merged into it and removed: left
        // beside the new file, SQLite would replay it onto the new pages. This
        // also fails (busy) while another program still has the file open.
        SqliteDatabase live(dbPath, SqliteDatabase::Access::ReadWrite);
        live.execute(sql::UseRollbackJournal);
    }
    if (std::rename(QFile::encodeName(staged).constData(), QFile::encodeName(dbPath).constData()) != 0) {
        const int error = errno;
        if (staged != rebuilt)
            removeDatabaseFiles(staged);
        throw DatabaseError(QStringLiteral("データベースファイルを置き換えられません。\n") + dbPath,
                            QString::fromLocal8Bit(std::strerror(error)), error);
    }
    syncToDisk(dbFolder, true);
}

} // namespace

QString DefaultRebuildTitle()
{
    return QStringLiteral("データベースアップデート");
}

bool RebuildDatabase(const RebuildRequest& request, Progress& progress,
                     const std::function<void()>& releaseDatabase,
                     const std::function<void()>& reopenDatabase)
{
    QString folder = request.myPath;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    const int version = qBound(0, request.oldVersion, kMemoIconAndUpdate);

    progress.SetProgressBar(true, true);
    progress.SetTitle(request.title.isEmpty() ? DefaultRebuildTitle() : request.title);
    progress.SetExplain(QStringLiteral("テンポラリファイル作成中。"));

    // Whatever way the rebuild ends, no temporary file stays behind.
    const RebuildFolder temporary(folder);
    const QString oldPath = temporary.file(kOldFile);
    const QString newPath = temporary.file(kNewFile);
    const auto deleteTemporaryFiles = [&] {
        progress.SetExplain(QStringLiteral("テンポラリファイルの削除中。"));
        temporary.removeFiles();
        progress.SetExplain(QStringLiteral("テンポラリファイルの削除完了。"));
    };

    // The backup API copies the database as it stands, write-ahead log included.
    SqliteDatabase(request.dbPath, SqliteDatabase::Access::ReadOnly).backupTo(oldPath);
    // The built-in layout, not the file default.mdb, which may hold anything
    // by now (memos would come back in every rebuild).
    TemplateDatabase::writeBuiltIn(newPath);
    progress.SetExplain(QStringLiteral("テンポラリファイル作成完了。"));
    progress.SetProgressMax(1, kStages);
    progress.SetProgress(1, 1);

    bool cancelled = false;
    {
        SqliteDatabase from(oldPath, SqliteDatabase::Access::ReadOnly);
        SqliteDatabase to(newPath, SqliteDatabase::Access::ReadWrite);
        // new.mdb is scratch until it is synced and renamed at the end.
        to.execute(sql::RebuildScratchSettings);

        // A table that has begun is copied to its end; the cancel request is
        // looked at between tables.
        const auto table = [&](const TableTexts& texts, int stage, bool present, const auto& copy) {
            if (cancelled)
                return;
            if (present) {
                progress.SetExplain(texts.start);
                copy();
                if (progress.IsCancel()) {
                    cancelled = true;
                    return;
                }
                progress.SetExplain(texts.end);
            }
            progress.SetProgress(1, stage);
        };
        table(kContentsTexts, 2, true, [&] { copyContents(from, to, version, progress); });
        table(kFileTexts, 3, true, [&] { copyFiles(from, to, version, progress); });
        if (!cancelled && version < kLogTable)
            progress.SetExplain(QStringLiteral("ログ登録データベースのコピーはスキップ。"));
        table(kLogTexts, 4, version >= kLogTable, [&] { copyLogs(from, to, progress); });
        table(kMemoTexts, 5, version >= kMemoTable, [&] { copyMemos(from, to, oldPath, version, progress); });
        table(kInfoTexts, 6, version >= kMemoTable, [&] { copyInfo(from, to, version, progress); });
    }
    if (cancelled) {
        deleteTemporaryFiles();
        return false;
    }

    progress.SetExplain(QStringLiteral("復元中。"));
    replaceDatabase(newPath, request.dbPath, releaseDatabase, reopenDatabase);
    progress.SetExplain(QStringLiteral("復元完了。"));

    deleteTemporaryFiles();
    progress.SetProgress(1, kStages);
    return true;
}
