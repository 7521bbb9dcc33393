// Percent-encoders, web-search addresses and how a selection is opened.
#include "exchange/WebSearch.h"
#include "QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using namespace Qt::Literals::StringLiterals;
using namespace WebSearch;

// Records what would be opened, and answers as the desktop would.
struct RecordingOpener : UrlOpener
{
    QList<QUrl> opened;
    bool accept = true;
    bool openUrl(const QUrl& url) override
    {
        opened << url;
        return accept;
    }
};

struct EncoderCase
{
    QString text;
    QString expected;
};

TEST(WebSearchTest, ShiftJisEncoderKeepsPlainCharactersAndEncodesBothBytesOfADoubleByteCharacter)
{
    const EncoderCase cases[] = {
        {u""_s, u""_s},
        {u"a b"_s, u"a+b"_s},
        {u"*-._@"_s, u"*-._@"_s},
        {u"AZaz09"_s, u"AZaz09"_s},
        {u"~"_s, u"%7E"_s},
        {u"\t+/"_s, u"%09%2B%2F"_s},
        {u"あ"_s, u"%82%A0"_s},
        // A lead byte takes the next byte with it, whatever that byte is:
        // "ア" is 0x83 0x41 ("A"), "表" is 0x95 0x5C ("\"), "ソ" 0x83 0x5C.
        {u"ア"_s, u"%83%41"_s},
        {u"表示"_s, u"%95%5C%8E%A6"_s},
        {u"ソ"_s, u"%83%5C"_s},
        // Half-width katakana is one byte outside the lead-byte ranges.
        {u"ｱ"_s, u"%B1"_s},
        // 0xF0..0xFC are not lead bytes: the user-defined character U+E000
        // (0xF0 0x40) is sent as "%F0" and "@" judged on its own.
        {QString(QChar(0xE000)), u"%F0@"_s},
        // A character CP932 has no code for goes as "?".
        {u"caf\u00e9"_s, u"caf%3F"_s},
        {u"\U0001F600x"_s, u"%3Fx"_s},
    };
    for (const EncoderCase& c : cases)
        EXPECT_EQ(URLEncodeSJIS(c.text), c.expected) << c.text.toStdString();
}

TEST(WebSearchTest, Utf8EncoderEncodesEachCharacterAsItsUtf8Bytes)
{
    const EncoderCase cases[] = {
        {u""_s, u""_s},
        {u"a b"_s, u"a+b"_s},
        {u"*-._@"_s, u"*-._@"_s},
        {u"~"_s, u"%7E"_s},
        {u"a+b&c=d"_s, u"a%2Bb%26c%3Dd"_s},
        {QString(QChar(0x01)), u"%01"_s},
        {u"\u00e9"_s, u"%C3%A9"_s},
        {u"\u07ff"_s, u"%DF%BF"_s},
        {u"あ"_s, u"%E3%81%82"_s},
        {u"\uffe5"_s, u"%EF%BF%A5"_s},
    };
    for (const EncoderCase& c : cases)
        EXPECT_EQ(URLEncodeUTF8(c.text), c.expected) << c.text.toStdString();
}

TEST(WebSearchTest, Utf8EncoderSendsACharacterBeyondTheBasicPlaneAsFourBytes)
{
    // Two three-byte sequences, one per surrogate, are no UTF-8 at all and
    // would search for garbage.
    EXPECT_EQ(URLEncodeUTF8(u"\U0001F600"_s), u"%F0%9F%98%80"_s);
    EXPECT_EQ(URLEncodeUTF8(u"a\U00020B9Fb"_s), u"a%F0%A0%AE%9Fb"_s);
    // A lone surrogate is no character: it goes as U+FFFD.
    EXPECT_EQ(URLEncodeUTF8(QString(QChar(0xD800)) + u"x"_s), u"%EF%BF%BDx"_s);
}

TEST(WebSearchTest, SearchAddressesTrimBlanksAndJoinWordsWithPlus)
{
    struct Case
    {
        QString selection;
        int engine;
        QString expected;
    };
    const Case cases[] = {
        // The encoders see "+" for a blank, so it reaches them as "%2B".
        {u"  メモ 帳 "_s, Google,
         u"https://www.google.co.jp/search?num=50&hl=ja&ie=Shift_JIS&oe=Shift_JIS&q=%83%81%83%82%2B%92%A0"_s},
        {u"メモ 帳"_s, Yahoo,
         u"https://search.yahoo.co.jp/search?p=%E3%83%A1%E3%83%A2%2B%E5%B8%B3&ei=UTF-8"_s},
        {u"メモ 帳"_s, Wikipedia, u"https://ja.wikipedia.org/wiki/%E3%83%A1%E3%83%A2+%E5%B8%B3"_s},
        {u"メモ 帳"_s, Amazon,
         u"https://www.amazon.co.jp/exec/obidos/external-search/"
         u"?mode=blended&field-keywords=%E3%83%A1%E3%83%A2%2B%E5%B8%B3"_s},
        // Only U+0020 is trimmed.
        {u"\tx"_s, Yahoo, u"https://search.yahoo.co.jp/search?p=%09x&ei=UTF-8"_s},
        {u"   "_s, Google, u""_s},
        {u""_s, Wikipedia, u""_s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(searchAddress(c.selection, c.engine), c.expected)
            << c.selection.toStdString() << " " << c.engine;
}

TEST(WebSearchTest, WikipediaArticleNameStaysInsideTheArticlePath)
{
    // A "#" or "?" would cut the name short and open another article.
    EXPECT_EQ(searchAddress(u"C#"_s, Wikipedia), u"https://ja.wikipedia.org/wiki/C%23"_s);
    EXPECT_EQ(searchAddress(u"why? 100%"_s, Wikipedia), u"https://ja.wikipedia.org/wiki/why%3F+100%25"_s);
    // Names with a slash or a colon keep them.
    EXPECT_EQ(searchAddress(u"AC/DC"_s, Wikipedia), u"https://ja.wikipedia.org/wiki/AC/DC"_s);
    EXPECT_EQ(searchAddress(u"Help:目次"_s, Wikipedia),
              u"https://ja.wikipedia.org/wiki/Help:%E7%9B%AE%E6%AC%A1"_s);
}

TEST(WebSearchTest, OpenSelectedTextOpensAddressesMailAndExistingPaths)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(u"メモ.txt"_s);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    // A file whose name holds "@" and "." is still a file.
    const QString mailLikeFile = dir.filePath(u"me@example.jp.txt"_s);
    ASSERT_TRUE(QFile(mailLikeFile).open(QIODevice::WriteOnly));

    struct Case
    {
        QString selection;
        QString cleaned; // the text after OpenSelectedText
        QUrl opened;
    };
    const Case cases[] = {
        {u"https://a"_s, u"https://a"_s, QUrl(u"https://a"_s)}, // 9 characters
        {u"http://example.jp/a?b=c"_s, u"http://example.jp/a?b=c"_s, QUrl(u"http://example.jp/a?b=c"_s)},
        // A selection over lines is joined before it is judged.
        {u"https://example.jp/\r\nlong/\npath\r"_s, u"https://example.jp/long/path"_s,
         QUrl(u"https://example.jp/long/path"_s)},
        {u"ab@c.d"_s, u"mailto:ab@c.d"_s, QUrl(u"mailto:ab@c.d"_s)}, // 6 characters: mail, never web
        {u"someone@\nexample.jp"_s, u"mailto:someone@example.jp"_s, QUrl(u"mailto:someone@example.jp"_s)},
        // A mailto: link opens as written, query and all; a bare address
        // made into one carries no query of the selection.
        {u"mailto:a@b.c"_s, u"mailto:a@b.c"_s, QUrl(u"mailto:a@b.c"_s)},
        {u"MAILTO:a@b.c?subject=hi"_s, u"MAILTO:a@b.c?subject=hi"_s, QUrl(u"mailto:a@b.c?subject=hi"_s)},
        {u"a@b.c?attach=/etc/passwd"_s, u"mailto:a@b.c"_s, QUrl(u"mailto:a@b.c"_s)},
        {file, file, QUrl::fromLocalFile(file)},
        {mailLikeFile, mailLikeFile, QUrl::fromLocalFile(mailLikeFile)},
        {dir.path(), dir.path(), QUrl::fromLocalFile(dir.path())},
    };
    for (const Case& c : cases) {
        RecordingOpener opener;
        QString text = c.selection;
        QString error = u"old"_s;
        EXPECT_EQ(OpenSelectedText(text, opener, error), 0) << c.selection.toStdString();
        EXPECT_EQ(error, u""_s);
        EXPECT_EQ(text, c.cleaned);
        EXPECT_EQ(opener.opened, QList<QUrl>{c.opened}) << c.selection.toStdString();
    }
}

TEST(WebSearchTest, OpenSelectedTextRefusesWhatIsNoLink)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString notALink = u"選択文字列はファイル/フォルダ、URLもしくはメールアドレスではありません"_s;
    for (const QString& selection :
         {u"someone@example"_s, u"http:/x"_s, u"HTTP://example.jp"_s, u"   "_s, u""_s, u"ただの文字"_s,
          dir.filePath(u"missing.txt"_s), dir.filePath(u"*"_s)}) {
        RecordingOpener opener;
        QString text = selection;
        QString error;
        EXPECT_EQ(OpenSelectedText(text, opener, error), 1) << selection.toStdString();
        EXPECT_EQ(error, notALink);
        EXPECT_TRUE(opener.opened.isEmpty()) << selection.toStdString();
    }
}

TEST(WebSearchTest, OpenSelectedTextReportsADesktopThatRefuses)
{
    RecordingOpener opener;
    opener.accept = false;
    QString text = u"https://example.jp/"_s;
    QString error;
    EXPECT_EQ(OpenSelectedText(text, opener, error), 1);
    EXPECT_EQ(error, u"選択文字列を開くのに失敗しました。"_s);
    EXPECT_EQ(opener.opened.size(), 1);
}

TEST(WebSearchTest, SearchAddressesOpenAsTheyWereBuilt)
{
    // The Shift_JIS bytes of a Google query are no UTF-8: the address handed
    // to the desktop must still carry them unchanged (an unreserved character
    // may lose its escape, "%65" and "e" being the same byte).
    for (int engine = 0; engine < EngineCount; ++engine) {
        const QString address = searchAddress(u"表示 テスト"_s, engine);
        RecordingOpener opener;
        QString text = address;
        QString error;
        ASSERT_EQ(OpenSelectedText(text, opener, error), 0);
        ASSERT_EQ(opener.opened.size(), 1);
        EXPECT_EQ(QByteArray::fromPercentEncoding(opener.opened.first().toEncoded()),
                  QByteArray::fromPercentEncoding(address.toLatin1()))
            << engine;
    }
}

} // namespace
