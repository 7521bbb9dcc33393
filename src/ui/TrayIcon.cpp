#include "ui/TrayIcon.h"

#include "ui/FloatingWindows.h"
#include "ui/Form1.h"
#include "ui/frmViewer.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QTimer>

namespace {

// How often the notification area is looked for: a panel that restarts gets
// the icon back within this time.
constexpr int kPollMsecs = 2000;
// A tool tip holds at most 63 characters.
constexpr int kToolTipLength = 63;

class QtTrayBackend final : public TrayBackend
{
public:
    bool isAvailable() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }

    void showIcon(const QIcon& icon, const QString& toolTip) override
    {
        if (!m_icon) {
            m_icon = new QSystemTrayIcon(this);
            connect(m_icon, &QSystemTrayIcon::activated, this, &TrayBackend::activated);
        }
        m_icon->hide();
        m_icon->setIcon(icon);
        m_icon->setToolTip(toolTip);
        m_icon->setContextMenu(m_menu);
        m_icon->show();
    }

    void hideIcon() override
    {
        if (m_icon)
            m_icon->hide();
    }

    void setContextMenu(QMenu* menu) override
    {
        m_menu = menu;
        if (m_icon)
            m_icon->setContextMenu(menu);
    }

private:
    QSystemTrayIcon* m_icon = nullptr;
    QPointer<QMenu> m_menu;
};

} // namespace

TrayIcon::TrayIcon(Form1& window) : QObject(&window), m_window(window)
{
    setObjectName(QStringLiteral("TrayIcon"));
    buildMenus();
    window.installEventFilter(this);
    m_poll = new QTimer(this);
    m_poll->setInterval(kPollMsecs);
    connect(m_poll, &QTimer::timeout, this, &TrayIcon::checkTray);
    m_poll->start();
    setBackend(std::make_unique<QtTrayBackend>());
}

TrayIcon::~TrayIcon()
{
    if (m_backend && m_shown)
        m_backend->hideIcon();
}

void TrayIcon::setBackend(std::unique_ptr<TrayBackend> backend)
{
    if (m_backend && m_shown)
        m_backend->hideIcon();
    m_shown = false;
    m_backend = std::move(backend);
    connect(m_backend.get(), &TrayBackend::activated, this, &TrayIcon::onActivated);
    followWindowState();
    checkTray();
}

void TrayIcon::buildMenus()
{
    const auto item = [this](QMenu* menu, const char* name, const QString& text, auto&& slot) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    const auto trigger = [this](const char* name) {
        return [this, name] {
            if (QAction* action = m_window.commandAction(name))
                action->trigger();
        };
    };
    const auto editorMenu = [&](QMenu* menu, const char* prefix) {
        QMenu* editors = menu->addMenu(QStringLiteral("外部エディタで新規メモを作成"));
        const QByteArray name = QByteArray(prefix) + "MemoList_New";
        editors->setObjectName(QString::fromLatin1(name));
        editors->setAccessibleName(editors->title());
        editors->menuAction()->setObjectName(QString::fromLatin1(name));
        for (int index = 0; index < 4; ++index) {
            const QByteArray itemName =
                QByteArray(prefix) + "MemoList_Editor" + QByteArray::number(index) + "New";
            QAction* action = editors->addAction(QString());
            action->setObjectName(QString::fromLatin1(itemName));
            const QByteArray source = "mnuMemoList_Editor" + QByteArray::number(index) + "New";
            connect(action, &QAction::triggered, this, [this, source] {
                if (QAction* action = m_window.commandAction(source.constData()))
                    action->trigger();
            });
        }
    };

    m_popPopUp3 = new QMenu(QStringLiteral("通知領域のメニュー（最小化中）"), &m_window);
    m_popPopUp3->setObjectName(QStringLiteral("popPopUp3"));
    m_popPopUp3->setAccessibleName(m_popPopUp3->title());
    QAction* reSize =
        item(m_popPopUp3, "pop3ReSize", QStringLiteral("元のサイズに戻す(&R)"), &TrayIcon::RestoreProgram);
    m_popPopUp3->setDefaultAction(reSize);
    item(m_popPopUp3, "pop3MinimizeFloat", QStringLiteral("フローティングメモのみ最小化"),
         &TrayIcon::MinimizeFloat);
    item(m_popPopUp3, "pop3ReturnFloat", QStringLiteral("フローティングメモのみ元に戻す"),
         &TrayIcon::ReturnFloat);
    m_popPopUp3->addSeparator();
    item(m_popPopUp3, "pop3NewMemo", QStringLiteral("新規メモを作成(&N)"), &TrayIcon::pop3NewMemo);
    item(m_popPopUp3, "pop3Clipboard2NewMemo", QStringLiteral("クリップボードから新規メモを作成"),
         &TrayIcon::pop3Clipboard2NewMemo);
    item(m_popPopUp3, "pop3MemoList_NewF", QStringLiteral("フローティングメモから新規メモを作成(&F)"),
         trigger("mnuMemoList_NewF"));
    editorMenu(m_popPopUp3, "pop3");
    m_popPopUp3->addSeparator();
    item(m_popPopUp3, "pop3Close", QStringLiteral("終了(&X)"), &TrayIcon::closeProgram);

    m_popPopUp4 = new QMenu(QStringLiteral("通知領域のメニュー"), &m_window);
    m_popPopUp4->setObjectName(QStringLiteral("popPopUp4"));
    m_popPopUp4->setAccessibleName(m_popPopUp4->title());
    item(m_popPopUp4, "pop4MemoList_NewF", QStringLiteral("フローティングメモから新規メモを作成(&F)"),
         trigger("mnuMemoList_NewF"));
    editorMenu(m_popPopUp4, "pop4");
    m_popPopUp4->addSeparator();
    item(m_popPopUp4, "pop4Minimize", QStringLiteral("全て最小化する"), &TrayIcon::pop4Minimize);
    item(m_popPopUp4, "pop4MinimizeFloat", QStringLiteral("フローティングメモのみ最小化"),
         &TrayIcon::MinimizeFloat);
    item(m_popPopUp4, "pop4ReturnFloat", QStringLiteral("フローティングメモのみ元に戻す"),
         &TrayIcon::ReturnFloat);
    m_popPopUp4->addSeparator();
    item(m_popPopUp4, "pop4Close", QStringLiteral("終了(&X)"), &TrayIcon::closeProgram);

    for (QMenu* menu : {m_popPopUp3, m_popPopUp4})
        connect(menu, &QMenu::aboutToShow, this, &TrayIcon::updateEditorItems);
    updateEditorItems();
}

void TrayIcon::updateEditorItems()
{
    for (int index = 0; index < 4; ++index) {
        const QByteArray sourceName = "mnuMemoList_Editor" + QByteArray::number(index) + "New";
        const QAction* source = m_window.commandAction(sourceName.constData());
        for (const char* prefix : {"pop3", "pop4"}) {
            const QString name = QString::fromLatin1(prefix) + QStringLiteral("MemoList_Editor") +
                                 QString::number(index) + QStringLiteral("New");
            QAction* action = m_window.findChild<QAction*>(name);
            if (!action || !source)
                continue;
            action->setText(source->text());
            action->setVisible(source->isVisible());
            action->setEnabled(source->isEnabled());
        }
    }
}

QMenu* TrayIcon::currentMenu() const
{
    return m_window.isMinimized() || !m_window.isVisible() ? m_popPopUp3 : m_popPopUp4;
}

void TrayIcon::followWindowState()
{
    if (m_backend)
        m_backend->setContextMenu(currentMenu());
}

bool TrayIcon::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_window && (event->type() == QEvent::WindowStateChange ||
                                 event->type() == QEvent::Show || event->type() == QEvent::Hide))
        followWindowState();
    return QObject::eventFilter(watched, event);
}

void TrayIcon::checkTray()
{
    const bool available = m_backend->isAvailable();
    if (available && !m_shown) {
        QIcon icon = QApplication::windowIcon();
        if (icon.isNull())
            icon = m_window.windowIcon();
        if (icon.isNull())
            return;
        followWindowState();
        m_backend->showIcon(icon, m_window.windowTitle().left(kToolTipLength));
        m_shown = true;
    } else if (!available && m_shown) {
        // The panel went away: the icon goes with it until the panel is back,
        // and what was hidden behind the icon must not stay out of reach.
        m_backend->hideIcon();
        m_shown = false;
        if (!m_window.isVisible())
            RestoreProgram();
        for (const QPointer<QWidget>& widget : std::as_const(m_hiddenByTray)) {
            const auto* viewer = qobject_cast<frmViewer*>(widget.data());
            if (viewer && !viewer->IsOuterEdit() && !viewer->isVisible())
                widget->show();
        }
        m_hiddenByTray.clear();
    }
}

void TrayIcon::onActivated(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
    case QSystemTrayIcon::DoubleClick:
        RestoreProgram();
        break;
    case QSystemTrayIcon::Context:
        followWindowState();
        break;
    default:
        break;
    }
}

void TrayIcon::hideForTray(QWidget* widget)
{
    widget->hide();
    m_hiddenByTray << widget;
}

void TrayIcon::RestoreProgram()
{
    m_window.setWindowState((m_window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    m_window.show();
    m_window.raise();
    m_window.activateWindow();
    m_window.AlwaysOnTop2();
    ReturnFloat();
    m_hiddenByTray.clear();
}

void TrayIcon::pop4Minimize()
{
    m_window.showMinimized();
    // Hidden, the window is reached only through the icon: without one it
    // stays minimised where the desktop shows it.
    if (m_shown)
        hideForTray(&m_window);
    MinimizeFloat();
}

void TrayIcon::MinimizeFloat()
{
    const QList<frmViewer*> viewers = m_window.floatingWindows().windows();
    for (auto it = viewers.crbegin(); it != viewers.crend(); ++it) {
        if (m_shown)
            hideForTray(*it);
        else if ((*it)->isVisible())
            (*it)->showMinimized();
    }
}

void TrayIcon::ReturnFloat()
{
    // A window whose memo is out in an external editor stays hidden until the
    // editor is done, so that the memo cannot be edited in two places.
    const QList<frmViewer*> viewers = m_window.floatingWindows().windows();
    for (auto it = viewers.crbegin(); it != viewers.crend(); ++it) {
        frmViewer* viewer = *it;
        if (viewer->IsOuterEdit())
            continue;
        viewer->setWindowState(viewer->windowState() & ~Qt::WindowMinimized);
        viewer->show();
    }
}

void TrayIcon::closeProgram()
{
    // Closing a hidden window does not count as closing the last window, so
    // the program is ended here once the window agreed to close.
    if (m_window.close())
        QCoreApplication::quit();
}

void TrayIcon::pop3NewMemo()
{
    RestoreProgram();
    if (QAction* action = m_window.commandAction("mnuNewMemo"))
        action->trigger();
}

void TrayIcon::pop3Clipboard2NewMemo()
{
    RestoreProgram();
    if (QAction* action = m_window.commandAction("mnuClipboard2NewMemo"))
        action->trigger();
}
