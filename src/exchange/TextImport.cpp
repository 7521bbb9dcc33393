#include "exchange/TextImport.h"

#include "app/Clock.h"
#include "app/Progress.h"
#include "app/Timestamp.h"
#include "exchange/ReadFileText.h"
#include "exchange/ReportList.h"
#include "store/MemoStore.h"
#include "store/StatementCatalogue.h"
#include "store/WriteBatch.h"
#include "tags/TagTable.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QSet>

namespace TextImport {

namespace {

// A stored text is never Null: an empty title or body is the empty text.
QString nonNull(const QString& text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

void collectInto(const QString& folder, bool includeSubfolders, const QStringList& extensions,
                 QStringList& files, QSet<QString>& visited)
{
    // A folder met again (through a symbolic link, or a link loop) is skipped:
    // its files are in the list already, and a loop would never end.
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty() || visited.contains(canonical))
        return;
    visited.insert(canonical);
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    QDirIterator entries(prefix, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    while (entries.hasNext()) {
        const QFileInfo entry = entries.nextFileInfo();
        const QString path = prefix + entry.fileName();
        if (!entry.isDir()) {
            if (passesExtensionFilter(path, extensions))
                files.append(path);
        } else if (includeSubfolders) {
            collectInto(path, true, extensions, files, visited);
        }
    }
}

} // namespace

QStringList acceptedExtensions()
{
    return {QStringLiteral("txt")};
}

QString titleFromPath(const QString& path)
{
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    return nonNull(dot < 0 ? name : name.left(dot));
}

bool passesExtensionFilter(const QString& path, const QStringList& extensions)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot < 0)
        return false;
    return extensions.contains(path.mid(dot + 1).toLower());
}

void applyTagRule(QString& tag)
{
    if (tag == TagTable::allName() || tag == TagTable::trashName() || tag == TagTable::findName())
        tag = TagTable::importName();
}

int CollectFiles(const QString& folder, bool includeSubfolders, const QStringList& extensions,
                 QStringList& files)
{
    QSet<QString> visited;
    collectInto(folder, includeSubfolders, extensions, files, visited);
    return int(files.size());
}

QStringList filesOfDroppedItems(const QStringList& items)
{
    QStringList files;
    for (const QString& item : items) {
        if (QFileInfo(item).isDir())
            CollectFiles(item, true, acceptedExtensions(), files);
        else
            files.append(item);
    }
    return files;
}

std::optional<QString> bodyOfFile(const QString& path, QString& reason)
{
    ReadFileText::Loaded loaded = ReadFileText::load(path);
    switch (loaded.failure) {
    case ReadFileText::Failure::None:
        return nonNull(*loaded.text);
    case ReadFileText::Failure::Unreadable:
        return QStringLiteral("");
    case ReadFileText::Failure::NotAFile:
        reason = QStringLiteral("通常のファイルではありません");
        return std::nullopt;
    case ReadFileText::Failure::TooLarge:
        reason =
            QStringLiteral("ファイルが%1MBを超えています").arg(ReadFileText::MaxFileBytes / (1024 * 1024));
        return std::nullopt;
    }
    return QStringLiteral("");
}

QString skippedReport(const std::vector<SkippedFile>& skipped)
{
    return QStringLiteral("%1個のファイルは読み込めませんでした。\n").arg(skipped.size()) +
           ReportList::lines(qsizetype(skipped.size()), [&skipped](qsizetype i) {
               return QStringLiteral("%1\n(%2)").arg(skipped[size_t(i)].path, skipped[size_t(i)].reason);
           });
}

} // namespace TextImport

TextImporter::TextImporter(MemoStore& store, TagTable& table, const Clock& clock)
    : m_store(store), m_table(table), m_clock(clock)
{
}

ImportResult TextImporter::importFiles(const QStringList& paths, QString& tag, Progress* progress)
{
    TextImport::applyTagRule(tag);
    const QString category = TextImport::nonNull(tag);
    if (progress) {
        progress->SetTitle(QStringLiteral("インポート"));
        progress->SetProgressBar(true, false);
        progress->SetExplain(QStringLiteral("インポート中...合計%1件").arg(paths.size()));
        progress->SetProgressMax(1, int(paths.size()));
    }

    ImportResult result;
    SqliteDatabase& db = m_store.database();
    WriteBatch batch(db);
    std::optional<CommitBeforeEvents<WriteBatch>> committing;
    if (progress)
        committing.emplace(*progress, batch);
    // One prepared statement for every file: preparing it anew for each file
    // would cost as much as the write itself.
    SqliteDatabase::Statement insert(db, sql::InsertMemo);
    int done = 0;
    for (const QString& path : paths) {
        QString reason;
        if (const std::optional<QString> body = TextImport::bodyOfFile(path, reason)) {
            batch.beforeWrite();
            insert.bind(1, TextImport::titleFromPath(path))
                .bind(2, *body)
                .bind(3, formatTimestamp(m_clock.now()))
                .bind(4, category)
                .run();
            insert.reset();
            batch.afterWrite();
            ++result.imported;
        } else {
            result.skipped.push_back({path, reason});
        }
        ++done;
        if (progress) {
            progress->SetProgress(1, done);
            if (progress->IsCancel()) {
                result.cancelled = true;
                break;
            }
        }
    }
    batch.commit();

    // Each memo counts as a new one outside the trash with this tag string.
    m_table.addToTotal(result.imported);
    for (int i = 0; i < result.imported; ++i)
        m_table.updateTagCounts(QString(), category);
    return result;
}

void TextImporter::ImportTextFile(const QString& path, QString& tag)
{
    importFiles({path}, tag);
}

ImportResult TextImporter::ImportFolder(const QString& folder, bool includeSubfolders, Progress* progress)
{
    QStringList files;
    TextImport::CollectFiles(folder, includeSubfolders, TextImport::acceptedExtensions(), files);
    QString tag = TagTable::importName();
    return importFiles(files, tag, progress);
}

ImportResult TextImporter::ImportDroppedFiles(const QStringList& items, QString& tag, Progress* progress)
{
    return importFiles(TextImport::filesOfDroppedItems(items), tag, progress);
}
