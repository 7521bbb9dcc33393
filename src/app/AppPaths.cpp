#include "app/AppPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString withSlash(QString path)
{
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

} // namespace

QString AppPaths::myPath()
{
    QString path = qEnvironmentVariable("QUILLET_HOME");
    if (path.trimmed().isEmpty()) {
        QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
        if (dataHome.isEmpty())
            dataHome = QDir::homePath() + QStringLiteral("/.local/share");
        path = withSlash(dataHome) + QStringLiteral("quillet");
    }
    path = withSlash(QDir::cleanPath(path));
    QDir().mkpath(path);
    return path;
}

bool AppPaths::makePrivatePath(const QString& path)
{
    // The missing folders, outermost first.
    QStringList missing;
    QString folder = QDir::cleanPath(QDir(path).absolutePath());
    while (!QFileInfo(folder).isSymLink() && !QFileInfo::exists(folder)) {
        missing.prepend(folder);
        const QString parent = QFileInfo(folder).path();
        if (parent == folder)
            break;
        folder = parent;
    }
    const QFile::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    for (const QString& created : std::as_const(missing)) {
        // Made with its mode from the start, never open to others for a moment.
        // Another process may have made it meanwhile: then it is left as it is.
        if (!QDir().mkdir(created, ownerOnly) && !QFileInfo(created).isDir())
            return false;
    }
    return QFileInfo(path).isDir();
}

ProfilePaths ProfilePaths::forId(const QString& myPath, const QString& id)
{
    const QString stem = myPath + QLatin1String(AppPaths::ExeName) + QLatin1Char('_');
    return {id,
            stem + id + QStringLiteral(".ini"),
            stem + id + QLatin1Char('/'),
            stem + id + QStringLiteral("tmp/"),
            myPath + QLatin1String(AppPaths::ExeName) + QStringLiteral("_restoration_") + id + QStringLiteral(".txt")};
}

bool ProfilePaths::isUsableId(const QString& id)
{
    if (id.isEmpty() || id == QLatin1String(".") || id == QLatin1String(".."))
        return false;
    return !id.contains(QLatin1Char('/')) && !id.contains(QLatin1Char('\\')) && !id.contains(QChar(0));
}
