#include "app/AppPaths.h"

#include <QDir>
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
