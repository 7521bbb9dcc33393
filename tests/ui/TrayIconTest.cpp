// The tray icon through the main window, with a simulated notification area in
// place of the desktop's: its menus by window state, a left click bringing the
// program back, the icon coming back with the panel, and no window left hidden
// where no icon could bring it back.
#include "ui/TrayIcon.h"
#include "MainWindowFixture.h"
#include "editing/MemoEditor.h"
#include "ui/FloatingWindows.h"
#include "ui/frmViewer.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

namespace {

using namespace Qt::Literals::StringLiterals;

// A notification area the test switches on and off, recording what the tray
// icon asks of it.
class SimulatedTray final : public TrayBackend
{
public:
    struct State
    {
        bool available = true;
        int adds = 0;
        bool iconShown = false;
        QString toolTip;
        QMenu* menu = nullptr;
    };
    explicit SimulatedTray(State& state) : m_state(state) {}

    bool isAvailable() const override { return m_state.available; }
    void showIcon(const QIcon& icon, const QString& toolTip) override
    {
        EXPECT_FALSE(icon.isNull());
        ++m_state.adds;
        m_state.iconShown = true;
        m_state.toolTip = toolTip;
    }
    void hideIcon() override { m_state.iconShown = false; }
    void setContextMenu(QMenu* menu) override { m_state.menu = menu; }

    void click(QSystemTrayIcon::ActivationReason reason) { Q_EMIT activated(reason); }

private:
    State& m_state;
};

QStringList itemTexts(const QMenu* menu)
{
    QStringList texts;
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator())
            continue;
        texts << action->objectName() + u' ' + action->text();
        if (action->menu())
            for (const QAction* sub : action->menu()->actions())
                texts << u"  "_s + sub->objectName() + u' ' + sub->text();
    }
    return texts;
}

class TrayIconTest : public MainWindowFixture
{
protected:
    SimulatedTray::State tray;
    SimulatedTray* backend = nullptr;

    void SetUp() override
    {
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::darkGreen);
        QApplication::setWindowIcon(QIcon(pixmap));
        prepare();
    }

    void openWithTray(bool available = true)
    {
        open();
        tray.available = available;
        auto simulated = std::make_unique<SimulatedTray>(tray);
        backend = simulated.get();
        trayIcon()->setBackend(std::move(simulated));
    }

    TrayIcon* trayIcon() const { return window->findChild<TrayIcon*>(u"TrayIcon"_s); }

    void triggerTrayItem(const char* name)
    {
        auto* item = window->findChild<QAction*>(QString::fromLatin1(name));
        ASSERT_TRUE(item) << name;
        item->trigger();
    }

    frmViewer* openFloating(qint64 id)
    {
        chooseMemo(id);
        triggerAction("mnuViewer");
        frmViewer* viewer = window->floatingWindows().QueryViewerOpen(id);
        EXPECT_TRUE(viewer);
        return viewer;
    }
};

TEST_F(TrayIconTest, MenusFollowTheWindowState)
{
    openWithTray();
    ASSERT_TRUE(trayIcon()->isShown());
    EXPECT_EQ(tray.adds, 1);
    EXPECT_EQ(tray.toolTip, window->windowTitle().left(63));

    EXPECT_EQ(tray.menu, trayIcon()->popPopUp4());
    EXPECT_EQ(tray.menu->objectName(), u"popPopUp4"_s);
    EXPECT_EQ(itemTexts(tray.menu),
              (QStringList{u"pop4MemoList_NewF フローティングメモから新規メモを作成(&F)"_s,
                           u"pop4MemoList_New 外部エディタで新規メモを作成"_s,
                           u"  pop4MemoList_Editor0New 規定の外部エディタで作成"_s,
                           u"  pop4MemoList_Editor1New エディタ1で作成"_s,
                           u"  pop4MemoList_Editor2New エディタ2で作成"_s,
                           u"  pop4MemoList_Editor3New エディタ3で作成"_s, u"pop4Minimize 全て最小化する"_s,
                           u"pop4MinimizeFloat フローティングメモのみ最小化"_s,
                           u"pop4ReturnFloat フローティングメモのみ元に戻す"_s, u"pop4Close 終了(&X)"_s}));

    window->showMinimized();
    EXPECT_EQ(tray.menu, trayIcon()->popPopUp3());
    EXPECT_EQ(
        itemTexts(tray.menu),
        (QStringList{
            u"pop3ReSize 元のサイズに戻す(&R)"_s, u"pop3MinimizeFloat フローティングメモのみ最小化"_s,
            u"pop3ReturnFloat フローティングメモのみ元に戻す"_s, u"pop3NewMemo 新規メモを作成(&N)"_s,
            u"pop3Clipboard2NewMemo クリップボードから新規メモを作成"_s,
            u"pop3MemoList_NewF フローティングメモから新規メモを作成(&F)"_s,
            u"pop3MemoList_New 外部エディタで新規メモを作成"_s,
            u"  pop3MemoList_Editor0New 規定の外部エディタで作成"_s,
            u"  pop3MemoList_Editor1New エディタ1で作成"_s, u"  pop3MemoList_Editor2New エディタ2で作成"_s,
            u"  pop3MemoList_Editor3New エディタ3で作成"_s, u"pop3Close 終了(&X)"_s}));
    EXPECT_EQ(tray.menu->defaultAction()->objectName(), u"pop3ReSize"_s);

    backend->click(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(window->isMinimized());
    EXPECT_EQ(tray.menu, trayIcon()->popPopUp4());
}

TEST_F(TrayIconTest, EditorItemsTakeTheConfiguredNames)
{
    prepare(u"[OuterEditor]\nName_1=gedit\nPath_1=/usr/bin/gedit --wait\n"_s);
    openWithTray();
    Q_EMIT trayIcon()->popPopUp4()->aboutToShow();
    EXPECT_EQ(window->findChild<QAction*>(u"pop4MemoList_Editor1New"_s)->text(),
              window->commandAction("mnuMemoList_Editor1New")->text());
    EXPECT_EQ(window->findChild<QAction*>(u"pop3MemoList_Editor1New"_s)->text(),
              window->commandAction("mnuMemoList_Editor1New")->text());
    EXPECT_TRUE(window->findChild<QAction*>(u"pop4MemoList_Editor1New"_s)->text().startsWith(u"gedit"_s));
}

TEST_F(TrayIconTest, MinimiseAllHidesEverythingAndALeftClickBringsItBack)
{
    const qint64 first = addMemo(u"one"_s, u"tag"_s, u"1"_s);
    const qint64 second = addMemo(u"two"_s, u"tag"_s, u"2"_s);
    openWithTray();
    frmViewer* a = openFloating(first);
    frmViewer* b = openFloating(second);
    ASSERT_TRUE(a && b);

    triggerTrayItem("pop4Minimize");
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(window->isMinimized());
    EXPECT_FALSE(a->isVisible());
    EXPECT_FALSE(b->isVisible());
    EXPECT_EQ(tray.menu, trayIcon()->popPopUp3());

    backend->click(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isMinimized());
    EXPECT_TRUE(a->isVisible());
    EXPECT_TRUE(b->isVisible());
}

TEST_F(TrayIconTest, FloatingOnlyItemsLeaveWindowsOutInAnEditorHidden)
{
    const qint64 first = addMemo(u"one"_s, u"tag"_s, u"1"_s);
    const qint64 second = addMemo(u"two"_s, u"tag"_s, u"2"_s);
    openWithTray();
    frmViewer* a = openFloating(first);
    frmViewer* b = openFloating(second);
    ASSERT_TRUE(a && b);

    triggerTrayItem("pop4MinimizeFloat");
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(a->isVisible());
    EXPECT_FALSE(b->isVisible());

    // While its memo is out in an external editor, a window stays hidden: it
    // must not offer the same memo for editing twice.
    b->setOuterEdit(true);
    triggerTrayItem("pop4ReturnFloat");
    EXPECT_TRUE(a->isVisible());
    EXPECT_FALSE(b->isVisible());

    triggerTrayItem("pop3MinimizeFloat");
    EXPECT_FALSE(a->isVisible());
    triggerTrayItem("pop3ReSize");
    EXPECT_TRUE(a->isVisible());
    EXPECT_FALSE(b->isVisible());
    triggerTrayItem("pop3ReturnFloat");
    EXPECT_FALSE(b->isVisible());
    b->setOuterEdit(false);
}

TEST_F(TrayIconTest, NewMemoItemsRestoreTheWindowFirst)
{
    const qint64 id = addMemo(u"one"_s, u"tag"_s, u"1"_s);
    openWithTray();
    chooseMemo(id);

    triggerTrayItem("pop4Minimize");
    triggerTrayItem("pop3NewMemo");
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(lblNo(), u"New"_s);

    triggerTrayItem("pop4Minimize");
    QApplication::clipboard()->setText(u"from the clipboard"_s);
    triggerTrayItem("pop3Clipboard2NewMemo");
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->editor().boxText(MemoEditor::Box::Contents), u"from the clipboard"_s);

    triggerTrayItem("pop4MemoList_NewF");
    EXPECT_TRUE(window->floatingWindows().QueryViewerOpen(-1));
}

TEST_F(TrayIconTest, CloseItemsCloseWithoutAskingToSave)
{
    const qint64 id = addMemo(u"one"_s, u"tag"_s, u"1"_s);
    openWithTray();
    chooseMemo(id);
    type(contents(), u"unsaved"_s);
    ASSERT_TRUE(window->editor().IsEdit());

    triggerTrayItem("pop4Close");
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(prompt.shown.isEmpty());
}

TEST_F(TrayIconTest, CloseFromTheTrayEndsTheProgramAlsoWhileItsWindowIsHidden)
{
    // Closing a hidden window is no "last window closed": the program has to
    // end by itself, or it would live on with no window and a dead icon.
    openWithTray();
    triggerTrayItem("pop4Minimize");
    ASSERT_FALSE(window->isVisible());
    QTimer::singleShot(0, [this] { triggerTrayItem("pop3Close"); });
    QTimer::singleShot(3000, [] { QCoreApplication::exit(7); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(TrayIconTest, TheIconComesBackWithThePanel)
{
    openWithTray();
    ASSERT_EQ(tray.adds, 1);
    trayIcon()->checkTray();
    EXPECT_EQ(tray.adds, 1); // added once, not on every check

    // The panel restarts: gone for a while, then back. The timer notices both.
    tray.available = false;
    QTRY_VERIFY_WITH_TIMEOUT(!trayIcon()->isShown(), 5000);
    EXPECT_FALSE(tray.iconShown);
    tray.available = true;
    QTRY_VERIFY_WITH_TIMEOUT(trayIcon()->isShown(), 5000);
    EXPECT_EQ(tray.adds, 2);
    EXPECT_TRUE(tray.iconShown);
}

TEST_F(TrayIconTest, WithoutATrayNothingIsHidden)
{
    const qint64 id = addMemo(u"one"_s, u"tag"_s, u"1"_s);
    openWithTray(false);
    EXPECT_FALSE(trayIcon()->isShown());
    EXPECT_EQ(tray.adds, 0);
    frmViewer* viewer = openFloating(id);
    ASSERT_TRUE(viewer);

    triggerTrayItem("pop4Minimize");
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isMinimized());
    EXPECT_TRUE(viewer->isVisible());
    triggerTrayItem("pop4MinimizeFloat");
    EXPECT_TRUE(viewer->isVisible());
}

TEST_F(TrayIconTest, WhenThePanelGoesHiddenWindowsComeBack)
{
    const qint64 id = addMemo(u"one"_s, u"tag"_s, u"1"_s);
    openWithTray();
    frmViewer* viewer = openFloating(id);
    ASSERT_TRUE(viewer);
    triggerTrayItem("pop4Minimize");
    ASSERT_FALSE(window->isVisible());
    ASSERT_FALSE(viewer->isVisible());

    tray.available = false;
    trayIcon()->checkTray();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(viewer->isVisible());
}

TEST_F(TrayIconTest, TheDesktopWithoutANotificationAreaGetsNoIcon)
{
    // The offscreen platform has no notification area: the real tray icon
    // stays out and minimising all keeps the window reachable.
    open();
    EXPECT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
    EXPECT_FALSE(trayIcon()->isShown());
    triggerTrayItem("pop4Minimize");
    EXPECT_TRUE(window->isVisible());
}

} // namespace
