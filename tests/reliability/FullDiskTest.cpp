// The user's operations through the real window with QUILLET_HOME (database,
// settings file, restore file) on a small file system filled to the last
// byte: each must say in words that it failed, keep what the user typed, and
// leave the database and the settings file as they were.
//
// The file system is a tmpfs mounted over the test's home, so the test needs
// the right to mount (root); without it the test is skipped.
#include "MainWindowFixture.h"
#include "MemoFixtures.h"
#include "editing/MemoEditor.h"
#include "store/MemoStore.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

using namespace Qt::Literals::StringLiterals;

// A failed database write on a full disk, as the message box shows it.
QString databaseFull(const QString& what = u"データベースの操作に失敗しました。"_s)
{
    return what + u"\nディスクの空き容量が足りません。\n(database or disk is full)"_s;
}
const QString kNoSpace = u"No space left on device"_s;

// Every memo, whole, in RecordID order: what "unchanged" compares.
QStringList rowDump(const QString& database)
{
    QStringList rows;
    MemoStore store(database);
    store.forEachMemo(true, true, [&](const Memo& memo) {
        rows << u"%1|%2|%3|%4|%5|%6|%7|%8|%9"_s.arg(memo.recordId)
                    .arg(memo.title, memo.body, memo.category)
                    .arg(memo.icon)
                    .arg(memo.publishTime, memo.updateTime)
                    .arg(memo.isPass)
                    .arg(memo.isTrash);
        return true;
    });
    return rows;
}


class FullDiskTest : public MainWindowFixture
{
protected:
    bool mounted = false;
    QString filler = home.file(u"filler.bin"_s);
    QStringList rowsBefore;
    QByteArray settingsBefore;

    void SetUp() override
    {
        const QByteArray target = QFile::encodeName(home.path());
        if (::mount("tmpfs", target.constData(), "tmpfs", 0, "size=4m") != 0)
            GTEST_SKIP() << "cannot mount a small file system here (" << std::strerror(errno)
                         << "); run as root to test a full disk";
        mounted = true;
    }

    void TearDown() override
    {
        if (window) {
            // The test has seen the close it wanted; now let the window go.
            prompt.answers.push_back(PromptAnswer::Yes);
            window.reset();
        }
        if (mounted)
            ::umount2(QFile::encodeName(home.path()).constData(), MNT_DETACH);
    }

    // Opens the window on the prepared home and typed boxes, then takes every
    // free byte and remembers the database rows and settings bytes.
    void openAndFill()
    {
        open();
        // The layout settings are written once, so that the close writes the
        // same keys again and only the full disk can make it fail.
        window->close();
        ASSERT_FALSE(window->isVisible());
        window->show();
        fillDisk();
        rowsBefore = rowDump(dbPath());
        settingsBefore = MemoFixtures::readBytes(iniPath());
    }

    void fillDisk()
    {
        const int fd = ::open(QFile::encodeName(filler).constData(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        ASSERT_GE(fd, 0);
        QByteArray block(64 * 1024, 'f');
        for (qsizetype size = block.size(); size > 0; size /= 2) {
            while (::write(fd, block.constData(), size_t(size)) == size) {
            }
        }
        ::close(fd);
        char probe = 0;
        const int test =
            ::open(QFile::encodeName(home.file(u"probe"_s)).constData(), O_WRONLY | O_CREAT, 0644);
        EXPECT_TRUE(test < 0 || ::write(test, &probe, 1) != 1) << "the disk is not full";
        if (test >= 0)
            ::close(test);
    }

    // The database and settings file are as they were when the disk filled,
    // and the database is whole.
    void expectNothingChanged()
    {
        EXPECT_EQ(rowDump(dbPath()), rowsBefore);
        EXPECT_EQ(MemoFixtures::readBytes(iniPath()), settingsBefore);
        EXPECT_EQ(MemoFixtures::integrityCheck(dbPath()), u"ok"_s);
    }

    // The messages shown, exactly: each failure is told in Japanese words
    // (with the system's reason), and nothing claims success or damage.
    void expectMessages(const QStringList& expected) { EXPECT_EQ(prompt.messageTexts(), expected); }
};

TEST_F(FullDiskTest, SavingALongBodyKeepsTheTypedTextInTheBoxes)
{
    const qint64 id = addMemo(u"short"_s, u"tag"_s, u"old body"_s);
    prepare();
    openAndFill();
    chooseMemo(id);
    const QString body = QString(200000, u'長') + u"\nend"_s;
    contents()->setPlainText(body);
    title()->setText(u"新しい題"_s);
    triggerAction("mnuSaveMemo");

    expectMessages({u"メモを保存できませんでした。\n"_s + databaseFull()});
    expectNothingChanged();
    EXPECT_EQ(contents()->toPlainText(), body);
    EXPECT_EQ(title()->text(), u"新しい題"_s);
    EXPECT_TRUE(window->editor().IsEdit());
}

TEST_F(FullDiskTest, BulkMoveToTrashChangesNothing)
{
    QList<qint64> ids;
    for (int i = 0; i < 300; ++i)
        ids << addMemo(u"memo %1"_s.arg(i), u"tag"_s, u"body %1"_s.arg(i));
    prepare();
    openAndFill();
    const QStringList counts = categoryRows();
    chooseCategory(u"tag"_s);
    triggerAction("mnuSelectMemoAll");
    prompt.answers = {PromptAnswer::Yes};
    triggerAction("mnuDeleteMemo");

    expectMessages({u"選択したメモをゴミ箱に入れますか？"_s, databaseFull()});
    expectNothingChanged();
    EXPECT_EQ(countsByName(recountedCategoryRows()), countsByName(counts));
}

TEST_F(FullDiskTest, TagRenameChangesNothing)
{
    for (int i = 0; i < 300; ++i)
        addMemo(u"memo %1"_s.arg(i), u"old other"_s, u"body"_s);
    prepare();
    openAndFill();
    chooseCategory(u"old"_s);
    prompt.inputs = {u"new"_s};
    triggerAction("pop2RenameCategory");

    expectMessages({databaseFull()});
    expectNothingChanged();
}

TEST_F(FullDiskTest, FolderImportChangesNothing)
{
    const QString folder = home.file(u"files/"_s);
    QDir().mkpath(folder);
    for (int i = 0; i < 50; ++i)
        MemoFixtures::writeText(folder + u"note%1.txt"_s.arg(i), QString(2000, u'字'));
    addMemo(u"kept"_s, u"work"_s);
    prepare();
    openAndFill();
    prompt.files = {{folder}};
    QTimer::singleShot(0, window.get(), [] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        QTest::mouseClick(dialog->findChild<QAbstractButton*>(u"Btn_OpenFolder"_s), Qt::LeftButton);
        QTest::mouseClick(dialog->findChild<QAbstractButton*>(u"Btn_Import"_s), Qt::LeftButton);
    });
    triggerAction("mnuImportFolder");

    expectMessages({databaseFull()});
    expectNothingChanged();
}

// A small file fails only when its buffered bytes reach the disk, a large one
// at its first write: both keep the user's older file and say why.
TEST_F(FullDiskTest, ExportIntoTheFullDiskKeepsTheOldFile)
{
    const qint64 small = addMemo(u"Alpha"_s, u"tag"_s, u"short"_s);
    const qint64 large = addMemo(u"Beta"_s, u"tag"_s, QString(50000, u'x'));
    const QString target = home.file(u"memos.txt"_s);
    MemoFixtures::writeText(target, u"the user's older file"_s);
    prepare();
    openAndFill();
    for (const qint64 id : {small, large}) {
        SCOPED_TRACE(id);
        prompt.shown.clear();
        selectMemos({id});
        prompt.files = {{target}};
        prompt.answers = {PromptAnswer::Yes};
        triggerAction("mnuExportText");

        expectMessages({target + u" は既にあります。\n置き換えますか？"_s,
                        u"ファイルの保存に失敗しました。\n"_s + kNoSpace});
        expectNothingChanged();
        EXPECT_EQ(MemoFixtures::readBytes(target), "the user's older file");
    }
}

TEST_F(FullDiskTest, SaveAsLeavesNoPartialCopy)
{
    for (int i = 0; i < 100; ++i)
        addMemo(u"memo %1"_s.arg(i), u"tag"_s, QString(500, u'本'));
    prepare();
    openAndFill();
    const QString target = home.file(u"copy.mdb"_s);
    prompt.files = {{target}};
    triggerAction("mnuMDBSaveAs");

    expectMessages(
        {u"ファイルの保存に失敗しました。\n"_s + databaseFull(u"データベースのコピーに失敗しました。"_s)});
    expectNothingChanged();
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_FALSE(QFile::exists(target + u".partial"_s));
}

TEST_F(FullDiskTest, RefreshKeepsTheDatabase)
{
    for (int i = 0; i < 100; ++i)
        addMemo(u"memo %1"_s.arg(i), u"tag"_s, QString(500, u'本'));
    prepare();
    openAndFill();
    prompt.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
    triggerAction("mnuMDBRefresh");

    expectMessages(
        {prompt.messageTexts().value(0), u"メモデータベースのリフレッシュを中止しました。\n"_s +
                                             databaseFull(u"データベースのコピーに失敗しました。"_s)});
    expectNothingChanged();
    // The window still works on its database.
    EXPECT_EQ(window->store().countMemos(), 100);
}

// Closing writes the settings and the restore file. Neither fits: the user is
// asked before the typed text would be lost, saying no keeps the window open
// with the text in its boxes, and the old settings and restore files stay
// whole. A short text fails only when its buffered bytes reach the disk, a
// long one at its first write.
TEST_F(FullDiskTest, CloseOnAFullDiskKeepsTheTypedText)
{
    prepare();
    const QString restorePath = home.file(u"quillet_restoration_default.txt"_s);
    openAndFill();
    const QByteArray restoreBefore = MemoFixtures::readBytes(restorePath);
    ASSERT_FALSE(restoreBefore.isEmpty());
    // A new size, so that a settings write that is not atomic would show.
    window->resize(900, 650);
    for (const QString& body : {u"短い"_s, QString(100000, u'文')}) {
        SCOPED_TRACE(body.size());
        prompt.shown.clear();
        title()->clear();
        type(title(), u"書きかけ"_s);
        contents()->setPlainText(body);
        prompt.answers = {PromptAnswer::No};
        window->close();

        expectMessages({u"編集中のメモを復帰用ファイルに書き込めませんでした。\n%1\n%2\n"
                        "このまま終了すると、保存していない変更は失われます。終了しますか？"_s.arg(
                            restorePath, kNoSpace)});
        expectNothingChanged();
        EXPECT_EQ(MemoFixtures::readBytes(restorePath), restoreBefore);
        ASSERT_TRUE(window->isVisible());
        EXPECT_EQ(title()->text(), u"書きかけ"_s);
        EXPECT_EQ(contents()->toPlainText(), body);
    }
}

} // namespace
