// The tag search over a real database: whole tags and AND/OR, words and the
// title switch, the empty-word rule, trashed and locked memos, and what counts
// as the same word (letter case, width, kana).
#include "search/TagSearch.h"
#include "StoreFixture.h"
#include "search/SearchFolding.h"
#include "tags/TagString.h"

#include <QStringDecoder>

#include <gtest/gtest.h>
#include <random>

namespace {

using namespace Qt::Literals::StringLiterals;

class TagSearchTest : public StoreFixture
{
protected:
    // A null QString is stored as Null.
    qint64 add(const QString& title, const QString& tags, const QString& body)
    {
        return store->insertMemo(title, body, tags, u"2026/01/01 00:00:00"_s);
    }

    QList<qint64> searchTags(const QStringList& tags, SearchJoin join)
    {
        SearchRequest request;
        request.tags = tags;
        request.tagJoin = join;
        return RunTagSearch(*store, request);
    }

    QList<qint64> searchWords(const QString& words, SearchJoin join, bool titles = true)
    {
        SearchRequest request;
        request.words = words;
        request.wordJoin = join;
        request.searchTitles = titles;
        return RunTagSearch(*store, request);
    }
};

TEST_F(TagSearchTest, NoTagsAndNoWordsFindEveryMemoOutsideTheTrashInTableOrderLockedIncluded)
{
    const qint64 plain = add(u"a"_s, u"x"_s, u"body"_s);
    const qint64 trashed = add(u"b"_s, u"y"_s, u"body"_s);
    const qint64 locked = add(u"c"_s, QString(), QString());
    const qint64 bare = add(QString(), QString(), QString());
    store->writeMemoTrash(trashed, true);
    store->writeMemoLock(locked, true);

    const QList<qint64> all{plain, locked, bare};
    EXPECT_EQ(RunTagSearch(*store, SearchRequest{}), all);
    // Without words, neither the title switch nor OR narrows anything.
    SearchRequest noTitles;
    noTitles.searchTitles = false;
    noTitles.wordJoin = SearchJoin::Or;
    EXPECT_EQ(RunTagSearch(*store, noTitles), all);

    // A trashed memo is never found (the "[Find]" list never shows it); a
    // locked one is found by its tags and words like any other.
    EXPECT_EQ(searchTags({u"y"_s}, SearchJoin::And), QList<qint64>{});
    EXPECT_EQ(searchWords(u"body"_s, SearchJoin::And), (QList<qint64>{plain}));
    const qint64 secret = add(u"d"_s, u"x"_s, u"a secret body"_s);
    store->writeMemoLock(secret, true);
    EXPECT_EQ(searchWords(u"secret"_s, SearchJoin::And), QList<qint64>{secret});
}

TEST_F(TagSearchTest, TagsMatchWholeTagsIgnoringLetterCaseWithAndOrOr)
{
    const qint64 workHome = add(u"1"_s, u"Work home"_s, u"-"_s);
    const qint64 workshop = add(u"2"_s, u"workshop"_s, u"-"_s);
    const qint64 homeOnly = add(u"3"_s, u"x HOME"_s, u"-"_s);
    const qint64 none = add(u"4"_s, QString(), u"-"_s);
    const qint64 empty = add(u"5"_s, u""_s, u"-"_s);
    Q_UNUSED(none);
    Q_UNUSED(empty);

    const struct
    {
        QStringList tags;
        SearchJoin join;
        QList<qint64> found;
    } cases[] = {
        {{u"work"_s}, SearchJoin::And, {workHome}},
        {{u"wor"_s}, SearchJoin::And, {}},
        {{u"WORKSHOP"_s}, SearchJoin::Or, {workshop}},
        {{u"home"_s}, SearchJoin::And, {workHome, homeOnly}},
        {{u"work"_s, u"home"_s}, SearchJoin::And, {workHome}},
        {{u"work"_s, u"home"_s}, SearchJoin::Or, {workHome, homeOnly}},
        {{u"workshop"_s, u"x"_s}, SearchJoin::Or, {workshop, homeOnly}},
        {{u"workshop"_s, u"x"_s}, SearchJoin::And, {}},
        {{u"nowhere"_s}, SearchJoin::Or, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(searchTags(c.tags, c.join), c.found) << c.tags.join(u'+').toStdString();
}

TEST_F(TagSearchTest, TagsAndWordsMustBothHold)
{
    const qint64 both = add(u"t"_s, u"cats"_s, u"a cat here"_s);
    add(u"t"_s, u"cats"_s, u"a dog here"_s);
    add(u"t"_s, u"dogs"_s, u"a cat here"_s);
    SearchRequest request;
    request.tags = {u"cats"_s};
    request.words = u"cat"_s;
    EXPECT_EQ(RunTagSearch(*store, request), QList<qint64>{both});
}

TEST_F(TagSearchTest, WordsAreSubstringsOfBodyOrTitleWithAndOrOr)
{
    const qint64 concatenate = add(u"no"_s, u"x"_s, u"We concatenate strings."_s);
    const qint64 titled = add(u"A Dog's Life"_s, u"x"_s, u"nothing here"_s);
    const qint64 both = add(u"cat"_s, u"x"_s, u"the DOG barks"_s);
    const qint64 nullTexts = add(QString(), u"x"_s, QString());
    Q_UNUSED(nullTexts);

    const struct
    {
        QString words;
        SearchJoin join;
        bool titles;
        QList<qint64> found;
    } cases[] = {
        {u"cat"_s, SearchJoin::And, true, {concatenate, both}},
        {u"CAT"_s, SearchJoin::And, false, {concatenate}},
        {u"dog"_s, SearchJoin::And, true, {titled, both}},
        // A word only in the title is not found with titles off.
        {u"dog"_s, SearchJoin::And, false, {both}},
        {u"life"_s, SearchJoin::Or, false, {}},
        {u"cat dog"_s, SearchJoin::And, true, {both}},
        {u"cat dog"_s, SearchJoin::Or, true, {concatenate, titled, both}},
        {u"strings barks"_s, SearchJoin::Or, false, {concatenate, both}},
        {u"strings barks"_s, SearchJoin::And, false, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(searchWords(c.words, c.join, c.titles), c.found)
            << c.words.toStdString() << (c.join == SearchJoin::Or ? " OR" : " AND") << " titles " << c.titles;
}

TEST_F(TagSearchTest, AnEmptyWordIsFoundInEveryMemoSoItWidensOrAndLeavesAndAlone)
{
    const qint64 cat = add(u"t"_s, u"a"_s, u"cat"_s);
    const qint64 dog = add(u"t"_s, u"a"_s, u"dog"_s);
    const qint64 nullTexts = add(QString(), u"a"_s, QString());
    const qint64 otherTag = add(u"t"_s, u"b"_s, u"cat"_s);

    // Two blanks in a row: with OR every memo is found ...
    EXPECT_EQ(searchWords(u"cat  bird"_s, SearchJoin::Or), (QList<qint64>{cat, dog, nullTexts, otherTag}));
    // ... as long as it passes the tag test.
    SearchRequest request;
    request.tags = {u"a"_s};
    request.words = u"bird "_s;
    request.wordJoin = SearchJoin::Or;
    EXPECT_EQ(RunTagSearch(*store, request), (QList<qint64>{cat, dog, nullTexts}));
    // With AND the empty words change nothing.
    EXPECT_EQ(searchWords(u" cat  "_s, SearchJoin::And), (QList<qint64>{cat, otherTag}));
    EXPECT_EQ(searchWords(u"  "_s, SearchJoin::And), (QList<qint64>{cat, dog, nullTexts, otherTag}));
}

// What counts as the same word: one table, checked on both ways into the
// folded form (typed words arrive as UTF-16, memo text as UTF-8).
TEST(SearchFoldingTest, FoldsCaseWidthAndKanaAndNothingElse)
{
    const struct
    {
        QString typed;
        QString folded;
    } cases[] = {
        {u"ＡＢＣａｂｃ１２３！"_s, u"abcabc123!"_s}, // full-width ASCII
        {u"Straße ΣΑΣ Ǆ"_s, u"strasse σασ ǆ"_s},      // Unicode case folding, full
        {u"ﬁle İ"_s, u"file i\u0307"_s},              // one letter folding to several
        {u"ｶﾞｲﾄﾞ ﾊﾟﾝ ｳﾞ"_s, u"ガイド パン ヴ"_s},     // half-width kana, marks joined
        {u"ｶﾟ ﾞ"_s, u"カ゜ ゛"_s},                    // marks with nothing to join
        {u"がいど ゝ"_s, u"ガイド ヽ"_s},             // hiragana as katakana
        {u"か\u3099は\u309a"_s, u"ガパ"_s},           // combining marks joined
        {u"東京　駅｡ｰ"_s, u"東京 駅。ー"_s},          // ideographic space, half-width punctuation
        {u"〜～①漢字ｱ𝐀"_s, u"〜~①漢字ア𝐀"_s},         // other forms stay as they are
        {u"𐐀"_s, u"𐐨"_s},                             // case beyond the BMP
    };
    for (const auto& c : cases) {
        EXPECT_EQ(foldForSearch(c.typed), c.folded) << c.typed.toStdString();
        FoldedText fromUtf8;
        fromUtf8.assignUtf8(c.typed.toUtf8());
        EXPECT_EQ(fromUtf8.view().toString(), c.folded) << c.typed.toStdString();
    }
}

TEST(SearchFoldingTest, Utf8AndUtf16GiveTheSameFoldForEveryCodePoint)
{
    FoldedText fromUtf8;
    for (char32_t c = 1; c <= 0x10FFFF; c += (c < 0x20000 ? 1 : 97)) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        const QString text = QString::fromUcs4(&c, 1);
        fromUtf8.assignUtf8(text.toUtf8());
        ASSERT_EQ(fromUtf8.view(), QStringView(foldForSearch(text))) << std::hex << uint(c);
    }
}

TEST(SearchFoldingTest, MatcherFindsTheWordWhereverItsLeastCommonCharacterLies)
{
    const struct
    {
        QString word;
        QString text;
        qsizetype at;
    } cases[] = {
        {u"zebra"_s, u"a zebra"_s, 2}, // looked for by its first character
        {u"the"_s, u"xthe"_s, 1},      // by a middle one
        {u"the"_s, u"th"_s, -1},       // the text too short around it
        {u"a z"_s, u"a a z"_s, 2},     // by its last, after a false start
        {u"ee"_s, u"eee"_s, 0},          {u"abc"_s, u"ab"_s, -1},
        {u"本文"_s, u"メモの本文"_s, 3}, {u"𐐨x"_s, u"a𐐨x"_s, 1}, // a surrogate pair inside the word
        {QString(), u"abc"_s, 0},        {u"x"_s, QString(), -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FoldedMatcher(c.word).indexIn(c.text), c.at)
            << c.word.toStdString() << " in " << c.text.toStdString();
}

TEST_F(TagSearchTest, WordsIgnoreWidthAndKanaWhileTagsIgnoreLetterCaseOnly)
{
    const qint64 halfWidth = add(u"ﾒﾓ"_s, u"りんご"_s, u"ｶﾞｲﾄﾞﾌﾞｯｸ ABC"_s);
    const qint64 hiragana = add(u"memo"_s, u"リンゴ"_s, u"がいどぶっく ａｂｃ"_s);
    const qint64 unvoiced = add(u"memo"_s, u"Apple"_s, u"カイトブック Straße"_s);

    const struct
    {
        QString words;
        QList<qint64> found;
    } cases[] = {
        {u"ガイド"_s, {halfWidth, hiragana}},
        {u"ｶﾞｲﾄﾞ"_s, {halfWidth, hiragana}},
        {u"かいと"_s, {unvoiced}},
        {u"abc"_s, {halfWidth, hiragana}},
        {u"ＡＢＣ"_s, {halfWidth, hiragana}},
        {u"STRASSE"_s, {unvoiced}},
        {u"めも"_s, {halfWidth}},
        {u"ｶ"_s, {unvoiced}}, // "ｶﾞ" is "ガ", which holds no "カ"
    };
    for (const auto& c : cases)
        EXPECT_EQ(searchWords(c.words, SearchJoin::And), c.found) << c.words.toStdString();

    // Tags keep the category list's rule: "りんご" and "リンゴ" are two tags.
    EXPECT_EQ(searchTags({u"りんご"_s}, SearchJoin::And), QList<qint64>{halfWidth});
    EXPECT_EQ(searchTags({u"APPLE"_s}, SearchJoin::And), QList<qint64>{unvoiced});
    EXPECT_EQ(searchTags({u"ａｐｐｌｅ"_s}, SearchJoin::And), QList<qint64>{});
}

TEST_F(TagSearchTest, TextThatIsNotValidUtf8IsSearchedAroundTheBadBytes)
{
    // abc, a stray byte, def, then a three-byte character cut short.
    MemoFixtures::execute(dbPath, "INSERT INTO Memo (Title, Memo, Category) "
                                  "VALUES ('bad', CAST(x'616263ff646566e381' AS TEXT), 'x')");
    const QList<qint64> bad = searchWords(u"abc"_s, SearchJoin::And);
    ASSERT_EQ(bad.size(), 1);
    EXPECT_EQ(searchWords(u"ＤＥＦ"_s, SearchJoin::And), bad);
    EXPECT_EQ(searchWords(u"cdef"_s, SearchJoin::And), QList<qint64>{});
    EXPECT_EQ(searchWords(u"\uFFFDdef"_s, SearchJoin::And), bad);
}

// Tag names of digits, kana, kanji and punctuation are looked for in the
// tag string's bytes; the verdict is the tag table's own on the decoded
// string, also around bytes that are not UTF-8 and after a byte order mark.
TEST(TagTestTest, ByteComparedTagNamesAgreeWithTheTagTablesTest)
{
    const QByteArray pieces[] = {"タグ1", "タグ11",       "1",    "#",    "x",   "X",   "ｶ", " ", " ", "\xE3",
                                 "\x82",  "\xEF\xBB\xBF", "ﾀｸﾞ1", "タグ", "グ1", "\xFF"};
    const QStringList names = {u"タグ1"_s, u"1"_s, u"#"_s, u"タグ"_s, u"x"_s};
    std::mt19937 random(5);
    for (int round = 0; round < 3000; ++round) {
        QByteArray category;
        for (int i = int(random() % 7); i > 0; --i)
            category += pieces[random() % std::size(pieces)];
        QStringDecoder decoder(QStringDecoder::Utf8,
                               QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        const QString decoded = decoder.decode(category);
        for (const QString& name : names) {
            SearchRequest request;
            request.tags = {name};
            TagSearch search(request);
            ASSERT_EQ(search.tagsHold(category), holdsTag(decoded, name))
                << category.toHex().toStdString() << " " << name.toStdString();
        }
    }
}

} // namespace
