#include "store/DatabaseMerge.h"
#include "MemoFixtures.h"
#include "ScriptedPrompt.h"
#include "TestHome.h"
#include "app/Progress.h"
#include "store/DatabaseError.h"
#include "store/MemoStore.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

// A progress that records what the run showed and can cancel after a number
// of steps on one bar.
class RecordingProgress final : public Progress
{
public:
    int cancelBar = 0;    // 0: never cancel
    int cancelAtStep = 0; // cancel once this many steps were shown on cancelBar
    QStringList titles;
    QStringList explains;
    int steps[3] = {0, 0, 0};
    bool cancel = false;

    void SetProgressBar(bool, bool) override {}
    void SetTitle(const QString& title) override { titles.append(title); }
    void SetExplain(const QString& text) override { explains.append(text); }
    void SetProgressMax(int, int) override {}
    void SetProgress(int bar, int) override
    {
        if (bar < 1 || bar > 2)
            return;
        ++steps[bar];
        if (bar == cancelBar && steps[bar] >= cancelAtStep)
            cancel = true;
    }
    void SetProgressClear(int) override {}
    bool IsCancel() const override { return cancel; }
};

Memo memo(const QString& title, const QString& updateTime, const QString& body = QStringLiteral("本文"),
          const QString& category = QStringLiteral("tag"))
{
    Memo m;
    m.no = 7;
    m.title = title;
    m.body = body;
    m.category = category;
    m.icon = -1;
    m.publishTime = QStringLiteral("2000/01/01 00:00:00");
    m.updateTime = updateTime;
    return m;
}

class DatabaseMergeTest : public ::testing::Test
{
protected:
    TestHome home;
    QString openPath = home.file(QStringLiteral("diary.mdb"));
    QString otherPath = home.file(QStringLiteral("other.mdb"));
    std::unique_ptr<MemoStore> open;
    std::unique_ptr<MemoStore> other;
    RecordingProgress progress;

    void SetUp() override
    {
        MemoFixtures::createDatabase(home.path(), openPath);
        MemoFixtures::createDatabase(home.path(), otherPath);
        open = std::make_unique<MemoStore>(openPath);
        other = std::make_unique<MemoStore>(otherPath);
    }

    MergeResult merge(bool overwrite, int mode)
    {
        return MergeMemoDatabase(*open, otherPath, overwrite, mode, progress);
    }

    // "id title updateTime" of every memo of the open database, in ID order.
    QStringList rows()
    {
        QStringList out;
        open->forEachMemo(true, true, [&](const Memo& m) {
            out.append(QStringLiteral("%1 %2 %3").arg(m.recordId).arg(m.title, m.updateTime));
            return true;
        });
        return out;
    }
};

TEST(FindSameMemoTest, AnswersByTitleOrIdAndByUpdateTime)
{
    PresentMemos present;
    present.append({3, QStringLiteral("Alpha"), QStringLiteral("2020/05/05 10:00:00")});
    present.append(
        {8, QStringLiteral("Alpha"), QStringLiteral("2030/01/01 00:00:00")}); // second of the title
    present.append({15, QString(), QStringLiteral("2020/05/05 10:00:00")});   // empty title

    struct Case
    {
        int mode;
        QString key;
        QString time;
        SameMemo::Action action;
        qint64 id;
    };
    const QString later = QStringLiteral("2021/01/01 00:00:00");
    const QString same = QStringLiteral("2020/05/05 10:00:00");
    const QString earlier = QStringLiteral("2019/12/31 23:59:59");
    const Case cases[] = {
        {MatchByTitle, QStringLiteral("Alpha"), later, SameMemo::Overwrite, 3}, // only the first Alpha counts
        {MatchByTitle, QStringLiteral("Alpha"), same, SameMemo::Skip, 3},
        {MatchByTitle, QStringLiteral("Alpha"), earlier, SameMemo::Skip, 3},
        {MatchByTitle, QStringLiteral("alpha"), later, SameMemo::Add, 0},   // exact, case-sensitive
        {MatchByTitle, QStringLiteral(""), later, SameMemo::Overwrite, 15}, // empty matches empty
        {MatchById, QStringLiteral("8"), later, SameMemo::Skip, 8},
        {MatchById, QStringLiteral("8"), QStringLiteral("2031/01/01 00:00:00"), SameMemo::Overwrite, 8},
        {MatchById, QStringLiteral("9"), later, SameMemo::Add, 0},
        {MatchById, QStringLiteral("Alpha"), later, SameMemo::Add, 0},
        {0, QStringLiteral("Alpha"), later, SameMemo::Add, 0}, // unknown mode
        {3, QStringLiteral("3"), later, SameMemo::Add, 0},
    };
    for (const Case& c : cases) {
        const SameMemo answer = FindSameMemo(present, c.mode, c.key, c.time);
        EXPECT_EQ(answer.action, c.action)
            << c.mode << " " << c.key.toStdString() << " " << c.time.toStdString();
        if (c.action != SameMemo::Add) {
            EXPECT_EQ(answer.recordId, c.id) << c.key.toStdString();
        }
    }
    EXPECT_EQ(FindSameMemo(PresentMemos(), MatchByTitle, QStringLiteral("Alpha"), later).action,
              SameMemo::Add);
}

TEST_F(DatabaseMergeTest, AddAllCopiesEveryColumnButIconAsNewMemosInTheOtherFilesOrder)
{
    open->insertWholeMemo(memo(QStringLiteral("present"), QStringLiteral("2020/01/01 00:00:00")));
    Memo locked = memo(QStringLiteral("locked \"quoted\" title"), QStringLiteral("2021/02/03 04:05:06"),
                       QStringLiteral("say \"hi\"\r\nline 2, 'single' -- ;"), QStringLiteral("a \"b\""));
    locked.isPass = true;
    locked.icon = 4;
    locked.no = 42;
    Memo trashed = memo(QStringLiteral("trashed"), QStringLiteral("2021/02/03 04:05:07"));
    trashed.isTrash = true;
    trashed.icon = 2;
    other->insertWholeMemo(locked);
    other->insertWholeMemo(trashed);
    other->insertWholeMemo(memo(QStringLiteral("present"), QStringLiteral("2029/01/01 00:00:00")));
    other->database().execute("UPDATE Memo SET Category = NULL, No = NULL WHERE Title = 'trashed'");

    const MergeResult result = merge(false, MatchByTitle);
    EXPECT_EQ(result.added, 3);
    EXPECT_EQ(result.overwritten, 0);
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(progress.titles, QStringList{QStringLiteral("新規メモを追加")});
    EXPECT_EQ(progress.explains, QStringList{QStringLiteral("すべて新規メモとして追加しています...合計3件")});

    const std::optional<Memo> a = open->readMemo(2);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->title, locked.title);
    EXPECT_EQ(a->body, locked.body);
    EXPECT_EQ(a->category, locked.category);
    EXPECT_EQ(a->no, 42);
    EXPECT_EQ(a->publishTime, locked.publishTime);
    EXPECT_EQ(a->updateTime, locked.updateTime);
    EXPECT_TRUE(a->isPass);
    EXPECT_FALSE(a->isTrash);
    EXPECT_EQ(a->icon, -1);
    const std::optional<Memo> b = open->readMemo(3);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->title, QStringLiteral("trashed"));
    EXPECT_TRUE(b->isTrash);
    EXPECT_EQ(b->icon, -1);
    EXPECT_EQ(b->no, 0);
    EXPECT_TRUE(open->readMemoCategory(3).has_value());
    {
        Statement nullCategory(open->database(), "SELECT Category IS NULL FROM Memo WHERE RecordID = 3");
        ASSERT_TRUE(nullCategory.step());
        EXPECT_TRUE(nullCategory.boolean(0)) << "a Null tag string stays Null";
    }
    EXPECT_EQ(rows().size(), 4);
    EXPECT_EQ(open->readMemo(4)->title, QStringLiteral("present")); // added again, not matched
}

TEST_F(DatabaseMergeTest, MergeByTitleOverwritesLaterCopiesSkipsOlderOnesAndAddsTheRest)
{
    const qint64 newer =
        open->insertWholeMemo(memo(QStringLiteral("newer there"), QStringLiteral("2020/01/01 00:00:00")));
    const qint64 older =
        open->insertWholeMemo(memo(QStringLiteral("older there"), QStringLiteral("2020/06/01 00:00:00")));
    const qint64 twinA =
        open->insertWholeMemo(memo(QStringLiteral("twin"), QStringLiteral("2020/01/01 00:00:00")));
    const qint64 twinB =
        open->insertWholeMemo(memo(QStringLiteral("twin"), QStringLiteral("2020/01/01 00:00:00")));
    const qint64 untitled = open->insertWholeMemo(memo(QString(""), QStringLiteral("2020/01/01 00:00:00")));
    open->writeMemoIcon(newer, 5);

    Memo update =
        memo(QStringLiteral("newer there"), QStringLiteral("2021/01/01 00:00:00"),
             QStringLiteral("\"quoted\" body\", [Memo].Title = \"x"), QStringLiteral("new \"tag\""));
    update.publishTime = QStringLiteral("1999/09/09 09:09:09");
    update.isPass = true;
    update.isTrash = true;
    update.no = 9;
    update.icon = 1;
    other->insertWholeMemo(update);
    other->insertWholeMemo(
        memo(QStringLiteral("older there"), QStringLiteral("2020/05/31 23:59:59"), QStringLiteral("old")));
    other->insertWholeMemo(
        memo(QStringLiteral("twin"), QStringLiteral("2022/01/01 00:00:00"), QStringLiteral("twin body")));
    other->insertWholeMemo(
        memo(QString(""), QStringLiteral("2022/01/01 00:00:00"), QStringLiteral("untitled body")));
    other->insertWholeMemo(memo(QStringLiteral("brand new"), QStringLiteral("2019/01/01 00:00:00")));

    const MergeResult result = merge(true, MatchByTitle);
    EXPECT_EQ(result.added, 1);
    EXPECT_EQ(result.overwritten, 3);
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(progress.explains, (QStringList{QStringLiteral("現在のメモデータベースを読み込み中...合計5件"),
                                              QStringLiteral("メモデータベースを追加/上書き中...合計5件")}));

    const Memo n = *open->readMemo(newer);
    EXPECT_EQ(n.body, update.body);
    EXPECT_EQ(n.category, update.category);
    EXPECT_EQ(n.updateTime, update.updateTime);
    EXPECT_EQ(n.no, 9);
    EXPECT_TRUE(n.isPass);
    EXPECT_TRUE(n.isTrash);
    EXPECT_EQ(n.publishTime, QStringLiteral("2000/01/01 00:00:00")) << "PublishTime stays";
    EXPECT_EQ(n.icon, 5) << "the icon stays";
    EXPECT_EQ(open->readMemo(older)->body, QStringLiteral("本文"));
    EXPECT_EQ(open->readMemo(twinA)->body, QStringLiteral("twin body"));
    EXPECT_EQ(open->readMemo(twinB)->body, QStringLiteral("本文")) << "only the first of a title is compared";
    EXPECT_EQ(open->readMemo(untitled)->body, QStringLiteral("untitled body"));
    EXPECT_EQ(open->readMemo(untitled + 1)->title, QStringLiteral("brand new"));
    EXPECT_EQ(open->readMemo(untitled + 1)->icon, -1);
}

// Two copies of one title in the other file: whichever order they come in,
// the present memo ends as the later copy, and it counts once.
TEST_F(DatabaseMergeTest, TwoCopiesOfOneTitleLeaveTheLaterOneAndCountOnce)
{
    const QString earlier = QStringLiteral("2021/01/01 00:00:00");
    const QString later = QStringLiteral("2022/01/01 00:00:00");
    for (const bool laterFirst : {true, false}) {
        SCOPED_TRACE(laterFirst ? "later copy first" : "earlier copy first");
        open.reset();
        other.reset();
        QFile::remove(openPath);
        QFile::remove(otherPath);
        SetUp();
        const qint64 present =
            open->insertWholeMemo(memo(QStringLiteral("same"), QStringLiteral("2020/01/01 00:00:00")));
        const Memo first = memo(QStringLiteral("same"), laterFirst ? later : earlier,
                                laterFirst ? QStringLiteral("later") : QStringLiteral("earlier"));
        const Memo second = memo(QStringLiteral("same"), laterFirst ? earlier : later,
                                 laterFirst ? QStringLiteral("earlier") : QStringLiteral("later"));
        other->insertWholeMemo(first);
        other->insertWholeMemo(second);

        const MergeResult result = merge(true, MatchByTitle);
        EXPECT_EQ(result.added, 0);
        EXPECT_EQ(result.overwritten, 1);
        EXPECT_EQ(open->readMemo(present)->body, QStringLiteral("later"));
        EXPECT_EQ(rows(), QStringList{QStringLiteral("%1 same %2").arg(present).arg(later)});
        EXPECT_EQ(MergeResultMessage(result),
                  QStringLiteral("メモデータの追加読み込み完了！\n新規メモ：0　上書き：1"));
    }
}

TEST_F(DatabaseMergeTest, MergeByIdSkipsOlderCopiesAndAddsUnknownIds)
{
    open->insertWholeMemo(memo(QStringLiteral("one"), QStringLiteral("2020/01/01 00:00:00")));
    open->insertWholeMemo(memo(QStringLiteral("two"), QStringLiteral("2020/01/01 00:00:00")));
    other->insertWholeMemo(
        memo(QStringLiteral("other one"), QStringLiteral("2019/01/01 00:00:00"))); // ID 1, older
    other->insertWholeMemo(
        memo(QStringLiteral("other two"), QStringLiteral("2020/01/01 00:00:01"))); // ID 2, later
    other->insertWholeMemo(
        memo(QStringLiteral("other three"), QStringLiteral("2000/01/01 00:00:00"))); // ID 3, new

    const MergeResult result = merge(true, MatchById);
    EXPECT_EQ(result.added, 1);
    EXPECT_EQ(result.overwritten, 1);
    EXPECT_EQ(rows(), (QStringList{QStringLiteral("1 one 2020/01/01 00:00:00"),
                                   QStringLiteral("2 other two 2020/01/01 00:00:01"),
                                   QStringLiteral("3 other three 2000/01/01 00:00:00")}));
}

TEST_F(DatabaseMergeTest, MergingACopyOfTheOpenDatabaseChangesNothingByTitleOrById)
{
    for (int i = 0; i < 5; ++i)
        open->insertWholeMemo(
            memo(QStringLiteral("memo %1").arg(i), QStringLiteral("2020/01/0%1 00:00:00").arg(i + 1)));
    other.reset();
    QFile::remove(otherPath);
    open->database().backupTo(otherPath);
    const QStringList before = rows();
    for (const int mode : {MatchByTitle, MatchById}) {
        const MergeResult result = merge(true, mode);
        EXPECT_EQ(result.added, 0) << mode;
        EXPECT_EQ(result.overwritten, 0) << mode;
        EXPECT_EQ(rows(), before) << mode;
    }
}

TEST_F(DatabaseMergeTest, TheOpenDatabaseItselfIsRefusedUnderAnyName)
{
    open->insertWholeMemo(memo(QStringLiteral("memo"), QStringLiteral("2020/01/01 00:00:00")));
    const QStringList before = rows();
    const QString link = home.file(QStringLiteral("link.mdb"));
    ASSERT_TRUE(QFile::link(openPath, link));
    for (const QString& path : QStringList{openPath, home.path() + QStringLiteral("./diary.mdb"), link}) {
        for (const bool overwrite : {false, true}) {
            try {
                MergeMemoDatabase(*open, path, overwrite, MatchByTitle, progress);
                ADD_FAILURE() << "merged " << path.toStdString() << " into itself";
            } catch (const DatabaseError& error) {
                EXPECT_EQ(error.what16(), SelfMergeMessage());
            }
        }
        ScriptedPrompt prompt;
        EXPECT_FALSE(CheckMergeSource(prompt, openPath, path));
        EXPECT_EQ(prompt.messageTexts(), QStringList{SelfMergeMessage()});
    }
    EXPECT_EQ(rows(), before);
    EXPECT_TRUE(progress.titles.isEmpty());
}

TEST_F(DatabaseMergeTest, AnEmptyOtherDatabaseOrAnEmptyOpenOne)
{
    open->insertWholeMemo(memo(QStringLiteral("kept"), QStringLiteral("2020/01/01 00:00:00")));
    for (const bool overwrite : {false, true}) {
        const MergeResult result = merge(overwrite, MatchByTitle);
        EXPECT_EQ(MergeResultMessage(result),
                  QStringLiteral("メモデータの追加読み込み完了！\n新規メモ：0　上書き：0"));
    }
    // The other way round: an open database without memos takes every memo as new.
    std::swap(open, other);
    std::swap(openPath, otherPath);
    const MergeResult result = merge(true, MatchByTitle);
    EXPECT_EQ(result.added, 1);
    EXPECT_EQ(MergeResultMessage(result),
              QStringLiteral("メモデータの追加読み込み完了！\n新規メモ：1　上書き：0"));
}

TEST_F(DatabaseMergeTest, ACancelInTheFirstPassWritesNothingAndSkipsTheSecondPass)
{
    for (int i = 0; i < 3; ++i)
        open->insertWholeMemo(memo(QStringLiteral("p%1").arg(i), QStringLiteral("2020/01/01 00:00:00")));
    for (int i = 0; i < 3; ++i)
        other->insertWholeMemo(memo(QStringLiteral("o%1").arg(i), QStringLiteral("2020/01/01 00:00:00")));
    progress.cancelBar = 2;
    progress.cancelAtStep = 2;
    const QStringList before = rows();

    const MergeResult result = merge(true, MatchByTitle);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.added, 0);
    EXPECT_EQ(result.overwritten, 0);
    EXPECT_EQ(rows(), before);
    EXPECT_EQ(progress.explains, QStringList{QStringLiteral("現在のメモデータベースを読み込み中...合計3件")});
    EXPECT_EQ(MergeResultMessage(result),
              QStringLiteral("途中でキャンセルしました！\n新規メモ：0　上書き：0"));
}

TEST_F(DatabaseMergeTest, ACancelWhileAddingKeepsWhatWasAddedAndCountsIt)
{
    for (int i = 0; i < 10; ++i)
        other->insertWholeMemo(memo(QStringLiteral("o%1").arg(i), QStringLiteral("2020/01/01 00:00:00")));
    progress.cancelBar = 1;
    progress.cancelAtStep = 4;
    const MergeResult result = merge(false, MatchByTitle);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.added, 4);
    open.reset();
    EXPECT_EQ(MemoStore(openPath).countMemos(), 4) << "the memos added before the cancel are committed";
}

TEST_F(DatabaseMergeTest, TheOtherFileIsCheckedForVersionAndPasswordBeforeAnythingIsRead)
{
    struct Case
    {
        const char* name;
        std::function<void()> prepare;
        QStringList passwords;
        QStringList messages;
        bool accepted;
    };
    const QString failed = QStringLiteral("ファイルの追加読みこみに失敗しました。");
    const QString low = QStringLiteral(
        "メモデータベースのバージョンが低いため追加読み込みができません。\n"
        "メモデータベースは2.50以上である必要があります。\n(読み込んだメモデータベースは%1でした)。");
    const std::vector<Case> cases = {
        {"current", [] {}, {}, {}, true},
        {"missing",
         [&] {
             other.reset();
             QFile::remove(otherPath);
         },
         {},
         {low.arg(QStringLiteral("0.00"))},
         false},
        {"2.40",
         [&] { other->database().execute("UPDATE DBInfo SET VersionInfo = 240"); },
         {},
         {low.arg(QStringLiteral("2.40"))},
         false},
        {"password right",
         [&] {
             other.reset();
             MemoFixtures::setDatabasePassword(otherPath, QStringLiteral("鍵Key"));
         },
         {QStringLiteral("鍵Key")},
         {},
         true},
        {"password empty",
         [&] {
             other.reset();
             MemoFixtures::setDatabasePassword(otherPath, QStringLiteral("鍵Key"));
         },
         {QString()},
         {failed},
         false},
        {"password wrong",
         [&] {
             other.reset();
             MemoFixtures::setDatabasePassword(otherPath, QStringLiteral("鍵Key"));
         },
         {QStringLiteral("鍵key")},
         {QStringLiteral("パスワードが間違っています。"), failed},
         false},
    };
    for (const Case& c : cases) {
        open.reset();
        other.reset();
        QFile::remove(otherPath);
        SetUp();
        c.prepare();
        ScriptedPrompt prompt;
        for (const QString& p : c.passwords)
            prompt.passwords.push_back(p);
        EXPECT_EQ(CheckMergeSource(prompt, openPath, otherPath), c.accepted) << c.name;
        EXPECT_EQ(prompt.messageTexts(), c.messages) << c.name;
        if (!c.passwords.isEmpty()) {
            ASSERT_FALSE(prompt.shown.isEmpty());
            EXPECT_EQ(prompt.shown.front().title, QStringLiteral("パスワードの入力")) << c.name;
            EXPECT_EQ(prompt.shown.front().text,
                      QStringLiteral("このデータベースを開くためのパスワードを入力してください。"));
        }
        for (const auto& shown : prompt.shown) {
            if (shown.kind == ScriptedPrompt::Kind::Message) {
                EXPECT_EQ(shown.icon, PromptIcon::Critical) << c.name;
            }
        }
    }
}

TEST_F(DatabaseMergeTest, AFileThatIsNotAMemoDatabaseIsRefusedInWords)
{
    other.reset();
    MemoFixtures::writeText(otherPath, QStringLiteral("just some text, not a database"));
    ScriptedPrompt prompt;
    EXPECT_FALSE(CheckMergeSource(prompt, openPath, otherPath));
    ASSERT_EQ(prompt.messageTexts().size(), 1);
    EXPECT_TRUE(
        prompt.messageTexts().front().startsWith(QStringLiteral("ファイルの追加読みこみに失敗しました。\n")));
}

TEST_F(DatabaseMergeTest, TwoDatabasesOfTenThousandMemosMergeWithTheRightCounts)
{
    // Open: titles 0..9999 saved in 2020. Other: titles 5000..14999, the even
    // ones of the shared half saved later (overwrite), the odd ones earlier (skip).
    {
        auto t = open->transaction();
        for (int i = 0; i < 10000; ++i)
            open->insertMemo(QStringLiteral("memo %1").arg(i), QStringLiteral("body"), QString(),
                             QStringLiteral("2020/06/01 00:00:00"));
        t.commit();
    }
    {
        auto t = other->transaction();
        for (int i = 5000; i < 15000; ++i)
            other->insertMemo(
                QStringLiteral("memo %1").arg(i), QStringLiteral("other body %1").arg(i), QString(),
                i % 2 == 0 ? QStringLiteral("2021/01/01 00:00:00") : QStringLiteral("2019/01/01 00:00:00"));
        t.commit();
    }
    const MergeResult byTitle = merge(true, MatchByTitle);
    EXPECT_EQ(byTitle.added, 5000);
    EXPECT_EQ(byTitle.overwritten, 2500);
    EXPECT_EQ(MergeResultMessage(byTitle),
              QStringLiteral("メモデータの追加読み込み完了！\n新規メモ：5000　上書き：2500"));
    EXPECT_EQ(open->countMemos(), 15000);
    EXPECT_EQ(open->readMemo(5001 + 1)->body, QStringLiteral("body")); // title "memo 5001", skipped
    EXPECT_EQ(open->readMemo(5000 + 1)->body, QStringLiteral("other body 5000"));

    const MergeResult addAll = merge(false, MatchByTitle);
    EXPECT_EQ(addAll.added, 10000);
    EXPECT_EQ(addAll.overwritten, 0);
    EXPECT_EQ(open->countMemos(), 25000);
}

} // namespace
