#include "TestHome.h"
#include "app/AppPaths.h"
#include "app/Timestamp.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

TEST(AppPathsTest, HomeComesFromQuilletHomeElseFromTheXdgDataFolder)
{
    TestHome home;
    const QByteArray saved = qgetenv("QUILLET_HOME");
    const QString nested = home.file(QStringLiteral("a/b"));
    qputenv("QUILLET_HOME", nested.toUtf8());
    EXPECT_EQ(AppPaths::myPath(), nested + QLatin1Char('/'));
    EXPECT_TRUE(QDir(nested).exists());

    qunsetenv("QUILLET_HOME");
    const QByteArray xdg = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", home.file(QStringLiteral("data")).toUtf8());
    EXPECT_EQ(AppPaths::myPath(), home.file(QStringLiteral("data/quillet/")));
    qputenv("XDG_DATA_HOME", xdg);
    qputenv("QUILLET_HOME", saved);

    const ProfilePaths profile = ProfilePaths::forId(QStringLiteral("/h/"), QStringLiteral("work.mdb"));
    EXPECT_EQ(profile.iniFilePath, QStringLiteral("/h/quillet_work.mdb.ini"));
    EXPECT_EQ(profile.iniBasePath, QStringLiteral("/h/quillet_work.mdb/"));
    EXPECT_EQ(profile.tmpBasePath, QStringLiteral("/h/quillet_work.mdbtmp/"));
    EXPECT_EQ(profile.restorePath, QStringLiteral("/h/quillet_restoration_work.mdb.txt"));
}

TEST(TimestampTest, ZeroPaddedTwentyFourHourText)
{
    EXPECT_EQ(formatTimestamp(QDateTime(QDate(2008, 3, 5), QTime(7, 4, 9))), QStringLiteral("2008/03/05 07:04:09"));
    EXPECT_EQ(formatTimestamp(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59))), QStringLiteral("2026/12/31 23:59:59"));
}

} // namespace
