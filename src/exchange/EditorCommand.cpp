#include "exchange/EditorCommand.h"

#include "app/DesktopEntryValue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

namespace {

// An absolute or relative path naming an existing file, or a bare name found on
// PATH; empty otherwise.
QString resolveProgram(const QString& name)
{
    if (name.isEmpty())
        return QString();
    if (name.contains(u'/'))
        return QFileInfo(name).isFile() ? name : QString();
    return QStandardPaths::findExecutable(name);
}

QString environmentOr(const char* name, const QString& fallback)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

QStringList splitDirs(const QString& list)
{
    QStringList dirs;
    for (const QString& dir : list.split(u':', Qt::SkipEmptyParts))
        dirs.append(QDir::cleanPath(dir));
    return dirs;
}

QString configHome()
{
    return QDir::cleanPath(environmentOr("XDG_CONFIG_HOME", QDir::homePath() + u"/.config"_s));
}

QStringList configDirs()
{
    return splitDirs(environmentOr("XDG_CONFIG_DIRS", u"/etc/xdg"_s));
}

QString dataHome()
{
    return QDir::cleanPath(environmentOr("XDG_DATA_HOME", QDir::homePath() + u"/.local/share"_s));
}

QStringList dataDirs()
{
    return splitDirs(environmentOr("XDG_DATA_DIRS", u"/usr/local/share:/usr/share"_s));
}

QStringList applicationDirs()
{
    QStringList dirs{dataHome() + u"/applications"_s};
    for (const QString& dir : dataDirs())
        dirs.append(dir + u"/applications"_s);
    return dirs;
}

// The values of `key` in group `group` of a desktop-style key file (mimeapps.list,
// mimeinfo.cache, .desktop files); nullopt when the file, group or key is missing.
std::optional<QString> readKey(const QString& path, const QString& group, const QString& key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    bool inGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            inGroup = line == u'[' + group + u']';
            continue;
        }
        if (!inGroup)
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0 && line.left(eq).trimmed() == key)
            return DesktopEntryValue::unescape(line.mid(eq + 1).trimmed(), DesktopEntryValue::Reading::Lenient);
    }
    return std::nullopt;
}

QStringList desktopIds(const std::optional<QString>& value)
{
    return value ? value->split(u';', Qt::SkipEmptyParts) : QStringList();
}

// The .desktop file of a desktop file ID: "foo-bar.desktop" may also live in
// a subfolder as foo/bar.desktop.
QString findDesktopFile(const QString& id)
{
    QString nested = id;
    nested.replace(u'-', u'/');
    for (const QString& dir : applicationDirs()) {
        for (const QString& candidate : {id, nested}) {
            const QString path = dir + u'/' + candidate;
            if (QFileInfo(path).isFile())
                return path;
        }
    }
    return QString();
}

QString queryXdgMime()
{
    const QString xdgMime = QStandardPaths::findExecutable(u"xdg-mime"_s);
    if (xdgMime.isEmpty())
        return QString();
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(xdgMime, {u"query"_s, u"default"_s, u"text/plain"_s});
    if (!process.waitForFinished(5000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished(1000);
        return QString();
    }
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

} // namespace

QStringList EditorCommand::textApplicationCandidates()
{
    static const QString mime = u"text/plain"_s;
    QStringList candidates;
    const QString fromTool = queryXdgMime();
    if (!fromTool.isEmpty())
        candidates.append(fromTool);

    QStringList lists;
    const QStringList desktops =
        qEnvironmentVariable("XDG_CURRENT_DESKTOP").toLower().split(u':', Qt::SkipEmptyParts);
    QStringList configLocations{configHome()};
    configLocations += configDirs();
    for (const QString& dir : configLocations) {
        for (const QString& desktop : desktops)
            lists.append(dir + u'/' + desktop + u"-mimeapps.list"_s);
        lists.append(dir + u"/mimeapps.list"_s);
    }
    for (const QString& dir : applicationDirs()) {
        for (const QString& desktop : desktops)
            lists.append(dir + u'/' + desktop + u"-mimeapps.list"_s);
        lists.append(dir + u"/mimeapps.list"_s);
    }
    for (const QString& list : lists)
        candidates += desktopIds(readKey(list, u"Default Applications"_s, mime));
    for (const QString& dir : applicationDirs())
        candidates += desktopIds(readKey(dir + u"/defaults.list"_s, u"Default Applications"_s, mime));
    for (const QString& list : lists)
        candidates += desktopIds(readKey(list, u"Added Associations"_s, mime));
    for (const QString& dir : applicationDirs())
        candidates += desktopIds(readKey(dir + u"/mimeinfo.cache"_s, u"MIME Cache"_s, mime));
    candidates.removeDuplicates();
    return candidates;
}

std::optional<EditorCommand> EditorCommand::forAssociatedApplication(const QString& file)
{
    for (const QString& id : textApplicationCandidates()) {
        const QString desktopFile = findDesktopFile(id);
        if (desktopFile.isEmpty())
            continue;
        if (auto command = fromDesktopFile(desktopFile, file))
            return command;
    }
    return std::nullopt;
}

std::optional<EditorCommand> EditorCommand::fromDesktopFile(const QString& desktopFilePath,
                                                            const QString& file)
{
    const auto exec = readKey(desktopFilePath, u"Desktop Entry"_s, u"Exec"_s);
    if (!exec)
        return std::nullopt;
    std::optional<EditorCommand> command = fromExecLine(*exec, file);
    // A terminal program started without a terminal shows nothing and the
    // pass would wait for an editor the user never sees.
    const QString terminal = readKey(desktopFilePath, u"Desktop Entry"_s, u"Terminal"_s).value_or(QString());
    if (command && (terminal.trimmed() == u"true"_s || terminal.trimmed() == u"1"_s))
        return inTerminal(*command);
    return command;
}

std::optional<EditorCommand> EditorCommand::inTerminal(const EditorCommand& command)
{
    struct Terminal
    {
        QString program;
        QStringList options; // before the command; the command's arguments follow it
    };
    // gnome-terminal and xfce4-terminal hand their window to a running server
    // and exit at once unless told to wait; the editing pass copes with that
    // (it then waits for saves), but waiting for the editor is better.
    static const QList<Terminal> terminals = {
        {u"xdg-terminal-exec"_s, {}},
        {u"x-terminal-emulator"_s, {u"-e"_s}},
        {u"gnome-terminal"_s, {u"--wait"_s, u"--"_s}},
        {u"konsole"_s, {u"-e"_s}},
        {u"xfce4-terminal"_s, {u"--disable-server"_s, u"-x"_s}},
        {u"mate-terminal"_s, {u"-x"_s}},
        {u"xterm"_s, {u"-e"_s}},
    };
    for (const Terminal& terminal : terminals) {
        const QString program = QStandardPaths::findExecutable(terminal.program);
        if (program.isEmpty())
            continue;
        QStringList arguments = terminal.options;
        arguments << command.program << command.arguments;
        return EditorCommand{program, arguments};
    }
    return std::nullopt;
}

std::optional<EditorCommand> EditorCommand::fromExecLine(const QString& exec, const QString& file)
{
    // Lenient reading never refuses: what another program wrote is taken as it is.
    const std::optional<QList<DesktopEntryValue::Argument>> split =
        DesktopEntryValue::splitExec(exec, DesktopEntryValue::Reading::Lenient);
    if (split->isEmpty())
        return std::nullopt;

    // Field codes: the file for %f %F %u %U, '%' for %%, nothing for the rest.
    bool placed = false;
    QStringList arguments;
    for (const DesktopEntryValue::Argument& argument : *split) {
        const QString& token = argument.text;
        QString expanded;
        bool onlyDropped = true;
        for (qsizetype i = 0; i < token.size(); ++i) {
            const QChar ch = token.at(i);
            if (ch != u'%' || i + 1 == token.size()) {
                expanded.append(ch);
                onlyDropped = false;
                continue;
            }
            const QChar code = token.at(++i);
            if (code == u'f' || code == u'F' || code == u'u' || code == u'U') {
                // Desktop entries may not put a field code in a quoted argument:
                // such an argument is mostly a shell script ("sh -c \"ed %f\""),
                // where the file name, which holds the memo's title, would be
                // read as shell code. The line is refused, not guessed at. A
                // quoted argument that is the field code alone ("%f") is the
                // same as one without quotes and is taken.
                if (argument.quoted && token.size() != 2)
                    return std::nullopt;
                expanded.append(file);
                placed = true;
                onlyDropped = false;
            } else if (code == u'%') {
                expanded.append(u'%');
                onlyDropped = false;
            }
        }
        if (!(expanded.isEmpty() && onlyDropped))
            arguments.append(expanded);
    }
    if (arguments.isEmpty())
        return std::nullopt;
    if (!placed)
        arguments.append(file);
    EditorCommand command;
    command.program = arguments.takeFirst();
    command.arguments = arguments;
    return command;
}

std::optional<EditorCommand> EditorCommand::fromConfiguredPath(const QString& path, const QString& file)
{
    if (path.isEmpty())
        return std::nullopt;
    if (QFileInfo(path).isFile())
        return EditorCommand{path, {file}};

    if (path.startsWith(u'"')) {
        QStringList parts = QProcess::splitCommand(path);
        if (parts.isEmpty())
            return std::nullopt;
        const QString program = resolveProgram(parts.takeFirst());
        if (program.isEmpty())
            return std::nullopt;
        parts.append(file);
        return EditorCommand{program, parts};
    }

    for (qsizetype blank = path.indexOf(u' ', 1); blank > 0; blank = path.indexOf(u' ', blank + 1)) {
        const QString program = resolveProgram(path.left(blank));
        if (program.isEmpty())
            continue;
        QStringList arguments = QProcess::splitCommand(path.mid(blank + 1));
        arguments.append(file);
        return EditorCommand{program, arguments};
    }
    const QString program = resolveProgram(path);
    if (program.isEmpty())
        return std::nullopt;
    return EditorCommand{program, {file}};
}
