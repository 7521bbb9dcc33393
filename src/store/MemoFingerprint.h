#pragma once

#include <QByteArray>
#include <QString>

struct Memo;

// A short text that changes whenever a stored memo's text does: a window keeps
// the fingerprint of the memo as it loaded it, so that unsaved text brought
// back later can tell whether the stored memo changed meanwhile (another
// window, another copy of Quillet, a merge). It compares contents, not the
// update time, whose resolution is one second.
namespace MemoFingerprint {

// Of a memo's title, tags and body as stored.
QString ofMemo(const QString& title, const QString& tags, const QString& body);
QString ofMemo(const Memo& memo);
// Of a body alone (the floating windows, which write only the body).
QString ofBody(const QString& body);
// Of a file's bytes.
QString ofBytes(const QByteArray& bytes);

} // namespace MemoFingerprint
