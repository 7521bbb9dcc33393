// The options model on its own: the editors' default marks, what a save
// writes into a real settings file, and what it refuses to write.
#include "options/OptionSettings.h"
#include "ScriptedPrompt.h"
#include "TestHome.h"
#include "app/IniFile.h"
#include "app/Settings.h"
#include "editing/PasswordScrambler.h"
#include "options/EditorChoices.h"
#include "options/SystemColours.h"
#include "store/MemoStore.h"
#include "store/TemplateDatabase.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

using namespace Qt::Literals::StringLiterals;

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

class OptionSettingsTest : public ::testing::Test
{
protected:
    TestHome home;
    ScriptedPrompt prompt;
    QString ini = home.file(u"quillet_default.ini"_s);
    SettingsFile settings{ini};

    std::unique_ptr<MemoStore> openStore()
    {
        const QString db = home.file(u"diary.mdb"_s);
        TemplateDatabase::copyTo(home.path(), db);
        return std::make_unique<MemoStore>(db);
    }
};

TEST(EditorChoicesTest, MarkingOneEditorClearsTheOtherNumberedEditors)
{
    EditorChoices editors;
    editors.setDefaultMark(0, true);
    editors.setDefaultMark(1, true);
    EXPECT_EQ(editors.defaultIndex(), 1);
    editors.setDefaultMark(3, true);
    EXPECT_FALSE(editors.isDefault(1));
    EXPECT_FALSE(editors.isDefault(2));
    EXPECT_TRUE(editors.isDefault(3));
    // Entry 0 keeps its mark; the highest marked entry is the default.
    EXPECT_TRUE(editors.isDefault(0));
    EXPECT_EQ(editors.defaultIndex(), 3);
    editors.setDefaultMark(3, false);
    EXPECT_EQ(editors.defaultIndex(), 0);
    editors.setDefaultMark(7, true); // outside the table: ignored
    EXPECT_EQ(editors.defaultIndex(), 0);
}

TEST_F(OptionSettingsTest, LoadsTheDefaultsOfAMissingFile)
{
    OptionSettings options;
    options.load(settings);
    EXPECT_EQ(options.fonts[OptionSettings::FontCatList].font, u"ＭＳ Ｐゴシック"_s);
    EXPECT_EQ(options.fonts[OptionSettings::FontCatList].size, u"10"_s);
    EXPECT_EQ(options.fonts[OptionSettings::FontMemoList].size, u"9"_s);
    EXPECT_EQ(options.colours[OptionSettings::ColourForm].backColour, 0x8000000Fu);
    EXPECT_EQ(options.colours[OptionSettings::ColourContents].backColour, 0xFFFFFFu);
    EXPECT_TRUE(options.memoChangeAutoSave);
    EXPECT_FALSE(options.memoSaveAutoTitle);
    EXPECT_EQ(options.securityMemoColour, 0xC00000u);
    EXPECT_EQ(options.editors.name(2), u"エディタ2"_s);
    EXPECT_FALSE(QFile::exists(ini));
}

TEST_F(OptionSettingsTest, SaveWritesEveryKeyInTheSettingsForms)
{
    auto store = openStore();
    OptionSettings options;
    options.load(settings);
    options.setFont({OptionSettings::FontMemoTitle}, u"Noto Sans CJK JP"_s, u"12.5"_s);
    options.setFont({OptionSettings::FontMemoTag}, u"Noto Sans"_s, u"big"_s);
    const int buttonFace = SystemColours::names().indexOf(u"ボタンの表面"_s);
    options.setColours(OptionSettings::ColourMemoList, 0xC00000, SystemColours::value(buttonFace));
    options.isTrash = true;
    options.focus = 2;
    options.editors.setName(1, u"gedit"_s);
    options.editors.setPath(1, u"/usr/bin/gedit --wait"_s);
    options.editors.setDefaultMark(1, true);
    ASSERT_TRUE(options.save(settings, *store, prompt));
    EXPECT_TRUE(prompt.shown.isEmpty());

    auto text = [this](const char* section, const char* key) {
        return IniFile::readText(ini, QString::fromLatin1(section), QString::fromLatin1(key), u"(none)"_s);
    };
    EXPECT_EQ(text("MemoTitle", "Font"), u"Noto Sans CJK JP"_s);
    EXPECT_EQ(text("MemoTitle", "FontSize"), u"12.5"_s);
    // A size that is not a number is written as typed and reads as the default.
    EXPECT_EQ(text("MemoTag", "FontSize"), u"big"_s);
    EXPECT_EQ(settings.read(Settings::MemoTagStyle.fontSize), 10);
    EXPECT_EQ(text("MemoList", "FontColor"), u"C00000"_s);
    EXPECT_EQ(text("MemoList", "BackColor"), u"8000000F"_s);
    EXPECT_EQ(text("Form", "BackColor"), u"8000000F"_s);
    EXPECT_EQ(text("Contents", "FontColor"), u"0"_s);
    EXPECT_EQ(text("General", "IsTrash"), u"1"_s);
    EXPECT_EQ(text("General", "MemoChangeAutoSave"), u"1"_s);
    EXPECT_EQ(text("General", "Focus"), u"2"_s);
    EXPECT_EQ(text("Security", "MemoColor"), u"C00000"_s);
    EXPECT_EQ(text("OuterEditor", "Path_1"), u"/usr/bin/gedit --wait"_s);
    EXPECT_EQ(text("OuterEditor", "Default_0"), u"0"_s);
    EXPECT_EQ(text("OuterEditor", "Default_1"), u"1"_s);
    EXPECT_EQ(text("OuterEditor", "Name_3"), u"エディタ3"_s);
    // Entry 0's name and path are never written.
    EXPECT_EQ(text("OuterEditor", "Name_0"), u"(none)"_s);

    OptionSettings again;
    again.load(settings);
    EXPECT_EQ(again.fonts[OptionSettings::FontMemoTitle].size, u"12.5"_s);
    EXPECT_EQ(again.fonts[OptionSettings::FontMemoTag].size, u"10"_s);
    EXPECT_EQ(again.editors.defaultIndex(), 1);
}

TEST_F(OptionSettingsTest, ARefusedSaveWritesNothing)
{
    auto store = openStore();
    writeFile(ini, "[General]\r\nIsTrash=0\r\n[Security]\r\nPassword=dcb\r\n");
    const QByteArray before = bytesOf(ini);
    const struct
    {
        const char* what;
        std::function<void(OptionSettings&)> change;
        QString message;
    } cases[] = {
        {"an editor path over 255 bytes",
         [](OptionSettings& o) { o.editors.setPath(2, u"/usr/bin/"_s + QString(300, u'x')); },
         u"エディタ2のパスが長すぎるため、保存できません。\n255バイト以内で入力してください。"_s},
        {"an editor name over 255 bytes",
         [](OptionSettings& o) { o.editors.setName(3, QString(100, u'名')); },
         u"エディタ3の名称が長すぎるため、保存できません。\n255バイト以内で入力してください。"_s},
        {"a password with a character CP932 lacks",
         [](OptionSettings& o) { o.securityPassword = u"pass😀"_s; },
         u"このパスワードには保存できない文字が含まれているため、設定できません。\n"
         u"別のパスワードを入力してください。"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        OptionSettings options;
        options.load(settings);
        options.isTrash = true;
        c.change(options);
        prompt.shown.clear();
        EXPECT_FALSE(options.save(settings, *store, prompt));
        EXPECT_EQ(prompt.messageTexts(), QStringList{c.message});
        EXPECT_EQ(bytesOf(ini), before);
        EXPECT_EQ(store->readDatabasePasswordScrambled(), QString());
    }
}

TEST_F(OptionSettingsTest, AnUnreadableStoredPasswordIsKeptUntilANewOneIsTyped)
{
    auto store = openStore();
    // U+00FF has no CP932 code: the stored form cannot be unscrambled.
    writeFile(ini, "[Security]\r\nPassword=\xC3\xBF\r\n");
    OptionSettings options;
    options.load(settings);
    EXPECT_EQ(options.securityPassword, QString());
    ASSERT_TRUE(options.save(settings, *store, prompt));
    EXPECT_EQ(IniFile::readText(ini, u"Security"_s, u"Password"_s, {}), u"\u00FF"_s);

    options.securityPassword = u"new"_s;
    ASSERT_TRUE(options.save(settings, *store, prompt));
    EXPECT_EQ(DecodePassword(settings.read(Settings::Security::Password)), u"new"_s);
    EXPECT_TRUE(store->readIsMemoPass());
}

} // namespace
