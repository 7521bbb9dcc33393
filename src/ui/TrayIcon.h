#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <memory>

class Form1;
class QMenu;
class QTimer;
class QWidget;

// The desktop's notification area as the tray icon uses it. The application
// uses QSystemTrayIcon; tests put a simulated tray in its place.
class TrayBackend : public QObject
{
    Q_OBJECT
public:
    // True while the desktop has a notification area.
    virtual bool isAvailable() const = 0;
    // Puts the icon into the notification area (again, after the area was
    // re-created).
    virtual void showIcon(const QIcon& icon, const QString& toolTip) = 0;
    virtual void hideIcon() = 0;
    // The menu that a right click on the icon shows.
    virtual void setContextMenu(QMenu* menu) = 0;

Q_SIGNALS:
    void activated(QSystemTrayIcon::ActivationReason reason);
};

// The icon in the notification area: a left click brings the program and its
// floating memo windows back; a right click shows popPopUp4 while the main
// window is shown, popPopUp3 while it is minimised. The icon comes back by
// itself when the desktop's panel restarts. Without a notification area
// Quillet runs as usual, and no window stays hidden where nothing could bring
// it back.
class TrayIcon : public QObject
{
    Q_OBJECT
public:
    explicit TrayIcon(Form1& window);
    ~TrayIcon() override;

    // Replaces the notification area (tests) and checks it at once.
    void setBackend(std::unique_ptr<TrayBackend> backend);
    // True while the icon is in the notification area.
    bool isShown() const { return m_shown; }
    QMenu* popPopUp3() const { return m_popPopUp3; }
    QMenu* popPopUp4() const { return m_popPopUp4; }
    // The menu for the window's present state.
    QMenu* currentMenu() const;

    // Adds the icon when the notification area is there and it is not yet in
    // it; notes a lost area (bringing back what only the icon could) and
    // re-adds the icon when the area comes back. Runs on a timer.
    void checkTray();

    // A left click: the main window in its normal state, in front, then every
    // floating memo window that is not out in an external editor.
    void RestoreProgram();
    void pop4Minimize();
    void MinimizeFloat();
    void ReturnFloat();
    void pop3NewMemo();
    void pop3Clipboard2NewMemo();
    // pop3Close and pop4Close: closes the main window as its close box does
    // (no save question), which ends the program.
    void closeProgram();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void onActivated(QSystemTrayIcon::ActivationReason reason);
    void followWindowState();
    void hideForTray(QWidget* widget);
    // Mirrors the external-editor captions and states of the memo list's items.
    void updateEditorItems();

    Form1& m_window;
    std::unique_ptr<TrayBackend> m_backend;
    QTimer* m_poll = nullptr;
    QMenu* m_popPopUp3 = nullptr;
    QMenu* m_popPopUp4 = nullptr;
    bool m_shown = false;
    // Windows hidden by the tray's menus, shown again should the tray go.
    QList<QPointer<QWidget>> m_hiddenByTray;
};
