// The find-in-text steps on plain strings: directions, the repeat rule, case,
// the messages, the empty string and surrogate pairs.
#include "search/TextFinder.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

using namespace Qt::Literals::StringLiterals;
using Direction = TextFinder::Direction;

const QString kNotFound = u"見つかりませんでした。"_s;
const QString kNoMore = u"これ以上は見つかりませんでした。"_s;

// Presses the find button `steps` times as the dialog does: a hit selects the
// occurrence, which puts the caret (the selection's start) on it; a miss
// leaves the caret. Each step reads "position" or the message shown.
QStringList pressMoving(TextFinder& finder, const QString& text, qsizetype& caret, const QString& what,
                        int steps, Qt::CaseSensitivity sensitivity = Qt::CaseInsensitive)
{
    QStringList results;
    for (int i = 0; i < steps; ++i) {
        const TextFinder::Step step = finder.findNext(text, caret, what, sensitivity);
        if (step.outcome == TextFinder::Outcome::Found) {
            EXPECT_EQ(step.length, what.size());
            caret = step.position;
            results.append(QString::number(step.position));
        } else {
            EXPECT_EQ(step.position, -1);
            results.append(TextFinder::message(step.outcome));
        }
    }
    return results;
}

QStringList press(TextFinder& finder, const QString& text, qsizetype caret, const QString& what, int steps,
                  Qt::CaseSensitivity sensitivity = Qt::CaseInsensitive)
{
    return pressMoving(finder, text, caret, what, steps, sensitivity);
}

TEST(TextFinderTest, DownSelectsEachOccurrenceInTurnThenReportsNoMoreAndDoesNotWrap)
{
    TextFinder finder;
    EXPECT_EQ(finder.direction(), Direction::Down);
    qsizetype caret = 0;
    // After "no more" the caret still stands on the last occurrence, so the
    // next (new) search selects it again.
    EXPECT_EQ(pressMoving(finder, u"ab-ab-ab"_s, caret, u"ab"_s, 6),
              (QStringList{u"0"_s, u"3"_s, u"6"_s, kNoMore, u"6"_s, kNoMore}));
    EXPECT_FALSE(finder.continuing());
    EXPECT_TRUE(finder.lastFound().isEmpty());
}

TEST(TextFinderTest, DownStartsAtTheCaretAndRepeatsPastTheSelectedOccurrence)
{
    TextFinder finder;
    // A new search finds an occurrence that starts right at the caret.
    EXPECT_EQ(press(finder, u"xxabab"_s, 2, u"ab"_s, 1), QStringList{u"2"_s});
    // Repeating moves on by the string's length, so overlapping occurrences
    // are skipped: "aaaa" holds "aa" at 0 and 2 for the stepping.
    TextFinder overlapping;
    EXPECT_EQ(press(overlapping, u"aaaa"_s, 0, u"aa"_s, 3), (QStringList{u"0"_s, u"2"_s, kNoMore}));
}

struct UpCase
{
    const char* text;
    qsizetype caret;
    const char* what;
    QStringList results;
};

void PrintTo(const UpCase& c, std::ostream* out)
{
    *out << '"' << c.text << "\" caret " << c.caret << " \"" << c.what << '"';
}

class UpwardSearch : public ::testing::TestWithParam<UpCase>
{
};

TEST_P(UpwardSearch, FindsEveryOccurrenceBeforeTheCaretIncludingOneEndingAtIt)
{
    const UpCase& c = GetParam();
    TextFinder finder;
    finder.setDirection(Direction::Up);
    EXPECT_EQ(
        press(finder, QString::fromUtf8(c.text), c.caret, QString::fromUtf8(c.what), int(c.results.size())),
        c.results);
}

INSTANTIATE_TEST_SUITE_P(Cases, UpwardSearch,
                         ::testing::Values(
                             // Adjacent occurrences, the first ending at the caret at the end.
                             UpCase{"ababab", 6, "ab", {u"4"_s, u"2"_s, u"0"_s, kNoMore}},
                             // The only occurrence ends at the caret, and is at the text's start.
                             UpCase{"ab", 2, "ab", {u"0"_s, kNoMore}},
                             // The caret in the middle: the occurrence after it is not looked at.
                             UpCase{"abxab", 3, "ab", {u"0"_s, kNoMore}},
                             // An occurrence that contains the caret is not before it.
                             UpCase{"xab", 2, "ab", {kNotFound}},
                             // A caret at the start, or closer to it than the string is long.
                             UpCase{"ab", 0, "ab", {kNotFound}}, UpCase{"ab", 1, "ab", {kNotFound}},
                             // Overlapping occurrences step by the string's length, as downward.
                             UpCase{"aaaa", 4, "aa", {u"2"_s, u"0"_s, kNoMore}}));

TEST(TextFinderTest, WholeTextFindsTheFirstOccurrenceWhereverTheCaretIsThenGoesDown)
{
    TextFinder finder;
    finder.setDirection(Direction::Whole);
    qsizetype caret = 7;
    EXPECT_EQ(pressMoving(finder, u"ab ab ab"_s, caret, u"ab"_s, 1), QStringList{u"0"_s});
    EXPECT_EQ(finder.direction(), Direction::Down);
    EXPECT_EQ(pressMoving(finder, u"ab ab ab"_s, caret, u"ab"_s, 1), QStringList{u"3"_s});
    // Whole text again after the hits: from the start, not past the selection.
    finder.setDirection(Direction::Whole);
    EXPECT_EQ(pressMoving(finder, u"ab ab ab"_s, caret, u"ab"_s, 1), QStringList{u"0"_s});
}

TEST(TextFinderTest, DirectionBoxChoices)
{
    EXPECT_EQ(TextFinder::directionForChoice(u"全体"_s), Direction::Whole);
    EXPECT_EQ(TextFinder::directionForChoice(u"下へ"_s), Direction::Down);
    EXPECT_EQ(TextFinder::directionForChoice(u"上へ"_s), Direction::Up);
    EXPECT_EQ(TextFinder::directionForChoice(u"横へ"_s), std::nullopt);
    EXPECT_EQ(TextFinder::directionForChoice(QString()), std::nullopt);
}

struct CaseCase
{
    const char* what;
    Qt::CaseSensitivity sensitivity;
    qsizetype expected;
};

void PrintTo(const CaseCase& c, std::ostream* out)
{
    *out << '"' << c.what << (c.sensitivity == Qt::CaseSensitive ? "\" exact" : "\" any case");
}

class CaseSwitch : public ::testing::TestWithParam<CaseCase>
{
};

TEST_P(CaseSwitch, ComparesExactlyOnlyWhenTicked)
{
    const CaseCase& c = GetParam();
    TextFinder finder;
    const TextFinder::Step step =
        finder.findNext(QString::fromUtf8("xab ÄÖ AB äö 𐐀"), 0, QString::fromUtf8(c.what), c.sensitivity);
    EXPECT_EQ(step.position, c.expected);
    EXPECT_EQ(step.outcome, c.expected < 0 ? TextFinder::Outcome::NotFound : TextFinder::Outcome::Found);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CaseSwitch,
    ::testing::Values(CaseCase{"AB", Qt::CaseInsensitive, 1}, CaseCase{"AB", Qt::CaseSensitive, 7},
                      CaseCase{"Ab", Qt::CaseInsensitive, 1}, CaseCase{"Ab", Qt::CaseSensitive, -1},
                      CaseCase{"äö", Qt::CaseInsensitive, 4}, CaseCase{"äö", Qt::CaseSensitive, 10},
                      // A letter outside the BMP: U+10428 is the small form of U+10400.
                      CaseCase{"𐐨", Qt::CaseInsensitive, 13}, CaseCase{"𐐨", Qt::CaseSensitive, -1}));

TEST(TextFinderTest, AMissReportsNotFoundOrNoMoreAndEndsTheRepetition)
{
    TextFinder finder;
    EXPECT_EQ(press(finder, u"abc"_s, 0, u"zz"_s, 2), (QStringList{kNotFound, kNotFound}));
    // After a hit, any miss is reported as "no more", even for another string.
    EXPECT_EQ(press(finder, u"abc"_s, 0, u"bc"_s, 1), QStringList{u"1"_s});
    EXPECT_TRUE(finder.continuing());
    EXPECT_EQ(finder.lastFound(), u"bc"_s);
    EXPECT_EQ(press(finder, u"abc"_s, 1, u"zz"_s, 2), (QStringList{kNoMore, kNotFound}));
    EXPECT_FALSE(finder.continuing());
    EXPECT_TRUE(finder.lastFound().isEmpty());
}

TEST(TextFinderTest, AnotherStringStartsANewSearchAtTheCaret)
{
    TextFinder finder;
    qsizetype caret = 0;
    EXPECT_EQ(pressMoving(finder, u"abab"_s, caret, u"ab"_s, 1), QStringList{u"0"_s});
    // "a" is not the string just found: the search starts at the caret again
    // instead of skipping the selected occurrence.
    EXPECT_EQ(pressMoving(finder, u"abab"_s, caret, u"a"_s, 1), QStringList{u"0"_s});
    EXPECT_EQ(pressMoving(finder, u"abab"_s, caret, u"a"_s, 1), QStringList{u"2"_s});
    // The same letters in other case are another string too.
    EXPECT_EQ(pressMoving(finder, u"abab"_s, caret, u"A"_s, 1), QStringList{u"2"_s});
}

TEST(TextFinderTest, TheEmptyStringIsFoundAtTheStartPosition)
{
    TextFinder down;
    qsizetype caret = 2;
    const TextFinder::Step step = down.findNext(u"abcd"_s, caret, QString(), Qt::CaseInsensitive);
    EXPECT_EQ(step.outcome, TextFinder::Outcome::Found);
    EXPECT_EQ(step.position, 2);
    EXPECT_EQ(step.length, 0);
    EXPECT_EQ(pressMoving(down, u"abcd"_s, caret, QString(), 2), (QStringList{u"2"_s, u"2"_s}));

    TextFinder up;
    up.setDirection(Direction::Up);
    EXPECT_EQ(press(up, u"abcd"_s, 3, QString(), 1), QStringList{u"3"_s});
    TextFinder whole;
    whole.setDirection(Direction::Whole);
    EXPECT_EQ(press(whole, u"abcd"_s, 3, QString(), 1), QStringList{u"0"_s});
    // At the end of the text and in an empty text.
    TextFinder end;
    EXPECT_EQ(press(end, u"abcd"_s, 4, QString(), 1), QStringList{u"4"_s});
    TextFinder empty;
    EXPECT_EQ(press(empty, QString(), 0, QString(), 1), QStringList{u"0"_s});
}

TEST(TextFinderTest, AnOccurrenceNeverSplitsASurrogatePair)
{
    const QString text = QString::fromUtf8("a😀b😀");
    const QString face = QString::fromUtf8("😀");
    const QString high(face.at(0));
    const QString low(face.at(1));
    for (Direction direction : {Direction::Down, Direction::Up}) {
        const qsizetype start = direction == Direction::Down ? 0 : text.size();
        TextFinder whole;
        whole.setDirection(direction);
        EXPECT_EQ(press(whole, text, start, face, 3), direction == Direction::Down
                                                          ? (QStringList{u"1"_s, u"4"_s, kNoMore})
                                                          : (QStringList{u"4"_s, u"1"_s, kNoMore}));
        for (const QString& half : {high, low}) {
            TextFinder finder;
            finder.setDirection(direction);
            EXPECT_EQ(press(finder, text, start, half, 1), QStringList{kNotFound});
        }
    }
    // Nor does the empty string, from a caret between the halves.
    TextFinder empty;
    EXPECT_EQ(press(empty, text, 2, QString(), 1), QStringList{u"3"_s});
}

// Without the case box, width and kana count no more than case, as in the
// tag and word search; the occurrence covers the text's own characters.
TEST(TextFinderTest, AnyCaseAlsoMeansAnyWidthAndKanaAndSelectsTheOriginalCharacters)
{
    const QString text = u"ＡＢＣ がっこう ｶﾞｯｺｳ Straße、カ\u3099"_s;
    struct Case {
        QString what;
        QString selected; // empty: not found
    };
    const Case cases[] = {
        {u"abc"_s, u"ＡＢＣ"_s},      {u"ガッコウ"_s, u"がっこう"_s}, {u"がっこう"_s, u"がっこう"_s},
        {u"ガッ"_s, u"がっ"_s},       {u"strasse"_s, u"Straße"_s},   {u"ss"_s, u"ß"_s},
        {u"ガ"_s, u"が"_s},           {u"ｶﾞ"_s, u"が"_s},
        {u"ｺｳ"_s, u"こう"_s},         {u"カ"_s + QChar(0x3099), u"が"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what.toStdString());
        TextFinder finder;
        const TextFinder::Step step = finder.findNext(text, 0, c.what, Qt::CaseInsensitive);
        ASSERT_EQ(step.outcome, TextFinder::Outcome::Found);
        EXPECT_EQ(text.mid(step.position, step.length), c.selected);
        TextFinder exact;
        EXPECT_EQ(exact.findNext(text, 0, c.what, Qt::CaseSensitive).position, text.indexOf(c.what));
    }

    // Steps move past each occurrence whatever its length, down and up.
    const QString kana = u"ｶﾞ が ガ か カ\u3099"_s;
    for (Direction direction : {Direction::Down, Direction::Up}) {
        TextFinder finder;
        finder.setDirection(direction);
        qsizetype caret = direction == Direction::Down ? 0 : kana.size();
        QStringList found;
        for (int i = 0; i < 5; ++i) {
            const TextFinder::Step step = finder.findNext(kana, caret, u"ガ"_s, Qt::CaseInsensitive);
            if (step.outcome != TextFinder::Outcome::Found) {
                found.append(TextFinder::message(step.outcome));
                break;
            }
            caret = step.position;
            found.append(kana.mid(step.position, step.length));
        }
        const QString combined = u"カ\u3099"_s;
        EXPECT_EQ(found, direction == Direction::Down
                             ? (QStringList{u"ｶﾞ"_s, u"が"_s, u"ガ"_s, combined, kNoMore})
                             : (QStringList{combined, u"ガ"_s, u"が"_s, u"ｶﾞ"_s, kNoMore}));
    }
}

} // namespace
