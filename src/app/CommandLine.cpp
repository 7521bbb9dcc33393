#include "app/CommandLine.h"

#include <QFileInfo>

namespace {

constexpr int MaxArguments = 10;

int lastSeparator(const QString& path)
{
    return std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
}

} // namespace

CommandLine CommandLine::parse(const QStringList& processArguments)
{
    CommandLine line;
    bool allBlank = true;
    for (const QString& argument : processArguments) {
        if (line.arguments.size() == MaxArguments)
            break;
        QString unquoted = argument;
        // The shell or the desktop has already taken the quoting off, so a
        // double quote left in the first argument belongs to the path when
        // the argument, as it is, names an existing file (a launcher or a
        // database switch passes such a path whole). Otherwise it is removed.
        if (!(line.arguments.isEmpty() && argument.contains(QLatin1Char('"')) && QFileInfo::exists(argument)))
            unquoted.remove(QLatin1Char('"'));
        if (!unquoted.trimmed().isEmpty())
            allBlank = false;
        line.arguments.append(unquoted);
    }
    if (allBlank) {
        line.arguments.clear();
        return line;
    }
    line.openPath = line.arguments.first();
    const QString extension = extensionOf(line.openPath).toLower();
    if (extension == QLatin1String("mdb"))
        line.form = Form::Database;
    else if (extension == QLatin1String("ini"))
        line.form = Form::Profile;
    else
        line.form = Form::Unrecognised;
    return line;
}

QString CommandLine::extensionOf(const QString& path)
{
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot < lastSeparator(path))
        return {};
    return path.mid(dot + 1);
}

QString CommandLine::fileNameOf(const QString& path)
{
    return path.mid(lastSeparator(path) + 1);
}
