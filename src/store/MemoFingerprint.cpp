#include "store/MemoFingerprint.h"

#include "store/Memo.h"

#include <QCryptographicHash>

namespace MemoFingerprint {

namespace {

// Each field with its length before it, so that no two memos share a stream.
void addField(QCryptographicHash& hash, const QString& field)
{
    const QByteArray bytes = field.toUtf8();
    hash.addData(QByteArray::number(bytes.size()).append(':'));
    hash.addData(bytes);
}

} // namespace

QString ofMemo(const QString& title, const QString& tags, const QString& body)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString* field : {&title, &tags, &body})
        addField(hash, *field);
    return QString::fromLatin1(hash.result().toHex());
}

QString ofMemo(const Memo& memo)
{
    return ofMemo(memo.title, memo.category, memo.body);
}

QString ofBody(const QString& body)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    addField(hash, body);
    return QString::fromLatin1(hash.result().toHex());
}

QString ofBytes(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

} // namespace MemoFingerprint
