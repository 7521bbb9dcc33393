#include "editing/PasswordScrambler.h"

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

struct Pair
{
    const char* name;
    QString password;
    QString scrambled;
};

const Pair Pairs[] = {
    {"empty", QString(), QString()},
    {"ASCII is moved and reversed", u(u"abc"), u(u"dcb")},
    {"one character gets the next code", u(u"a"), u(u"b")},
    {"digits and signs", u(u"09!~"), QString(QChar(0x7F)) + u(u"\":1")},
    {"half-width katakana", u(u"ｶﾀｶﾅ"), u(u"ﾆｷﾁｷ")},
    {"hiragana (0x82A0 to 0x82A1)", u(u"あ"), u(u"ぃ")},
    {"mixed widths", u(u"aあ"), u(u"ぃb")},
    {"kanji (0x94E9, 0x96A7)", u(u"秘密"), u(u"蜜緋")},
    {"NEC special characters (0x8753 to 0x8754)", u(u"⑳"), u(u"Ⅰ")},
};

TEST(PasswordScramblerTest, ScramblesAndUnscramblesByCodePageCode)
{
    for (const Pair& p : Pairs) {
        SCOPED_TRACE(p.name);
        EXPECT_EQ(EncodePassword(p.password), p.scrambled);
        EXPECT_EQ(DecodePassword(p.scrambled), p.password);
    }
}

TEST(PasswordScramblerTest, PasswordsRoundTrip)
{
    const QString passwords[] = {
        u(u"ひみつ"), u(u"秘密のパスワード"), u(u"Pass word 123"), u(u"Ｐａｓｓ１２３"),
        u(u"①Ⅱ㈱"),   u(u"漢字とｶﾅ混じり"),   u(u"\\path~"),
    };
    for (const QString& password : passwords) {
        SCOPED_TRACE(password.toStdString());
        const std::optional<QString> scrambled = EncodePassword(password);
        ASSERT_TRUE(scrambled.has_value());
        EXPECT_EQ(scrambled->size(), password.size());
        EXPECT_NE(*scrambled, password);
        EXPECT_EQ(DecodePassword(*scrambled), password);
    }
}

TEST(PasswordScramblerTest, RefusesPasswordsThatCannotBeStored)
{
    struct Case
    {
        const char* name;
        QString password;
    };
    const Case cases[] = {
        {"emoji outside the BMP", u(u"pass\U0001F600")},
        {"lone surrogate", u(u"a") + QChar(0xDC00)},
        {"no CP932 code (e acute)", u(u"caf\u00E9")},
        {"next code after 0x81FC has an invalid trail byte", u(u"◯")},
        {"next code after 0x817E has an invalid trail byte", u(u"a×")},
        {"next code after ん (0x82F1) is unassigned", u(u"ほんと")},
        {"next code after 0xDF is a lead byte", u(u"ﾊﾟｽ")},
        {"next code after DEL is undefined", QString(QChar(0x7F))},
        {"wave dash shares 0x8160 with the full-width tilde", u(u"a\u301Cb")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(EncodePassword(c.password).has_value());
    }
}

TEST(PasswordScramblerTest, RefusesStoredFormsThatCannotBeUnscrambled)
{
    struct Case
    {
        const char* name;
        QString scrambled;
    };
    const Case cases[] = {
        {"emoji", u(u"\U0001F600")},
        {"no CP932 code", u(u"\u00E9")},
        {"code 0x8140 minus one has an invalid trail byte", u(u"a\u3000")},
        {"code 0 has no predecessor", QString(QChar(0))},
        {"code 0xA1 minus one is undefined", u(u"ab\uFF61")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(DecodePassword(c.scrambled).has_value());
    }
}

} // namespace
