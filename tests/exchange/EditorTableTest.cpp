// The editor table of the settings file, its menu captions and the presets.
#include "exchange/EditorTable.h"
#include "TestHome.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using namespace Qt::Literals::StringLiterals;

void writeIni(const QString& path, const QByteArray& text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

TEST(EditorTableTest, ReadsEntriesDefaultAndCaptions)
{
    TestHome home;
    const QString ini = home.file(u"quillet_default.ini"_s);
    writeIni(ini, "[OuterEditor]\r\n"
                  "Name_0=ignored for captions\r\n"
                  "Name_1=gedit\r\nPath_1=/usr/bin/gedit --wait\r\nDefault_1=1\r\n"
                  "Name_2=\"秀丸\"\r\nPath_2=/opt/my editor/ed\r\n"
                  "Path_3=/usr/bin/kate -b\r\nDefault_3=1\r\n"
                  "Path_0=/usr/bin/never-used\r\n");
    EditorTable table;
    table.load(ini);

    EXPECT_EQ(table.entry(1).name, u"gedit"_s);
    EXPECT_EQ(table.entry(1).path, u"/usr/bin/gedit --wait"_s);
    EXPECT_EQ(table.entry(2).name, u"秀丸"_s);
    EXPECT_EQ(table.entry(2).path, u"/opt/my editor/ed"_s);
    EXPECT_EQ(table.entry(3).name, u"エディタ3"_s);
    // The highest entry marked 1 is the default.
    EXPECT_EQ(table.defaultIndex(), 3);

    EXPECT_EQ(table.openCaption(0), u"規定の外部エディタで開く"_s);
    EXPECT_EQ(table.createCaption(0), u"規定の外部エディタで作成"_s);
    EXPECT_EQ(table.openCaption(1), u"geditで開く"_s);
    EXPECT_EQ(table.createCaption(2), u"秀丸で作成"_s);
    EXPECT_EQ(table.openCaption(3), u"エディタ3で開く"_s);

    // The pass reads a path fresh from the file; entry 0's is never used.
    EXPECT_EQ(EditorTable::readPath(ini, 2), u"/opt/my editor/ed"_s);
    EXPECT_EQ(EditorTable::readPath(ini, 0), QString());
}

TEST(EditorTableTest, DefaultsWithoutSettingsAndDefaultKeptWhenNoneMarked)
{
    TestHome home;
    const QString ini = home.file(u"quillet_default.ini"_s);
    EditorTable table;
    table.load(ini); // no file at all
    for (int i = 0; i < EditorTable::Count; ++i) {
        EXPECT_EQ(table.entry(i).name, u"エディタ"_s + QString::number(i));
        EXPECT_EQ(table.entry(i).path, QString());
    }
    EXPECT_EQ(table.defaultIndex(), 0);
    EXPECT_EQ(table.openCaption(1), u"エディタ1で開く"_s);

    // A value other than 1 marks nothing; the default chosen before stays.
    writeIni(ini, "[OuterEditor]\r\nDefault_1=2\r\nDefault_2=0\r\nDefault_3=x\r\n");
    table.setDefault(2);
    table.load(ini);
    EXPECT_EQ(table.defaultIndex(), 2);

    table.setName(1, u"Kate"_s);
    table.setPath(1, u"/usr/bin/kate -b"_s);
    table.setDefault(7); // out of range: ignored
    EXPECT_EQ(table.createCaption(1), u"Kateで作成"_s);
    EXPECT_EQ(table.entry(1).path, u"/usr/bin/kate -b"_s);
    EXPECT_EQ(table.defaultIndex(), 2);
}

TEST(EditorTableTest, PresetsCarryWaitOptionsAndAreFoundOnPath)
{
    QStringList texts;
    for (const EditorPreset& preset : EditorPreset::all())
        texts.append(preset.program + u' ' + preset.waitArguments.join(u' '));
    EXPECT_EQ(texts, (QStringList{u"gedit --wait"_s, u"kate -b"_s, u"code --wait"_s, u"gvim -f"_s,
                                  u"mousepad --disable-server"_s}));

    // Put a fake "kate" on PATH: it is detected and configured by its absolute path.
    QTemporaryDir bin;
    const QString kate = bin.filePath(u"kate"_s);
    {
        QFile file(kate);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
    }
    QFile::setPermissions(kate, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", bin.path().toLocal8Bit());
    const QList<EditorPreset> installed = EditorPreset::installed();
    qputenv("PATH", oldPath);

    ASSERT_EQ(installed.size(), 1);
    EXPECT_EQ(installed.front().program, u"kate"_s);
    qputenv("PATH", bin.path().toLocal8Bit());
    EXPECT_EQ(installed.front().configuredPath(), kate + u" -b"_s);
    EXPECT_EQ(EditorPreset::all().front().configuredPath(), QString()); // gedit is not there
    qputenv("PATH", oldPath);
}

} // namespace
