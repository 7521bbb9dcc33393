#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The program and arguments that open one file in an external editor.
struct EditorCommand
{
    QString program;
    QStringList arguments;

    // Entries 1..3: the editor's path as configured. A path naming an existing
    // file is the program, blanks and all. Otherwise the text may carry
    // arguments ("gedit --wait", "/opt/my editor/ed -n"), so that settings
    // written for an unquoted path with blanks keep working: the text before
    // each blank from the left is tried as a program (absolute, or found on
    // PATH), and the first that is one takes the rest as its arguments (split
    // at blanks; double quotes keep an argument's blanks). A path starting with
    // a double quote names its program inside the quotes. The file is always
    // the last argument, passed whole. nullopt when no program is named.
    static std::optional<EditorCommand> fromConfiguredPath(const QString& path, const QString& file);

    // Entry 0: the desktop's application for text/plain, from its .desktop
    // entry's Exec line. nullopt when the desktop names none.
    static std::optional<EditorCommand> forAssociatedApplication(const QString& file);

    // The desktop file ID of the default application for text/plain: from
    // `xdg-mime query default text/plain` when xdg-mime is installed, otherwise
    // from the mimeapps.list files and mimeinfo.cache of the XDG directories
    // (XDG_CONFIG_HOME, XDG_CONFIG_DIRS, XDG_DATA_HOME, XDG_DATA_DIRS), in the
    // lookup order freedesktop.org sets for default applications.
    static QStringList textApplicationCandidates();

    // The command of a .desktop file's Exec key: quoting and escapes undone,
    // %f %F %u %U replaced by the file, %% by '%', other field codes dropped;
    // the file is appended when the line names no place for it. nullopt for a
    // line that puts the file inside a longer quoted argument, which desktop
    // entries forbid and which would hand the file name to a shell as code.
    // An entry with Terminal=true (vim, nano) is run in a terminal window
    // (inTerminal); nullopt when there is no terminal to run it in.
    static std::optional<EditorCommand> fromDesktopFile(const QString& desktopFilePath, const QString& file);
    static std::optional<EditorCommand> fromExecLine(const QString& exec, const QString& file);

    // `command` run in a terminal window: the terminal the desktop names
    // (xdg-terminal-exec), else the system's (Debian's x-terminal-emulator
    // -e), else the first of a few well-known terminals found on PATH, started
    // with the option that keeps it running until the command ends where it
    // has one. nullopt when no terminal is installed.
    static std::optional<EditorCommand> inTerminal(const EditorCommand& command);
};
