// The file types quillet.desktop claims, with Quillet's MIME package
// installed beside the system's MIME database: a file manager offers Quillet
// for its own databases and for nothing else.
#include "TestHome.h"
#include "store/TemplateDatabase.h"

#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

using namespace Qt::Literals::StringLiterals;

const QString DataDir = QString::fromUtf8(QUILLET_DATA_DIR);

// The values of key `key` in quillet.desktop.
QStringList desktopList(const QString& key)
{
    QFile file(DataDir + u"/quillet.desktop"_s);
    if (!file.open(QIODevice::ReadOnly))
        return {u"<unreadable>"_s};
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.startsWith(key + u'='))
            return line.mid(key.size() + 1).split(u';', Qt::SkipEmptyParts);
    }
    return {};
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Whether a desktop offers an application that claims `claimed` for a file
// of type `type`: the type or one of its ancestors is claimed, by its name or
// by an alias of it.
bool offered(const QMimeDatabase& mimes, const QMimeType& type, const QStringList& claimed)
{
    const QStringList names = QStringList{type.name()} + type.allAncestors();
    for (const QString& claim : claimed) {
        if (names.contains(mimes.mimeTypeForName(claim).name()))
            return true;
    }
    return false;
}

// The type GIO (the file managers of GTK desktops) gives a file, with the
// environment this process has; empty when gio is not installed.
QString gioType(const QString& path)
{
    const QString gio = QStandardPaths::findExecutable(u"gio"_s);
    if (gio.isEmpty())
        return {};
    QProcess process;
    process.start(gio, {u"info"_s, u"--attributes=standard::content-type"_s, path});
    if (!process.waitForFinished(30000))
        return u"<gio did not finish>"_s;
    for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split(u'\n')) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(u"standard::content-type:"_s))
            return trimmed.mid(trimmed.indexOf(u':', 10) + 1).trimmed();
    }
    return u"<no type>"_s;
}

TEST(FileAssociationTest, QuilletIsOfferedForItsOwnDatabasesOnly)
{
    TestHome home;
    // The package installed beside the system's MIME database, as a
    // distribution installs it, and compiled by the desktop's tool, which
    // refuses a package that is not valid.
    const QString system = u"/usr/share/mime/packages/freedesktop.org.xml"_s;
    ASSERT_TRUE(QFile::exists(system)) << "shared-mime-info is not installed";
    const QString mimeDir = home.file(u"share/mime"_s);
    ASSERT_TRUE(QDir().mkpath(mimeDir + u"/packages"_s));
    ASSERT_TRUE(QFile::copy(system, mimeDir + u"/packages/freedesktop.org.xml"_s));
    ASSERT_TRUE(QFile::copy(DataDir + u"/quillet-mime.xml"_s, mimeDir + u"/packages/quillet.xml"_s));
    const QString update = QStandardPaths::findExecutable(u"update-mime-database"_s);
    if (!update.isEmpty()) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(update, {mimeDir});
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAll().toStdString();
        EXPECT_TRUE(QFile::exists(mimeDir + u"/mime.cache"_s));
    }
    qputenv("XDG_DATA_HOME", home.file(u"empty"_s).toUtf8());
    qputenv("XDG_DATA_DIRS", home.file(u"share"_s).toUtf8());

    const QStringList claimed = desktopList(u"MimeType"_s);
    ASSERT_FALSE(claimed.isEmpty());
    QMimeDatabase mimes;
    for (const QString& name : claimed)
        EXPECT_TRUE(mimes.mimeTypeForName(name).isValid()) << name.toStdString();

    // Quillet's databases are SQLite files named *.mdb.
    TemplateDatabase::copyTo(home.path(), home.file(u"diary.mdb"_s));
    TemplateDatabase::copyTo(home.path(), home.file(u"other.sqlite"_s));
    TemplateDatabase::copyTo(home.path(), home.file(u"places"_s));
    writeBytes(home.file(u"access.mdb"_s),
               QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20) + QByteArray(2028, '\0'));
    writeBytes(home.file(u"notes.txt"_s), "memo\n");
    // Not offered: another program's SQLite database, the same without a
    // name that tells, a Microsoft Access database, a text file.
    const struct
    {
        QString file;
        bool offered;
    } cases[] = {
        {u"diary.mdb"_s, true},   {u"other.sqlite"_s, false}, {u"places"_s, false},
        {u"access.mdb"_s, false}, {u"notes.txt"_s, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        const QMimeType type = mimes.mimeTypeForFile(home.file(c.file));
        EXPECT_EQ(offered(mimes, type, claimed), c.offered) << type.name().toStdString();
        const QString gio = gioType(home.file(c.file));
        if (!gio.isEmpty()) {
            EXPECT_EQ(offered(mimes, mimes.mimeTypeForName(gio), claimed), c.offered)
                << "gio: " << gio.toStdString();
        }
    }
}

} // namespace
