#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

class MemoStore;
class QMimeData;

// Text crossing the clipboard. The clipboard is text for other programs on
// this desktop, so it carries '\n' line ends; memo bodies keep CR LF in the
// database. Only plain text is ever taken from it or put on it.
namespace ClipboardText {

// The plain text the clipboard offers; nullopt when it offers none (only a
// picture or a file list: a file list's addresses are not text to paste).
std::optional<QString> plainText(const QMimeData* data);
// The text a contents box takes by a paste or a drop: plain text as above,
// and not empty (an empty paste would only remove the selection).
std::optional<QString> pastableText(const QMimeData* data);

// A stored body as clipboard text: each stored line break (CR LF, lone CR or
// LF) becomes '\n'; every other character stays.
QString fromStored(const QString& storedBody);
// Clipboard text as a stored body, the way the contents box would take it:
// CR LF, lone CR and lone LF each become one CR LF.
QString toStored(const QString& text);

// The bodies of the memos `ids` in that order, each ended by a line break,
// with nothing added between them; memos that no longer exist are skipped.
// Kept as UTF-8, as the database holds them and as other programs take
// them, so that many megabytes go to the clipboard without a conversion.
struct MemoBodies
{
    QByteArray utf8;
    bool anyLocked = false; // one of the memos is protected by the password
    QString text() const { return QString::fromUtf8(utf8); }
};
// Throws DatabaseError.
MemoBodies readMemoBodies(MemoStore& store, const QList<qint64>& ids);
// Clipboard contents that offer UTF-8 text as plain text.
QMimeData* textMimeData(const QByteArray& utf8);

} // namespace ClipboardText
