#include "tags/TagString.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

// `count` tags of nine characters ("tag000000", "tag000001", ...) joined by single blanks.
static QString joinedTags(int count)
{
    QStringList tags;
    for (int i = 0; i < count; ++i)
        tags.append(QStringLiteral("tag%1").arg(i, 6, 10, QLatin1Char('0')));
    return tags.join(u' ');
}

TEST(TagStringTest, TrimBlanksRemovesOnlyAsciiBlanks)
{
    struct Case
    {
        QString text;
        QString expected;
    };
    const Case cases[] = {
        {QString(), QString()},
        {u"   "_s, QString()},
        {u"  a b  "_s, u"a b"_s},
        {u"\ta\t"_s, u"\ta\t"_s},
        {u"\u3000a\u3000"_s, u"\u3000a\u3000"_s},
        {u" \u3000 "_s, u"\u3000"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(trimBlanks(c.text), c.expected);
    }
}

TEST(TagStringTest, SplitTagsAtEverySingleBlank)
{
    struct Case
    {
        QString tagString;
        QStringList expected;
    };
    const Case cases[] = {
        {QString(), {}},
        {u""_s, {}},
        {u"   "_s, {}},
        {u"work"_s, {u"work"_s}},
        {u"  a b  "_s, {u"a"_s, u"b"_s}},
        {u"a  b"_s, {u"a"_s, u""_s, u"b"_s}},
        {u"a   b"_s, {u"a"_s, u""_s, u""_s, u"b"_s}},
        {u"Work work Work"_s, {u"Work"_s, u"work"_s, u"Work"_s}},
        {u"a\tb c\u3000d"_s, {u"a\tb"_s, u"c\u3000d"_s}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tagString.toStdString());
        EXPECT_EQ(splitTags(c.tagString), c.expected);
    }
}

TEST(TagStringTest, ShortenTagStringKeepsAtMost255Units)
{
    const QString thirtyTags = joinedTags(30); // 299 characters
    ASSERT_EQ(thirtyTags.size(), 299);
    const QString longWord(300, u'w');
    const QString tabWord = QString(150, u'x') + u'\t' + QString(150, u'y');
    const QString wideBlankWord = QString(150, u'x') + QChar(0x3000) + QString(150, u'y');

    struct Case
    {
        const char* name;
        QString text;
        QString expected;
    };
    const Case cases[] = {
        {"short text is only trimmed", u"  a  b  "_s, u"a  b"_s},
        {"exactly 255 after trimming stays", u"  "_s + QString(255, u'z') + u"  "_s, QString(255, u'z')},
        {"30 tags lose whole tags from the end", thirtyTags, joinedTags(25)},
        {"a single long word is cut to 255", longWord, QString(255, u'w')},
        {"a long word after a blank is cut, not dropped", u" "_s + longWord, QString(255, u'w')},
        {"tags after a long word are dropped, the word cut", longWord + u" a b"_s, QString(255, u'w')},
        {"a tab does not separate tags", tabWord, tabWord.left(255)},
        {"U+3000 does not separate tags", wideBlankWord, wideBlankWord.left(255)},
        {"blanks left before a dropped tag are trimmed", QString(250, u'a') + u"    "_s + QString(10, u'b'),
         QString(250, u'a')},
        {"only blanks", QString(300, u' '), QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString shortened = shortenTagString(c.text);
        EXPECT_EQ(shortened, c.expected);
        EXPECT_LE(shortened.size(), MaxTagStringLength);
    }
}

TEST(TagStringTest, ShortenTagStringNeverSplitsASurrogatePair)
{
    const QString emoji = QStringLiteral("\U0001F600");
    const QString word = QString(254, u'a') + emoji + QString(10, u'b'); // the pair sits at 254 and 255
    const QString shortened = shortenTagString(word);
    EXPECT_EQ(shortened, QString(254, u'a'));
}

TEST(TagStringTest, HoldsTagMatchesWholeTagsIgnoringCase)
{
    struct Case
    {
        QString tagString;
        QString name;
        bool expected;
    };
    const Case cases[] = {
        {u"work"_s, u"work"_s, true},
        {u"x work"_s, u"work"_s, true},
        {u"WORK y"_s, u"work"_s, true},
        {u"a Work b"_s, u"wOrK"_s, true},
        {u"workshop"_s, u"work"_s, false},
        {u"homework"_s, u"work"_s, false},
        {u"workshop work"_s, u"work"_s, true}, // a later occurrence is a whole tag
        {u"homework x"_s, u"work"_s, false},
        {u"[Import] x"_s, u"[import]"_s, true},
        {u"a b"_s, u"a b"_s, true},           // a name with a blank spans two tags
        {u"a\twork"_s, u"work"_s, false},     // a tab is part of the tag
        {u"a\u3000work"_s, u"work"_s, false}, // so is U+3000
        {u""_s, u"work"_s, false},
        {u"\u00c9t\u00e9"_s, u"\u00e9T\u00c9"_s, true},
        // The empty name is held where the padded string has two blanks in a row.
        {u""_s, u""_s, true},
        {u"a  b"_s, u""_s, true},
        {u"a b"_s, u""_s, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString(c.tagString + u" | " + c.name).toStdString());
        EXPECT_EQ(holdsTag(c.tagString, c.name), c.expected);
    }
}

TEST(TagStringTest, RewritingTagStrings)
{
    struct Case
    {
        const char* what;
        QString result;
        QString expected;
    };
    const Case cases[] = {
        // Adding keeps other tags whole and adds a name only once, letter case ignored.
        {"add to mywork", addTagsToString(u"mywork"_s, {u"work"_s}, false), u"mywork work"_s},
        {"add to Work", addTagsToString(u"Work"_s, {u"work"_s}, false), u"Work"_s},
        {"add with two blanks", addTagsToString(QString(), u"work  x"_s.split(u' '), false), u"work x"_s},
        {"add a name twice", addTagsToString(u"a"_s, {u"b"_s, u"B"_s}, false), u"a b"_s},
        {"replace", addTagsToString(u"a b"_s, {u"p"_s, u"q"_s}, true), u"p q"_s},
        // Removing leaves two blanks where a middle tag was.
        {"remove from the middle", removeTagFromString(u"a x b"_s, u"x"_s), u"a  b"_s},
        {"remove the first", removeTagFromString(u"x b"_s, u"x"_s), u"b"_s},
        {"remove keeps mix", removeTagFromString(u"mix x"_s, u"x"_s), u"mix"_s},
        {"remove ignores case", removeTagFromString(u"A X"_s, u"x"_s), u"A"_s},
        {"remove a tag not held", removeTagFromString(u"ax b"_s, u"x"_s), u"ax b"_s},
        // Renaming replaces whole tags only.
        {"rename x to y", renameTagInString(u"x xy x"_s, u"x"_s, u"y"_s), u"y xy y"_s},
        {"rename ignores case", renameTagInString(u"X a"_s, u"x"_s, u"y"_s), u"y a"_s},
        // The tag choice dialog's toggle.
        {"toggle into empty", toggleTag(QString(), u"a"_s), u"a"_s},
        {"toggle on", toggleTag(u"a"_s, u"b"_s), u"a b"_s},
        {"toggle off", toggleTag(u"a B c"_s, u"b"_s), u"a c"_s},
        {"toggle twice", toggleTag(toggleTag(u" a "_s, u"b"_s), u"b"_s), u"a"_s},
        {"toggle off a repeated name", toggleTag(u"a a"_s, u"a"_s), u"a"_s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.result, c.expected) << c.what;
}
