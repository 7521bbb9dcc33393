#include "TestHome.h"
#include "app/AppPaths.h"
#include "app/Timestamp.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

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

mode_t modeOf(const QString& path)
{
    struct stat st{};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : mode_t(-1);
}

TEST(AppPathsTest, PrivatePathCreatesOnlyMissingFoldersAndThoseForTheOwnerOnly)
{
    TestHome home;
    const mode_t oldMask = ::umask(022);
    // A folder the user shares on purpose keeps its mode.
    const QString shared = home.file(QStringLiteral("shared"));
    ASSERT_TRUE(QDir().mkdir(shared));
    ASSERT_TRUE(QFile::setPermissions(shared, QFile::Permissions(0x7755)));
    const mode_t sharedMode = modeOf(shared);

    EXPECT_TRUE(AppPaths::makePrivatePath(shared + QStringLiteral("/a/b/")));
    EXPECT_EQ(modeOf(shared), sharedMode);
    EXPECT_EQ(modeOf(shared + QStringLiteral("/a")), mode_t(0700));
    EXPECT_EQ(modeOf(shared + QStringLiteral("/a/b")), mode_t(0700));
    // Made again: true, nothing changed.
    ASSERT_TRUE(QFile::setPermissions(shared + QStringLiteral("/a/b"), QFile::Permissions(0x7750)));
    EXPECT_TRUE(AppPaths::makePrivatePath(shared + QStringLiteral("/a/b")));
    EXPECT_EQ(modeOf(shared + QStringLiteral("/a/b")), mode_t(0750));
    // A file in the way: no folder.
    QFile file(home.file(QStringLiteral("plain")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_FALSE(AppPaths::makePrivatePath(home.file(QStringLiteral("plain/sub"))));
    ::umask(oldMask);
}

TEST(TimestampTest, ZeroPaddedTwentyFourHourText)
{
    EXPECT_EQ(formatTimestamp(QDateTime(QDate(2008, 3, 5), QTime(7, 4, 9))), QStringLiteral("2008/03/05 07:04:09"));
    EXPECT_EQ(formatTimestamp(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59))), QStringLiteral("2026/12/31 23:59:59"));
}

} // namespace
