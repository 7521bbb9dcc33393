#pragma once

#include "store/Memo.h"
#include "store/MemoChanges.h"
#include "store/SqliteDatabase.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// One memo as the tag search reads it: the columns as UTF-8 straight from the
// database, valid only during the visit; a Null column is a null view.
struct MemoSearchRow
{
    qint64 id = 0;
    QByteArrayView category;
    QByteArrayView title;
    QByteArrayView body;
};

// One memo as a memo list fill reads it: the columns as UTF-8 straight from
// the database, valid only during the visit; a Null text is a null view.
struct MemoListColumns
{
    qint64 id = 0;
    QByteArrayView publishTime;
    QByteArrayView updateTime;
    QByteArrayView title;
    int icon = -1; // -1: no icon (also for Null)
    bool isPass = false;
    QByteArrayView category; // read only when asked for
};

// The open memo database: one connection for the whole run, and one typed
// operation per statement of the catalogue. Every failure throws DatabaseError.
class MemoStore
{
public:
    // Opens an existing database file. Throws DatabaseError when it is missing,
    // not a database, or lacks the memo tables.
    explicit MemoStore(const QString& path);

    QString path() const { return m_db.path(); }
    bool isReadOnly() const { return m_db.isReadOnly(); }
    SqliteDatabase& database() { return m_db; }
    // Closes the connection before the file is replaced, and opens the file at
    // the same path again afterwards; the object (which the lists and the
    // editor hold) stays the same.
    void close() { m_db.close(); }
    void reopen();
    bool isOpen() const { return m_db.isOpen(); }
    // Announces each memo the store writes.
    MemoChanges& changes() { return *m_changes; }

    // --- Database information ---
    bool readIsMemoPass();
    QString readDatabasePasswordScrambled(); // empty when DBInfo has no row
    void writeDatabasePassword(bool isMemoPass, const QString& scrambled);

    // --- Reading ---
    std::optional<Memo> readMemo(qint64 id);
    std::optional<FloatingMemoText> readMemoText(qint64 id);
    // The body (a null view when Null) and protection flag of each of the memos
    // `ids` that exists, in the order of `ids`, read by one statement; the
    // body's text is valid during the visit only.
    void forEachMemoBody(const QList<qint64>& ids,
                         const std::function<void(QByteArrayView body, bool isPass)>& visit);
    void forEachListedMemo(bool inTrash, const std::function<void(const MemoListRow&)>& visit);
    // The same rows read without copies, in RecordID order, those with
    // RecordIDs from `firstId` to `lastId`; the tag strings only `withCategory`.
    void forEachListedMemoColumns(bool inTrash, bool withCategory, qint64 firstId, qint64 lastId,
                                  const std::function<void(const MemoListColumns&)>& visit);
    // The same on a read-only connection of its own to the database at
    // `path`, opened for this read, so that it may run in another thread
    // while the store's own connection is in use.
    static void forEachListedMemoColumnsAt(const QString& path, bool inTrash, bool withCategory,
                                           qint64 firstId, qint64 lastId,
                                           const std::function<void(const MemoListColumns&)>& visit);
    // At most `limit` of the rows forEachListedMemoColumns() reads without tag
    // strings: those with the lowest RecordIDs, or with the highest (then
    // highest first).
    void forEachListedMemoColumnsAtEnd(bool inTrash, bool highest, qint64 firstId, qint64 lastId, int limit,
                                       const std::function<void(const MemoListColumns&)>& visit);
    // The lowest and highest RecordID in use; nullopt when there is no memo.
    std::optional<std::pair<qint64, qint64>> recordIdRange();

    // What the database holds as this connection sees it: equal at two
    // moments only when nothing was written in between, by this connection
    // or another. A read on another connection sees the same rows while no
    // transaction of this one is open (readsApartSeeAll()).
    struct ContentVersion
    {
        int opening = 0; // the file is opened afresh after it was replaced
        qint64 ownChanges = -1;
        qint64 dataVersion = -1;
        bool operator==(const ContentVersion&) const = default;
    };
    ContentVersion contentVersion();
    bool readsApartSeeAll() const { return m_db.isOpen() && !m_db.inTransaction(); }
    std::vector<CategoryGroup> readCategoryGroups();
    // The same groups one at a time, the tag string as UTF-8 (a null view for
    // the Null group) valid only during the visit, without a list of them.
    void forEachCategoryGroup(const std::function<void(QByteArrayView category, int count)>& visit);
    int countTrashedMemos();
    // Those of `ids` that are memos outside the trash, in table order.
    QList<qint64> idsOutsideTrash(const QList<qint64>& ids);
    int countMemos();
    void forEachMemo(bool includeTrashed, bool includeLocked, const std::function<bool(const Memo&)>& visit);
    // Every memo outside the trash, locked ones too, in table order, read without copies.
    void forEachSearchRow(const std::function<void(const MemoSearchRow&)>& visit);
    // The memos of `ids` (in order) that exist outside the trash, one by one.
    void forEachSearchRowOf(const std::vector<qint64>& ids,
                            const std::function<void(const MemoSearchRow&)>& visit);
    // Every memo outside the trash with its tag string only (title and body
    // are null views), in tag order: no memo text is read.
    void forEachTagRow(const std::function<void(const MemoSearchRow&)>& visit);
    // The RecordIDs of the memos in the trash, in order.
    std::vector<qint64> trashedIds();
    std::vector<MemoIdentity> readMemoIdentities();
    bool isMemoLocked(qint64 id);
    std::optional<QString> readMemoCategory(qint64 id); // nullopt: no such memo
    // The memo's tag string ("" when Null) and trash state; nullopt: no such memo.
    std::optional<SavedMemoState> readMemoCategoryAndTrash(qint64 id);
    std::vector<std::pair<qint64, QString>> readAllCategories();

    // --- Writing ---
    // Adds a memo the way the editor does (title, body, times, tags) and returns its RecordID.
    qint64 insertMemo(const QString& title, const QString& body, const QString& category,
                      const QString& time);
    // Adds a memo with every column copied (merge, rebuild); returns its RecordID.
    qint64 insertWholeMemo(const Memo& memo);
    // Saves an existing memo; returns its previous tag string and trash state,
    // read in the same transaction, or nullopt when the memo is gone. With a
    // `loaded` fingerprint (MemoFingerprint::ofMemo of the memo as the saving
    // place loaded it), a memo that changed since is left as it is and the
    // result says so (changedMeanwhile).
    std::optional<SavedMemoState> updateMemo(qint64 id, const QString& title, const QString& body,
                                             const QString& category, const QString& time,
                                             const QString& loaded = {});
    // Saves only the body of an existing memo; returns the memo as it was
    // before (title, tags, trash state), read in the same transaction, or
    // nullopt when the memo is gone. With a `loaded` fingerprint
    // (MemoFingerprint::ofBody), a body that changed since is left as it is
    // and `*changedMeanwhile` is set.
    std::optional<Memo> updateMemoBody(qint64 id, const QString& body, const QString& time,
                                       const QString& loaded = {}, bool* changedMeanwhile = nullptr);
    void overwriteMemo(qint64 id, const Memo& from);
    bool writeMemoCategory(qint64 id, const QString& category);
    bool writeMemoTrash(qint64 id, bool inTrash);
    bool writeMemoIcon(qint64 id, int icon);
    bool writeMemoLock(qint64 id, bool locked);
    int deleteTrashedMemos();

    SqliteDatabase::Transaction transaction() { return SqliteDatabase::Transaction(m_db); }

private:
    // Refuses a file that is not a memo database; readies a writable one.
    void prepareConnection();
    // Tells the places showing memo `id` that it was written; returns `written`.
    bool announce(qint64 id, bool written);

    SqliteDatabase m_db;
    int m_opening = 0;
    std::unique_ptr<MemoChanges> m_changes = std::make_unique<MemoChanges>();
};
