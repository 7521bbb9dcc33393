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
