#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>

class QLockFile;

// Which restore file of a profile the running copy of Quillet writes. The
// profile's own file ("quillet_restoration_<ID>.txt") belongs to the first copy
// that runs on the profile; a second copy running at the same time writes a
// file of its own beside it ("quillet_restoration_<ID>_<yyyyMMdd-HHmmss>.txt"),
// so that neither copy replaces text the other left. A lock file beside each
// ("<file>.lock", held while the copy runs, found stale once its process is
// gone) tells a running copy's file from one left by a copy that has ended.
// Files kept aside because they could not be restored share the second form.
class RestoreSlot
{
public:
    // Claims the profile's own file, or else a new file beside it.
    RestoreSlot(const QString& profileRestorePath, const QDateTime& now);
    ~RestoreSlot();
    RestoreSlot(const RestoreSlot&) = delete;
    RestoreSlot& operator=(const RestoreSlot&) = delete;

    // The file this copy writes.
    const QString& path() const { return m_path; }
    // This copy holds the profile's own file: it reads it back at start and
    // reopens the floating windows kept for the profile.
    bool holdsProfileFile() const { return m_path == m_profilePath; }

    // The files beside the profile's own that no running copy holds: text kept
    // aside, or left by a second copy that has ended. Sorted by name.
    QStringList unclaimedFilesBeside() const;
    // Whether `path` has the form of a file beside the profile's own.
    bool isFileBeside(const QString& path) const;

    // A free name "<name>_<yyyyMMdd-HHmmss>[-n].txt" beside `path`; empty when
    // none of the first hundred is free.
    static QString freeNameBeside(const QString& path, const QDateTime& now);

private:
    QString m_profilePath;
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};
