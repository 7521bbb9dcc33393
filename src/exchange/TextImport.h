#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class Clock;
class MemoStore;
class Progress;
class TagTable;

// A file that was not imported, and why, in words for the user.
struct SkippedFile
{
    QString path;
    QString reason;
};

// Text files become memos: the file name without folder and extension is the
// title, the file's text (ReadFileText) the body, and one tag string is
// given. Folder imports take only files with an accepted extension.
namespace TextImport {

// The extensions a folder import accepts, lower case without the dot.
QStringList acceptedExtensions();

// The file name without its folder and without its extension: the text after
// the last '/', up to but not including the last '.' after it; the whole name
// when it has no '.'.
QString titleFromPath(const QString& path);

// True when the text after the last '.' of the whole path, lower-cased, equals
// one of `extensions` exactly.
bool passesExtensionFilter(const QString& path, const QStringList& extensions);

// "[ALL]", "[Trash]" and "[Find]" name no tag a memo can carry: the import
// then tags "[Import]". Changes `tag` in place, so that a report names the
// tag actually stored.
void applyTagRule(QString& tag);

// Appends the full path of every accepted file of `folder` to `files`, in the
// order the file system lists them; with `includeSubfolders`, a subfolder's
// files come in where the subfolder is met. A folder reached again through a
// symbolic link is not entered twice, so a link loop ends and every file is
// taken once. A folder that cannot be listed adds nothing. Returns the new
// length of `files`.
int CollectFiles(const QString& folder, bool includeSubfolders, const QStringList& extensions,
                 QStringList& files);

// The files of dropped items, in order: a file itself whatever its
// extension, a folder's accepted files at every depth.
QStringList filesOfDroppedItems(const QStringList& items);

// The body of the memo a file becomes: its text, or the empty text when the
// file is missing or cannot be read. nullopt, with `reason` set, for a file
// that is not imported at all: a FIFO, socket, device or folder, or a file
// larger than ReadFileText::MaxFileBytes.
std::optional<QString> bodyOfFile(const QString& path, QString& reason);

// The lines that tell the user which files were not imported and why: the
// count, then each file's path and reason, the first ten by name.
QString skippedReport(const std::vector<SkippedFile>& skipped);

} // namespace TextImport

// What an import of many files did.
struct ImportResult
{
    int imported = 0; // memos added (and kept)
    bool cancelled = false;
    std::vector<SkippedFile> skipped; // files that are no regular files or too large
};

// Adds imported memos to the open database and keeps the tag table's counts in
// step: each memo counts as one new memo outside the trash.
class TextImporter
{
public:
    TextImporter(MemoStore& store, TagTable& table, const Clock& clock);

    // One memo per path, in order, tagged `tag` (after the tag rule, applied
    // in place), written in transactions committed in batches. With a
    // progress, its bar counts the files and a cancel stops after the file in
    // hand; what was written stays and is counted. A missing or unreadable
    // file gives a memo with an empty body; a file that is no regular file or
    // is too large gives none and is listed as skipped. Throws DatabaseError; the
    // batches committed before stay, and the counts are then to be rebuilt
    // from the database.
    ImportResult importFiles(const QStringList& paths, QString& tag, Progress* progress = nullptr);

    // One file, one memo.
    void ImportTextFile(const QString& path, QString& tag);
    // Every accepted file of the folder (and its subfolders), tagged "[Import]".
    ImportResult ImportFolder(const QString& folder, bool includeSubfolders, Progress* progress = nullptr);
    // Every dropped file, and every accepted file inside a dropped folder.
    ImportResult ImportDroppedFiles(const QStringList& items, QString& tag, Progress* progress = nullptr);

private:
    MemoStore& m_store;
    TagTable& m_table;
    const Clock& m_clock;
};
