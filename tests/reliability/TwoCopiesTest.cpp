// Two copies of Quillet on one diary.mdb: two child processes, each with its
// own connection held open for the whole run, save memos, move memos to the
// trash and rename tags at the same moments. Each copy owns half of the memos
// and its own tags, so every change has one writer; afterwards the database
// must hold every change of both (no lost update) and the counts rebuilt from
// it must equal the expected state. A copy that holds a write transaction
// longer than the busy timeout makes the other wait, then say that the
// database is in use, never that it is damaged.
//
// QUILLET_TWO_COPIES_ROUNDS sets the rounds (a few by default).
#include "MemoFixtures.h"
#include "TestHome.h"
#include "store/MemoStore.h"
#include "tags/TagString.h"
#include "tags/TagTable.h"

#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

int rounds()
{
    const int fromEnvironment = qEnvironmentVariableIntValue("QUILLET_TWO_COPIES_ROUNDS");
    return fromEnvironment > 0 ? fromEnvironment : 12;
}

const QString kInUse = QStringLiteral("データベースは他のプログラムで使用中です。");

QByteArray encode(const QString& text)
{
    return QUrl::toPercentEncoding(text);
}

// One running copy.
class Copy
{
public:
    explicit Copy(const QString& database)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(QUILLET_TWO_COPIES_CHILD), {database});
        EXPECT_TRUE(m_process.waitForStarted());
        EXPECT_EQ(readLine(), "ready");
    }
    ~Copy()
    {
        m_process.write("quit\n");
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
    }

    void send(const QList<QByteArray>& fields) { m_process.write(fields.join('\t') + '\n'); }

    QByteArray readLine(int timeoutMs = 30000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!m_process.canReadLine() && timer.elapsed() < timeoutMs)
            m_process.waitForReadyRead(100);
        return m_process.readLine().trimmed();
    }

    // The answer as the user would read it: "" for ok, else the message.
    QString result()
    {
        const QByteArray line = readLine();
        if (line == "ok")
            return {};
        if (line.startsWith("error "))
            return QUrl::fromPercentEncoding(line.mid(6));
        return QStringLiteral("no answer: ") + QString::fromUtf8(line);
    }

private:
    QProcess m_process;
};

struct ExpectedMemo
{
    QString title;
    QString body;
    QString tags;
    bool trashed = false;
    bool operator==(const ExpectedMemo&) const = default;
};

QMap<qint64, ExpectedMemo> dump(const QString& database)
{
    QMap<qint64, ExpectedMemo> memos;
    MemoStore store(database);
    store.forEachMemo(true, true, [&](const Memo& memo) {
        memos[memo.recordId] = {memo.title, memo.body, memo.category, memo.isTrash};
        return true;
    });
    return memos;
}

// "name count" of every tag with memos outside the trash, and the trash count.
QStringList countsOf(const QMap<qint64, ExpectedMemo>& memos)
{
    QMap<QString, int> counts;
    int trashed = 0;
    for (const ExpectedMemo& memo : memos) {
        if (memo.trashed) {
            ++trashed;
            continue;
        }
        for (const QString& name : splitTags(memo.tags))
            ++counts[name];
    }
    QStringList rows;
    for (auto it = counts.begin(); it != counts.end(); ++it)
        rows << it.key() + u' ' + QString::number(it.value());
    rows << QStringLiteral("[Trash] %1").arg(trashed);
    return rows;
}

QStringList recountedCounts(const QString& database)
{
    MemoStore store(database);
    TagTable table;
    table.load(store.readCategoryGroups(), store.countTrashedMemos());
    QStringList rows;
    for (int i = 0; i < table.names().size(); ++i) {
        if (table.counts()[i] > 0)
            rows << table.names()[i] + u' ' + QString::number(table.counts()[i]);
    }
    rows.sort();
    rows << QStringLiteral("[Trash] %1").arg(table.trashCount());
    return rows;
}

class TwoCopiesTest : public ::testing::Test
{
protected:
    TestHome home;
    QString database = home.file(QStringLiteral("diary.mdb"));
    QMap<qint64, ExpectedMemo> expected;

    void SetUp() override { MemoFixtures::createDatabase(home.path(), database); }

    // Memos 1..count: odd ones belong to copy 0 and carry its tag, even ones
    // to copy 1.
    void addMemos(int count)
    {
        MemoStore store(database);
        for (int i = 1; i <= count; ++i) {
            const ExpectedMemo memo{QStringLiteral("memo %1").arg(i), QStringLiteral("本文 %1\r\n").arg(i),
                                    QStringLiteral("共通 copy%1-0").arg(i % 2 ? 0 : 1)};
            const qint64 id =
                store.insertMemo(memo.title, memo.body, memo.tags, QStringLiteral("2026/01/01 00:00:00"));
            expected[id] = memo;
        }
    }
};

TEST_F(TwoCopiesTest, ConcurrentSavesTrashMovesAndRenamesLoseNothing)
{
    const int memoCount = 40;
    addMemos(memoCount);
    Copy copies[2] = {Copy(database), Copy(database)};
    const int roundCount = rounds();
    // The owned memos that are still outside the trash, per copy.
    QList<qint64> live[2];
    for (qint64 id = 1; id <= memoCount; ++id)
        live[id % 2 ? 0 : 1] << id;

    for (int round = 1; round <= roundCount; ++round) {
        // Both copies get each kind of work at the same moment and answer in
        // their own time.
        for (int c = 0; c < 2; ++c) {
            for (qint64 id : live[c]) {
                ExpectedMemo& memo = expected[id];
                memo.title = QStringLiteral("memo %1 round %2 by %3").arg(id).arg(round).arg(c);
                memo.body = QStringLiteral("本文 %1\r\nround %2\r\n🙂\u00A0end").arg(id).arg(round);
                copies[c].send({"save", QByteArray::number(id), encode(memo.title), encode(memo.body),
                                encode(memo.tags)});
            }
        }
        for (int c = 0; c < 2; ++c) {
            for (int i = 0; i < live[c].size(); ++i)
                ASSERT_EQ(copies[c].result(), QString()) << "round " << round << " copy " << c;
        }

        for (int c = 0; c < 2; ++c) {
            const QString from = QStringLiteral("copy%1-%2").arg(c).arg(round - 1);
            const QString to = QStringLiteral("copy%1-%2").arg(c).arg(round);
            copies[c].send({"rename", encode(from), encode(to)});
            for (ExpectedMemo& memo : expected)
                memo.tags = renameTagInString(memo.tags, from, to);
        }
        for (Copy& copy : copies)
            ASSERT_EQ(copy.result(), QString()) << "round " << round;

        for (int c = 0; c < 2; ++c) {
            if (live[c].size() > 2) {
                const qint64 id = live[c].takeFirst();
                expected[id].trashed = true;
                copies[c].send({"trash", QByteArray::number(id)});
            } else {
                copies[c].send({"hold", "0"});
                EXPECT_EQ(copies[c].readLine(), "held");
            }
        }
        for (Copy& copy : copies)
            ASSERT_EQ(copy.result(), QString()) << "round " << round;
    }

    const QMap<qint64, ExpectedMemo> stored = dump(database);
    ASSERT_EQ(stored.size(), expected.size());
    for (auto it = expected.begin(); it != expected.end(); ++it)
        EXPECT_EQ(stored.value(it.key()), it.value()) << "memo " << it.key();
    EXPECT_EQ(recountedCounts(database), countsOf(expected));
    std::printf("two copies: %d rounds over %d memos\n", roundCount, memoCount);
}

// A copy holding the write lock for a short while makes the other wait, and
// the other's write then goes through.
TEST_F(TwoCopiesTest, ShortLockIsWaitedFor)
{
    addMemos(2);
    Copy holder(database);
    Copy writer(database);
    holder.send({"hold", "1500"});
    ASSERT_EQ(holder.readLine(), "held");
    QElapsedTimer timer;
    timer.start();
    writer.send(
        {"save", "2", encode(QStringLiteral("待った")), encode(QStringLiteral("本文")), encode(QString())});
    EXPECT_EQ(writer.result(), QString());
    EXPECT_GE(timer.elapsed(), 1000);
    EXPECT_EQ(holder.result(), QString());
    EXPECT_EQ(dump(database).value(2).title, QStringLiteral("待った"));
}

// A lock held past the busy timeout: every kind of write waits, then says the
// database is in use (not that it is damaged), changes nothing, and works once
// the lock is gone.
TEST_F(TwoCopiesTest, LongLockReportsDatabaseInUse)
{
    addMemos(2);
    const QMap<qint64, ExpectedMemo> before = dump(database);
    const QList<QList<QByteArray>> writes = {
        {"save", "2", encode(QStringLiteral("新しい題")), encode(QStringLiteral("新しい本文")),
         encode(QString())},
        {"trash", "2"},
        {"rename", encode(QStringLiteral("共通")), encode(QStringLiteral("改名"))},
    };
    Copy holder(database);
    Copy writer(database);
    for (const QList<QByteArray>& write : writes) {
        SCOPED_TRACE(write[0].constData());
        holder.send({"hold", "7000"});
        ASSERT_EQ(holder.readLine(), "held");
        QElapsedTimer timer;
        timer.start();
        writer.send(write);
        const QString message = writer.result();
        EXPECT_GE(timer.elapsed(), 4000) << "gave up without waiting";
        EXPECT_TRUE(message.startsWith(kInUse + u'\n' + database)) << message.toStdString();
        EXPECT_FALSE(message.contains(QStringLiteral("壊れ"))) << message.toStdString();
        EXPECT_EQ(holder.result(), QString());
        EXPECT_EQ(dump(database), before);
    }
    // With the lock gone the same copy writes again.
    writer.send(writes[0]);
    EXPECT_EQ(writer.result(), QString());
    EXPECT_EQ(dump(database).value(2).title, QStringLiteral("新しい題"));
}

} // namespace
