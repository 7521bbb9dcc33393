// Export definition files: items read as comma-delimited data, the header,
// the format number, ":START" and the template, and the shipped definitions.
#include "exchange/ExportDefinition.h"
#include "QtPrinters.h"
#include "app/CodePage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using namespace Qt::Literals::StringLiterals;
using ExportDefinition::Error;

const QString kHead = u":Quillet Export Definition File\r\n:1\r\nコメント\r\n:START\r\n"_s;

TEST(ExportDefinitionTest, ItemsEndAtCommasAndLineEnds)
{
    struct Case
    {
        QString text;
        QStringList items;
    };
    const Case cases[] = {
        {u"a,b\r\nc"_s, {u"a"_s, u"b"_s, u"c"_s}},
        // Blanks in front are skipped, blanks behind an unquoted item dropped.
        {u"  a  ,\tb c "_s, {u"a"_s, u"b c"_s}},
        {u"\"a, b\",c"_s, {u"a, b"_s, u"c"_s}},
        {u"  \" a \"\r\n"_s, {u" a "_s}},
        // A blank line is one empty item; so is the rest of a line after a comma.
        {u"a\r\n\r\nb"_s, {u"a"_s, QString(), u"b"_s}},
        {u"a,\r\nb"_s, {u"a"_s, QString(), u"b"_s}},
        {u"a\r\n"_s, {u"a"_s}},
        {u"a\nb\rc"_s, {u"a"_s, u"b"_s, u"c"_s}},
        // A quote left open ends at its line instead of swallowing the next ones.
        {u"\"open, still\r\n:START"_s, {u"open, still"_s, u":START"_s}},
        {u"\"x\" y,z"_s, {u"x y"_s, u"z"_s}},
        {u"#1#,[!ID]"_s, {u"#1#"_s, u"[!ID]"_s}},
        {QString(), {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExportDefinition::splitItems(c.text), c.items) << c.text.toStdString();
}

TEST(ExportDefinitionTest, TheTemplateIsTheItemsAfterStartJoinedWithCrLf)
{
    struct Case
    {
        QString body;
        QString templateText;
    };
    const Case cases[] = {
        {u"[!TITLE]\r\n[!MEMO]\r\n"_s, u"[!TITLE]\r\n[!MEMO]"_s},
        {u"[!TITLE]\r\n[!MEMO]"_s, u"[!TITLE]\r\n[!MEMO]"_s},
        // An unquoted comma splits a line; quotes keep it and the blank after it.
        {u"[!TITLE], [!DAY]\r\n"_s, u"[!TITLE]\r\n[!DAY]"_s},
        {u"\"[!TITLE], [!DAY]\"\r\n"_s, u"[!TITLE], [!DAY]"_s},
        // A blank line inside stays an empty line.
        {u"# [!TITLE]\r\n\r\n[!MEMO]\r\n"_s, u"# [!TITLE]\r\n\r\n[!MEMO]"_s},
        {u"\r\n"_s, QString()},
        {u":START\r\nx\r\n"_s, u":START\r\nx"_s},
    };
    for (const Case& c : cases) {
        const ExportDefinition::Result result = ExportDefinition::parse(kHead + c.body);
        EXPECT_EQ(result.error, Error::None) << c.body.toStdString();
        EXPECT_EQ(result.templateText, c.templateText) << c.body.toStdString();
    }
}

TEST(ExportDefinitionTest, HeaderFormatNumberAndStartAreChecked)
{
    struct Case
    {
        QString text;
        Error error;
    };
    const Case cases[] = {
        {QString(), Error::WrongHeader},
        {u":quillet export definition file\r\n:1\r\n:START\r\nx"_s, Error::WrongHeader},
        {u"Quillet Export Definition File\r\n:1\r\n:START\r\nx"_s, Error::WrongHeader},
        {u":Quillet Export Definition File"_s, Error::BadFormatNumber},
        {u":Quillet Export Definition File\r\n:0\r\n:START\r\nx"_s, Error::BadFormatNumber},
        {u":Quillet Export Definition File\r\n:-1\r\n:START\r\nx"_s, Error::BadFormatNumber},
        {u":Quillet Export Definition File\r\n:one\r\n:START\r\nx"_s, Error::BadFormatNumber},
        {u":Quillet Export Definition File\r\n:\r\n:START\r\nx"_s, Error::BadFormatNumber},
        {u":Quillet Export Definition File\r\n:1.5\r\n:START\r\nx"_s, Error::BadFormatNumber},
        {u":Quillet Export Definition File\r\n:1\r\nno start here\r\n[!MEMO]\r\n"_s, Error::NoStart},
        {u":Quillet Export Definition File\r\n:1\r\n:start\r\n[!MEMO]\r\n"_s, Error::NoStart},
        {u":Quillet Export Definition File\r\n:1\r\n:START\r\n"_s, Error::NoTemplate},
        // Every colon goes before the number is read; any number from 1 on is taken.
        {u":Quillet Export Definition File\r\n::2:\r\n:START\r\nx"_s, Error::None},
        {u":Quillet Export Definition File\r\n:12\r\nx, y\r\n  :START  \r\nx"_s, Error::None},
        // The header is an item too: text after a comma on its line is the next item.
        {u":Quillet Export Definition File,:1\r\n:START\r\nx"_s, Error::None},
    };
    for (const Case& c : cases) {
        const ExportDefinition::Result result = ExportDefinition::parse(c.text);
        EXPECT_EQ(result.error, c.error) << c.text.toStdString();
        if (c.error != Error::None) {
            EXPECT_TRUE(result.templateText.isEmpty());
        }
    }
}

TEST(ExportDefinitionTest, ReadsUtf8AndCp932FilesAndFailsOnMissingOnes)
{
    QTemporaryDir dir;
    const QString text = kHead + u"日付: [!DAY]\r\n「[!TITLE]」\r\n"_s;
    const QString utf8 = dir.filePath(u"utf8.ted"_s);
    const QString cp932 = dir.filePath(u"cp932.ted"_s);
    for (const auto& [path, bytes] :
         {std::pair{utf8, text.toUtf8()}, std::pair{cp932, CodePage::toCp932(text).value()}}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    for (const QString& path : {utf8, cp932}) {
        const ExportDefinition::Result result = ExportDefinition::read(path);
        EXPECT_EQ(result.error, Error::None) << path.toStdString();
        EXPECT_EQ(result.templateText, u"日付: [!DAY]\r\n「[!TITLE]」"_s) << path.toStdString();
    }
    EXPECT_EQ(ExportDefinition::read(dir.filePath(u"missing.ted"_s)).error, Error::CannotOpen);
    EXPECT_EQ(ExportDefinition::read(dir.path()).error, Error::CannotOpen);
}

TEST(ExportDefinitionTest, ShippedDefinitionsGoOnlyIntoAFolderWithoutAny)
{
    QTemporaryDir dir;
    EXPECT_EQ(ExportDefinition::installShipped(dir.path()), 3);
    const QStringList names = QDir(dir.path()).entryList({u"*.ted"_s}, QDir::Files, QDir::Name);
    EXPECT_EQ(names, (QStringList{u"Markdown.ted"_s, u"テキスト.ted"_s, u"本文のみ.ted"_s}));
    for (const QString& name : names) {
        const ExportDefinition::Result result = ExportDefinition::read(dir.filePath(name));
        EXPECT_EQ(result.error, Error::None) << name.toStdString();
        EXPECT_TRUE(result.templateText.contains(u"[!MEMO]"_s)) << name.toStdString();
        // The user may edit the copies.
        EXPECT_TRUE(QFile::permissions(dir.filePath(name)) & QFile::WriteOwner);
    }
    EXPECT_EQ(ExportDefinition::read(dir.filePath(u"本文のみ.ted"_s)).templateText, u"[!MEMO]"_s);
    EXPECT_EQ(ExportDefinition::read(dir.filePath(u"Markdown.ted"_s)).templateText,
              u"# [!TITLE]\r\n\r\n- 日付: [!DAY]\r\n- タグ: [!CATEGORY]\r\n\r\n[!MEMO]"_s);

    // A second time, or beside a user's own definition, nothing is written.
    EXPECT_EQ(ExportDefinition::installShipped(dir.path()), 0);
    QTemporaryDir own;
    QFile mine(own.filePath(u"mine.ted"_s));
    ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
    mine.close();
    EXPECT_EQ(ExportDefinition::installShipped(own.path()), 0);
    EXPECT_EQ(QDir(own.path()).entryList(QDir::Files), QStringList{u"mine.ted"_s});
}

} // namespace
