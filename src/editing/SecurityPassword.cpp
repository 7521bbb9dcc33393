#include "editing/SecurityPassword.h"

#include "app/Prompt.h"
#include "app/Settings.h"
#include "app/SettingsFile.h"
#include "editing/PasswordScrambler.h"
#include "store/DatabaseError.h"
#include "store/MemoStore.h"
#include "store/WriteBatch.h"

namespace {

// A settings value is one line of at most this many UTF-8 bytes.
constexpr qsizetype kMaxSettingBytes = 255;

bool fitsOnOneLine(const QString& text)
{
    for (QChar ch : text)
        if (ch == u'\r' || ch == u'\n' || ch.isNull())
            return false;
    return true;
}

} // namespace

std::optional<QString> unstorablePasswordReason(const QString& password)
{
    const std::optional<QString> scrambled = EncodePassword(password);
    if (!scrambled || !fitsOnOneLine(*scrambled))
        return QStringLiteral("このパスワードには保存できない文字が含まれているため、設定できません。\n"
                              "別のパスワードを入力してください。");
    if (scrambled->toUtf8().size() > kMaxSettingBytes)
        return QStringLiteral("このパスワードは長すぎるため、設定できません。\n"
                              "短いパスワードを入力してください。");
    return std::nullopt;
}

bool saveSecurityPassword(const SettingsFile& settings, MemoStore& store, Prompt& prompt,
                          const QString& password)
{
    if (const std::optional<QString> reason = unstorablePasswordReason(password)) {
        prompt.critical(*reason);
        return false;
    }
    const QString scrambled = EncodePassword(password).value_or(QString());
    const QString previous = settings.read(Settings::Security::Password);
    try {
        // The database first, inside a transaction, so that a refused settings
        // write leaves the database as it was.
        auto transaction = store.transaction();
        const bool protect = !password.isEmpty();
        store.writeDatabasePassword(protect, protect ? scrambled : QString());
        if (!settings.write(Settings::Security::Password, scrambled)) {
            prompt.critical(QStringLiteral("設定ファイルに書き込めませんでした。\n") + settings.path());
            return false;
        }
        try {
            transaction.commit();
        } catch (const DatabaseError&) {
            settings.write(Settings::Security::Password, previous);
            throw;
        }
    } catch (const DatabaseError& error) {
        prompt.critical(error.userMessage());
        return false;
    }
    return true;
}

QList<qint64> writeMemoLocks(MemoStore& store, const QList<qint64>& ids, bool locked)
{
    QList<qint64> written;
    written.reserve(ids.size());
    WriteBatch batch(store.database());
    for (qint64 id : ids) {
        batch.beforeWrite();
        const bool found = store.writeMemoLock(id, locked);
        batch.afterWrite();
        if (found)
            written.append(id);
    }
    batch.commit();
    return written;
}

std::optional<qint64> firstLockedMemo(MemoStore& store, const QList<qint64>& ids)
{
    for (qint64 id : ids)
        if (store.isMemoLocked(id))
            return id;
    return std::nullopt;
}
