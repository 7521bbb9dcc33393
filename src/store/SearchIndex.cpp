#include "store/SearchIndex.h"

#include "app/Progress.h"
#include "search/SearchGrams.h"
#include "store/StatementCatalogue.h"

#include <QByteArray>

#include <algorithm>

void SearchIndex::prepare()
{
    if (m_db.isReadOnly() || isUsable())
        return;
    try {
        SqliteDatabase::Transaction transaction(m_db);
        // Another copy of Quillet may have made it while this one waited.
        if (isUsable())
            return;
        m_db.execute(sql::SearchIndexDrop);
        m_db.execute(sql::SearchIndexCreate);
        Statement(m_db, sql::SearchIndexWriteScheme).bind(1, SearchGrams::scheme()).run();
        Statement(m_db, sql::SearchIndexPendAll).run();
        transaction.commit();
    } catch (const DatabaseError&) {
        // No full-text tables in this SQLite, or the file cannot take them
        // now: the database works as before, and searches read every memo.
    }
}

bool SearchIndex::isUsable()
{
    Statement objects(m_db, sql::SearchIndexObjectCount);
    if (!objects.step() || objects.int32(0) != sql::SearchIndexObjects)
        return false;
    Statement scheme(m_db, sql::SearchIndexReadScheme);
    return scheme.step() && scheme.text(0) == SearchGrams::scheme() && !scheme.step();
}

int SearchIndex::pendingCount()
{
    Statement count(m_db, sql::SearchIndexCountPending);
    return count.step() ? count.int32(0) : 0;
}

std::vector<qint64> SearchIndex::pendingIds()
{
    std::vector<qint64> ids;
    Statement query(m_db, sql::SearchIndexPendingIds);
    while (query.step())
        ids.push_back(query.int64(0));
    return ids;
}

std::vector<qint64> SearchIndex::matchingIds(const QString& query)
{
    std::vector<qint64> ids;
    Statement match(m_db, sql::SearchIndexMatch);
    match.bind(1, query);
    while (match.step())
        ids.push_back(match.int64(0));
    return ids;
}

QString SearchIndex::progressTitle()
{
    return QStringLiteral("検索の準備");
}

QString SearchIndex::progressText(int pending)
{
    return QStringLiteral("検索用の索引を作成しています...合計%1件").arg(pending);
}

bool SearchIndex::catchUp(Progress* progress, int limit)
{
    const int pending = pendingCount();
    const int total = limit < 0 ? pending : std::min(limit, pending);
    if (progress) {
        progress->SetTitle(progressTitle());
        progress->SetExplain(progressText(total));
        progress->SetProgressBar(true, false);
        progress->SetProgressMax(1, total);
        progress->SetProgressClear(1);
    }
    int done = 0;
    while (done < total) {
        const int filed = catchUpBatch(std::min(CatchUpBatch, total - done));
        // Another copy of Quillet caught up the rest meanwhile.
        if (filed == 0)
            break;
        done += filed;
        if (progress) {
            progress->SetProgress(1, done);
            if (progress->IsCancel())
                return false;
        }
    }
    return true;
}

int SearchIndex::catchUpBatch(int rows)
{
    struct Change
    {
        qint64 id = 0;
        bool indexed = false;
        QByteArray oldTokens;
        bool exists = false;
        QByteArray tokens;
    };
    SqliteDatabase::Transaction transaction(m_db);
    // Read whole before anything is written: the reading statement walks the
    // tables the writes change.
    std::vector<Change> changes;
    {
        SearchGrams grams;
        Statement pending(m_db, sql::SearchIndexReadPending);
        pending.bind(1, rows);
        while (pending.step()) {
            Change change;
            change.id = pending.int64(0);
            change.indexed = pending.boolean(1);
            if (change.indexed) {
                grams.addTitle(pending.utf8(2));
                grams.addBody(pending.utf8(3));
                change.oldTokens = grams.take();
            }
            change.exists = pending.boolean(4);
            if (change.exists) {
                grams.addTitle(pending.utf8(5));
                grams.addBody(pending.utf8(6));
                change.tokens = grams.take();
            }
            changes.push_back(std::move(change));
        }
    }
    Statement remove(m_db, sql::SearchIndexRemoveTokens);
    Statement add(m_db, sql::SearchIndexAddTokens);
    Statement done(m_db, sql::SearchIndexDonePending);
    for (const Change& change : changes) {
        // The index holds exactly the tokens of the text kept when the memo
        // first changed, so those are the ones taken out.
        if (change.indexed) {
            remove.reset();
            remove.bind(1, change.id)
                .bindUtf8(2, QByteArrayView(change.oldTokens.constData(), change.oldTokens.size()))
                .run();
        }
        if (change.exists) {
            add.reset();
            add.bind(1, change.id)
                .bindUtf8(2, QByteArrayView(change.tokens.constData(), change.tokens.size()))
                .run();
        }
        done.reset();
        done.bind(1, change.id).run();
    }
    transaction.commit();
    return int(changes.size());
}
