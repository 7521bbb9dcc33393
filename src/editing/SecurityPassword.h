#pragma once

#include <QList>
#include <QString>
#include <optional>

class MemoStore;
class Prompt;
class SettingsFile;

// The security password as stored, and the protection flag of memos.
//
// The password is kept scrambled in two places: the settings key
// Security/Password, which the main window reads at start, and the database's
// DBInfo row, which marks the database as asking for it when it is opened by
// name (and when another database imports it).

// Why `password` cannot be stored, as the message to show; nullopt when it can.
// It cannot when it does not scramble and unscramble back to itself, or when
// its scrambled form does not fit on one line of 255 UTF-8 bytes in the
// settings file (a tab or form feed scrambles to a line break).
std::optional<QString> unstorablePasswordReason(const QString& password);

// Saves a new security password: the settings key Security/Password and the
// database password (DBInfo.IsMemoPass set and Password scrambled for a
// non-empty one, both cleared for the empty one; a DBInfo without a row is left
// as it is). Both are written or neither: false, after telling the user, when
// the password cannot be stored or a write failed.
bool saveSecurityPassword(const SettingsFile& settings, MemoStore& store, Prompt& prompt,
                          const QString& password);

// Protects (or unprotects) the memos `ids`, writing in batched transactions.
// Returns the memos written, in the order given; a memo that no longer exists
// is skipped. Throws DatabaseError; the batches committed before stay written.
QList<qint64> writeMemoLocks(MemoStore& store, const QList<qint64>& ids, bool locked);

// The first of `ids`, in the order given, whose memo is protected; nullopt
// when none is. Throws DatabaseError.
std::optional<qint64> firstLockedMemo(MemoStore& store, const QList<qint64>& ids);
