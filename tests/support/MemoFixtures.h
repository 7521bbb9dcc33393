#pragma once

#include <QString>

// Small helpers that build real database files for tests.
namespace MemoFixtures {

// A fresh database made from the template at `path`.
void createDatabase(const QString& folder, const QString& path);
// Sets the database password (stored scrambled) of the file at `path`.
void setDatabasePassword(const QString& path, const QString& password);
// Runs raw SQL on a file, for preparing files the program would not write itself.
void execute(const QString& path, const char* sql);
// What SQLite's integrity check says of the file: "ok" for a whole database,
// else its first complaint, or why the file could not be opened.
QString integrityCheck(const QString& path);
// Writes a text file as UTF-8.
void writeText(const QString& path, const QString& text);
QByteArray readBytes(const QString& path);
// Writes at `path` a Jet 4 file (of the public fixtures) whose one table is
// named Memo, as in a Windows memo database: its columns are not Quillet's
// and it has no DBInfo, so it converts as a file of version 0.
void writeJetWithMemoTable(const QString& path);

} // namespace MemoFixtures
