#pragma once

#include <QString>

// The template database "default.mdb" in Quillet's folder: every new database
// file is a copy of it. It is written from the built-in schema when missing.
class TemplateDatabase
{
public:
    static QString fileName() { return QStringLiteral("default.mdb"); }

    // Writes `folder` + "default.mdb" when it does not exist yet; returns its path.
    // Throws DatabaseError when it cannot be written.
    static QString ensure(const QString& folder);
    // Copies the template (written first when missing) to `target`, which must not exist.
    static void copyTo(const QString& folder, const QString& target);
    // Writes a database of the built-in layout at `path`, which must not exist,
    // whatever the file default.mdb holds. Throws DatabaseError.
    static void writeBuiltIn(const QString& path);
};
