// File names built from memo text, and file text read back in.
#include "exchange/MakeSafeFilePath.h"
#include "QtPrinters.h"
#include "exchange/ReadFileText.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using namespace Qt::Literals::StringLiterals;

TEST(MakeSafeFilePathTest, CleansOnlyTheBaseName)
{
    struct Case
    {
        QString path;
        QString expected;
    };
    const Case cases[] = {
        {u"/tmp/q/12_買い物.txt"_s, u"/tmp/q/12_買い物.txt"_s},
        // Every character Linux or Windows forbids in a name goes.
        {u"/tmp/q/1_a:b*c?d\"e<f>g|h\\i\rj\nk\tl.txt"_s, u"/tmp/q/1_abcdefghijkl.txt"_s},
        {u"/tmp/q/1_a"_s + QChar(0) + u"b.txt"_s, u"/tmp/q/1_ab.txt"_s},
        // The folder keeps its characters; the extension follows the last dot of the name.
        {u"/tmp/a:b.d/-1_.txt"_s, u"/tmp/a:b.d/-1_.txt"_s},
        {u"/tmp/q/3_v1.2 notes.txt"_s, u"/tmp/q/3_v1.2 notes.txt"_s},
        {u"/tmp/q/readme"_s, u"/tmp/q/readme."_s},
        {u"name.txt"_s, u"name.txt"_s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MakeSafeFilePath(c.path), c.expected) << c.path.toStdString();
}

TEST(MakeSafeFilePathTest, ASlashInATitleCannotLeaveTheFolder)
{
    // Given apart from its folder, a name loses its '/' instead of naming folders.
    EXPECT_EQ(MakeSafeFilePath(u"/tmp/q/"_s, u"5_../../etc/passwd.txt"_s), u"/tmp/q/5_....etcpasswd.txt"_s);
    EXPECT_EQ(MakeSafeFilePath(u"/tmp/q/"_s, u"6_a/b.c.txt"_s), u"/tmp/q/6_ab.c.txt"_s);
    EXPECT_EQ(MakeSafeFilePath(u"/tmp/q/"_s, u"-1_.txt"_s), u"/tmp/q/-1_.txt"_s);
}

TEST(MakeSafeFilePathTest, LongNamesAreCutToFitPathAndNameLimits)
{
    // 260 characters for the whole path.
    const QString folder = u"/tmp/"_s + QString(200, u'd') + u'/';
    const QString longAscii = MakeSafeFilePath(folder + QString(100, u'a') + u".txt"_s);
    EXPECT_EQ(longAscii.size(), 260);
    EXPECT_TRUE(longAscii.endsWith(u"a.txt"_s));
    EXPECT_TRUE(longAscii.startsWith(folder));

    // 255 UTF-8 bytes for the name: 120 kanji are 360 bytes, more than Linux takes.
    const QString kanji = MakeSafeFilePath(u"/tmp/1_"_s + QString(120, QChar(0x6F22)) + u".txt"_s);
    const QString name = kanji.mid(5);
    EXPECT_LE(name.toUtf8().size(), 255);
    EXPECT_EQ(name, u"1_"_s + QString(83, QChar(0x6F22)) + u".txt"_s);

    // A character outside the BMP is never split in half.
    const QString emoji = QString::fromUcs4(U"\U0001F600");
    const QString cut = MakeSafeFilePath(u"/tmp/"_s + QString(64, u'x') + emoji.repeated(60) + u".txt"_s);
    EXPECT_FALSE(cut.contains(QChar(0xFFFD)));
    for (qsizetype i = 0; i < cut.size(); ++i) {
        if (cut.at(i).isHighSurrogate()) {
            EXPECT_TRUE(i + 1 < cut.size() && cut.at(i + 1).isLowSurrogate());
        }
        if (cut.at(i).isLowSurrogate()) {
            EXPECT_TRUE(i > 0 && cut.at(i - 1).isHighSurrogate());
        }
    }

    // And the cut name can really be created.
    QTemporaryDir dir;
    QFile file(MakeSafeFilePath(dir.path() + u"/7_"_s + QString(200, QChar(0x3042)) + u".txt"_s));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << file.fileName().toStdString();
}

QString writeBytes(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

TEST(ReadFileTextTest, DecodesUtf8OrCp932AndStopsAtNul)
{
    QTemporaryDir dir;
    struct Case
    {
        const char* name;
        QByteArray bytes;
        QString expected;
    };
    const Case cases[] = {
        {"utf8.txt", QByteArray("\xE6\x97\xA5\xE6\x9C\xAC\r\nline"), u"日本\r\nline"_s},
        {"bom.txt",
         QByteArray("\xEF\xBB\xBF"
                    "abc"),
         u"abc"_s},
        {"cp932.txt", QByteArray("\x93\xFA\x96\x7B\x8C\xEA\r\n\xB1"), u"日本語\r\nｱ"_s},
        {"nul.txt", QByteArray("ab\0cd", 5), u"ab"_s},
        // Judged on the bytes before the NUL: valid UTF-8 there stays UTF-8.
        {"nul-then-junk.txt", QByteArray("\xE6\x97\xA5\0\x93\xFA", 6), u"日"_s},
        {"cp932-nul.txt", QByteArray("\x93\xFA\0zz", 5), u"日"_s},
        {"empty.txt", QByteArray(), QString()},
    };
    for (const Case& c : cases) {
        const QString path = writeBytes(dir, QString::fromLatin1(c.name), c.bytes);
        EXPECT_EQ(ReadFileText::tryRead(path), std::optional<QString>(c.expected)) << c.name;
        EXPECT_EQ(ReadFileText::read(path), c.expected) << c.name;
    }
}

TEST(ReadFileTextTest, MissingOrUnreadableGivesNothing)
{
    QTemporaryDir dir;
    EXPECT_EQ(ReadFileText::tryRead(dir.filePath(u"missing.txt"_s)), std::nullopt);
    EXPECT_EQ(ReadFileText::tryRead(QString()), std::nullopt);
    EXPECT_EQ(ReadFileText::tryRead(dir.path()), std::nullopt);
    EXPECT_EQ(ReadFileText::read(dir.filePath(u"missing.txt"_s)), QString());
}

} // namespace
