// A first start on this platform: a window with no stored sizes shows its
// whole menu bar and toolbar, the memo titles and eight category rows within
// the screen; no menu hides the toolbar; the Edit menu opened from the
// keyboard offers what it acts on; a screen reader hears the memo number.
#include "MainWindowFixture.h"
#include "tags/MemoListModel.h"
#include "ui/FirstLayout.h"
#include "ui/FloatingWindows.h"
#include "ui/frmViewer.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

namespace {

using namespace Qt::Literals::StringLiterals;

class FirstStartTest : public MainWindowFixture
{
protected:
    FirstStartTest() { keepWindowSize = true; }
    static bool overflows(QWidget* bar, const char* button)
    {
        auto* more = bar->findChild<QToolButton*>(QString::fromLatin1(button));
        return more && more->isVisible();
    }
};

TEST_F(FirstStartTest, AWindowWithoutStoredSizesShowsEverythingItNeeds)
{
    for (int i = 0; i < 12; ++i)
        addMemo(u"memo %1"_s.arg(i), u"tag%1"_s.arg(i));
    open();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const QSize available = window->screen()->availableGeometry().size();
    EXPECT_LE(window->width(), available.width());
    EXPECT_LE(window->height(), available.height());

    QTRY_VERIFY(!overflows(window->menuBar(), "qt_menubar_ext_button"));
    EXPECT_FALSE(overflows(window->findChild<QToolBar*>(u"Toolbar1"_s), "qt_toolbar_ext_button"));
    // The title column starts inside the memo list's visible width.
    QHeaderView* memoHeader = memoList()->header();
    EXPECT_LT(memoHeader->sectionViewportPosition(MemoListModel::ColumnTitle) + 20, memoList()->viewport()->width());
    // Eight category rows fit above the fold.
    EXPECT_GE(catList()->viewport()->height(), 8 * catList()->sizeHintForRow(0));

    // A floating window shows its whole toolbar too.
    const qint64 id = memoRowIds().value(0);
    frmViewer* viewer = openFloating(id);
    ASSERT_TRUE(viewer);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(viewer));
    EXPECT_FALSE(overflows(viewer->findChild<QToolBar*>(), "qt_toolbar_ext_button"));
}

TEST(FirstLayoutTest, ScalesByTheFontGrowsToFitAndStaysOnTheScreen)
{
    FirstLayout::Measures small;
    small.dpi = 96;
    small.fontHeight = 12; // the font the classic sizes were made for
    small.averageCharWidth = 4;
    // Nothing needs more room: the classic 7700 x 6000 twips.
    FirstLayout::Sizes classic = FirstLayout::sizes(small);
    EXPECT_EQ(classic.width, 513);
    EXPECT_EQ(classic.height, 400);

    FirstLayout::Measures tall = small;
    tall.fontHeight = 18;
    EXPECT_DOUBLE_EQ(FirstLayout::scale(tall), 1.5);
    FirstLayout::Sizes scaled = FirstLayout::sizes(tall);
    EXPECT_EQ(scaled.width, 770);
    EXPECT_EQ(scaled.height, 600);

    // A menu bar wider than that, eight tall rows, many columns: the window grows.
    FirstLayout::Measures crowded = tall;
    crowded.menuBarWidth = 900;
    crowded.catRowHeight = 30;
    crowded.listHeaderHeight = 24;
    crowded.memoFixedColumns = 500;
    const FirstLayout::Sizes grown = FirstLayout::sizes(crowded);
    EXPECT_GE(grown.width, 900);
    EXPECT_GE(grown.panel1Height, 24 + 8 * 30);
    EXPECT_GE(grown.sepalatorX, 500 + 20 * 4);
    EXPECT_GE(grown.width, grown.sepalatorX + 60 * 4);

    // Never beyond the screen's free area.
    crowded.available = QSize(640, 480);
    const FirstLayout::Sizes bounded = FirstLayout::sizes(crowded);
    EXPECT_LE(bounded.width, 640);
    EXPECT_LE(bounded.height, 480);
    EXPECT_LT(bounded.sepalatorX, bounded.width);

    EXPECT_EQ(FirstLayout::floatingSize(96, 12, 0, {}), QSize(343, 243));
    EXPECT_EQ(FirstLayout::floatingSize(96, 12, 500, {}).width(), 506);
    EXPECT_EQ(FirstLayout::floatingSize(96, 24, 500, QSize(600, 400)), QSize(592, 360));
}

// A stored size is the user's: it is applied as stored.
TEST_F(FirstStartTest, StoredSizesAreAppliedAsStored)
{
    prepare(u"[FormPosition]\nWidth=6000\nHeight=4500\nSepalatorXPos=1500\n"_s);
    open();
    EXPECT_EQ(window->size(), QSize(400, 300));
}

TEST_F(FirstStartTest, NoMenuOffersToHideTheToolbar)
{
    open();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    bool popped = false;
    QTimer::singleShot(200, qApp, [&popped] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            popped = true;
            popup->close();
        }
    });
    auto* toolbar = window->findChild<QToolBar*>(u"Toolbar1"_s);
    for (QWidget* bar : {static_cast<QWidget*>(toolbar), static_cast<QWidget*>(window->menuBar())}) {
        const QPoint inside(bar->width() - 2, bar->height() / 2);
        QContextMenuEvent event(QContextMenuEvent::Mouse, inside, bar->mapToGlobal(inside));
        QApplication::sendEvent(bar, &event);
    }
    QTest::qWait(300);
    EXPECT_FALSE(popped);
    EXPECT_TRUE(toolbar->isVisible());
}

TEST_F(FirstStartTest, TheEditMenuFromTheKeyboardKeepsCutCopyAndPaste)
{
    open();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->activateWindow();
    contents()->setFocus();
    QTRY_VERIFY(contents()->hasFocus());
    auto* cut = window->findChild<QAction*>(u"mnuCut"_s);
    ASSERT_TRUE(cut->isEnabled());

    // Alt gives the menu bar the focus, then the menu opens.
    window->menuBar()->setFocus();
    QTRY_VERIFY(window->menuBar()->hasFocus());
    EXPECT_TRUE(cut->isEnabled());
    auto* edit = window->findChild<QMenu*>(u"mnuEdit"_s);
    edit->popup(window->mapToGlobal(QPoint(20, 20)));
    QTRY_VERIFY(edit->isVisible());
    for (const char* name : {"mnuCut", "mnuCopy", "mnuPaste"})
        EXPECT_TRUE(window->findChild<QAction*>(QString::fromLatin1(name))->isEnabled()) << name;
    edit->close();

    // Another area takes the focus: the states follow it.
    memoList()->setFocus();
    QTRY_VERIFY(!cut->isEnabled());
}

TEST_F(FirstStartTest, AScreenReaderHearsTheMemoNumber)
{
    const qint64 id = addMemo(u"m"_s, u"x"_s);
    open();
    auto* label = window->findChild<QWidget*>(u"lblNo"_s);
    EXPECT_EQ(label->accessibleName(), u"メモ番号 New"_s);
    chooseMemo(id);
    EXPECT_EQ(label->accessibleName(), u"メモ番号 %1"_s.arg(id));
    triggerAction("mnuNewMemo");
    EXPECT_EQ(label->accessibleName(), u"メモ番号 New"_s);
}

// A dark colour scheme leaves every list, box and label readable.
TEST_F(FirstStartTest, ADarkColourSchemeLeavesListsAndBoxesReadable)
{
    const QPalette before = QApplication::palette();
    QPalette dark = before;
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::Window, QColor(45, 45, 45));
    dark.setColor(QPalette::WindowText, QColor(220, 220, 220));
    dark.setColor(QPalette::Button, QColor(50, 50, 50));
    dark.setColor(QPalette::ButtonText, QColor(225, 225, 225));
    QApplication::setPalette(dark);
    const auto restore = qScopeGuard([&before] { QApplication::setPalette(before); });
    open();
    const auto contrast = [](const QWidget* widget, QPalette::ColorRole text, QPalette::ColorRole back) {
        const QPalette palette = widget->palette();
        return std::abs(palette.color(text).lightness() - palette.color(back).lightness());
    };
    for (const char* name : {"CatList", "MemoList", "txtTitle", "txtCategory", "txtContents"}) {
        auto* widget = window->findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_TRUE(widget) << name;
        EXPECT_GT(contrast(widget, QPalette::Text, QPalette::Base), 120) << name;
    }
    // The memo number on the window's frame.
    EXPECT_GT(contrast(window->findChild<QWidget*>(u"lblNo"_s), QPalette::WindowText, QPalette::Window), 120);
}

} // namespace
