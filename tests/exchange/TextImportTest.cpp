// Text import on a real database and real files: titles from file names, the
// body as the file's text, the folder walk with its extension filter and
// symbolic links, the tag rule, batches and cancelling.
#include "exchange/TextImport.h"
#include "FixedClock.h"
#include "StoreFixture.h"
#include "app/Progress.h"
#include "exchange/ReadFileText.h"
#include "tags/TagTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace Qt::Literals::StringLiterals;

// Counts the steps and asks to cancel once `cancelAfter` steps were shown.
class StepProgress final : public Progress
{
public:
    int cancelAfter = -1;
    int steps = 0;
    int maximum = 0;
    void SetProgressBar(bool, bool) override {}
    void SetTitle(const QString&) override {}
    void SetExplain(const QString&) override {}
    void SetProgressMax(int, int max) override { maximum = max; }
    void SetProgress(int, int value) override { steps = value; }
    void SetProgressClear(int) override {}
    bool IsCancel() const override { return cancelAfter >= 0 && steps >= cancelAfter; }
};

class TextImportTest : public StoreFixture
{
protected:
    FixedClock clock;
    TagTable table;
    QString files = home.file(u"files/"_s);

    void SetUp() override
    {
        StoreFixture::SetUp();
        QDir().mkpath(files);
        reload(table);
    }
    void reload(TagTable& into) { into.load(store->readCategoryGroups(), store->countTrashedMemos()); }
    TextImporter importer() { return TextImporter(*store, table, clock); }

    // Writes `bytes` to `relative` under the files folder, making its folders.
    QString write(const QString& relative, const QByteArray& bytes = "text")
    {
        const QString path = files + relative;
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    void link(const QString& target, const QString& relative)
    {
        ASSERT_EQ(
            ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(files + relative).constData()),
            0);
    }

    std::vector<Memo> memos()
    {
        std::vector<Memo> all;
        store->forEachMemo(true, true, [&](const Memo& memo) {
            all.push_back(memo);
            return true;
        });
        return all;
    }
    QStringList titles()
    {
        QStringList list;
        for (const Memo& memo : memos())
            list.append(memo.title);
        list.sort();
        return list;
    }
    int countOf(const QString& name) { return table.counts().value(table.findCatIndex(name)); }
    // The table's counts equal those rebuilt from the database.
    void expectCountsMatchDatabase()
    {
        TagTable recounted;
        reload(recounted);
        EXPECT_EQ(table.totalCount(), recounted.totalCount());
        for (const QString& name : recounted.names())
            EXPECT_EQ(countOf(name), recounted.counts().value(recounted.findCatIndex(name)))
                << name.toStdString();
    }
    QStringList relative(const QStringList& paths)
    {
        QStringList list;
        for (const QString& path : paths)
            list.append(path.mid(files.size()));
        list.sort();
        return list;
    }
};

TEST_F(TextImportTest, TitleIsTheFileNameWithoutFolderAndLastExtension)
{
    struct Case
    {
        QString file;
        QString title;
    };
    const Case cases[] = {
        {u"Shopping list.txt"_s, u"Shopping list"_s}, {u"plan.2006.txt"_s, u"plan.2006"_s},
        {u"my.notes/readme"_s, u"readme"_s},          {u"my.notes/draft."_s, u"draft"_s},
        {u"日本語のメモ.TXT"_s, u"日本語のメモ"_s},
    };
    for (const Case& c : cases) {
        QString tag = TagTable::importName();
        importer().ImportTextFile(write(c.file), tag);
        EXPECT_EQ(memos().back().title, c.title) << c.file.toStdString();
    }
    // A name that is all extension gives an empty title, stored as text.
    QString tag = TagTable::importName();
    importer().ImportTextFile(write(u".profile"_s), tag);
    EXPECT_FALSE(memos().back().title.isNull());
    EXPECT_EQ(memos().back().title, u""_s);
}

TEST_F(TextImportTest, BodyIsTheDecodedFileTextUpToTheFirstNul)
{
    struct Case
    {
        const char* name;
        QByteArray bytes;
        QString body;
    };
    const Case cases[] = {
        {"UTF-8 with mixed line ends kept as they are", "a\r\nb\nc\rd  \r\n\r\n",
         u"a\r\nb\nc\rd  \r\n\r\n"_s},
        {"UTF-8 Japanese", u"メモ\r\n二行目"_s.toUtf8(), u"メモ\r\n二行目"_s},
        {"UTF-8 byte-order mark dropped", "\xEF\xBB\xBFhello", u"hello"_s},
        {"CP932", QByteArray("\x83\x81\x83\x82\r\n\x93\xf1\x8ds\x96\xda\r\n"), u"メモ\r\n二行目\r\n"_s},
        {"NUL ends the text", QByteArray("before\0after", 12), u"before"_s},
        {"NUL after CP932 text", QByteArray("\x83\x81\x83\x82\0\x83\x81", 7), u"メモ"_s},
        {"UTF-16 LE with byte-order mark", QByteArray("\xFF\xFE\xE1\x30\xE2\x30\r\0\n\0x\0", 12),
         u"メモ\r\nx"_s},
        {"UTF-16 BE with byte-order mark", QByteArray("\xFE\xFF\x30\xE1\x30\xE2\0\r\0\n\0x", 12),
         u"メモ\r\nx"_s},
        {"NUL character ends UTF-16 text", QByteArray("\xFF\xFE" "a\0\0\0b\0", 8), u"a"_s},
        {"UTF-8 cut inside its last character", u"メモ\r\n"_s.toUtf8() + "\xE4\xBA", u"メモ\r\n\uFFFD"_s},
        {"empty file", QByteArray(), u""_s},
    };
    for (const Case& c : cases) {
        QString tag = u"t"_s;
        importer().ImportTextFile(write(u"body.txt"_s, c.bytes), tag);
        const Memo memo = memos().back();
        EXPECT_EQ(memo.body, c.body) << c.name;
        EXPECT_FALSE(memo.body.isNull()) << c.name;
    }
}

TEST_F(TextImportTest, OnlyRegularFilesUpToTheSizeLimitAreImportedTheRestListedAsSkipped)
{
    const QString notAFile = u"通常のファイルではありません"_s;
    const QString tooLarge = u"ファイルが64MBを超えています"_s;
    write(u"a.txt"_s, "a");
    link(files + u"a.txt"_s, u"alias.txt"_s); // a link to a regular file is one
    // A FIFO would block the reader until something writes to it; /dev/zero never ends.
    ASSERT_EQ(::mkfifo(QFile::encodeName(files + u"pipe.txt"_s).constData(), 0600), 0);
    link(u"/dev/zero"_s, u"zero.txt"_s);
    // Sparse files: the size is what counts.
    ASSERT_TRUE(QFile::resize(write(u"limit.txt"_s), ReadFileText::MaxFileBytes));
    ASSERT_TRUE(QFile::resize(write(u"big.txt"_s), ReadFileText::MaxFileBytes + 1));

    const ImportResult result = importer().ImportFolder(files, false);
    EXPECT_EQ(result.imported, 3);
    EXPECT_EQ(titles(), (QStringList{u"a"_s, u"alias"_s, u"limit"_s}));
    std::vector<std::pair<QString, QString>> skipped;
    for (const SkippedFile& file : result.skipped)
        skipped.emplace_back(file.path.mid(files.size()), file.reason);
    std::sort(skipped.begin(), skipped.end());
    EXPECT_EQ(skipped, (std::vector<std::pair<QString, QString>>{
                           {u"big.txt"_s, tooLarge}, {u"pipe.txt"_s, notAFile}, {u"zero.txt"_s, notAFile}}));
    EXPECT_EQ(table.totalCount(), 3);
    expectCountsMatchDatabase();

    // Dropped on their own, whatever their name, they are skipped the same way.
    QString tag = u"work"_s;
    const ImportResult dropped = importer().ImportDroppedFiles({files + u"pipe.txt"_s, u"/dev/null"_s}, tag);
    EXPECT_EQ(dropped.imported, 0);
    EXPECT_EQ(dropped.skipped.size(), 2u);
    EXPECT_EQ(memos().size(), 3u);
}

TEST_F(TextImportTest, MissingFileStillBecomesAMemoWithEmptyBody)
{
    QString tag = TagTable::importName();
    importer().ImportTextFile(files + u"gone.txt"_s, tag);
    ASSERT_EQ(memos().size(), 1u);
    EXPECT_EQ(memos()[0].title, u"gone"_s);
    EXPECT_EQ(memos()[0].body, u""_s);
    EXPECT_FALSE(memos()[0].body.isNull());
}

TEST_F(TextImportTest, MemoGetsTimesTagAndCountsOfOneNewMemo)
{
    store->insertMemo(u"old"_s, u"x"_s, u"work"_s, u"2026/01/01 00:00:00"_s);
    reload(table);
    QString tag = u"work"_s;
    importer().ImportTextFile(write(u"a.txt"_s), tag);
    const Memo memo = memos().back();
    EXPECT_EQ(memo.category, u"work"_s);
    EXPECT_EQ(memo.publishTime, u"2026/12/10 09:30:00"_s);
    EXPECT_EQ(memo.updateTime, u"2026/12/10 09:30:00"_s);
    EXPECT_EQ(memo.icon, -1);
    EXPECT_FALSE(memo.isPass);
    EXPECT_FALSE(memo.isTrash);
    EXPECT_EQ(table.totalCount(), 2);
    EXPECT_EQ(countOf(u"work"_s), 2);
    expectCountsMatchDatabase();
}

TEST_F(TextImportTest, TagRuleTurnsPseudoCategoriesIntoImportInPlace)
{
    struct Case
    {
        QString given;
        QString stored;
    };
    const Case cases[] = {
        {u"[ALL]"_s, u"[Import]"_s},      {u"[Trash]"_s, u"[Import]"_s}, {u"[Find]"_s, u"[Import]"_s},
        {u"[Import]"_s, u"[Import]"_s},   {u"work"_s, u"work"_s},        {u"[all]"_s, u"[all]"_s},
        {u"work home"_s, u"work home"_s},
    };
    for (const Case& c : cases) {
        QString tag = c.given;
        importer().ImportTextFile(write(u"a.txt"_s), tag);
        EXPECT_EQ(tag, c.stored) << c.given.toStdString();
        EXPECT_EQ(memos().back().category, c.stored) << c.given.toStdString();
    }
    expectCountsMatchDatabase();
}

TEST_F(TextImportTest, ExtensionFilterComparesTheTextAfterTheLastDotInLowerCase)
{
    const QStringList txt = TextImport::acceptedExtensions();
    EXPECT_TRUE(TextImport::passesExtensionFilter(u"/a/Notes.TXT"_s, txt));
    EXPECT_TRUE(TextImport::passesExtensionFilter(u"/a/plan.2006.txt"_s, txt));
    EXPECT_FALSE(TextImport::passesExtensionFilter(u"/a/notes.text"_s, txt));
    EXPECT_FALSE(TextImport::passesExtensionFilter(u"/a/notes.txt.bak"_s, txt));
    EXPECT_FALSE(TextImport::passesExtensionFilter(u"/a/txt"_s, txt));
    // The last dot of the whole path: a dotted folder gives no extension.
    EXPECT_FALSE(TextImport::passesExtensionFilter(u"/a/my.txt/readme"_s, txt));
}

// A tree with accepted and other files at three depths, and a folder whose
// name looks like a text file.
class FolderImportTest : public TextImportTest
{
protected:
    void SetUp() override
    {
        TextImportTest::SetUp();
        write(u"a.txt"_s);
        write(u"Notes.TXT"_s);
        write(u"notes.text"_s);
        write(u"readme"_s);
        write(u"sub/b.txt"_s);
        write(u"sub/picture.png"_s);
        write(u"sub/deeper/c.txt"_s);
        write(u"box.txt/d.txt"_s);
        QDir().mkpath(files + u"empty"_s);
    }
};

TEST_F(FolderImportTest, WithoutSubfoldersTakesOnlyTheFolderOwnTextFiles)
{
    const ImportResult result = importer().ImportFolder(files, false);
    EXPECT_EQ(result.imported, 2);
    EXPECT_EQ(titles(), (QStringList{u"Notes"_s, u"a"_s}));
    EXPECT_EQ(countOf(TagTable::importName()), 2);
    EXPECT_EQ(table.totalCount(), 2);
    expectCountsMatchDatabase();
}

TEST_F(FolderImportTest, WithSubfoldersTakesTextFilesAtEveryDepthOnce)
{
    const ImportResult result = importer().ImportFolder(files, true);
    EXPECT_EQ(result.imported, 5);
    EXPECT_EQ(titles(), (QStringList{u"Notes"_s, u"a"_s, u"b"_s, u"c"_s, u"d"_s}));
    for (const Memo& memo : memos())
        EXPECT_EQ(memo.category, TagTable::importName());
    EXPECT_EQ(countOf(TagTable::importName()), 5);
    EXPECT_EQ(table.totalCount(), 5);
    EXPECT_EQ(table.findCount(), 0);
    expectCountsMatchDatabase();
}

TEST_F(FolderImportTest, CollectFilesAppendsFullPathsAndReturnsTheLength)
{
    QStringList list{u"/earlier"_s};
    // A folder given without its trailing slash gets one.
    const int length =
        TextImport::CollectFiles(files + u"sub"_s, true, TextImport::acceptedExtensions(), list);
    EXPECT_EQ(length, 3);
    EXPECT_EQ(list.value(0), u"/earlier"_s);
    EXPECT_EQ(relative(list.mid(1)), (QStringList{u"sub/b.txt"_s, u"sub/deeper/c.txt"_s}));
}

TEST_F(FolderImportTest, MissingFolderImportsNothing)
{
    const ImportResult result = importer().ImportFolder(files + u"nowhere"_s, true);
    EXPECT_EQ(result.imported, 0);
    EXPECT_TRUE(memos().empty());
    EXPECT_EQ(table.totalCount(), 0);
}

TEST_F(FolderImportTest, SymbolicLinkLoopsEndAndEveryFileIsTakenOnce)
{
    link(files, u"sub/back"_s);               // a loop back to the top
    link(u"."_s, u"sub/deeper/self"_s);       // a loop onto itself
    link(files + u"sub"_s, u"again"_s);       // a second way into sub
    link(files + u"a.txt"_s, u"alias.txt"_s); // a link to a file is a file
    QStringList list;
    TextImport::CollectFiles(files, true, TextImport::acceptedExtensions(), list);
    ASSERT_EQ(list.size(), 6);
    QStringList withoutAgain = relative(list);
    // "sub" is met once, either by its own name or through "again".
    withoutAgain.replaceInStrings(QRegularExpression(u"^again/"_s), u"sub/"_s);
    withoutAgain.sort();
    EXPECT_EQ(withoutAgain, (QStringList{u"Notes.TXT"_s, u"a.txt"_s, u"alias.txt"_s, u"box.txt/d.txt"_s,
                                         u"sub/b.txt"_s, u"sub/deeper/c.txt"_s}));
}

TEST_F(FolderImportTest, DroppedItemsTakeEveryFileAndTheTextFilesOfFolders)
{
    const QStringList items{files + u"readme"_s, files + u"sub"_s, files + u"empty"_s,
                            files + u"notes.text"_s};
    QString tag = u"work"_s;
    const ImportResult result = importer().ImportDroppedFiles(items, tag);
    EXPECT_EQ(result.imported, 4);
    EXPECT_EQ(titles(), (QStringList{u"b"_s, u"c"_s, u"notes"_s, u"readme"_s}));
    for (const Memo& memo : memos())
        EXPECT_EQ(memo.category, u"work"_s);
    EXPECT_EQ(countOf(u"work"_s), 4);
    expectCountsMatchDatabase();
}

TEST_F(TextImportTest, CancelKeepsWhatWasImportedAndTheCountsMatch)
{
    // More files than one batch, cancelled after the first batch was committed.
    QStringList paths;
    for (int i = 0; i < 700; ++i)
        paths.append(write(u"many/%1.txt"_s.arg(i), QByteArray::number(i)));
    StepProgress progress;
    progress.cancelAfter = 300;
    QString tag = u"bulk"_s;
    const ImportResult result = importer().importFiles(paths, tag, &progress);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.imported, 300);
    EXPECT_EQ(progress.maximum, 700);
    ASSERT_EQ(memos().size(), 300u);
    EXPECT_EQ(memos().back().body, u"299"_s);
    EXPECT_EQ(countOf(u"bulk"_s), 300);
    expectCountsMatchDatabase();
}

} // namespace
