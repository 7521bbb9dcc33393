#include "editing/PasswordCommands.h"

#include "app/Prompt.h"
#include "editing/MemoEditor.h"
#include "editing/SecurityPassword.h"
#include "store/DatabaseError.h"
#include "tags/MemoList.h"
#include "ui/BusyCursor.h"
#include "ui/Form1.h"

#include <QAction>

namespace {

const QString kWrongPassword = QStringLiteral("パスワードが間違っています。");

// Keeps the main window out of the always-on-top band while the password
// dialog and its messages are shown, and puts it back by the button's state
// afterwards, whatever the answer was.
class OutOfTopmostBand
{
public:
    explicit OutOfTopmostBand(Form1& window) : m_window(window) { m_window.leaveTopmostBand(); }
    ~OutOfTopmostBand() { m_window.AlwaysOnTop2(); }
    OutOfTopmostBand(const OutOfTopmostBand&) = delete;
    OutOfTopmostBand& operator=(const OutOfTopmostBand&) = delete;

private:
    Form1& m_window;
};

} // namespace

PasswordCommands::PasswordCommands(Form1& window) : QObject(&window), m_window(window)
{
    setObjectName(QStringLiteral("PasswordCommands"));
    connect(window.commandAction("popSetSecurityPass"), &QAction::triggered, this,
            &PasswordCommands::popSetSecurityPass);
    connect(window.commandAction("popDeleteSecurityPass"), &QAction::triggered, this,
            &PasswordCommands::popDeleteSecurityPass);
}

std::optional<QString> PasswordCommands::securityPassword()
{
    const std::optional<QString> password = m_window.editor().securityPassword();
    if (!password)
        m_window.prompt().critical(
            QStringLiteral("設定ファイルのセキュリティパスワードを読み取れません。\n"
                           "オプションでセキュリティパスワードを設定し直してください。"));
    return password;
}

void PasswordCommands::popSetSecurityPass()
{
    setLockOnSelected(
        true, QStringLiteral("パスワード設定"),
        QStringLiteral("選択したメモをパスワード設定します。セキュリティパスワードを入力してください。"));
}

void PasswordCommands::popDeleteSecurityPass()
{
    setLockOnSelected(
        false, QStringLiteral("パスワード設定の解除"),
        QStringLiteral(
            "選択したメモのパスワード設定を解除します。セキュリティパスワードを入力してください。"));
}

void PasswordCommands::setLockOnSelected(bool locked, const QString& caption, const QString& label)
{
    const QList<qint64> ids = m_window.memoList().selectedIds();
    OutOfTopmostBand band(m_window);
    const std::optional<QString> password = securityPassword();
    if (!password)
        return;
    const QString answer = m_window.prompt().password(caption, label);
    // Unprotecting ends silently on the empty answer; protecting compares it,
    // so that with an empty security password the empty answer protects.
    if (!locked && answer.isEmpty())
        return;
    if (answer != *password) {
        m_window.prompt().critical(kWrongPassword);
        return;
    }
    QList<qint64> written;
    try {
        BusyCursor busy;
        written = writeMemoLocks(m_window.store(), ids, locked);
    } catch (const DatabaseError& error) {
        m_window.prompt().critical(error.userMessage());
        // The rows show what the batches committed before the failure wrote.
        m_window.FillMemoList();
        return;
    }
    m_window.memoList().setMemosLocked(written, locked);
    // The memo on screen may be one of them: its flag follows, so that the
    // restore file and the next load treat it as what it now is.
    MemoEditor& editor = m_window.editor();
    if (!editor.isNewMemo() && written.contains(editor.memoNumber().toLongLong()))
        editor.setIsPassword(locked);
}

bool PasswordCommands::CheckSelectionPassword()
{
    std::optional<qint64> locked;
    try {
        BusyCursor busy;
        locked = firstLockedMemo(m_window.store(), m_window.memoList().selectedIds());
    } catch (const DatabaseError& error) {
        // What cannot be checked is not let through.
        m_window.prompt().critical(error.userMessage());
        return false;
    }
    if (!locked)
        return true;
    OutOfTopmostBand band(m_window);
    const std::optional<QString> password = securityPassword();
    if (!password)
        return false;
    // Without a security password protected memos open freely, and so go out.
    if (password->isEmpty())
        return true;
    const QString answer =
        m_window.prompt().password(QStringLiteral("パスワードの入力"),
                                   QStringLiteral("このメモを開くためのパスワードを入力してください。"));
    if (answer.isEmpty())
        return false;
    if (answer != *password) {
        m_window.prompt().critical(kWrongPassword);
        return false;
    }
    return true;
}

bool PasswordCommands::saveSecurityPassword(Form1& window, const QString& password)
{
    if (!::saveSecurityPassword(window.settings(), window.store(), window.prompt(), password))
        return false;
    window.editor().setSecurityPassword(password);
    return true;
}
