#pragma once

#include "app/AppPaths.h"
#include "app/CommandLine.h"
#include "store/DatabaseUpgrade.h"

#include <QString>
#include <memory>

class Prompt;
class MemoStore;

// Everything start-up settles before the main window is built: the profile,
// the database file, the checks on it, and the open connection.
struct StartupResult
{
    bool proceed = false; // false: the program ends now, nothing has been written
    QString caption;      // window caption, e.g. "Quillet v2.2.1 [default]"
    QString myPath;
    QString dbPath;
    QString openPath;
    ProfilePaths profile;
    std::unique_ptr<MemoStore> store;

    StartupResult();
    ~StartupResult();
    StartupResult(StartupResult&&) noexcept;
    StartupResult& operator=(StartupResult&&) noexcept;
};

class Startup
{
public:
    // `makeProgress` shows the progress window of a database upgrade; without
    // it the upgrade runs without a window.
    Startup(Prompt& prompt, QString myPath, ProgressFactory makeProgress = {});

    // Works out the profile and database from the command line, asks for the
    // passwords, checks the database, creates the profile folders and opens the
    // database. Every refusal has already been shown to the user when this
    // returns with proceed false.
    StartupResult run(const QStringList& arguments);

    static QString baseCaption();

private:
    bool resolveDefault(StartupResult& result);
    bool resolveDatabase(StartupResult& result, const CommandLine& line);
    bool resolveProfile(StartupResult& result, const CommandLine& line);
    // A database of the Windows program (a Jet file) is converted, after
    // asking, into a new SQLite file beside it, which start-up goes on with
    // (the Jet file is only read). False when it was not (the user was told).
    bool convertJetDatabase(StartupResult& result, const CommandLine& line);
    // Upgrades an older file, then asks for the database password when
    // `asksPassword` (the database form) and the file has one, then offers
    // write access.
    bool checkDatabase(StartupResult& result, bool asksPassword);
    void offerWriteAccess(const QString& dbPath);
    QString askDatabasePassword();
    // False, after telling the user, when no file is at `path`.
    bool databaseFileExists(const QString& path);
    bool endWith(const QString& message);

    Prompt& m_prompt;
    QString m_myPath;
    ProgressFactory m_makeProgress;
};
