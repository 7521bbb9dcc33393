#include "store/DatabaseUpgrade.h"

#include "app/Progress.h"
#include "app/Prompt.h"
#include "store/DatabaseInfo.h"
#include "store/DatabaseRebuild.h"
#include "store/SqliteDatabase.h"

#include <algorithm>

namespace {

void tell(Prompt& prompt, const QString& text)
{
    prompt.message({text, PromptIcon::None, PromptButtons::Ok, {}});
}

} // namespace

UpgradeResult UpgradeDatabaseIfOld(const QString& dbPath, const QString& myPath, Prompt& prompt,
                                   const ProgressFactory& makeProgress)
{
    // The columns outrank a missing or blank version number, never a larger one.
    const int version = std::max(ReadVersionInfo(dbPath), ReadLayoutVersion(dbPath));
    if (version >= CurrentDatabaseVersion)
        return UpgradeResult::UpToDate;

    tell(prompt, QStringLiteral(
                     "データベースがアップデートされています。\n"
                     "データベースをアップデートします。\n"
                     "(念のために、今までの「diary.mdb」は「diarymdb.bak」というファイル名で保存します。)"));
    // The backup API copies the file as it stands, write-ahead log included, and
    // replaces an earlier backup only once the new one is complete.
    SqliteDatabase(dbPath, SqliteDatabase::Access::ReadOnly).backupTo(myPath + UpgradeBackupFileName());

    bool rebuilt = false;
    {
        std::unique_ptr<Progress> progress = makeProgress ? makeProgress() : nullptr;
        QuietProgress quiet;
        rebuilt = RebuildDatabase({version, dbPath, QString(), myPath}, progress ? *progress : quiet);
    }
    if (!rebuilt) {
        // An old layout is not what the rest of Quillet reads and writes.
        prompt.critical(
            QStringLiteral("データベースのアップデートを中止しました。データベースは元のままです。\n"
                           "古い形式のデータベースは使えないため、Quilletを終了します。"));
        return UpgradeResult::Cancelled;
    }
    tell(prompt, QStringLiteral("データベースのアップデートは完了しました。\n"
                                "念のためにQuilletを再起動してください。"));
    return UpgradeResult::Upgraded;
}
