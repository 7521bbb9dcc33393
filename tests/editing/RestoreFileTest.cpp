#include "editing/RestoreFile.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

using namespace RestoreFile;

QByteArray utf8(const char* text)
{
    return QByteArray(text);
}

RestoreFile::MainState sampleMain()
{
    MainState state;
    state.databasePath = QStringLiteral("/home/u/メモ/work.mdb");
    state.memoFingerprint = QStringLiteral("5e1f");
    state.findWord = QStringLiteral("買い物 milk");
    state.findIds = {3, 14, 15};
    state.categoryRow = 5;
    state.caret = 7;
    state.memoNumber = QStringLiteral("12");
    state.isEdit = true;
    state.isPassword = false;
    state.title = QStringLiteral("週末の予定");
    state.tags = QStringLiteral("home todo");
    state.body = QStringLiteral("一行目\r\n二行目\r\n");
    return state;
}

void expectSame(const MainState& a, const MainState& b)
{
    EXPECT_EQ(a.originKnown, b.originKnown);
    EXPECT_EQ(a.databasePath, b.databasePath);
    EXPECT_EQ(a.memoFingerprint, b.memoFingerprint);
    EXPECT_EQ(a.findWord, b.findWord);
    EXPECT_EQ(a.findIds, b.findIds);
    EXPECT_EQ(a.categoryRow, b.categoryRow);
    EXPECT_EQ(a.caret, b.caret);
    EXPECT_EQ(a.memoNumber, b.memoNumber);
    EXPECT_EQ(a.isEdit, b.isEdit);
    EXPECT_EQ(a.isPassword, b.isPassword);
    EXPECT_EQ(a.title, b.title);
    EXPECT_EQ(a.tags, b.tags);
    EXPECT_EQ(a.body.toUtf8(), b.body.toUtf8());
}

TEST(RestoreFileTest, MainFileHasTheSpecifiedLines)
{
    // A body ending in a line break leaves an empty line before the final CR LF.
    // Format 6: the database and the stored memo's fingerprint follow the
    // format number, then the lines of format 5.
    EXPECT_EQ(formatMain(sampleMain()), utf8(":Quillet RestoreFile\r\n"
                                             " 6 \r\n"
                                             "/home/u/メモ/work.mdb\r\n"
                                             "5e1f\r\n"
                                             "買い物 milk\r\n"
                                             "3 14 15\r\n"
                                             " 5 \r\n"
                                             " 7 \r\n"
                                             "12\r\n"
                                             "True\r\n"
                                             "False\r\n"
                                             "週末の予定\r\n"
                                             "home todo\r\n"
                                             "一行目\r\n"
                                             "二行目\r\n"
                                             "\r\n"));

    // A new memo, no search, empty contents: the last line is empty; a
    // negative number starts with its sign.
    MainState empty;
    empty.memoNumber = QStringLiteral("New");
    empty.caret = -2;
    EXPECT_EQ(formatMain(empty), utf8(":Quillet RestoreFile\r\n 6 \r\n\r\n\r\n\r\n\r\n 1 \r\n-2 \r\nNew\r\n"
                                      "False\r\nFalse\r\n\r\n\r\n\r\n"));
}

TEST(RestoreFileTest, MainStateComesBackAsWritten)
{
    const QString emoji = QString::fromUcs4(U"\U0001F600");
    struct Case
    {
        const char* what;
        QString body;
    } cases[] = {
        {"CR LF at the end", QStringLiteral("a\r\nb\r\n")},
        {"two line breaks at the end", QStringLiteral("a\r\n\r\n")},
        {"only a line break", QStringLiteral("\r\n")},
        {"empty", QString()},
        {"lone CR and LF kept", QStringLiteral("a\rb\nc\r")},
        {"CR before the final CR LF", QStringLiteral("x\r\r\n")},
        {"characters that look like breaks or blanks",
         QStringLiteral("a\u2028b\u2029c\u00A0d\te") + emoji + QStringLiteral("\u3000")},
        {"blank lines and blanks at the ends", QStringLiteral("  a  \r\n\r\n\r\n  ")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MainState state = sampleMain();
        state.body = c.body;
        const Result<MainState> read = parseMain(formatMain(state));
        ASSERT_EQ(read.status, Status::Restorable) << read.problem.toStdString();
        expectSame(read.state, state);
    }
}

TEST(RestoreFileTest, LineBreaksInSingleLineItemsDoNotShiftTheLines)
{
    // A title from the database may hold line breaks; they and the escape
    // character itself come back, and the lines after them stay in place.
    MainState state = sampleMain();
    state.title = QStringLiteral("first\r\nsecond\rthird\nfourth \x1B end\x1Bn");
    state.tags = QStringLiteral("a\r\nb");
    state.findWord = QStringLiteral("x\ny");
    const QByteArray bytes = formatMain(state);
    EXPECT_TRUE(bytes.contains("first\x1Br\x1Bnsecond\x1Brthird\x1Bnfourth \x1B\x1B end\x1B\x1Bn\r\n"));
    const Result<MainState> read = parseMain(bytes);
    ASSERT_EQ(read.status, Status::Restorable);
    expectSame(read.state, state);
}

TEST(RestoreFileTest, ReadingFollowsTheLineRules)
{
    struct Case
    {
        const char* what;
        QByteArray file;
        Status status;
    } cases[] = {
        {"format 4 is left alone", ":Quillet RestoreFile\r\n 4 \r\nanything", Status::Ignored},
        {"colons are removed from the format number", ":Quillet RestoreFile\r\n:4:\r\n", Status::Ignored},
        {"format 6 adds the database and the fingerprint",
         ":Quillet RestoreFile\r\n 6 \r\n/a.mdb\r\nff\r\n\r\n\r\n 1 \r\n 0 \r\nNew\r\nFalse\r\nFalse\r\n\r\n\r\n",
         Status::Restorable},
        {"a newer format is read as format 6",
         ":Quillet RestoreFile\r\n 7 \r\n/a.mdb\r\n\r\n\r\n\r\n 1 \r\n 0 \r\nNew\r\nFalse\r\nFalse\r\n\r\n\r\n",
         Status::Restorable},
        {"format 6 ending before the tags",
         ":Quillet RestoreFile\r\n 6 \r\n\r\n\r\n 1 \r\n 0 \r\nNew\r\nFalse\r\nFalse\r\n\r\n\r\n",
         Status::Damaged},
        {"no final line break",
         ":Quillet RestoreFile\r\n 5 \r\nw\r\n\r\n 1 \r\n 0 \r\nNew\r\ntrue\r\nFALSE\r\nt\r\ng",
         Status::Restorable},
        {"a UTF-8 BOM is dropped",
         "\xEF\xBB\xBF:Quillet RestoreFile\r\n 5 \r\n\r\n\r\n 1 \r\n 0 \r\nNew\r\nFalse\r\nFalse\r\n\r\n\r\n",
         Status::Restorable},
        {"empty file", "", Status::Damaged},
        {"another header", ":Quillet RestoreFile FloatingMemo\r\n 5 \r\n", Status::Damaged},
        {"nothing after the header", ":Quillet RestoreFile\r\n", Status::Damaged},
        {"format number not a number", ":Quillet RestoreFile\r\nfive\r\n", Status::Damaged},
        {"format number beyond 16 bits", ":Quillet RestoreFile\r\n 70000 \r\n", Status::Damaged},
        {"ends before the tags",
         ":Quillet RestoreFile\r\n 5 \r\n\r\n\r\n 1 \r\n 0 \r\nNew\r\nFalse\r\nFalse\r\nt\r\n",
         Status::Damaged},
        {"category row not a number",
         ":Quillet RestoreFile\r\n 5 \r\n\r\n\r\n x \r\n 0 \r\nNew\r\nFalse\r\nFalse\r\n\r\n\r\n",
         Status::Damaged},
        {"a found memo not a number",
         ":Quillet RestoreFile\r\n 5 \r\n\r\n1 x\r\n 1 \r\n 0 \r\nNew\r\nFalse\r\nFalse\r\n\r\n\r\n",
         Status::Damaged},
        {"flag neither True nor False",
         ":Quillet RestoreFile\r\n 5 \r\n\r\n\r\n 1 \r\n 0 \r\nNew\r\nYes\r\nFalse\r\n\r\n\r\n",
         Status::Damaged},
        {"bytes that are not UTF-8",
         ":Quillet RestoreFile\r\n 5 \r\n\r\n\r\n 1 \r\n 0 \r\nNew\r\nFalse\r\nFalse\r\n\x93\xfa\r\n\r\n",
         Status::Damaged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Result<MainState> read = parseMain(c.file);
        EXPECT_EQ(read.status, c.status);
        if (c.status == Status::Damaged) {
            EXPECT_FALSE(read.problem.isEmpty());
        }
    }

    const Result<MainState> lenient =
        parseMain(":Quillet RestoreFile\r\n 5 \r\nw\r\n 1  2 \r\n 2 \r\n 3 \r\n9\r\n"
                  "true\r\nFALSE\r\nt\r\ng\r\nbody");
    ASSERT_EQ(lenient.status, Status::Restorable);
    EXPECT_EQ(lenient.state.findIds, (QList<qint64>{1, 2}));
    EXPECT_EQ(lenient.state.categoryRow, 2);
    EXPECT_EQ(lenient.state.caret, 3);
    EXPECT_TRUE(lenient.state.isEdit);
    EXPECT_FALSE(lenient.state.isPassword);
    EXPECT_EQ(lenient.state.body, QStringLiteral("body"));
    // A format 5 file names no database: its origin is unknown.
    EXPECT_FALSE(lenient.state.originKnown);
    EXPECT_TRUE(lenient.state.databasePath.isEmpty());
    EXPECT_TRUE(parseMain(formatMain(sampleMain())).state.originKnown);
}

TEST(RestoreFileTest, FloatingVariantHasItsOwnLinesAndRules)
{
    FloatingState state;
    state.databasePath = QStringLiteral("/d/work.mdb");
    state.memoFingerprint = QStringLiteral("ab12");
    state.editorFile = QStringLiteral("/t/12_買い物.txt");
    state.editorFingerprint = QStringLiteral("cd34");
    state.newTitle = QStringLiteral("題\r名");
    state.newTags = QStringLiteral("home");
    state.caret = 4;
    state.recordId = 12;
    state.isEdit = true;
    state.isPassword = true;
    state.caption = QStringLiteral("12:買い物");
    state.text = QStringLiteral("milk\r\nbread\r\n");
    const QByteArray bytes = formatFloating(state);
    EXPECT_EQ(bytes, utf8(":Quillet RestoreFile FloatingMemo\r\n 6 \r\n/d/work.mdb\r\nab12\r\n/t/12_買い物.txt\r\n"
                          "cd34\r\n題\x1Br名\r\nhome\r\n 4 \r\n 12 \r\nTrue\r\nTrue\r\n"
                          "12:買い物\r\nmilk\r\nbread\r\n\r\n"));
    const Result<FloatingState> read = parseFloating(bytes);
    ASSERT_EQ(read.status, Status::Restorable);
    EXPECT_TRUE(read.state.originKnown);
    EXPECT_EQ(read.state.databasePath, state.databasePath);
    EXPECT_EQ(read.state.memoFingerprint, state.memoFingerprint);
    EXPECT_EQ(read.state.editorFile, state.editorFile);
    EXPECT_EQ(read.state.editorFingerprint, state.editorFingerprint);
    EXPECT_EQ(read.state.newTitle, state.newTitle);
    EXPECT_EQ(read.state.newTags, state.newTags);
    EXPECT_EQ(read.state.caret, 4);
    EXPECT_EQ(read.state.recordId, 12);
    EXPECT_TRUE(read.state.isEdit);
    EXPECT_TRUE(read.state.isPassword);
    EXPECT_EQ(read.state.caption, state.caption);
    EXPECT_EQ(read.state.text, state.text);

    // Another kind of file or an older format leaves the window empty; a file
    // that breaks off before the caption is a failure.
    EXPECT_EQ(parseFloating(":Quillet RestoreFile\r\n 5 \r\n").status, Status::Ignored);
    EXPECT_EQ(parseFloating(":Quillet RestoreFile FloatingMemo\r\n 4 \r\n").status, Status::Ignored);
    EXPECT_EQ(
        parseFloating(":Quillet RestoreFile FloatingMemo\r\n 5 \r\n 0 \r\n 12 \r\nTrue\r\nFalse\r\n").status,
        Status::Damaged);
    // A format 5 file is read without the lines of origin.
    const Result<FloatingState> older = parseFloating(
        ":Quillet RestoreFile FloatingMemo\r\n 5 \r\n 4 \r\n 12 \r\nTrue\r\nTrue\r\n12:買い物\r\nmilk");
    ASSERT_EQ(older.status, Status::Restorable);
    EXPECT_FALSE(older.state.originKnown);
    EXPECT_EQ(older.state.recordId, 12);
    EXPECT_EQ(older.state.text, QStringLiteral("milk"));
    EXPECT_EQ(parseFloating("").status, Status::Damaged);
}

TEST(RestoreFileTest, FileIsWrittenWholeForItsOwnerAndKeptAsideOnFailure)
{
    TestHome home;
    const QString path = home.file(QStringLiteral("quillet_restoration_default.txt"));
    EXPECT_EQ(readMain(path).status, Status::Missing);

    QString error;
    ASSERT_TRUE(write(path, formatMain(sampleMain()), &error)) << error.toStdString();
    EXPECT_EQ(QFileInfo(path).permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther |
                                               QFileDevice::WriteGroup | QFileDevice::WriteOther),
              QFileDevice::Permissions());
    const Result<MainState> read = readMain(path);
    ASSERT_EQ(read.status, Status::Restorable);
    expectSame(read.state, sampleMain());

    // A folder that cannot take the file: the write fails and says why.
    EXPECT_FALSE(write(home.file(QStringLiteral("missing/x.txt")), "x", &error));
    EXPECT_FALSE(error.isEmpty());

    // Kept aside under a dated name, twice in the same second.
    const QDateTime now(QDate(2026, 12, 10), QTime(9, 30, 5));
    const QString aside = keepAside(path, now);
    EXPECT_EQ(aside, home.file(QStringLiteral("quillet_restoration_default_20261210-093005.txt")));
    EXPECT_FALSE(QFile::exists(path));
    ASSERT_TRUE(write(path, "second", &error));
    EXPECT_EQ(keepAside(path, now),
              home.file(QStringLiteral("quillet_restoration_default_20261210-093005-2.txt")));
    QFile kept(aside);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), formatMain(sampleMain()));
}

} // namespace
