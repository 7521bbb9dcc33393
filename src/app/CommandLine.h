#pragma once

#include <QString>
#include <QStringList>

// The command line in its three forms: nothing (the default database), a
// database file (".mdb"), or the sibling diary program's profile file (".ini")
// followed by a user ID and an optional password.
struct CommandLine
{
    enum class Form { Default, Database, Profile, Unrecognised };

    Form form = Form::Default;
    // At most ten, double quotes removed; the first keeps them when it names
    // an existing file as it is.
    QStringList arguments;
    QString openPath;      // the first argument, empty in the default form

    // `processArguments` are the arguments after the program name, as the shell split them.
    static CommandLine parse(const QStringList& processArguments);
    // The text after the last '.' when that '.' comes after the last folder separator; else empty.
    static QString extensionOf(const QString& path);
    // The file name part of a path written with '/' or '\'.
    static QString fileNameOf(const QString& path);
};
