#include "editing/MemoText.h"

#include <gtest/gtest.h>

namespace {

QString stored(const char16_t* text)
{
    return QString::fromUtf16(text);
}

TEST(MemoTextTest, EveryStoredLineBreakIsOneLineInTheBox)
{
    EXPECT_EQ(MemoText::toEditor(stored(u"a\r\nb\rc\nd\u2029e\r\r\nf")), QStringLiteral("a\nb\nc\nd\ne\n\nf"));
    // Characters that only look like line breaks or blanks stay.
    EXPECT_EQ(MemoText::toEditor(stored(u"a\u2028b\u00A0c\td")), stored(u"a\u2028b\u00A0c\td"));
}

TEST(MemoTextTest, SavingConvertsOnlyWhatTheUserChanged)
{
    // The box showed toEditor(before); the user left it as `after`.
    const QString before = stored(u"one\rtwo\nthree\r\nfour");
    struct Case
    {
        const char* what;
        QString after;
        QString expected;
    } cases[] = {
        {"unchanged", QStringLiteral("one\ntwo\nthree\nfour"), before},
        {"typed at the end", QStringLiteral("one\ntwo\nthree\nfour!\nfive"),
         stored(u"one\rtwo\nthree\r\nfour!\r\nfive")},
        {"typed between lone breaks", QStringLiteral("one\ntwoX\nthree\nfour"),
         stored(u"one\rtwoX\nthree\r\nfour")},
        {"removed a lone CR", QStringLiteral("onetwo\nthree\nfour"), stored(u"onetwo\nthree\r\nfour")},
        {"new break inside a line", QStringLiteral("o\nne\ntwo\nthree\nfour"),
         stored(u"o\r\nne\rtwo\nthree\r\nfour")},
        {"all replaced", QStringLiteral("x"), QStringLiteral("x")},
        {"emptied", QString(), QString()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MemoText::toStoredKeeping(before, MemoText::toEditor(before), c.after), c.expected) << c.what;
}

TEST(MemoTextTest, AChangeNextToASurrogatePairKeepsTheCharacterWhole)
{
    // U+1F600 and U+1F601 share their high surrogate.
    const QString before = QString::fromUcs4(U"a\U0001F600\rb");
    const QString after = QString::fromUcs4(U"a\U0001F601\nb");
    EXPECT_EQ(MemoText::toStoredKeeping(before, MemoText::toEditor(before), after),
              QString::fromUcs4(U"a\U0001F601\rb"));
}

} // namespace
