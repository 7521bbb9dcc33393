#include "app/DesktopLauncher.h"

#include "app/AppPaths.h"
#include "app/AtomicFile.h"
#include "app/CommandLine.h"
#include "app/DesktopEntryValue.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>

namespace {

// Characters that oblige an Exec argument to be quoted (freedesktop.org
// Desktop Entry format, "The Exec key").
bool isReserved(QChar c)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    return reserved.contains(c);
}

bool isControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7f;
}

QString absolute(const QString& path)
{
    return QFileInfo(path).absoluteFilePath();
}

// Field codes: "%%" is a literal '%', any other "%x" expands to nothing here
// (a launcher of Quillet passes no files or URLs).
QString expandFieldCodes(const QString& part)
{
    QString text;
    for (qsizetype i = 0; i < part.size(); ++i) {
        if (part.at(i) == QLatin1Char('%') && i + 1 < part.size()) {
            if (part.at(++i) == QLatin1Char('%'))
                text += QLatin1Char('%');
            continue;
        }
        text += part.at(i);
    }
    return text;
}

// A field code that is a whole argument of its own and expands to nothing
// (%f without a file) removes the argument.
void appendPart(QStringList& parts, const QString& part, bool quoted)
{
    const bool lone =
        !quoted && part.size() == 2 && part.at(0) == QLatin1Char('%') && part.at(1) != QLatin1Char('%');
    if (!lone)
        parts << expandFieldCodes(part);
}

} // namespace

DesktopLauncher DesktopLauncher::forRun(const QString& program, const QString& openPath,
                                        const QString& profileId, const QString& quilletHome)
{
    DesktopLauncher launcher;
    launcher.profileId = profileId;
    launcher.program = absolute(program);
    launcher.quilletHome = quilletHome;
    const QString extension = CommandLine::extensionOf(openPath).toLower();
    if (openPath.isEmpty())
        return launcher;
    if (extension == QLatin1String("mdb"))
        launcher.arguments = {absolute(openPath)};
    else if (extension == QLatin1String("ini"))
        launcher.arguments = {absolute(openPath), profileId};
    return launcher;
}

QStringList DesktopLauncher::command() const
{
    QStringList parts;
    if (!quilletHome.isEmpty())
        parts << QStringLiteral("env") << QStringLiteral("QUILLET_HOME=") + quilletHome;
    parts << program << arguments;
    return parts;
}

std::optional<QString> DesktopLauncher::unsupportedArgument() const
{
    for (const QString& part : command()) {
        if (std::any_of(part.begin(), part.end(), isControl))
            return part;
    }
    return std::nullopt;
}

QString DesktopLauncher::quoteArgument(const QString& argument)
{
    const bool quote = argument.isEmpty() || std::any_of(argument.begin(), argument.end(), isReserved);
    QString text;
    if (quote)
        text += QLatin1Char('"');
    for (const QChar c : argument) {
        if (quote && DesktopEntryValue::isEscapedInQuotes(c))
            text += QLatin1Char('\\');
        text += c;
        if (c == QLatin1Char('%'))
            text += QLatin1Char('%');
    }
    if (quote)
        text += QLatin1Char('"');
    return text;
}

QString DesktopLauncher::escapeValue(const QString& text)
{
    QString value;
    value.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\'))
            value += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            value += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            value += QStringLiteral("\\r");
        else if (c == QLatin1Char('\t'))
            value += QStringLiteral("\\t");
        else if (c == QLatin1Char(' ') && i == 0)
            value += QStringLiteral("\\s");
        else
            value += c;
    }
    return value;
}

QString DesktopLauncher::execValue() const
{
    QStringList parts;
    for (const QString& part : command())
        parts << quoteArgument(part);
    return escapeValue(parts.join(QLatin1Char(' ')));
}

std::optional<QStringList> DesktopLauncher::splitExec(const QString& value)
{
    using namespace DesktopEntryValue;
    const std::optional<QString> text = unescape(value, Reading::Strict);
    if (!text)
        return std::nullopt;
    const std::optional<QList<Argument>> arguments = DesktopEntryValue::splitExec(*text, Reading::Strict);
    if (!arguments)
        return std::nullopt;
    QStringList parts;
    for (const Argument& argument : *arguments)
        appendPart(parts, argument.text, argument.quoted);
    return parts;
}

QString DesktopLauncher::name() const
{
    return QStringLiteral("%1 [%2]").arg(QLatin1String(AppPaths::ProductName), profileId);
}

QString DesktopLauncher::fileName() const
{
    QString stem;
    bool replaced = false;
    for (const QChar c : profileId) {
        const bool plain = c.unicode() < 0x80 && (c.isLetterOrNumber() || c == QLatin1Char('.') ||
                                                  c == QLatin1Char('-') || c == QLatin1Char('_'));
        stem += plain ? c : QLatin1Char('_');
        replaced = replaced || !plain;
    }
    if (replaced) {
        const QByteArray hash =
            QCryptographicHash::hash(profileId.toUtf8(), QCryptographicHash::Sha1).toHex();
        stem += QLatin1Char('-') + QString::fromLatin1(hash.left(8));
    }
    return QLatin1String(AppPaths::ExeName) + QLatin1Char('-') + stem + QStringLiteral(".desktop");
}

QString DesktopLauncher::entryText() const
{
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n");
    text += QStringLiteral("Name=") + escapeValue(name()) + QLatin1Char('\n');
    text += QStringLiteral("Comment=Quillet memo keeper for one profile\n"
                           "Comment[ja]=このプロファイルでQuilletを起動します\n");
    text += QStringLiteral("Exec=") + execValue() + QLatin1Char('\n');
    text += QStringLiteral("Icon=quillet\n"
                           "Terminal=false\n"
                           "Categories=Utility;\n"
                           "StartupWMClass=quillet\n");
    return text;
}

QString LauncherFolders::applications()
{
    return QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
}

QString LauncherFolders::desktop()
{
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

QString LauncherFolders::autostart()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart");
}

bool writeLauncherFile(const QString& path, const QString& text, QString* error)
{
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        *error = QStringLiteral("フォルダ「%1」を作成できません。").arg(info.absolutePath());
        return false;
    }
    // Desktops start a launcher on the desktop only when it is executable.
    return writeFileAtomically(path, text.toUtf8(), error,
                               QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                   QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
}
