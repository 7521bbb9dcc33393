#include "editing/RestoreSlot.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>

namespace {

QString lockPath(const QString& path)
{
    return path + QStringLiteral(".lock");
}

// A lock held for as long as the copy runs: never stale by age, only once the
// process that holds it is gone.
std::unique_ptr<QLockFile> tryLock(const QString& path)
{
    auto lock = std::make_unique<QLockFile>(lockPath(path));
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return nullptr;
    return lock;
}

QString nameBeside(const QFileInfo& info, const QDateTime& now, int attempt)
{
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    return info.path() + QLatin1Char('/') + info.completeBaseName() + QLatin1Char('_') +
           now.toString(QStringLiteral("yyyyMMdd-HHmmss")) +
           (attempt == 1 ? QString() : QLatin1Char('-') + QString::number(attempt)) + suffix;
}

} // namespace

RestoreSlot::RestoreSlot(const QString& profileRestorePath, const QDateTime& now)
    : m_profilePath(profileRestorePath)
{
    QDir().mkpath(QFileInfo(profileRestorePath).absolutePath());
    m_lock = tryLock(profileRestorePath);
    if (m_lock) {
        m_path = profileRestorePath;
        return;
    }
    const QFileInfo info(profileRestorePath);
    for (int attempt = 1; attempt < 100; ++attempt) {
        const QString candidate = nameBeside(info, now, attempt);
        if (QFileInfo::exists(candidate))
            continue;
        if ((m_lock = tryLock(candidate))) {
            m_path = candidate;
            return;
        }
    }
    // No lock to be had: the copy still writes a file of its own, unguarded.
    m_path = nameBeside(info, now, 100);
}

RestoreSlot::~RestoreSlot() = default;

bool RestoreSlot::isFileBeside(const QString& path) const
{
    const QFileInfo profile(m_profilePath);
    const QFileInfo info(path);
    static const QRegularExpression stamp(QStringLiteral("^_\\d{8}-\\d{6}(-\\d+)?$"));
    const QString base = info.completeBaseName();
    return info.absolutePath() == profile.absolutePath() && info.suffix() == profile.suffix() &&
           base.startsWith(profile.completeBaseName()) &&
           stamp.match(base.mid(profile.completeBaseName().size())).hasMatch();
}

QStringList RestoreSlot::unclaimedFilesBeside() const
{
    const QFileInfo profile(m_profilePath);
    const QDir folder = profile.absoluteDir();
    const QString pattern = profile.completeBaseName() + QStringLiteral("_*.") + profile.suffix();
    QStringList files;
    for (const QString& name : folder.entryList({pattern}, QDir::Files, QDir::Name)) {
        const QString path = folder.filePath(name);
        if (path == m_path || !isFileBeside(path))
            continue;
        // A copy that runs holds its file's lock; taking it briefly shows it is free.
        if (tryLock(path))
            files.append(path);
    }
    return files;
}

QString RestoreSlot::freeNameBeside(const QString& path, const QDateTime& now)
{
    const QFileInfo info(path);
    for (int attempt = 1; attempt < 100; ++attempt) {
        const QString candidate = nameBeside(info, now, attempt);
        if (!QFileInfo::exists(candidate) && !QFileInfo::exists(lockPath(candidate)))
            return candidate;
    }
    return {};
}
