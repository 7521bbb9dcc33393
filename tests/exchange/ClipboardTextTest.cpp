// Text crossing the clipboard: what counts as text on it, line ends in both
// directions, and the bodies of several memos read from a real database.
#include "exchange/ClipboardText.h"
#include "MemoFixtures.h"
#include "TestHome.h"
#include "store/MemoStore.h"

#include <QImage>
#include <QMimeData>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

using namespace Qt::Literals::StringLiterals;

TEST(ClipboardTextTest, OnlyPlainTextCountsAsText)
{
    QMimeData text;
    text.setText(u"日本語 text"_s);
    EXPECT_EQ(ClipboardText::plainText(&text), u"日本語 text"_s);

    // An empty text is still text (and pastes nothing).
    QMimeData empty;
    empty.setText(QString());
    EXPECT_EQ(ClipboardText::plainText(&empty), QString());

    // Qt would hand out a file list's addresses as text; they are not.
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(u"/tmp/a.txt"_s)});
    EXPECT_EQ(ClipboardText::plainText(&files), std::nullopt);

    QMimeData picture;
    picture.setImageData(QImage(2, 2, QImage::Format_RGB32));
    EXPECT_EQ(ClipboardText::plainText(&picture), std::nullopt);

    // Text offered beside a file list is taken.
    QMimeData both;
    both.setUrls({QUrl::fromLocalFile(u"/tmp/a.txt"_s)});
    both.setText(u"/tmp/a.txt"_s);
    EXPECT_EQ(ClipboardText::plainText(&both), u"/tmp/a.txt"_s);

    QMimeData utf8Only;
    utf8Only.setData(u"text/plain;charset=utf-8"_s, u"ü"_s.toUtf8());
    EXPECT_EQ(ClipboardText::plainText(&utf8Only), u"ü"_s);

    EXPECT_EQ(ClipboardText::plainText(nullptr), std::nullopt);
}

TEST(ClipboardTextTest, LineEndsChangeAndNothingElse)
{
    struct Case
    {
        QString stored;
        QString clipboard;
    };
    // Tabs, blanks at line ends, no-break spaces and line separators are the
    // user's characters and pass untouched.
    const Case both[] = {
        {u""_s, u""_s},
        {u"a\r\nb\r\n"_s, u"a\nb\n"_s},
        {u"\r\n\r\n"_s, u"\n\n"_s},
        {u" x\t\u00a0y \u2028z"_s, u" x\t\u00a0y \u2028z"_s},
    };
    for (const Case& c : both) {
        EXPECT_EQ(ClipboardText::fromStored(c.stored), c.clipboard);
        EXPECT_EQ(ClipboardText::toStored(c.clipboard), c.stored);
    }
    // Bodies written by other programs may hold lone CR or LF: each is one line break.
    EXPECT_EQ(ClipboardText::fromStored(u"a\rb\nc"_s), u"a\nb\nc"_s);
    // Text from other programs may come with CR LF or lone CR: one break each.
    EXPECT_EQ(ClipboardText::toStored(u"a\r\nb\rc\nd"_s), u"a\r\nb\r\nc\r\nd"_s);
}

class MemoBodiesTest : public ::testing::Test
{
protected:
    TestHome home;
    QString dbPath = home.file(u"diary.mdb"_s);
    void SetUp() override { MemoFixtures::createDatabase(home.path(), dbPath); }
};

TEST_F(MemoBodiesTest, BodiesInTheGivenOrderEachEndedByOneLineBreak)
{
    MemoStore store(dbPath);
    const QString time = u"2026/01/01 00:00:00"_s;
    const qint64 a = store.insertMemo(u"ta"_s, u"A1\r\nA2\r\n"_s, u"x"_s, time);
    const qint64 b = store.insertMemo(u"tb"_s, u"B"_s, u"y"_s, time);
    const qint64 empty = store.insertMemo(u"te"_s, QString(), QString(), time);

    // No title, tag or separator: only the bodies, in the order given.
    const ClipboardText::MemoBodies bodies = ClipboardText::readMemoBodies(store, {b, a, empty});
    EXPECT_EQ(bodies.text(), u"B\nA1\nA2\n\n\n"_s);
    EXPECT_FALSE(bodies.anyLocked);

    // A memo deleted meanwhile is skipped; none at all gives the empty text.
    EXPECT_EQ(ClipboardText::readMemoBodies(store, {a, 999}).text(), u"A1\nA2\n\n"_s);
    EXPECT_EQ(ClipboardText::readMemoBodies(store, {999}).text(), QString());
}

TEST_F(MemoBodiesTest, EveryStoredLineBreakBecomesOneLineFeedAsInTheBox)
{
    MemoStore store(dbPath);
    const QString bodies[] = {
        u"一\r\n二\r三\n四"_s,          // CR LF, lone CR, lone LF between kanji
        u"\r\r\n\n\r"_s,               // breaks only: CR, CR LF, LF, CR
        u"段落\u2029次\u2028行"_s,        // the paragraph separator breaks; U+2028 stays
        u"末尾\r"_s,                      // a lone CR at the very end
        u"\u20AC\u2020\u2029x"_s,        // other characters that start with byte E2
        u"😀\r\nｶﾞ"_s,                   // a surrogate pair and half-width kana
    };
    for (const QString& body : bodies) {
        const qint64 id = store.insertMemo(u"t"_s, body, QString(), u"2026/01/01 00:00:00"_s);
        EXPECT_EQ(ClipboardText::readMemoBodies(store, {id}).text(), ClipboardText::fromStored(body) + u'\n')
            << body.toStdString();
    }
}

TEST_F(MemoBodiesTest, ProtectedMemosAreReported)
{
    MemoStore store(dbPath);
    const QString time = u"2026/01/01 00:00:00"_s;
    const qint64 open = store.insertMemo(u"open"_s, u"o"_s, QString(), time);
    const qint64 locked = store.insertMemo(u"locked"_s, u"l"_s, QString(), time);
    store.writeMemoLock(locked, true);

    EXPECT_FALSE(ClipboardText::readMemoBodies(store, {open}).anyLocked);
    EXPECT_TRUE(ClipboardText::readMemoBodies(store, {open, locked}).anyLocked);
    // Older writers stored True as -1.
    MemoFixtures::execute(dbPath, "UPDATE Memo SET IsPass = -1 WHERE Title = 'locked'");
    EXPECT_TRUE(ClipboardText::readMemoBodies(store, {locked}).anyLocked);
}

} // namespace
