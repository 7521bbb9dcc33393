#pragma once

#include "app/Progress.h"

#include <QString>

class Prompt;

enum class UpgradeResult
{
    UpToDate,  // version 250 or above: nothing was done
    Upgraded,  // the file was rebuilt to the current layout
    Cancelled, // the user cancelled the rebuild: the file is as it was and must not be used
};

// The upgrade check of start-up: a database below the current version is
// announced, saved as `myPath` + "diarymdb.bak" and rebuilt (RebuildDatabase),
// with a message when it is done. A cancelled rebuild is reported to the user,
// who is told that Quillet ends. A null factory runs the rebuild without a
// window. Throws DatabaseError when the file cannot be read, backed up or
// rebuilt (the database is then unchanged).
UpgradeResult UpgradeDatabaseIfOld(const QString& dbPath, const QString& myPath, Prompt& prompt,
                                   const ProgressFactory& makeProgress);

// The backup of the database made before the upgrade, whatever the database's own name.
inline QString UpgradeBackupFileName()
{
    return QStringLiteral("diarymdb.bak");
}
