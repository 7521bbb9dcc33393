#include "app/CodePage.h"

#include <gtest/gtest.h>

#include <ostream>

static void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

QString u(const char16_t* text)
{
    return QString::fromUtf16(text);
}

QByteArray bytes(const char* text, qsizetype size)
{
    return QByteArray(text, size);
}

TEST(CodePageTest, RecognisesStrictUtf8)
{
    struct Case
    {
        const char* name;
        QByteArray input;
        bool valid;
    };
    const Case cases[] = {
        {"empty", QByteArray(), true},
        {"ascii with NUL", bytes("a\0b", 3), true},
        {"Japanese", QByteArray("\xE3\x81\x82\xE6\xBC\xA2"), true},
        {"byte-order mark",
         QByteArray("\xEF\xBB\xBF"
                    "abc"),
         true},
        {"four-byte character", QByteArray("\xF0\x9F\x98\x80"), true},
        {"highest code point", QByteArray("\xF4\x8F\xBF\xBF"), true},
        {"CP932 text", QByteArray("\x82\xA0\x82\xA2"), false},
        {"lone continuation byte", QByteArray("a\x80"), false},
        {"truncated at the end", QByteArray("\xE3\x81"), false},
        {"continuation missing mid-text",
         QByteArray("\xE3\x81"
                    "a"),
         false},
        {"overlong slash", QByteArray("\xC0\xAF"), false},
        {"overlong three-byte", QByteArray("\xE0\x80\xAF"), false},
        {"encoded surrogate", QByteArray("\xED\xA0\x80"), false},
        {"above U+10FFFF", QByteArray("\xF4\x90\x80\x80"), false},
        {"byte 0xFF", QByteArray("\xFF"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CodePage::isValidUtf8(c.input), c.valid);
    }
}

TEST(CodePageTest, DecodesUtf8OrElseCp932WithoutLosingTheRest)
{
    struct Case
    {
        const char* name;
        QByteArray input;
        QString expected;
    };
    const Case cases[] = {
        {"empty", QByteArray(), QString()},
        {"UTF-8", QByteArray("[\xE8\xA8\xAD\xE5\xAE\x9A]\r\n"), u(u"[設定]\r\n")},
        {"UTF-8 byte-order mark dropped", QByteArray("\xEF\xBB\xBF[A]"), u(u"[A]")},
        {"only a byte-order mark", QByteArray("\xEF\xBB\xBF"), QString()},
        {"CP932", QByteArray("\x82\xA0\x82\xA2 \x8A\xBF\x8E\x9A"), u(u"あい 漢字")},
        {"CP932 half-width katakana", QByteArray("\xB6\xC0\xB6\xC5"), u(u"ｶﾀｶﾅ")},
        {"CP932 backslash and tilde stay ASCII", QByteArray("\x82\xA0\\~"), u(u"あ\\~")},
        {"CP932 NEC special characters", QByteArray("\x87\x40\x87\x54"), u(u"①Ⅰ")},
        {"invalid byte replaced, rest kept", QByteArray("\x82\xA0\xFF[abc]\r\nx=1"),
         u(u"あ\uFFFD[abc]\r\nx=1")},
        {"bad trail byte keeps the next line", QByteArray("\x82\r\nkey=\x82\xA0"), u(u"\uFFFD\r\nkey=あ")},
        {"lead byte cut off at the end", QByteArray("\x82\xA0\x82"), u(u"あ\uFFFD")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CodePage::decodeText(c.input), c.expected);
    }
}

TEST(CodePageTest, AFileCutInsideItsLastUtf8CharacterStaysUtf8)
{
    struct Case
    {
        const char* name;
        QByteArray input;
        QString expected;
    };
    const Case cutShort[] = {
        {"three-byte character cut after two", QByteArray("\xE3\x81\x82\xE3\x81"), u(u"あ\uFFFD")},
        {"two-byte character cut", QByteArray("caf\xC3"), u(u"caf\uFFFD")},
        {"four-byte character cut after three", QByteArray("a\xF0\x9F\x98"), u(u"a\uFFFD")},
        {"byte-order mark still dropped",
         QByteArray("\xEF\xBB\xBF"
                    "a\xE3\x81"),
         u(u"a\uFFFD")},
    };
    for (const Case& c : cutShort) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CodePage::decodeFileText(c.input), c.expected);
        // A line of a settings file is never cut short: there it is CP932.
        EXPECT_NE(CodePage::decodeText(c.input), c.expected);
    }

    // Anything else that is not valid UTF-8 reads as CP932, as before: a bad
    // byte before the end, or an end that no UTF-8 character starts with
    // (overlong, a surrogate, beyond U+10FFFF, a lone lead byte of CP932).
    const QByteArray cp932[] = {
        QByteArray("\xE3\x81\x82\xFF\xE3\x81\x82"),
        QByteArray("\xE3\x81\x82\xE3\x81"
                   "a"),
        QByteArray("a\xE0\x80"),
        QByteArray("a\xED\xA0"),
        QByteArray("a\xF4\x90"),
        QByteArray("\x82\xA0\x82"),
    };
    for (const QByteArray& input : cp932) {
        SCOPED_TRACE(input.toHex().toStdString());
        EXPECT_EQ(CodePage::decodeFileText(input), CodePage::decodeText(input));
    }
}

TEST(CodePageTest, StrictCp932ConversionsRoundTripOrRefuse)
{
    const QString japanese = u(u"秘密のメモ ｶﾅ ABC ①");
    const std::optional<QByteArray> encoded = CodePage::toCp932(japanese);
    ASSERT_TRUE(encoded.has_value());
    EXPECT_EQ(*encoded, QByteArray("\x94\xE9\x96\xA7\x82\xCC\x83\x81\x83\x82 \xB6\xC5 ABC \x87\x40"));
    EXPECT_EQ(CodePage::fromCp932(*encoded), japanese);

    EXPECT_EQ(CodePage::toCp932(QString()), QByteArray());
    EXPECT_EQ(CodePage::fromCp932(QByteArray()), QString());

    struct Unmappable
    {
        const char* name;
        QString text;
    };
    const Unmappable unmappable[] = {
        {"emoji", u(u"a\U0001F600")},
        {"lone high surrogate", QString(QChar(0xD83D))},
        {"e acute", u(u"caf\u00E9")},
        {"replacement character", u(u"\uFFFD")},
    };
    for (const Unmappable& c : unmappable) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(CodePage::toCp932(c.text).has_value());
    }

    struct Invalid
    {
        const char* name;
        QByteArray input;
    };
    const Invalid invalid[] = {
        {"trail byte below range", QByteArray("a\x82\x3F")},
        {"lone lead byte at the end", QByteArray("a\x82")},
        {"undefined single byte", QByteArray("a\xFD")},
        {"undefined double byte", QByteArray("\x82\xF2")},
    };
    for (const Invalid& c : invalid) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(CodePage::fromCp932(c.input).has_value());
    }
}

TEST(CodePageTest, MapsSingleCharactersToCodesAndBack)
{
    struct Case
    {
        const char* name;
        QChar ch;
        quint16 code;
    };
    const Case cases[] = {
        {"NUL", QChar(0), 0x00},
        {"A", QChar(u'A'), 0x41},
        {"backslash", QChar(u'\\'), 0x5C},
        {"tilde", QChar(u'~'), 0x7E},
        {"DEL", QChar(0x7F), 0x7F},
        {"half-width a", QChar(u'ｱ'), 0xB1},
        {"half-width semi-voiced mark", QChar(u'ﾟ'), 0xDF},
        {"hiragana a", QChar(u'あ'), 0x82A0},
        {"ideographic space", QChar(0x3000), 0x8140},
        {"kanji", QChar(u'秘'), 0x94E9},
        {"trail 0xFC", QChar(u'◯'), 0x81FC},
        {"NEC row 13", QChar(u'①'), 0x8740},
        {"user-defined area", QChar(0xE000), 0xF040},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CodePage::cp932Code(c.ch), c.code);
        EXPECT_EQ(CodePage::fromCp932Code(c.code), c.ch);
    }

    EXPECT_FALSE(CodePage::cp932Code(QChar(0xD83D)).has_value());
    EXPECT_FALSE(CodePage::cp932Code(QChar(0xE9)).has_value());

    struct NoCharacter
    {
        const char* name;
        quint16 code;
    };
    const NoCharacter noCharacter[] = {
        {"0x80", 0x80},
        {"lead byte alone", 0xE0},
        {"0xFF", 0xFF},
        {"two one-byte characters", 0x4142},
        {"first byte not a lead byte", 0x0141},
        {"trail 0x3F", 0x813F},
        {"trail 0x7F", 0x817F},
        {"trail 0xFD", 0x81FD},
        {"unassigned after ん", 0x82F2},
        {"0xFFFF", 0xFFFF},
    };
    for (const NoCharacter& c : noCharacter) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(CodePage::fromCp932Code(c.code).has_value());
    }
}

// Codes one character at a time agree with converting the whole text.
TEST(CodePageTest, CharacterCodesMatchTextConversion)
{
    const QString text = u(u"漢字かなｶﾅABC\\~①Ⅰ　");
    QByteArray fromCodes;
    for (QChar ch : text) {
        const std::optional<quint16> code = CodePage::cp932Code(ch);
        ASSERT_TRUE(code.has_value()) << int(ch.unicode());
        if (*code > 0xFF)
            fromCodes.append(char(*code >> 8));
        fromCodes.append(char(*code & 0xFF));
    }
    EXPECT_EQ(CodePage::toCp932(text), fromCodes);
}

} // namespace
