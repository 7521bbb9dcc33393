#include "app/Startup.h"

#include "app/IniFile.h"
#include "app/Prompt.h"
#include "editing/PasswordScrambler.h"
#include "store/DatabaseInfo.h"
#include "store/JetConverter.h"
#include "store/JetImport.h"
#include "store/MemoStore.h"
#include "store/TemplateDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kEnding = QStringLiteral("\nQuilletを終了します。");

QString asFolder(QString path)
{
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

} // namespace

StartupResult::StartupResult() = default;
StartupResult::~StartupResult() = default;
StartupResult::StartupResult(StartupResult&&) noexcept = default;
StartupResult& StartupResult::operator=(StartupResult&&) noexcept = default;

Startup::Startup(Prompt& prompt, QString myPath, ProgressFactory makeProgress)
    : m_prompt(prompt), m_myPath(std::move(myPath)), m_makeProgress(std::move(makeProgress))
{
}

QString Startup::baseCaption()
{
    return QStringLiteral("%1 v%2.%3.%4")
        .arg(QLatin1String(AppPaths::ProductName))
        .arg(QUILLET_VERSION_MAJOR)
        .arg(QUILLET_VERSION_MINOR)
        .arg(QUILLET_VERSION_PATCH);
}

QString Startup::askDatabasePassword()
{
    return m_prompt.password(QStringLiteral("パスワードの入力"),
                             QStringLiteral("このデータベースを開くためのパスワードを入力してください。"));
}

bool Startup::databaseFileExists(const QString& path)
{
    if (QFileInfo(path).isFile())
        return true;
    return endWith(QStringLiteral("データベースファイルが見つかりません。\n") + path);
}

bool Startup::endWith(const QString& message)
{
    m_prompt.critical(message + kEnding);
    return false;
}

StartupResult Startup::run(const QStringList& arguments)
{
    StartupResult result;
    result.myPath = m_myPath;
    result.caption = baseCaption();

    CommandLine line = CommandLine::parse(arguments);
    if (line.form == CommandLine::Form::Unrecognised) {
        m_prompt.warn(QStringLiteral("コマンドラインの「%1」はデータベース(.mdb)でもプロファイル(.ini)でもありません。\n"
                                     "既定のデータベースで起動します。")
                          .arg(line.openPath));
        line = CommandLine{};
    }

    try {
        bool resolved = false;
        switch (line.form) {
        case CommandLine::Form::Database:
            resolved = resolveDatabase(result, line);
            break;
        case CommandLine::Form::Profile:
            resolved = resolveProfile(result, line);
            break;
        case CommandLine::Form::Default:
        case CommandLine::Form::Unrecognised:
            resolved = resolveDefault(result);
            break;
        }
        if (!resolved || !convertJetDatabase(result, line) ||
            !checkDatabase(result, line.form == CommandLine::Form::Database))
            return result;

        result.profile = ProfilePaths::forId(m_myPath, result.profile.id);
        result.store = std::make_unique<MemoStore>(result.dbPath);
        // Only a database that opened gets its profile folders; new ones are
        // open to the user only, as they hold memo text.
        AppPaths::makePrivatePath(result.profile.iniBasePath);
        AppPaths::makePrivatePath(result.profile.tmpBasePath);
    } catch (const DatabaseError& error) {
        endWith(error.userMessage());
        result.store.reset();
        return result;
    }
    result.proceed = true;
    return result;
}

bool Startup::resolveDefault(StartupResult& result)
{
    result.profile.id = QStringLiteral("default");
    result.caption += QStringLiteral(" [default]");
    result.dbPath = m_myPath + QStringLiteral("diary.mdb");
    if (!QFileInfo::exists(result.dbPath))
        TemplateDatabase::copyTo(m_myPath, result.dbPath);
    return true;
}

bool Startup::resolveDatabase(StartupResult& result, const CommandLine& line)
{
    const QString fileName = CommandLine::fileNameOf(line.openPath);
    QString id = fileName;
    id.remove(QLatin1Char('\\'));
    id.remove(QLatin1Char(':'));
    result.profile.id = id;
    result.openPath = line.openPath;
    result.caption += QStringLiteral(" [") + fileName + QLatin1Char(']');
    result.dbPath = line.openPath;

    // The database password is asked in checkDatabase(), once the file is of
    // the current layout.
    return databaseFileExists(result.dbPath);
}

bool Startup::resolveProfile(StartupResult& result, const CommandLine& line)
{
    if (line.arguments.size() < 2)
        return endWith(QStringLiteral("IDが指定されていません。"));
    const QString& profileFile = line.openPath;
    const QString id = line.arguments.at(1);
    result.openPath = line.openPath;
    // The ID names the profile's files and folders in MyPath.
    if (!ProfilePaths::isUsableId(id))
        return endWith(
            QStringLiteral("コマンドラインで指定したID「%1」はファイル名として使えません。").arg(id));
    if (IniFile::readText(profileFile, id, QStringLiteral("ID"), QString()) != id || id.isEmpty())
        return endWith(QStringLiteral("コマンドラインで指定したIDが存在しません。"));

    if (IniFile::readInt(profileFile, id, QStringLiteral("IsMemoPath"), 0) == 1) {
        // The caller wraps the password in one extra character at each end.
        QString entered;
        if (line.arguments.size() >= 3) {
            const QString& wrapped = line.arguments.at(2);
            entered = wrapped.size() >= 2 ? wrapped.mid(1, wrapped.size() - 2) : QString();
        } else {
            entered = askDatabasePassword();
        }
        const std::optional<QString> stored =
            DecodePassword(IniFile::readText(profileFile, id, QStringLiteral("Pass"), QString()));
        if (!stored || *stored != entered)
            return endWith(QStringLiteral("パスワードが間違っています。"));
    }
    result.profile.id = id;
    result.caption += QStringLiteral(" [") + id + QLatin1Char(']');
    result.dbPath = asFolder(IniFile::readText(profileFile, id, QStringLiteral("Path"), QString())) +
                    QStringLiteral("diary.mdb");
    return databaseFileExists(result.dbPath);
}

bool Startup::convertJetDatabase(StartupResult& result, const CommandLine& line)
{
    if (!IsJetFile(result.dbPath))
        return true;
    const JetOffer offer = OfferJetConversion(m_prompt, result.dbPath, m_makeProgress);
    if (offer.declined)
        return endWith(QStringLiteral("Windows版のメモデータベースは、変換しないと開けません。"));
    // A failed or cancelled conversion has been told; the program ends there.
    if (offer.database.isEmpty())
        return false;
    const QString& converted = offer.database;
    if (line.form != CommandLine::Form::Database) {
        result.dbPath = converted;
        return true;
    }
    // Named after the converted file, as when it is opened itself next time:
    // the same profile and settings from the first run on.
    CommandLine convertedLine = line;
    convertedLine.openPath = converted;
    result.caption = baseCaption();
    return resolveDatabase(result, convertedLine);
}

bool Startup::checkDatabase(StartupResult& result, bool asksPassword)
{
    // An older layout is rebuilt to the current one; a cancelled rebuild ends
    // the program (the user has been told), the file left as it was.
    if (UpgradeDatabaseIfOld(result.dbPath, m_myPath, m_prompt, m_makeProgress) == UpgradeResult::Cancelled)
        return false;
    // Asked of the upgraded file, whatever its version number says: only the
    // current layout stores a database password, and a file that stores none
    // asks for none.
    if (asksPassword && ReadIsMemoPass(result.dbPath)) {
        const QString entered = askDatabasePassword();
        if (entered.isEmpty())
            return false;
        if (!CheckDatabasePassword(entered, result.dbPath))
            return endWith(QStringLiteral("パスワードが間違っています。"));
    }
    offerWriteAccess(result.dbPath);
    return true;
}

void Startup::offerWriteAccess(const QString& dbPath)
{
    // SQLite creates the WAL companions with the database file's mode, also for
    // the read-only connections of the checks before this one. Once the file was
    // read-only, they are too, and a connection that cannot write them cannot
    // write at all: every file of the database needs write access.
    QStringList readOnly;
    for (const QString& file :
         QStringList{dbPath, dbPath + QStringLiteral("-wal"), dbPath + QStringLiteral("-shm"),
                     dbPath + QStringLiteral("-journal")}) {
        if (QFileInfo::exists(file) && !(QFile::permissions(file) & QFileDevice::WriteOwner))
            readOnly.append(file);
    }
    if (readOnly.isEmpty())
        return;
    if (!m_prompt.askYesNo(
            QStringLiteral("ファイルが読み取り専用になっています。読み取り専用を解除しますか？\n"
                           "読み取り専用だとメモの保存ができません(強制終了します)。")))
        return;
    for (const QString& file : readOnly) {
        if (!QFile::setPermissions(file, QFile::permissions(file) | QFileDevice::WriteOwner)) {
            m_prompt.warn(QStringLiteral("読み取り専用を解除できませんでした。メモの保存はできません。\n") +
                          file);
            return;
        }
    }
}
