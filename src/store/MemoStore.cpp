#include "store/MemoStore.h"

#include "store/MemoFingerprint.h"
#include "store/StatementCatalogue.h"

#include <QSet>

namespace {

bool hasTable(SqliteDatabase& db, const QString& name)
{
    Statement query(db, sql::TableExists);
    query.bind(1, name);
    return query.step();
}

// Reads the columns of sql::ReadMemo / sql::ReadAllMemos.
Memo readMemoRow(const Statement& row)
{
    Memo memo;
    memo.recordId = row.int64(0);
    memo.no = row.int64(1);
    memo.title = row.text(2);
    memo.body = row.text(3);
    memo.category = row.isNull(4) ? QString() : row.text(4);
    memo.icon = row.isNull(5) ? -1 : row.int32(5);
    memo.publishTime = row.text(6);
    memo.updateTime = row.text(7);
    memo.isPass = row.boolean(8);
    memo.isTrash = row.boolean(9);
    return memo;
}

// Reads the columns of sql::ReadMemosForSearch / sql::ReadMemoForSearch into
// views valid until the next step.
MemoSearchRow readSearchRow(const Statement& row)
{
    return MemoSearchRow{row.int64(0), row.utf8(1), row.utf8(2), row.utf8(3)};
}

// A single-row update; true when the memo existed.
bool updateOne(SqliteDatabase& db, const char* text, qint64 id, qint64 value)
{
    Statement update(db, text);
    update.bind(1, id).bind(2, value).run();
    return db.changes() > 0;
}

} // namespace

MemoStore::MemoStore(const QString& path) : m_db(path, SqliteDatabase::Access::ReadWrite)
{
    prepareConnection();
}

void MemoStore::reopen()
{
    ++m_opening;
    m_db.reopen();
    prepareConnection();
}

void MemoStore::prepareConnection()
{
    if (!hasTable(m_db, QStringLiteral("Memo")) || !hasTable(m_db, QStringLiteral("DBInfo")))
        throw DatabaseError(QStringLiteral("このファイルはQuilletのデータベースではありません。\n") + path());
    if (!m_db.isReadOnly()) {
        m_db.execute(sql::ConfigureConnection);
        m_db.execute(sql::CreateIndexes);
    }
}

bool MemoStore::readIsMemoPass()
{
    Statement query(m_db, sql::ReadIsMemoPass);
    return query.step() && query.boolean(0);
}

QString MemoStore::readDatabasePasswordScrambled()
{
    Statement query(m_db, sql::ReadDatabasePassword);
    return query.step() ? query.text(0) : QString();
}

void MemoStore::writeDatabasePassword(bool isMemoPass, const QString& scrambled)
{
    Statement update(m_db, sql::WriteDatabasePassword);
    update.bind(1, isMemoPass).bind(2, scrambled.isNull() ? QStringLiteral("") : scrambled).run();
}

std::optional<Memo> MemoStore::readMemo(qint64 id)
{
    Statement query(m_db, sql::ReadMemo);
    query.bind(1, id);
    if (!query.step())
        return std::nullopt;
    return readMemoRow(query);
}

std::optional<FloatingMemoText> MemoStore::readMemoText(qint64 id)
{
    Statement query(m_db, sql::ReadMemoForWindow);
    query.bind(1, id);
    if (!query.step())
        return std::nullopt;
    return FloatingMemoText{query.text(0), query.text(1), query.boolean(2)};
}

void MemoStore::forEachMemoBody(const QList<qint64>& ids,
                                const std::function<void(QByteArrayView body, bool isPass)>& visit)
{
    if (ids.isEmpty())
        return;
    QByteArray list;
    list.reserve(ids.size() * 8 + 2);
    list.append('[');
    for (qint64 id : ids) {
        if (list.size() > 1)
            list.append(',');
        list.append(QByteArray::number(id));
    }
    list.append(']');
    Statement query(m_db, sql::ReadMemoBodiesInOrder);
    query.bind(1, QString::fromLatin1(list));
    while (query.step())
        visit(query.utf8(0), query.boolean(1));
}

void MemoStore::forEachListedMemo(bool inTrash, const std::function<void(const MemoListRow&)>& visit)
{
    Statement query(m_db, sql::ListMemos);
    query.bind(1, inTrash);
    MemoListRow row;
    while (query.step()) {
        row.entry.id = query.int64(0);
        row.entry.publishTime = query.text(1);
        row.entry.updateTime = query.text(2);
        row.entry.title = query.text(3);
        row.entry.icon = query.isNull(4) ? -1 : query.int32(4);
        row.entry.isPass = query.boolean(5);
        row.categoryIsNull = query.isNull(6);
        row.category = row.categoryIsNull ? QString() : query.text(6);
        visit(row);
    }
}

namespace {

// Visits the rows of a memo list statement, its tag strings `withCategory`.
void visitListColumns(Statement& query, bool withCategory,
                      const std::function<void(const MemoListColumns&)>& visit)
{
    MemoListColumns row;
    while (query.step()) {
        row.id = query.int64(0);
        row.publishTime = query.utf8(1);
        row.updateTime = query.utf8(2);
        row.title = query.utf8(3);
        row.icon = query.isNull(4) ? -1 : query.int32(4);
        row.isPass = query.boolean(5);
        if (withCategory)
            row.category = query.utf8(6);
        visit(row);
    }
}

void listMemoColumns(SqliteDatabase& db, bool inTrash, bool withCategory, qint64 firstId, qint64 lastId,
                     const std::function<void(const MemoListColumns&)>& visit)
{
    Statement query(db, withCategory ? sql::ListMemosInRange : sql::ListShownMemosInRange);
    query.bind(1, inTrash).bind(2, firstId).bind(3, lastId);
    visitListColumns(query, withCategory, visit);
}

} // namespace

void MemoStore::forEachListedMemoColumns(bool inTrash, bool withCategory, qint64 firstId, qint64 lastId,
                                         const std::function<void(const MemoListColumns&)>& visit)
{
    listMemoColumns(m_db, inTrash, withCategory, firstId, lastId, visit);
}

void MemoStore::forEachListedMemoColumnsAt(const QString& path, bool inTrash, bool withCategory,
                                           qint64 firstId, qint64 lastId,
                                           const std::function<void(const MemoListColumns&)>& visit)
{
    SqliteDatabase reader(path, SqliteDatabase::Access::ReadOnly);
    listMemoColumns(reader, inTrash, withCategory, firstId, lastId, visit);
}

void MemoStore::forEachListedMemoColumnsAtEnd(bool inTrash, bool highest, qint64 firstId, qint64 lastId,
                                              int limit,
                                              const std::function<void(const MemoListColumns&)>& visit)
{
    Statement query(m_db, highest ? sql::ListHighestShownMemosInRange : sql::ListLowestShownMemosInRange);
    query.bind(1, inTrash).bind(2, firstId).bind(3, lastId).bind(4, limit);
    visitListColumns(query, false, visit);
}

std::optional<std::pair<qint64, qint64>> MemoStore::recordIdRange()
{
    Statement query(m_db, sql::ReadRecordIdRange);
    if (!query.step() || query.isNull(0))
        return std::nullopt;
    return std::make_pair(query.int64(0), query.int64(1));
}

MemoStore::ContentVersion MemoStore::contentVersion()
{
    Statement query(m_db, sql::ReadDataVersion);
    return {m_opening, m_db.totalChanges(), query.step() ? query.int64(0) : -1};
}

std::vector<CategoryGroup> MemoStore::readCategoryGroups()
{
    std::vector<CategoryGroup> groups;
    Statement query(m_db, sql::CountMemosPerCategory);
    while (query.step()) {
        const bool isNull = query.isNull(0);
        groups.push_back({isNull ? QString() : query.text(0), isNull, query.int32(1)});
    }
    return groups;
}

void MemoStore::forEachCategoryGroup(const std::function<void(QByteArrayView category, int count)>& visit)
{
    // Equal tag strings come one after the other; each run is one group.
    Statement query(m_db, sql::ListTagStringsInOrder);
    QByteArray previous;
    bool previousIsNull = false;
    int count = 0;
    // The group's tag string: null for Null, never null for an empty one.
    const auto group = [&] {
        return previousIsNull
                   ? QByteArrayView()
                   : QByteArrayView(previous.isEmpty() ? "" : previous.constData(), previous.size());
    };
    while (query.step()) {
        const QByteArrayView category = query.utf8(0);
        if (count > 0 && category.isNull() == previousIsNull && category == QByteArrayView(previous)) {
            ++count;
            continue;
        }
        if (count > 0)
            visit(group(), count);
        previous.resize(0);
        previous.append(category);
        previousIsNull = category.isNull();
        count = 1;
    }
    if (count > 0)
        visit(group(), count);
}

int MemoStore::countTrashedMemos()
{
    Statement query(m_db, sql::CountTrashedMemos);
    return query.step() ? query.int32(0) : 0;
}

QList<qint64> MemoStore::idsOutsideTrash(const QList<qint64>& ids)
{
    const QSet<qint64> wanted(ids.cbegin(), ids.cend());
    QList<qint64> kept;
    if (wanted.isEmpty())
        return kept;
    Statement query(m_db, sql::ListIdsOutsideTrash);
    while (query.step()) {
        const qint64 id = query.int64(0);
        if (wanted.contains(id))
            kept.append(id);
    }
    return kept;
}

int MemoStore::countMemos()
{
    Statement query(m_db, sql::CountMemos);
    return query.step() ? query.int32(0) : 0;
}

void MemoStore::forEachMemo(bool includeTrashed, bool includeLocked,
                            const std::function<bool(const Memo&)>& visit)
{
    Statement query(m_db, sql::ReadAllMemos);
    query.bind(1, includeTrashed).bind(2, includeLocked);
    while (query.step()) {
        if (!visit(readMemoRow(query)))
            break;
    }
}

void MemoStore::forEachSearchRow(const std::function<void(const MemoSearchRow&)>& visit)
{
    Statement query(m_db, sql::ReadMemosForSearch);
    while (query.step())
        visit(readSearchRow(query));
}

void MemoStore::forEachSearchRowOf(const std::vector<qint64>& ids,
                                   const std::function<void(const MemoSearchRow&)>& visit)
{
    Statement query(m_db, sql::ReadMemoForSearch);
    for (const qint64 id : ids) {
        query.reset();
        query.bind(1, id);
        if (query.step())
            visit(readSearchRow(query));
    }
}

void MemoStore::forEachTagRow(const std::function<void(const MemoSearchRow&)>& visit)
{
    Statement query(m_db, sql::ReadTagsOutsideTrash);
    MemoSearchRow row;
    while (query.step()) {
        row.id = query.int64(0);
        row.category = query.utf8(1);
        visit(row);
    }
}

std::vector<qint64> MemoStore::trashedIds()
{
    std::vector<qint64> ids;
    Statement query(m_db, sql::ListTrashedIds);
    while (query.step())
        ids.push_back(query.int64(0));
    return ids;
}

std::vector<MemoIdentity> MemoStore::readMemoIdentities()
{
    std::vector<MemoIdentity> identities;
    Statement query(m_db, sql::ReadMemoIdentities);
    while (query.step())
        identities.push_back({query.int64(0), query.text(1), query.text(2)});
    return identities;
}

bool MemoStore::isMemoLocked(qint64 id)
{
    Statement query(m_db, sql::IsMemoLocked);
    query.bind(1, id);
    return query.step();
}

std::optional<QString> MemoStore::readMemoCategory(qint64 id)
{
    Statement query(m_db, sql::ReadMemoCategory);
    query.bind(1, id);
    if (!query.step())
        return std::nullopt;
    return query.isNull(0) ? QStringLiteral("") : query.text(0);
}

std::optional<SavedMemoState> MemoStore::readMemoCategoryAndTrash(qint64 id)
{
    Statement query(m_db, sql::ReadMemoCategoryAndTrash);
    query.bind(1, id);
    if (!query.step())
        return std::nullopt;
    return SavedMemoState{query.isNull(0) ? QStringLiteral("") : query.text(0), query.boolean(1)};
}

std::vector<std::pair<qint64, QString>> MemoStore::readAllCategories()
{
    std::vector<std::pair<qint64, QString>> categories;
    Statement query(m_db, sql::ReadAllCategories);
    while (query.step())
        categories.emplace_back(query.int64(0), query.isNull(1) ? QString() : query.text(1));
    return categories;
}

qint64 MemoStore::insertMemo(const QString& title, const QString& body, const QString& category,
                             const QString& time)
{
    Statement insert(m_db, sql::InsertMemo);
    insert.bind(1, title).bind(2, body).bind(3, time).bind(4, category).run();
    return m_db.lastInsertId();
}

qint64 MemoStore::insertWholeMemo(const Memo& memo)
{
    Statement insert(m_db, sql::InsertWholeMemo);
    insert.bind(1, memo.no)
        .bind(2, memo.title)
        .bind(3, memo.body)
        .bind(4, memo.category)
        .bind(5, memo.icon)
        .bind(6, memo.publishTime)
        .bind(7, memo.updateTime)
        .bind(8, memo.isPass)
        .bind(9, memo.isTrash)
        .run();
    return m_db.lastInsertId();
}

std::optional<SavedMemoState> MemoStore::updateMemo(qint64 id, const QString& title, const QString& body,
                                                    const QString& category, const QString& time,
                                                    const QString& loaded)
{
    auto transaction = this->transaction();
    std::optional<SavedMemoState> previous = readMemoCategoryAndTrash(id);
    if (!previous)
        return std::nullopt;
    if (!loaded.isEmpty()) {
        const std::optional<Memo> stored = readMemo(id);
        if (stored && MemoFingerprint::ofMemo(*stored) != loaded) {
            previous->changedMeanwhile = true;
            return previous;
        }
    }
    Statement update(m_db, sql::UpdateMemo);
    update.bind(1, id).bind(2, title).bind(3, body).bind(4, category).bind(5, time).run();
    transaction.commit();
    Q_EMIT m_changes->memoWritten(id);
    return previous;
}

std::optional<Memo> MemoStore::updateMemoBody(qint64 id, const QString& body, const QString& time,
                                              const QString& loaded, bool* changedMeanwhile)
{
    auto transaction = this->transaction();
    std::optional<Memo> previous = readMemo(id);
    if (!previous)
        return std::nullopt;
    if (!loaded.isEmpty() && MemoFingerprint::ofBody(previous->body) != loaded) {
        if (changedMeanwhile)
            *changedMeanwhile = true;
        return previous;
    }
    Statement update(m_db, sql::UpdateMemoBody);
    update.bind(1, id).bind(2, body).bind(3, time).run();
    transaction.commit();
    Q_EMIT m_changes->memoWritten(id);
    return previous;
}

void MemoStore::overwriteMemo(qint64 id, const Memo& from)
{
    Statement update(m_db, sql::OverwriteMemo);
    update.bind(1, id)
        .bind(2, from.no)
        .bind(3, from.updateTime)
        .bind(4, from.category)
        .bind(5, from.title)
        .bind(6, from.body)
        .bind(7, from.isPass)
        .bind(8, from.isTrash)
        .run();
    Q_EMIT m_changes->memoWritten(id);
}

bool MemoStore::writeMemoCategory(qint64 id, const QString& category)
{
    Statement update(m_db, sql::WriteMemoCategory);
    update.bind(1, id).bind(2, category).run();
    return announce(id, m_db.changes() > 0);
}

bool MemoStore::writeMemoTrash(qint64 id, bool inTrash)
{
    return announce(id, updateOne(m_db, sql::WriteMemoTrash, id, inTrash ? 1 : 0));
}

bool MemoStore::writeMemoIcon(qint64 id, int icon)
{
    return updateOne(m_db, sql::WriteMemoIcon, id, icon);
}

bool MemoStore::writeMemoLock(qint64 id, bool locked)
{
    return announce(id, updateOne(m_db, sql::WriteMemoLock, id, locked ? 1 : 0));
}

bool MemoStore::announce(qint64 id, bool written)
{
    if (written)
        Q_EMIT m_changes->memoWritten(id);
    return written;
}

int MemoStore::deleteTrashedMemos()
{
    Statement remove(m_db, sql::DeleteTrashedMemos);
    remove.run();
    return m_db.changes();
}
