#include "tags/MemoListRows.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

int sign(int value)
{
    return value < 0 ? -1 : value > 0 ? 1 : 0;
}

// Times as a database may hold them: the form Quillet writes, its edges, and
// anything else another writer or a hand-edited file may have left.
const QList<QByteArray> kStoredTimes = {
    QByteArray(), // NULL
    "",
    "2026/01/02 03:04:05",
    "1970/01/01 00:00:00",
    "2099/12/31 23:59:59",
    "1969/12/31 23:59:59",
    "2100/01/01 00:00:00",
    "2026/02/31 00:00:00",
    "2026/13/01 00:00:00",
    "2026/00/10 00:00:00",
    "2026/01/01 24:00:00",
    "2026/01/01 00:60:00",
    "2026-01-01 00:00:00",
    "2026/1/1 9:05:00",
    "2026/01/01 00:00:00 ",
    " 2026/01/01 00:00:00",
    "2026/01/01",
    "\xef\xbc\x92\xef\xbc\x90\xef\xbc\x92\xef\xbc\x96/01/01 00:00:00", // full-width year digits
    "\xe4\xbb\xa4\xe5\x92\x8c"
    "8\xe5\xb9\xb4", // 令和8年
    QByteArray("2026/01/01\0"
               "00:00:00",
               19),
    "\xff\xfe",
};

TEST(MemoListRowsTest, TimesReadBackAsStoredAndCompareAsTheirTexts)
{
    MemoListRows rows;
    for (qsizetype i = 0; i < kStoredTimes.size(); ++i) {
        const QByteArray& time = kStoredTimes[i];
        // Read from the database, and given as text by a save.
        rows.append(i, time, time, "t", -1, false);
        rows.append({1000 + i, QString::fromUtf8(time), QString::fromUtf8(time), u"t"_s});
    }
    const int count = int(kStoredTimes.size());
    ASSERT_EQ(rows.size(), 2 * count);
    for (int i = 0; i < 2 * count; ++i) {
        const QString expected = QString::fromUtf8(kStoredTimes[i / 2]);
        EXPECT_EQ(rows.publishTime(i), expected) << "time " << i / 2;
        EXPECT_EQ(rows.updateTime(i), expected) << "time " << i / 2;
        EXPECT_EQ(rows.publishTime(i).isNull(), expected.isEmpty()) << "time " << i / 2;
    }
    for (int a = 0; a < 2 * count; ++a) {
        for (int b = 0; b < 2 * count; ++b) {
            const QString textA = rows.publishTime(a);
            const QString textB = rows.publishTime(b);
            ASSERT_EQ(sign(rows.compareTimes(rows[a].publishTime, rows[b].publishTime)),
                      sign(textA.compare(textB)))
                << qPrintable(textA) << " / " << qPrintable(textB);
        }
    }
    EXPECT_FALSE(rows.timesArePacked());

    MemoListRows usual;
    usual.append(1, "2026/01/02 03:04:05", QByteArrayView(), "t", -1, false);
    usual.append(2, "", "1970/01/01 00:00:00", "t", -1, false);
    EXPECT_TRUE(usual.timesArePacked());
}

TEST(MemoListRowsTest, TitlesReadBackAsQStringWouldReadThem)
{
    const QList<QByteArray> stored = {
        QByteArray(),
        "",
        "plain",
        "\xe3\x83\xa1\xe3\x83\xa2 memo", // メモ memo
        "\xef\xbb\xbf"
        "after a byte order mark", // decoded as QString::fromUtf8 does
        "\xe3\x81",                // cut in the middle of a character
        "\xe3\x81 next",
        "\xc0\x80",            // an over-long encoding
        "\xed\xa0\x80x",       // an encoded surrogate
        "\xf0\x9f\x98\x80 ok", // outside the basic plane
        "\xff",
        QByteArray(70'000, 'x'), // longer than a text in the shared blocks
        QByteArray("\xe3\x83\xa1").repeated(30'000),
    };
    MemoListRows rows;
    for (qsizetype i = 0; i < stored.size(); ++i)
        rows.append(i, {}, {}, stored[i], -1, false);
    // Titles given by a save are kept as they are, a lone surrogate too.
    const QString saved = u"saved "_s + QChar(0xD800) + u"x"_s;
    rows.append(100, {}, {}, {}, -1, false);
    rows.setUpdated(rows.size() - 1, u"2026/01/01 00:00:00"_s, saved);
    for (qsizetype i = 0; i < stored.size(); ++i)
        EXPECT_EQ(rows.title(int(i)), QString::fromUtf8(stored[i])) << "title " << i;
    EXPECT_EQ(rows.title(rows.size() - 1), saved);
    EXPECT_EQ(rows.updateTime(rows.size() - 1), u"2026/01/01 00:00:00"_s);
}

TEST(MemoListRowsTest, FoldedComparisonAgreesWithComparingFoldedCopies)
{
    const QStringList titles = {
        u""_s,
        u"a"_s,
        u"A"_s,
        u"ab"_s,
        u"aB c"_s,
        u"\u00df"_s, // ß
        u"SS"_s,
        u"\u03a3\u03c3\u03c2"_s, // Σσς
        u"\uff21\uff22"_s,       // full-width ＡＢ
        u"\uff41\uff42"_s,
        u"\u30e1\u30e2"_s, // メモ
        u"\U00010400"_s,   // Deseret capital letter, folds to U+10428
        u"\U00010428"_s,
        u"\U0001F600"_s,
        u"\ufb01"_s, // the ligature ﬁ
        u"\u0130"_s, // İ
        u"i\u0307"_s,
        QString(QChar(0xD800)) + u"A"_s, // lone surrogates: folded by where they stand
        u"A"_s + QChar(0xDC00),
        u"a"_s + QChar(0xDC00),
        u"A"_s + QChar(0xD800),
        u"\uffff"_s,
        u"\ue000"_s,
    };
    for (const QString& a : titles) {
        for (const QString& b : titles) {
            ASSERT_EQ(sign(MemoListRows::compareCaseFolded(a, b)),
                      sign(a.toCaseFolded().compare(b.toCaseFolded())))
                << a.toStdString() << " / " << b.toStdString();
            quint64 prefixA = 0;
            quint64 prefixB = 0;
            if (MemoListRows::caseFoldedPrefix(a, &prefixA) && MemoListRows::caseFoldedPrefix(b, &prefixB) &&
                prefixA != prefixB) {
                ASSERT_EQ(prefixA < prefixB, a.toCaseFolded() < b.toCaseFolded())
                    << a.toStdString() << " / " << b.toStdString();
            }
        }
    }
}

TEST(MemoListRowsTest, FindsRowsByIdInOrderOrNot)
{
    MemoListRows rows;
    for (qint64 id : {3, 5, 9, 200})
        rows.append(id, {}, {}, "t", -1, false);
    // Rows appended later, out of ID order; a later row of an ID is the one found.
    rows.append(4, {}, {}, "t", -1, false);
    rows.append(1000, {}, {}, "t", -1, false);
    rows.append(5, {}, {}, "again", -1, false);
    const struct
    {
        qint64 id;
        int index;
    } cases[] = {{3, 0}, {9, 2}, {200, 3}, {4, 4}, {1000, 5}, {5, 6}, {1, -1}, {6, -1}, {201, -1}, {-3, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(rows.indexOfId(c.id), c.index) << "id " << c.id;
}

TEST(MemoListRowsTest, RowsAppendedFromAnotherKeepEveryValue)
{
    const auto fill = [](MemoListRows& rows, qint64 from, int count) {
        for (int i = 0; i < count; ++i) {
            const qint64 id = from + i;
            const QByteArray time = i % 3 == 0
                                        ? QByteArray("odd time ") + QByteArray::number(id)
                                        : QByteArray("2026/01/01 00:00:") + QByteArray::number(10 + i % 50);
            const QByteArray title = i % 7 == 0 ? QByteArray(70'000, char('a' + i % 26))
                                                : QByteArray("title ") + QByteArray::number(id);
            rows.append(id, time, time, title, i % 5 - 1, i % 2 == 0);
        }
    };
    MemoListRows lower;
    MemoListRows upper;
    MemoListRows whole;
    fill(lower, 1, 40);
    fill(upper, 41, 30);
    fill(whole, 1, 40);
    fill(whole, 41, 30);
    lower.append(std::move(upper));
    ASSERT_EQ(lower.size(), whole.size());
    for (int i = 0; i < whole.size(); ++i) {
        const MemoListEntry got = lower.entry(i);
        const MemoListEntry expected = whole.entry(i);
        EXPECT_EQ(got.id, expected.id);
        EXPECT_EQ(got.publishTime, expected.publishTime);
        EXPECT_EQ(got.updateTime, expected.updateTime);
        EXPECT_EQ(got.title, expected.title);
        EXPECT_EQ(got.icon, expected.icon);
        EXPECT_EQ(got.isPass, expected.isPass);
        EXPECT_EQ(lower.indexOfId(expected.id), i);
    }
    // Texts added afterwards do not overwrite the ones taken over.
    lower.append(500, "late", "late", "late title", -1, false);
    EXPECT_EQ(lower.title(lower.size() - 1), u"late title"_s);
    EXPECT_EQ(lower.entry(whole.size() - 1).title, whole.entry(whole.size() - 1).title);
}

} // namespace
