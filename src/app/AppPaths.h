#pragma once

#include <QString>

// Where Quillet keeps its databases, settings and profile folders, and the
// paths of one profile.
namespace AppPaths {

inline constexpr const char* ProductName = "Quillet";
// The executable's name without extension; profile files are named after it.
inline constexpr const char* ExeName = "quillet";

// QUILLET_HOME when set, else $XDG_DATA_HOME/quillet/ (~/.local/share/quillet/);
// created when missing; always ends in '/'.
QString myPath();

// Creates the folder `path` and any missing folder above it, each open to its
// owner only (0700): profile folders hold memo text. Folders that already
// exist keep their permissions (a shared MyPath stays shared). True when the
// folder exists afterwards.
bool makePrivatePath(const QString& path);

} // namespace AppPaths

// The files and folders of one profile, all named after its identifier.
struct ProfilePaths
{
    QString id;
    QString iniFilePath;  // settings file
    QString iniBasePath;  // profile folder, ends in '/'
    QString tmpBasePath;  // temporary folder, ends in '/'
    QString restorePath;  // restore file of the main window

    static ProfilePaths forId(const QString& myPath, const QString& id);
    // Whether `id` can name a profile: one plain file-name component, so that
    // every path above stays a file or folder directly in MyPath. Refused: the
    // empty text, "." and "..", and anything with '/', '\\' or NUL.
    static bool isUsableId(const QString& id);
};
