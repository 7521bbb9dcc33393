#include "store/DatabaseMerge.h"

#include "app/Progress.h"
#include "app/Prompt.h"
#include "store/DatabaseError.h"
#include "store/DatabaseInfo.h"
#include "store/MemoStore.h"
#include "store/StatementCatalogue.h"
#include "store/WriteBatch.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <sys/stat.h>

namespace {

const QString kLoadFailed = QStringLiteral("ファイルの追加読みこみに失敗しました。");

// Columns of sql::MergeReadOtherMemos.
enum OtherColumn
{
    RecordID,
    No,
    Title,
    Body,
    Category,
    PublishTime,
    UpdateTime,
    IsPass,
    IsTrash
};

// Binds the other memo's columns for sql::MergeInsertMemo. Text columns go
// over as stored (Null stays Null); a Null No becomes 0.
void bindNewMemo(Statement& insert, const Statement& other)
{
    insert.bind(1, other.isNull(No) ? qint64(0) : other.int64(No))
        .bind(2, other.text(Title))
        .bind(3, other.text(Body))
        .bind(4, other.text(Category))
        .bind(5, other.text(PublishTime))
        .bind(6, other.text(UpdateTime))
        .bind(7, other.boolean(IsPass))
        .bind(8, other.boolean(IsTrash));
}

// Binds the other memo's columns for sql::OverwriteMemo; PublishTime and Icon
// of the present memo stay.
void bindOverwrite(Statement& update, qint64 presentId, const Statement& other)
{
    update.bind(1, presentId)
        .bind(2, other.isNull(No) ? qint64(0) : other.int64(No))
        .bind(3, other.text(UpdateTime))
        .bind(4, other.text(Category))
        .bind(5, other.text(Title))
        .bind(6, other.text(Body))
        .bind(7, other.boolean(IsPass))
        .bind(8, other.boolean(IsTrash));
}

int countMemos(SqliteDatabase& db)
{
    Statement count(db, sql::CountMemos);
    return count.step() ? count.int32(0) : 0;
}

// Rows written per transaction: large enough that commits cost little, small
// enough that a crash loses little.
constexpr int kRowsPerCommit = 1000;

} // namespace

void PresentMemos::append(const MemoIdentity& memo)
{
    const int index = int(m_list.size());
    m_list.push_back(memo);
    // The first record of a title or an ID is the one that counts.
    if (!m_byTitle.contains(memo.title))
        m_byTitle.insert(memo.title, index);
    if (!m_byId.contains(memo.recordId))
        m_byId.insert(memo.recordId, index);
}

const MemoIdentity* PresentMemos::firstWithTitle(const QString& title) const
{
    const auto it = m_byTitle.constFind(title);
    return it == m_byTitle.cend() ? nullptr : &m_list[size_t(*it)];
}

const MemoIdentity* PresentMemos::firstWithId(qint64 id) const
{
    const auto it = m_byId.constFind(id);
    return it == m_byId.cend() ? nullptr : &m_list[size_t(*it)];
}

void PresentMemos::setUpdateTime(qint64 id, const QString& updateTime)
{
    const auto it = m_byId.constFind(id);
    if (it != m_byId.cend())
        m_list[size_t(*it)].updateTime = updateTime;
}

SameMemo FindSameMemo(const PresentMemos& present, int matchMode, const QString& key,
                      const QString& otherUpdateTime)
{
    const MemoIdentity* found = nullptr;
    if (matchMode == MatchByTitle) {
        found = present.firstWithTitle(key);
    } else if (matchMode == MatchById) {
        bool isNumber = false;
        const qint64 id = key.toLongLong(&isNumber);
        if (isNumber)
            found = present.firstWithId(id);
    }
    if (!found)
        return {SameMemo::Add, 0};
    if (otherUpdateTime > found->updateTime)
        return {SameMemo::Overwrite, found->recordId};
    return {SameMemo::Skip, found->recordId};
}

bool IsSameDatabaseFile(const QString& a, const QString& b)
{
    struct stat first
    {
    };
    struct stat second
    {
    };
    if (::stat(QFile::encodeName(a).constData(), &first) == 0 &&
        ::stat(QFile::encodeName(b).constData(), &second) == 0)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

QString SelfMergeMessage()
{
    return QStringLiteral("開いているメモデータベース自身は追加読み込みできません。\n"
                          "別のメモデータベースファイルを選んでください。");
}

MergeResult MergeMemoDatabase(MemoStore& store, const QString& otherPath, bool overwrite, int matchMode,
                              Progress& progress)
{
    // Reading the open file while writing it would take in the memos just
    // added (add-all doubles the database) or compare against changed rows.
    if (IsSameDatabaseFile(store.path(), otherPath))
        throw DatabaseError(SelfMergeMessage());

    SqliteDatabase other(otherPath, SqliteDatabase::Access::ReadOnly);
    SqliteDatabase& db = store.database();
    MergeResult result;
    PresentMemos present;

    if (!overwrite) {
        progress.SetTitle(QStringLiteral("新規メモを追加"));
        progress.SetProgressBar(true, false);
    } else {
        progress.SetTitle(QStringLiteral("メモをマージ"));
        progress.SetProgressBar(true, true);
        progress.SetProgressMax(1, 2);

        // First pass: the identities of the memos already present.
        const int presentCount = countMemos(db);
        progress.SetExplain(
            QStringLiteral("現在のメモデータベースを読み込み中...合計%1件").arg(presentCount));
        progress.SetProgressMax(2, presentCount);
        Statement identities(db, sql::ReadMemoIdentities);
        while (identities.step()) {
            present.append({identities.int64(0), identities.text(1), identities.text(2)});
            progress.SetProgress(2, present.size());
            if (progress.IsCancel()) {
                // Matching against part of the list would add memos that are
                // present already: the second pass does not start.
                result.cancelled = true;
                return result;
            }
        }
        progress.SetProgress(1, 1);
    }

    // Adding (every memo, or the second pass of a merge).
    const int otherCount = countMemos(other);
    if (!overwrite) {
        progress.SetExplain(QStringLiteral("すべて新規メモとして追加しています...合計%1件").arg(otherCount));
        progress.SetProgressMax(1, otherCount);
    } else {
        progress.SetTitle(QStringLiteral("メモをマージ"));
        progress.SetExplain(QStringLiteral("メモデータベースを追加/上書き中...合計%1件").arg(otherCount));
        progress.SetProgressMax(2, otherCount);
        progress.SetProgressClear(2);
    }
    const int bar = overwrite ? 2 : 1;

    Statement memos(other, sql::MergeReadOtherMemos);
    Statement insert(db, sql::MergeInsertMemo);
    Statement update(db, sql::OverwriteMemo);
    WriteBatch batch(db, kRowsPerCommit);
    const CommitBeforeEvents committing(progress, batch);
    // In the order of their first overwrite.
    std::vector<qint64> overwritten;
    QSet<qint64> overwrittenIds;
    int ordinal = 0;
    while (memos.step()) {
        ++ordinal;
        const SameMemo same =
            overwrite ? FindSameMemo(present, matchMode,
                                     matchMode == MatchById ? QString::number(memos.int64(RecordID))
                                                            : memos.text(Title),
                                     memos.text(UpdateTime))
                      : SameMemo{SameMemo::Add, 0};
        if (same.action == SameMemo::Add) {
            batch.beforeWrite();
            bindNewMemo(insert, memos);
            insert.run();
            insert.reset();
            batch.afterWrite();
            ++result.added;
        } else if (same.action == SameMemo::Overwrite) {
            batch.beforeWrite();
            bindOverwrite(update, same.recordId, memos);
            update.run();
            update.reset();
            batch.afterWrite();
            // Two copies of one memo in the other file: the later one wins,
            // whichever comes first, and the memo counts once.
            present.setUpdateTime(same.recordId, memos.text(UpdateTime));
            if (!overwrittenIds.contains(same.recordId)) {
                overwrittenIds.insert(same.recordId);
                overwritten.push_back(same.recordId);
            }
        }
        progress.SetProgress(bar, overwrite ? ordinal : result.added);
        if (progress.IsCancel()) {
            result.cancelled = true;
            break;
        }
    }
    batch.commit();
    result.overwritten = int(overwritten.size());
    // The places showing an overwritten memo follow it.
    for (const qint64 id : overwritten)
        Q_EMIT store.changes().memoWritten(id);
    if (overwrite && !result.cancelled)
        progress.SetProgress(1, 2);
    return result;
}

bool CheckMergeSource(Prompt& prompt, const QString& openPath, const QString& otherPath)
{
    if (IsSameDatabaseFile(openPath, otherPath)) {
        prompt.critical(SelfMergeMessage());
        return false;
    }
    try {
        const int version = ReadVersionInfo(otherPath);
        if (version < CurrentDatabaseVersion) {
            prompt.critical(
                QStringLiteral("メモデータベースのバージョンが低いため追加読み込みができません。\n"
                               "メモデータベースは2.50以上である必要があります。\n"
                               "(読み込んだメモデータベースは%1でした)。")
                    .arg(QString::number(version / 100.0, 'f', 2)));
            return false;
        }
        if (ReadIsMemoPass(otherPath)) {
            const QString entered =
                prompt.password(QStringLiteral("パスワードの入力"),
                                QStringLiteral("このデータベースを開くためのパスワードを入力してください。"));
            if (entered.isEmpty()) {
                prompt.critical(kLoadFailed);
                return false;
            }
            if (!CheckDatabasePassword(entered, otherPath)) {
                prompt.critical(QStringLiteral("パスワードが間違っています。"));
                prompt.critical(kLoadFailed);
                return false;
            }
        }
    } catch (const DatabaseError& error) {
        // A file that is not a memo database (or cannot be read) is refused in words.
        prompt.critical(kLoadFailed + QLatin1Char('\n') + error.userMessage());
        return false;
    }
    return true;
}

QString MergeResultMessage(const MergeResult& result)
{
    return (result.cancelled ? QStringLiteral("途中でキャンセルしました！")
                             : QStringLiteral("メモデータの追加読み込み完了！")) +
           QStringLiteral("\n新規メモ：%1　上書き：%2").arg(result.added).arg(result.overwritten);
}
