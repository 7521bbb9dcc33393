#include "app/AtomicFile.h"

#include <QSaveFile>

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error,
                         std::optional<QFileDevice::Permissions> permissions)
{
    QSaveFile file(path);
    // Flushed before commit(), and the reason taken at once: a write that fails
    // while QSaveFile empties its buffer inside commit() (a full disk) would
    // still be renamed over the old file, and commit() forgets why it failed.
    if (!file.open(QIODevice::WriteOnly) || (permissions && !file.setPermissions(*permissions)) ||
        file.write(bytes) != bytes.size() || !file.flush()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
