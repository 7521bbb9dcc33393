#include "app/SettingsFile.h"

#include "TestHome.h"
#include "app/IniFile.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cmath>

namespace {

class SettingsFileTest : public ::testing::Test
{
protected:
    TestHome m_home;
    SettingsFile m_file{m_home.file(QStringLiteral("quillet_default.ini"))};
};

// Inside a batch the file stays as it was; when the outermost batch ends every
// write is in it, and a refused text is refused at once.
TEST_F(SettingsFileTest, ABatchWritesEverythingAtItsEnd)
{
    const IntSetting first{"Form", "First", 0};
    const IntSetting second{"Form", "Second", 0};
    const TextSetting text{"Form", "Text", ""};
    {
        const SettingsFile::Batch batch(m_file);
        EXPECT_TRUE(m_file.write(first, 1));
        {
            const SettingsFile::Batch inner(m_file);
            EXPECT_TRUE(m_file.write(second, 2));
            EXPECT_FALSE(m_file.write(text, QStringLiteral("two\nlines")));
        }
        EXPECT_FALSE(QFile::exists(m_file.path())) << "the inner batch wrote early";
        const SettingsFile copy = m_file;
        EXPECT_TRUE(copy.write(text, QStringLiteral("copy")));
        EXPECT_EQ(copy.read(text), QStringLiteral("copy")) << "a copy held back the write";
        EXPECT_EQ(m_file.read(first), 0);
    }
    EXPECT_EQ(m_file.read(first), 1);
    EXPECT_EQ(m_file.read(second), 2);
    EXPECT_EQ(m_file.read(text), QStringLiteral("copy"));
}

// Sizes are written as single-precision numbers with seven significant digits;
// whatever size is written must read back as that number, never as the key's
// default, however large or small it is.
TEST_F(SettingsFileTest, WrittenNumbersReadBack)
{
    const NumberSetting setting{"FormPosition", "Top", -1};
    const double values[] = {0,    2520,   1234.5,    -3,     0.5,        7700.25, 9999999, 1e7,
                             -1e7, 3.4e38, -12345678, 0.0001, 0.00001234, -1e-6,   1.0 / 3, 1e-30};
    for (const double value : values) {
        SCOPED_TRACE(value);
        ASSERT_TRUE(m_file.write(setting, value));
        const double read = m_file.read(setting);
        EXPECT_NEAR(read, value, std::abs(value) * 1e-6)
            << IniFile::readText(m_file.path(), "FormPosition", "Top", {}).toStdString();
    }
    EXPECT_EQ(SettingsFile::formatNumber(2520), "2520");
    EXPECT_EQ(SettingsFile::formatNumber(1234.5), "1234.5");
    EXPECT_EQ(SettingsFile::formatNumber(1.0 / 3), "0.3333333");
    EXPECT_EQ(SettingsFile::formatNumber(12345678), "12345680");
    EXPECT_EQ(SettingsFile::formatNumber(0.00001234), "0.00001234");
}

} // namespace
