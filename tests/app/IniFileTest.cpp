#include "app/IniFile.h"

#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <gtest/gtest.h>

#include <iterator>
#include <sys/stat.h>
#include <random>

namespace {

QString u(const char16_t* text)
{
    return QString::fromUtf16(text);
}

class IniFileTest : public ::testing::Test
{
protected:
    QString path() const { return m_home.file(QStringLiteral("quillet_default.ini")); }

    void writeFile(const QByteArray& content) const
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(content), content.size());
    }

    QByteArray fileBytes() const
    {
        QFile file(path());
        if (!file.open(QIODevice::ReadOnly))
            return "<unreadable>";
        return file.readAll();
    }

    QString readText(const char* section, const char* key) const
    {
        return IniFile::readText(path(), QString::fromUtf8(section), QString::fromUtf8(key),
                                 QStringLiteral("DEF"));
    }

    TestHome m_home;
};

// Permissions do not stop root; tests that rely on them probe first.
bool permissionsApply(const QString& folder)
{
    const QString probeFolder = folder + QStringLiteral("probe");
    QDir().mkdir(probeFolder);
    QFile::setPermissions(probeFolder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QFile probe(probeFolder + QStringLiteral("/x"));
    const bool denied = !probe.open(QIODevice::WriteOnly);
    probe.close();
    QFile::setPermissions(probeFolder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QDir(probeFolder).removeRecursively();
    return denied;
}

TEST_F(IniFileTest, ReadsTextWithProfileRules)
{
    struct Case
    {
        const char* name;
        QByteArray content;
        const char* section;
        const char* key;
        QString expected;
    };
    const Case cases[] = {
        {"plain", "[Form]\r\nFont=Sans\r\n", "Form", "Font", "Sans"},
        {"section and key ignore case", "[FORM]\r\nfont=Sans\r\n", "form", "FONT", "Sans"},
        {"blanks around section name", "[ Form ]\r\nFont=Sans\r\n", "Form", "Font", "Sans"},
        {"blanks around key and value", "[Form]\r\n  Font \t=  Sans Serif \r\n", "Form", "Font",
         "Sans Serif"},
        {"blank arguments trimmed", "[Form]\r\nFont=Sans\r\n", " Form ", " Font ", "Sans"},
        {"LF line breaks", "[Form]\nFont=Sans\n", "Form", "Font", "Sans"},
        {"CR line breaks", "[Form]\rFont=Sans\r", "Form", "Font", "Sans"},
        {"no line break at the end", "[Form]\r\nFont=Sans", "Form", "Font", "Sans"},
        {"empty value", "[Form]\r\nFont=\r\n", "Form", "Font", ""},
        {"equals sign in value", "[R]\r\nUrl=http://x/?a=b\r\n", "R", "Url", "http://x/?a=b"},
        {"blank lines and comments skipped", "; Font=Comment\r\n\r\n[Form]\r\n;Font=No\r\n\r\nFont=Yes\r\n",
         "Form", "Font", "Yes"},
        {"comment is not a key", "[Form]\r\n; Font=No\r\n", "Form", "Font", "DEF"},
        {"first line of a key wins", "[Form]\r\nFont=One\r\nFont=Two\r\n", "Form", "Font", "One"},
        {"only the first section of a name counts", "[Form]\r\nA=1\r\n[Other]\r\n[form]\r\nFont=Two\r\n",
         "Form", "Font", "DEF"},
        {"key in another section", "[Form]\r\nA=1\r\n[Other]\r\nFont=Sans\r\n", "Form", "Font", "DEF"},
        {"key before any section", "Font=Sans\r\n[Form]\r\n", "Form", "Font", "DEF"},
        {"missing section", "[Form]\r\nFont=Sans\r\n", "Nope", "Font", "DEF"},
        {"missing key", "[Form]\r\nFont=Sans\r\n", "Form", "Size", "DEF"},
        {"empty key argument", "[Form]\r\n=Sans\r\n", "Form", "", "DEF"},
        {"empty file", "", "Form", "Font", "DEF"},
        {"double quotes removed", "[F]\r\nK=\"a b\"\r\n", "F", "K", "a b"},
        {"single quotes removed", "[F]\r\nK='a b'\r\n", "F", "K", "a b"},
        {"quotes keep inner blanks", "[F]\r\nK=\" a \"\r\n", "F", "K", " a "},
        {"only one pair removed", "[F]\r\nK=''a''\r\n", "F", "K", "'a'"},
        {"mismatched quotes kept", "[F]\r\nK=\"abc'\r\n", "F", "K", "\"abc'"},
        {"one quote alone kept", "[F]\r\nK=\"\r\n", "F", "K", "\""},
        {"empty quotes", "[F]\r\nK=\"\"\r\n", "F", "K", ""},
        {"cut at NUL", QByteArray("[F]\r\nK=ab\0cd\r\n", 14), "F", "K", "ab"},
        {"ideographic spaces are not trimmed", "[F]\r\nK=\xE3\x80\x80x\xE3\x80\x80\r\n", "F", "K",
         u(u"\u3000x\u3000")},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBF[Form]\r\nFont=Sans\r\n", "Form", "Font", "Sans"},
        {"Japanese section and value in UTF-8",
         "[\xE5\xA4\xAA\xE9\x83\x8E]\r\nFont=\xEF\xBC\xAD\xEF\xBC\xB3\r\n", "太郎", "Font", u(u"ＭＳ")},
        {"Japanese section and value in CP932",
         "[\x91\xBE\x98\x59]\r\nFont=\x82\x6C\x82\x72 \x82\x6F\x83\x53\r\n", "太郎", "Font", u(u"ＭＳ Ｐゴ")},
        {"garbage around a good key",
         QByteArray("\xFF\xFE\0garbage\r\n[unterminated\r\n=\r\n]\r\n\x82\r\n[F]\r\nnoequals\r\nK=v\r\n", 56),
         "F", "K", "v"},
        {"unterminated header is not a section", "[F\r\nK=v\r\n", "F", "K", "DEF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(c.content);
        EXPECT_EQ(readText(c.section, c.key), c.expected);
    }
}

TEST_F(IniFileTest, MissingOrUnreadableFileGivesDefaults)
{
    EXPECT_EQ(readText("Form", "Font"), "DEF");
    EXPECT_EQ(IniFile::readInt(path(), "Form", "Size", -7), -7);
    EXPECT_EQ(IniFile::readNumber(path(), "Form", "Top", 2.5), 2.5);
    EXPECT_EQ(IniFile::readText(m_home.path(), "Form", "Font", "DEF"), "DEF"); // a folder
}

TEST_F(IniFileTest, CutsLongTextAt255BytesWithoutSplittingCharacters)
{
    const QString a254(254, QLatin1Char('a'));
    struct Case
    {
        const char* name;
        QString value;
        QString expected;
    };
    const Case cases[] = {
        {"exactly 255", QString(255, QLatin1Char('a')), QString(255, QLatin1Char('a'))},
        {"300 ASCII", QString(300, QLatin1Char('a')), QString(255, QLatin1Char('a'))},
        {"three-byte character across the limit", a254 + u(u"あい"), a254},
        {"three-byte characters filling the limit", QString(85, QChar(u'あ')) + u(u"い"),
         QString(85, QChar(u'あ'))},
        {"two-byte character ending at 255", QString(253, QLatin1Char('a')) + u(u"éx"),
         QString(253, QLatin1Char('a')) + u(u"é")},
        {"four-byte character across the limit", QString(252, QLatin1Char('a')) + u(u"\U0001F600"),
         QString(252, QLatin1Char('a'))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile("[F]\r\nK=" + c.value.toUtf8() + "\r\n");
        EXPECT_EQ(readText("F", "K"), c.expected);
    }
}

TEST_F(IniFileTest, ReadsOnlyWellFormedSixteenBitIntegers)
{
    struct Case
    {
        const char* value;
        int expected;
    };
    const Case cases[] = {
        {"5", 5},
        {" 12 ", 12},
        {"+7", 7},
        {"-3", -3},
        {"007", 7},
        {"'42'", 42},
        {"\"-1\"", -1},
        {"32767", 32767},
        {"-32768", -32768},
        {"32768", 99},
        {"-32769", 99},
        {"40000", 99},
        {"99999999999999999999", 99},
        {"", 99},
        {"abc", 99},
        {"12abc", 99},
        {"1.5", 99},
        {"- 5", 99},
        {"+", 99},
        {"0x10", 99},
        {"1 2", 99},
        {"\xEF\xBC\x95", 99}, // full-width 5
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        writeFile(QByteArray("[F]\r\nK=") + c.value + "\r\n");
        EXPECT_EQ(IniFile::readInt(path(), "F", "K", 99), c.expected);
    }
}

TEST_F(IniFileTest, ReadsDecimalNumbersWithAPointInAnyLocale)
{
    struct Case
    {
        const char* value;
        double expected;
    };
    const Case cases[] = {
        {"2520", 2520}, {"1234.5", 1234.5}, {"-3.25", -3.25}, {"+8", 8},     {".5", 0.5},
        {"5.", 5},      {"100000", 100000}, {"'7.5'", 7.5},   {" 12 ", 12},  {"", -1},
        {".", -1},      {"-", -1},          {"1,5", -1},      {"1.2.3", -1}, {"1e3", -1},
        {"abc", -1},    {"12abc", -1},      {"inf", -1},      {"nan", -1},   {"0x10", -1},
    };
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        writeFile(QByteArray("[F]\r\nK=") + c.value + "\r\n");
        EXPECT_EQ(IniFile::readNumber(path(), "F", "K", -1), c.expected);
    }
    QLocale::setDefault(previous);
}

TEST_F(IniFileTest, WritesKeepingEveryOtherLine)
{
    struct Case
    {
        const char* name;
        QByteArray before;
        const char* section;
        const char* key;
        QString value;
        QByteArray after;
    };
    const Case cases[] = {
        {"new file", "", "Form", "Font", "Sans", "[Form]\r\nFont=Sans\r\n"},
        {"replace keeps the key's spelling and the rest",
         "; kept\r\n[FORM]\r\n  FONT = old \r\nOther=2\r\n\r\n[Next]\r\nFont=x\r\n", "form", "font", "new",
         "; kept\r\n[FORM]\r\nFONT=new\r\nOther=2\r\n\r\n[Next]\r\nFont=x\r\n"},
        {"replace only the first line of a key", "[F]\r\nK=1\r\nK=2\r\n", "F", "K", "3",
         "[F]\r\nK=3\r\nK=2\r\n"},
        {"append after the section's last line", "[A]\r\nx=1\r\n;note\r\n\r\n\r\n[B]\r\ny=2\r\n", "A", "z",
         "3", "[A]\r\nx=1\r\n;note\r\nz=3\r\n\r\n\r\n[B]\r\ny=2\r\n"},
        {"append to an empty section", "[A]\r\n\r\n[B]\r\n", "A", "z", "3", "[A]\r\nz=3\r\n\r\n[B]\r\n"},
        {"append to the first of two sections of a name", "[A]\r\nx=1\r\n[B]\r\n[a]\r\nz=9\r\n", "A", "z",
         "3", "[A]\r\nx=1\r\nz=3\r\n[B]\r\n[a]\r\nz=9\r\n"},
        {"append to a last section without a final line break", "[A]\nx=1", "A", "y", "2", "[A]\nx=1\ny=2\n"},
        {"new section at the end", "[A]\r\nx=1\r\n", "B", "k", "v", "[A]\r\nx=1\r\n[B]\r\nk=v\r\n"},
        {"new section after a missing final line break", "[A]\r\nx=1", "B", "k", "v",
         "[A]\r\nx=1\r\n[B]\r\nk=v\r\n"},
        {"LF file stays LF", "[A]\nx=1\n", "B", "k", "v", "[A]\nx=1\n[B]\nk=v\n"},
        {"mixed line breaks kept as they were", "[A]\nx=1\r\n;c\r\n", "A", "x", "2", "[A]\nx=2\r\n;c\r\n"},
        {"keys before any section are not the section's", "k=0\r\n", "A", "k", "1", "k=0\r\n[A]\r\nk=1\r\n"},
        {"blank arguments trimmed", "[A]\r\nk=1\r\n", " A ", " k ", "2", "[A]\r\nk=2\r\n"},
        {"UTF-8 byte-order mark dropped", "\xEF\xBB\xBF[A]\r\nk=1\r\n", "A", "k", "2", "[A]\r\nk=2\r\n"},
        {"a byte-order mark stays before a CP932 line that starts with another",
         "\xEF\xBB\xBF\xEF\xBB\xBF[\x82\xA0]\r\nk=1\r\n", "X", "k", "2",
         "\xEF\xBB\xBF\xEF\xBB\xBF[\x82\xA0]\r\nk=1\r\n[X]\r\nk=2\r\n"},
        {"a header after a second byte-order mark is a header", "\xEF\xBB\xBF\xEF\xBB\xBF [A]\nk=1\n", "A",
         "z", "2", "\xEF\xBB\xBF\xEF\xBB\xBF [A]\nk=1\nz=2\n"},
        {"only the written line of a CP932 file becomes UTF-8", "[\x91\xBE\x98\x59]\r\nName=\x82\xA0\r\n",
         "太郎", "Name", u(u"い"), "[\x91\xBE\x98\x59]\r\nName=\xE3\x81\x84\r\n"},
        {"a CP932 character whose second byte is '[' starts no section", "\x81[A]\r\nk=1\r\n", "A", "k",
         "2", "\x81[A]\r\nk=1\r\n[A]\r\nk=2\r\n"},
        {"an indented header is a header", "x\x81[y\r\n \t[A]\r\nk=1\r\n", "A", "k", "2",
         "x\x81[y\r\n \t[A]\r\nk=2\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path());
        if (!c.before.isEmpty())
            writeFile(c.before);
        EXPECT_TRUE(
            IniFile::writeText(path(), QString::fromUtf8(c.section), QString::fromUtf8(c.key), c.value));
        EXPECT_EQ(fileBytes(), c.after);
    }
}

// Several writes read the file once and replace it once; a refused value is
// left out without holding back the others, and writes that change nothing
// leave the file itself alone.
TEST_F(IniFileTest, SeveralWritesMakeOneReplace)
{
    writeFile("; kept\r\n[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
    const auto inode = [this] {
        struct stat info = {};
        ::stat(QFile::encodeName(path()).constData(), &info);
        return info.st_ino;
    };
    const auto before = inode();

    EXPECT_FALSE(IniFile::writeTexts(path(), {{"A", "x", "10"}, {"B", "z", "line\nbreak"}, {"C", "w", "3"}}));
    EXPECT_EQ(fileBytes(), "; kept\r\n[A]\r\nx=10\r\n[B]\r\ny=2\r\n[C]\r\nw=3\r\n");
    const auto afterWrite = inode();
    EXPECT_NE(afterWrite, before);

    EXPECT_TRUE(IniFile::writeTexts(path(), {{"a", "X", "10"}, {"c", "w", "3"}}));
    EXPECT_EQ(inode(), afterWrite) << "a write that changes nothing replaced the file";
    EXPECT_EQ(fileBytes(), "; kept\r\n[A]\r\nx=10\r\n[B]\r\ny=2\r\n[C]\r\nw=3\r\n");
}

TEST_F(IniFileTest, WrittenValuesReadBack)
{
    const QString values[] = {
        u(u"ＭＳ Ｐゴシック"),
        QStringLiteral("C:\\Program Files\\editor.exe"),
        QStringLiteral("a=b;c"),
        QStringLiteral("; not a comment"),
        QStringLiteral("[not a section]"),
        QString(),
    };
    for (const QString& value : values) {
        SCOPED_TRACE(value.toStdString());
        ASSERT_TRUE(IniFile::writeText(path(), "Form", "Font", value));
        ASSERT_TRUE(IniFile::writeText(path(), "Form", "Size", "12"));
        EXPECT_EQ(IniFile::readText(path(), "Form", "Font", "DEF"), value);
        EXPECT_EQ(IniFile::readInt(path(), "Form", "Size", 0), 12);
    }
}

// Reading trims blanks and takes off one pair of matching quotes, so a value
// that starts and ends like that must reach the file protected by quotes.
TEST_F(IniFileTest, ValuesThatReadingWouldAlterAreWrittenInQuotes)
{
    struct Case
    {
        const char* name;
        QString value;
        QByteArray line;
    };
    const Case cases[] = {
        {"scrambled password in double quotes", "\"ttbq\"", "K=\"\"ttbq\"\""},
        {"single quotes", "'x'", "K=\"'x'\""},
        {"two quotes alone", "\"\"", "K=\"\"\"\""},
        {"leading blank", " a", "K=\" a\""},
        {"trailing blank", "a ", "K=\"a \""},
        {"only blanks", "   ", "K=\"   \""},
        {"tab at the end", "a\t", "K=\"a\t\""},
        {"form feed and vertical tab", "\fa\v", "K=\"\fa\v\""},
        {"plain value stays bare", "a b", "K=a b"},
        {"quote at one end only stays bare", "\"ab", "K=\"ab"},
        {"mismatched quotes stay bare", "'ab\"", "K='ab\""},
        {"one quote stays bare", "'", "K='"},
        {"ideographic spaces are not blanks", u(u"\u3000x\u3000"), "K=\xE3\x80\x80x\xE3\x80\x80"},
        {"empty value", "", "K="},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path());
        ASSERT_TRUE(IniFile::writeText(path(), "F", "K", c.value));
        EXPECT_EQ(fileBytes(), QByteArray("[F]\r\n" + c.line + "\r\n"));
        EXPECT_EQ(IniFile::readText(path(), "F", "K", "DEF"), c.value);
    }
}

// Random values made of the characters that reading treats specially, written
// over each other under a few keys: every key always reads back what was last
// written to it.
TEST_F(IniFileTest, RandomValuesReadBackExactlyAsWritten)
{
    const char16_t* const pieces[] = {u" ",          u"  ",     u"\t", u"\v", u"\f", u"\"",
                                      u"'",          u"=",      u";",  u"[",  u"]",  u"#",
                                      u"\\",         u"a",      u"Z",  u"0",  u"-",  u"\u3000",
                                      u"\u00A0",     u"\u2028", u"あ", u"漢", u"ｶ",  u"ＭＳ Ｐゴシック",
                                      u"\U0001F600", u"\uFEFF"};
    const char* keys[][2] = {{"Security", "Password"}, {"Security", "MemoColor"}, {"OuterEditor", "Path_1"}};
    QString expected[3];
    bool written[3] = {};
    std::mt19937 random(20240611);
    for (int round = 0; round < 600; ++round) {
        const int which = int(random() % 3);
        QString value;
        const int length = int(random() % 12);
        for (int i = 0; i < length; ++i)
            value += QString::fromUtf16(pieces[random() % std::size(pieces)]);
        if (random() % 4 == 0) { // often enough, wrapped in a pair of quotes
            const QString quote = random() % 2 ? "\"" : "'";
            value = quote + value + quote;
        }
        SCOPED_TRACE(value.toStdString());
        ASSERT_TRUE(IniFile::writeText(path(), keys[which][0], keys[which][1], value));
        expected[which] = value;
        written[which] = true;
        for (int k = 0; k < 3; ++k) {
            if (written[k]) {
                ASSERT_EQ(IniFile::readText(path(), keys[k][0], keys[k][1], "DEF"), expected[k])
                    << keys[k][1];
            }
        }
    }
}

// No line of the file can hold a line break, reading stops at a NUL and cuts
// text at 255 bytes: a value that would come back different is not written.
TEST_F(IniFileTest, ValuesThatCannotReadBackAreRefused)
{
    const QByteArray before = "[A]\r\nk=1\r\n";
    struct Case
    {
        const char* name;
        QString value;
    };
    const Case cases[] = {
        {"CR LF", "a\r\nb"},
        {"LF", "a\nb"},
        {"CR", "a\rb"},
        {"line break at the end", "a\n"},
        {"NUL", QString::fromUtf16(u"ab\0cd", 5)},
        {"256 bytes", QString(256, QLatin1Char('a'))},
        {"86 three-byte characters", QString(86, QChar(u'あ'))},
        {"lone surrogate", QString(QChar(0xD800)) + "x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(before);
        EXPECT_FALSE(IniFile::writeText(path(), "A", "k", c.value));
        EXPECT_FALSE(IniFile::writeText(path(), "A", "new", c.value));
        EXPECT_EQ(fileBytes(), before);
    }

    // The longest values that fit are stored, quoted or not.
    const QString longest[] = {QString(255, QLatin1Char('a')), QString(85, QChar(u'あ')),
                               " " + QString(253, QLatin1Char('a')) + " "};
    for (const QString& value : longest) {
        ASSERT_TRUE(IniFile::writeText(path(), "A", "k", value));
        EXPECT_EQ(IniFile::readText(path(), "A", "k", "DEF"), value);
    }
}

// A file edited on Windows (CP932) and by Quillet (UTF-8) mixes both; each line
// is read in its own encoding, and a write touches only its own line.
TEST_F(IniFileTest, EachLineKeepsItsOwnEncoding)
{
    const QByteArray lines[] = {
        "; \x90\xDD\x92\xE8\r\n", // "; 設定" in CP932
        "[Form]\r\n",
        "Font=\xEF\xBC\xAD\xEF\xBC\xB3 \xEF\xBC\xB0\r\n", // "ＭＳ Ｐ" in UTF-8
        "Title=\x82\xA0\x82\xA2\r\n",                     // "あい" in CP932
        "Broken=\x82\r\n",                                // a lead byte without its trail
        "Path=C:\\\xE3\x83\xA1\xE3\x83\xA2\n",            // "C:\\メモ" in UTF-8, LF
        "  Size = 12 \r\n",
        "[\x91\xBE\x98\x59]\r\n",        // "[太郎]" in CP932
        "Name=\xE5\xA4\xAA\xE9\x83\x8E", // "太郎" in UTF-8, no final break
    };
    const QByteArray original =
        lines[0] + lines[1] + lines[2] + lines[3] + lines[4] + lines[5] + lines[6] + lines[7] + lines[8];
    writeFile(original);

    EXPECT_EQ(readText("Form", "Font"), u(u"ＭＳ Ｐ"));
    EXPECT_EQ(readText("Form", "Title"), u(u"あい"));
    EXPECT_EQ(readText("Form", "Path"), u(u"C:\\メモ"));
    EXPECT_EQ(readText("太郎", "Name"), u(u"太郎"));

    // Replacing a key rewrites its line alone.
    ASSERT_TRUE(IniFile::writeText(path(), "Form", "Size", "14"));
    QByteArray expected = original;
    expected.replace(lines[6], "Size=14\r\n");
    EXPECT_EQ(fileBytes(), expected);

    // A CP932 key line that is rewritten becomes UTF-8; its neighbours stay CP932.
    ASSERT_TRUE(IniFile::writeText(path(), "Form", "Title", u(u"う")));
    expected.replace(lines[3], "Title=\xE3\x81\x86\r\n");
    EXPECT_EQ(fileBytes(), expected);

    // Added lines go in between, and after the last line once it has a break.
    ASSERT_TRUE(IniFile::writeText(path(), "Form", "Added", u(u"え")));
    ASSERT_TRUE(IniFile::writeText(path(), "太郎", "More", "x"));
    expected.replace(lines[7], QByteArray("Added=\xE3\x81\x88\r\n").append(lines[7]));
    expected += "\r\nMore=x\r\n";
    EXPECT_EQ(fileBytes(), expected);

    EXPECT_EQ(readText("Form", "Font"), u(u"ＭＳ Ｐ"));
    EXPECT_EQ(readText("Form", "Title"), u(u"う"));
    EXPECT_EQ(readText("Form", "Broken"), u(u"\uFFFD"));
    EXPECT_EQ(readText("Form", "Path"), u(u"C:\\メモ"));
    EXPECT_EQ(readText("太郎", "Name"), u(u"太郎"));
    EXPECT_EQ(readText("太郎", "More"), "x");

    // Writing what is already there leaves the file alone.
    ASSERT_TRUE(IniFile::writeText(path(), "Form", "Title", u(u"う")));
    EXPECT_EQ(fileBytes(), expected);
}

TEST_F(IniFileTest, RefusesNamesThatWouldNotReadBack)
{
    const QByteArray before = "[A]\r\nk=1\r\n";
    writeFile(before);
    struct Case
    {
        const char* name;
        QString section;
        QString key;
    };
    const Case cases[] = {
        {"empty key", "A", ""},
        {"blank key", "A", "  "},
        {"equals sign in key", "A", "a=b"},
        {"comment key", "A", ";k"},
        {"bracketed key", "A", "[k]"},
        {"line break in key", "A", "k\nx"},
        {"key starting with a byte-order mark, which reading drops", "A", QString(QChar(0xFEFF)) + QLatin1Char('k')},
        {"empty section", "", "k"},
        {"line break in section", "A\r\nB", "k"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(IniFile::writeText(path(), c.section, c.key, "2"));
        EXPECT_EQ(fileBytes(), before);
    }
}

TEST_F(IniFileTest, FailedWriteLeavesTheOldFileWhole)
{
    const QByteArray before = "[A]\r\nk=1\r\n";
    EXPECT_FALSE(IniFile::writeText(m_home.path(), "A", "k", "2")); // a folder, not a file
    EXPECT_FALSE(IniFile::writeText(m_home.file("missing/x.ini"), "A", "k", "2"));
    EXPECT_FALSE(QFileInfo::exists(m_home.file("missing")));

    if (!permissionsApply(m_home.path()))
        GTEST_SKIP() << "file permissions do not apply to this user";

    // The temporary file cannot be made beside the settings file.
    writeFile(before);
    const auto writable = QFile::permissions(m_home.path());
    QFile::setPermissions(m_home.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(IniFile::writeText(path(), "A", "k", "2"));
    EXPECT_TRUE(IniFile::writeText(path(), "A", "k", "1")); // nothing to change
    QFile::setPermissions(m_home.path(), writable);
    EXPECT_EQ(fileBytes(), before);

    // A file that cannot be read is never replaced by one without its contents.
    QFile::setPermissions(path(), QFileDevice::WriteOwner);
    EXPECT_FALSE(IniFile::writeText(path(), "B", "k", "2"));
    QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(fileBytes(), before);

    // A read-only file stays as it is.
    QFile::setPermissions(path(), QFileDevice::ReadOwner);
    EXPECT_FALSE(IniFile::writeText(path(), "A", "k", "2"));
    QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(fileBytes(), before);
}

} // namespace
