// The process the crash harness kills. It runs one of Quillet's operations on
// the files it is given and, after each step that Quillet reports as done,
// appends a line to a journal, so that the harness knows what was committed
// before the kill.
//
//   CrashChild save <database> <journal>      saves memos round after round
//   CrashChild trash <database> <journal>     moves every memo to the trash
//   CrashChild rename <database> <journal>    renames tag "old" to "new" everywhere
//   CrashChild settings <ini file> <journal>  writes settings keys round after round
//   CrashChild restore <restore file> <journal>  writes the restore file round after round
//   CrashChild import <database> <journal> <folder>   imports the folder's text files
//   CrashChild rebuild <database> <journal> <folder>  rebuilds through the folder's temporary files
//   CrashChild merge <database> <journal> <other>     adds every memo of the other database
//   CrashChild saveas <database> <journal> <target>   copies the open database over the target
#include "CrashWork.h"
#include "app/Clock.h"
#include "app/IniFile.h"
#include "app/SettingsFile.h"
#include "app/Progress.h"
#include "editing/RestoreFile.h"
#include "exchange/TextImport.h"
#include "store/DatabaseMerge.h"
#include "store/DatabaseRebuild.h"
#include "store/MemoStore.h"
#include "tags/TagOperations.h"
#include "tags/TagString.h"
#include "tags/TagTable.h"
#include "tags/Trash.h"

#include <QCoreApplication>
#include <cstdio>
#include <exception>
#include <fcntl.h>
#include <unistd.h>

namespace {

class Journal
{
public:
    explicit Journal(const QString& path)
        : m_fd(::open(path.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_APPEND, 0644))
    {
    }
    ~Journal() { ::close(m_fd); }
    // One unbuffered write: a kill cannot leave half a line in memory.
    void line(const QString& text)
    {
        const QByteArray bytes = text.toUtf8() + '\n';
        if (::write(m_fd, bytes.constData(), size_t(bytes.size())) != bytes.size())
            std::abort();
    }

private:
    int m_fd;
};

void ready()
{
    std::puts("ready");
    std::fflush(stdout);
}

const QString kTime = QStringLiteral("2026/12/10 12:00:00");

int saveMemos(const QString& database, Journal& journal)
{
    MemoStore store(database);
    ready();
    for (int round = 1;; ++round) {
        const qint64 id = 1 + (round % CrashWork::MemoCount);
        store.updateMemo(id, CrashWork::memoTitle(id, round), CrashWork::memoBody(id, round),
                         QStringLiteral("tag"), kTime);
        journal.line(QStringLiteral("%1 %2").arg(id).arg(round));
    }
}

int moveAllToTrash(const QString& database, Journal& journal)
{
    MemoStore store(database);
    TagTable table;
    table.load(store.readCategoryGroups(), store.countTrashedMemos());
    QList<qint64> ids;
    for (qint64 id = 1; id <= CrashWork::BulkMemoCount; ++id)
        ids.append(id);
    QuietProgress progress;
    ready();
    Trash(store, table).MoveMemosToTrash(ids, progress);
    journal.line(QStringLiteral("done"));
    return 0;
}

int renameTag(const QString& database, Journal& journal)
{
    MemoStore store(database);
    TagTable table;
    table.load(store.readCategoryGroups(), store.countTrashedMemos());
    ready();
    TagOperations(store, table).rewriteEverywhere(QStringLiteral("old"), [](const QString& tags) {
        return renameTagInString(tags, QStringLiteral("old"), QStringLiteral("new"));
    });
    journal.line(QStringLiteral("done"));
    return 0;
}

// Odd rounds write one key, as the options do; even rounds write every key in
// one batch, as the window does when it closes.
int writeSettings(const QString& file, Journal& journal)
{
    static const char* const keys[CrashWork::SettingKeys] = {"Key0", "Key1", "Key2", "Key3", "Key4"};
    const SettingsFile settings(file);
    ready();
    for (int round = 1;; ++round) {
        if (round % 2 == 1) {
            const int key = round % CrashWork::SettingKeys;
            if (!settings.write(TextSetting{"Crash", keys[key], ""}, CrashWork::settingValue(key, round)))
                return 3;
            journal.line(QStringLiteral("%1 %2").arg(key).arg(round));
            continue;
        }
        {
            const SettingsFile::Batch batch(settings);
            for (int key = 0; key < CrashWork::SettingKeys; ++key)
                settings.write(TextSetting{"Crash", keys[key], ""}, CrashWork::settingValue(key, round));
        }
        for (int key = 0; key < CrashWork::SettingKeys; ++key)
            journal.line(QStringLiteral("%1 %2").arg(key).arg(round));
    }
}

int writeRestoreFile(const QString& file, Journal& journal)
{
    ready();
    for (int round = 1;; ++round) {
        // The main window's file and a floating window's, as typing writes them.
        RestoreFile::MainState state;
        state.databasePath = QStringLiteral("/home/user/diary.mdb");
        state.memoNumber = QString::number(round);
        state.isEdit = true;
        state.title = CrashWork::memoTitle(0, round);
        state.body = CrashWork::memoBody(0, round);
        RestoreFile::FloatingState floating;
        floating.databasePath = state.databasePath;
        floating.recordId = round;
        floating.isEdit = true;
        floating.text = CrashWork::memoBody(1, round);
        QString error;
        if (!RestoreFile::write(file, RestoreFile::formatMain(state), &error) ||
            !RestoreFile::write(file + QStringLiteral(".floating"), RestoreFile::formatFloating(floating), &error))
            return 3;
        journal.line(QString::number(round));
    }
}

int importFolder(const QString& database, const QString& folder, Journal& journal)
{
    MemoStore store(database);
    TagTable table;
    table.load(store.readCategoryGroups(), store.countTrashedMemos());
    const SystemClock clock;
    ready();
    const ImportResult result = TextImporter(store, table, clock).ImportFolder(folder, false);
    journal.line(QStringLiteral("done %1").arg(result.imported));
    return 0;
}

// As the refresh command runs it: the database stays open until the rebuilt
// file replaces it.
int rebuild(const QString& database, const QString& folder, Journal& journal)
{
    MemoStore store(database);
    RebuildRequest request;
    request.oldVersion = 250;
    request.dbPath = database;
    request.myPath = folder;
    QuietProgress progress;
    ready();
    if (!RebuildDatabase(
            request, progress, [&store] { store.close(); }, [&store] { store.reopen(); }))
        return 3;
    journal.line(QStringLiteral("done"));
    return 0;
}

int mergeAll(const QString& database, const QString& other, Journal& journal)
{
    MemoStore store(database);
    QuietProgress progress;
    ready();
    const MergeResult result = MergeMemoDatabase(store, other, false, MatchByTitle, progress);
    journal.line(QStringLiteral("done %1").arg(result.added));
    return 0;
}

// The copy step of "save under another name": the open database is copied
// with the backup API over the chosen file.
int saveAs(const QString& database, const QString& target, Journal& journal)
{
    MemoStore store(database);
    ready();
    store.database().backupTo(target);
    journal.line(QStringLiteral("done"));
    return 0;
}

int run(const QStringList& args, Journal& journal)
{
    const QString& operation = args[1];
    const QString& target = args[2];
    if (operation == u"save")
        return saveMemos(target, journal);
    if (operation == u"trash")
        return moveAllToTrash(target, journal);
    if (operation == u"rename")
        return renameTag(target, journal);
    if (operation == u"settings")
        return writeSettings(target, journal);
    if (operation == u"restore")
        return writeRestoreFile(target, journal);
    if (args.size() != 5)
        return 2;
    const QString& extra = args[4];
    if (operation == u"import")
        return importFolder(target, extra, journal);
    if (operation == u"rebuild")
        return rebuild(target, extra, journal);
    if (operation == u"merge")
        return mergeAll(target, extra, journal);
    if (operation == u"saveas")
        return saveAs(target, extra, journal);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4 && args.size() != 5)
        return 2;
    Journal journal(args[3]);
    try {
        return run(args, journal);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 4;
    }
}
