#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// A desktop launcher (a .desktop file, freedesktop Desktop Entry) that starts
// Quillet again for one profile, with the command line of the running copy.
//
// A password never goes into a launcher: the file is plain text that any
// program of the user can read. A launcher for a protected profile starts
// Quillet without it, and Quillet asks for it at start.
struct DesktopLauncher
{
    QString profileId;
    QString program;       // the executable, an absolute path
    QStringList arguments; // the command line after the program
    QString quilletHome;   // QUILLET_HOME for the started copy; empty: not set

    // The launcher for a run started with `openPath` as its first argument
    // (empty in the default form) that selected profile `profileId`: no
    // arguments, the database, or the profile file and the ID. Relative paths
    // are made absolute against the current folder so that the launcher works
    // from anywhere.
    static DesktopLauncher forRun(const QString& program, const QString& openPath, const QString& profileId,
                                  const QString& quilletHome);

    // The command the desktop runs: "env QUILLET_HOME=..." when a home is set,
    // the program, the arguments.
    QStringList command() const;
    // The argument of the command that an Exec line cannot carry (a control
    // character such as a line break), or nullopt when there is none.
    std::optional<QString> unsupportedArgument() const;
    // The Exec value: each part quoted where needed, then escaped as a string
    // value. Only meaningful when unsupportedArgument() is nullopt.
    QString execValue() const;
    // The whole file, UTF-8.
    QString entryText() const;
    // "Quillet [ID]", as the window caption names the profile.
    QString name() const;
    // "quillet-<ID>.desktop"; an ID with characters other than ASCII letters,
    // digits, '.', '-' and '_' has them replaced by '_' and a short hash of the
    // ID appended, so that different profiles get different files.
    QString fileName() const;

    // One part of an Exec line: unchanged when it holds no reserved
    // character, else in double quotes with '"', '`', '$' and '\' escaped;
    // '%' is always doubled.
    static QString quoteArgument(const QString& argument);
    // The escapes of a string value: '\' as "\\", line breaks and tabs as
    // "\n", "\r", "\t", a leading blank as "\s".
    static QString escapeValue(const QString& text);
    // Splits an Exec value into its parts as a desktop does (string escapes,
    // then quoting, then "%%"); field codes such as %f expand to nothing here.
    // nullopt for a malformed value (an unclosed quote, a bad escape).
    static std::optional<QStringList> splitExec(const QString& value);
};

// Where launchers go.
namespace LauncherFolders {

// $XDG_DATA_HOME/applications (the applications menu).
QString applications();
// The desktop folder, as xdg-user-dir DESKTOP names it.
QString desktop();
// $XDG_CONFIG_HOME/autostart (started with the session).
QString autostart();

} // namespace LauncherFolders

// Writes `text` to `path` atomically (a temporary file renamed over it),
// creating the folder when missing, and makes it executable, as desktops
// require of launchers on the desktop. False with `error` set on failure.
bool writeLauncherFile(const QString& path, const QString& text, QString* error);
