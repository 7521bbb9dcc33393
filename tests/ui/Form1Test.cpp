#include "ui/Form1.h"
#include "MemoFixtures.h"
#include "ScriptedPrompt.h"
#include "TestHome.h"
#include "app/Clock.h"
#include "app/IniFile.h"
#include "app/Startup.h"
#include "app/Twips.h"
#include "ui/OuterEditHolder.h"
#include "ui/VbColour.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QSplitterHandle>
#include <QStyle>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

class Form1Test : public ::testing::Test
{
protected:
    TestHome home;
    ScriptedPrompt prompt;
    SystemClock clock;
    QString ini = home.file(QStringLiteral("quillet_default.ini"));

    std::unique_ptr<Form1> open()
    {
        StartupResult startup = Startup(prompt, home.path()).run({});
        EXPECT_TRUE(startup.proceed);
        auto window = std::make_unique<Form1>(std::move(startup), prompt, clock);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->finishStartup();
        return window;
    }

    QString value(const char* section, const char* key)
    {
        return IniFile::readText(ini, QString::fromLatin1(section), QString::fromLatin1(key),
                                 QStringLiteral("<none>"));
    }
    void set(const char* section, const char* key, const QString& text)
    {
        ASSERT_TRUE(IniFile::writeText(ini, QString::fromLatin1(section), QString::fromLatin1(key), text));
    }
};

int px(const QWidget& widget, double twips)
{
    return Twips::toPixels(twips, widget.logicalDpiX());
}

TEST_F(Form1Test, FirstStartUsesDefaultsAndCloseWritesTheLayout)
{
    auto window = open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Quillet v2.2.1 [default]"));
    // The classic sizes, grown for this platform's font (see FirstStartTest).
    const QSize first = window->size();
    EXPECT_GE(first.width(), px(*window, 7700));
    EXPECT_GE(first.height(), px(*window, 6000));
    EXPECT_EQ(window->pos(), QPoint(0, 0));
    EXPECT_EQ(window->PaneMode(), 0);
    auto* outer = window->findChild<QSplitterHandle*>(QStringLiteral("Sepalator"));
    ASSERT_TRUE(outer);
    const int sepalator = outer->splitter()->sizes().value(0);
    EXPECT_GE(sepalator, px(*window, 2520));
    EXPECT_TRUE(window->findChild<QSplitterHandle*>(QStringLiteral("Sepalator2")));
    EXPECT_FALSE(QFile::exists(ini));
    // Focus setting 0: the title box.
    EXPECT_EQ(QApplication::focusWidget(), window->findChild<QLineEdit*>(QStringLiteral("txtTitle")));

    window->close();
    EXPECT_EQ(px(*window, value("FormPosition", "Width").toDouble()), first.width());
    EXPECT_EQ(px(*window, value("FormPosition", "Height").toDouble()), first.height());
    EXPECT_EQ(value("FormPosition", "Top"), QStringLiteral("0"));
    EXPECT_EQ(value("FormPosition", "Left"), QStringLiteral("0"));
    EXPECT_EQ(px(*window, value("FormPosition", "SepalatorXPos").toDouble()), sepalator);
    EXPECT_EQ(value("FormPosition", "WindowMaximize"), QStringLiteral("0"));
    EXPECT_EQ(value("FormPosition", "WindowType"), QStringLiteral("0"));
    // Columns fitted to their content are never narrower than the classic widths.
    EXPECT_GE(value("FormPosition", "CatListColumn_ID_Width").toDouble(), 400);
    EXPECT_GE(value("FormPosition", "MemoListColumn_Publish_Width").toDouble(), 1080);
    EXPECT_EQ(value("FormPosition", "MemoListColumnPos_Title"), QStringLiteral("4"));
    EXPECT_EQ(value("FormPosition", "CatListColumnPos_Num"), QStringLiteral("3"));
    EXPECT_EQ(value("MemoList", "Sort_Key"), QStringLiteral("0"));
    EXPECT_EQ(value("MemoList", "Sort_Order"), QStringLiteral("0"));
    EXPECT_EQ(value("Form", "AlwaysOnTop"), QStringLiteral("0"));
    EXPECT_NE(value("FormPosition", "Sepalator2YPos"), QStringLiteral("<none>"));

    // The second start reads back what the first wrote, and writes it unchanged.
    const QByteArray written = MemoFixtures::readBytes(ini);
    auto again = open();
    EXPECT_EQ(again->size(), first);
    again->close();
    EXPECT_EQ(MemoFixtures::readBytes(ini), written);
}

TEST_F(Form1Test, MaximisedWindowLeavesThePositionKeysAlone)
{
    set("FormPosition", "WindowMaximize", QStringLiteral("2"));
    set("FormPosition", "Top", QStringLiteral("150"));
    set("FormPosition", "Width", QStringLiteral("9000"));
    auto window = open();
    EXPECT_TRUE(window->isMaximized());
    window->close();
    EXPECT_EQ(value("FormPosition", "WindowMaximize"), QStringLiteral("2"));
    EXPECT_EQ(value("FormPosition", "Top"), QStringLiteral("150"));
    EXPECT_EQ(value("FormPosition", "Width"), QStringLiteral("9000"));
    EXPECT_EQ(value("FormPosition", "Left"), QStringLiteral("<none>"));
}

TEST_F(Form1Test, StoredLayoutIsAppliedAndBadValuesFallBack)
{
    MemoFixtures::writeText(
        ini, QStringLiteral("\xFF\xFEgarbage line\n[FormPosition]\nTop=-5\nLeft=abc\n"
                            "Width=8000\nHeight=7000.5\nWindowType=1\nSepalatorXPos=3000\n"
                            "CatListColumnPos_Num=7\nMemoListColumnPos_Title=1\nMemoListColumn_ID_Width=-1\n"
                            "[CatList]\nFontSize=0\n[MemoList]\nFontSize=0\nSort_Key=3\nSort_Order=1\n"
                            "[Form]\nBackColor=8000000F\nAlwaysOnTop=1\n[General]\nFocus=3\n"));
    auto window = open();
    EXPECT_EQ(window->PaneMode(), 1);
    EXPECT_TRUE(window->findChild<QAction*>(QStringLiteral("mnuWindowMailer"))->isChecked());
    EXPECT_EQ(window->width(), px(*window, 8000));
    EXPECT_EQ(window->height(), px(*window, 7000.5));
    EXPECT_EQ(window->x(), 0);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(window->findChild<QAction*>(QStringLiteral("AlwaysOnTop"))->isChecked());

    auto* catList = window->findChild<QTreeView*>(QStringLiteral("CatList"));
    auto* memoList = window->findChild<QTreeView*>(QStringLiteral("MemoList"));
    EXPECT_EQ(catList->font().pointSizeF(), 10);
    EXPECT_EQ(memoList->font().pointSizeF(), 9);
    // An impossible place leaves "Num" at its default; "Title" moves to the front.
    EXPECT_EQ(catList->header()->visualIndex(2), 2);
    EXPECT_EQ(memoList->header()->visualIndex(3), 0);
    EXPECT_EQ(memoList->header()->visualIndex(0), 1);
    EXPECT_EQ(window->findChild<QWidget*>(QStringLiteral("Panel1"))->palette().color(QPalette::Window),
              QGuiApplication::palette().color(QPalette::Button));
    // Focus setting 3 leaves the focus where it is.
    EXPECT_NE(QApplication::focusWidget(), window->findChild<QLineEdit*>(QStringLiteral("txtTitle")));

    window->close();
    EXPECT_EQ(value("FormPosition", "WindowType"), QStringLiteral("1"));
    EXPECT_EQ(value("FormPosition", "SepalatorXPos"), QStringLiteral("3000"));
    EXPECT_EQ(value("MemoList", "Sort_Key"), QStringLiteral("3"));
    EXPECT_EQ(value("MemoList", "Sort_Order"), QStringLiteral("1"));
    EXPECT_EQ(value("FormPosition", "CatListColumnPos_Num"), QStringLiteral("3"));
    EXPECT_EQ(value("FormPosition", "MemoListColumnPos_Title"), QStringLiteral("1"));
    EXPECT_EQ(value("FormPosition", "MemoListColumnPos_ID"), QStringLiteral("2"));
    EXPECT_EQ(value("Form", "AlwaysOnTop"), QStringLiteral("1"));
}

TEST_F(Form1Test, WindowTypesRearrangeThePanesAndComeBack)
{
    auto window = open();
    auto* normal = window->findChild<QAction*>(QStringLiteral("mnuWindowNormal"));
    auto* wide = window->findChild<QAction*>(QStringLiteral("mnuWindowWide"));
    auto* panel3 = window->findChild<QWidget*>(QStringLiteral("Panel3"));
    const QRect normalGeometry = panel3->geometry();
    const int sepalatorX =
        window->findChild<QSplitterHandle*>(QStringLiteral("Sepalator"))->splitter()->sizes()[0];

    wide->trigger();
    QApplication::processEvents();
    EXPECT_EQ(window->PaneMode(), 2);
    EXPECT_TRUE(wide->isChecked());
    EXPECT_FALSE(normal->isChecked());
    EXPECT_TRUE(window->findChild<QSplitterHandle*>(QStringLiteral("Sepalator3")));
    EXPECT_FALSE(window->findChild<QSplitterHandle*>(QStringLiteral("Sepalator2")));
    // The memo list, which has no stored width in this type, gets a usable share.
    EXPECT_GE(window->findChild<QWidget*>(QStringLiteral("Panel2"))->width(), panel3->width() / 2);

    normal->trigger();
    QApplication::processEvents();
    EXPECT_EQ(window->PaneMode(), 0);
    EXPECT_EQ(window->findChild<QSplitterHandle*>(QStringLiteral("Sepalator"))->splitter()->sizes()[0],
              sepalatorX);
    EXPECT_EQ(panel3->geometry().width(), normalGeometry.width());
}

TEST_F(Form1Test, BarsMovedByTheUserComeBackAtTheNextStart)
{
    set("FormPosition", "Height", QStringLiteral("9000"));
    set("FormPosition", "WindowType", QStringLiteral("1"));
    auto window = open();
    auto* sepalator2 = window->findChild<QSplitterHandle*>(QStringLiteral("Sepalator2"));
    ASSERT_TRUE(sepalator2);
    QSplitter* inner = sepalator2->splitter();
    // Drag the horizontal bar well below the first pane's default height.
    const int lower = px(*window, 4000);
    const int total = inner->sizes()[0] + inner->sizes()[1];
    inner->setSizes({lower, total - lower});
    window->findChild<QSplitterHandle*>(QStringLiteral("Sepalator"))
        ->splitter()
        ->setSizes({px(*window, 3000), 400});
    window->close();

    auto again = open();
    EXPECT_EQ(again->findChild<QSplitterHandle*>(QStringLiteral("Sepalator2"))->splitter()->sizes()[0],
              lower);
    EXPECT_EQ(again->findChild<QSplitterHandle*>(QStringLiteral("Sepalator"))->splitter()->sizes()[0],
              px(*again, 3000));
}

// Pixels a cell needs to show `text` uncut in the list's own font: the text
// and the style's margin on either side.
int cellWidth(const QTreeView& list, const QString& text)
{
    const int margin = list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &list) + 1;
    return list.fontMetrics().horizontalAdvance(text) + 2 * margin;
}

struct ColumnCase
{
    const char* list;
    int column;
    const char* key;
    const char* widest; // the widest text the column is meant to show
};
const ColumnCase kFittedColumns[] = {
    {"CatList", 0, "CatListColumn_ID_Width", "1000"},
    {"CatList", 2, "CatListColumn_Num_Width", "100000"},
    {"MemoList", 0, "MemoListColumn_ID_Width", "1000000"},
    {"MemoList", 1, "MemoListColumn_Publish_Width", "2026/12/31 23:59:59"},
    {"MemoList", 2, "MemoListColumn_Update_Width", "2026/12/31 23:59:59"},
};

TEST_F(Form1Test, ColumnsWithoutStoredWidthsFitTheirContentAndHeader)
{
    auto window = open();
    for (const ColumnCase& c : kFittedColumns) {
        auto* list = window->findChild<QTreeView*>(QString::fromLatin1(c.list));
        const int width = list->header()->sectionSize(c.column);
        EXPECT_GE(width, cellWidth(*list, QString::fromLatin1(c.widest))) << c.key;
        const QString label = list->model()->headerData(c.column, Qt::Horizontal).toString();
        const int headerMargin = list->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, list->header());
        EXPECT_GE(width, list->fontMetrics().horizontalAdvance(label) + 2 * headerMargin) << c.key;
    }
    // What is shown is what the next start finds.
    QList<int> shown;
    for (const ColumnCase& c : kFittedColumns)
        shown.append(
            window->findChild<QTreeView*>(QString::fromLatin1(c.list))->header()->sectionSize(c.column));
    window->close();
    for (int i = 0; i < int(std::size(kFittedColumns)); ++i)
        EXPECT_EQ(px(*window, value("FormPosition", kFittedColumns[i].key).toDouble()), shown[i])
            << kFittedColumns[i].key;
}

TEST_F(Form1Test, StoredColumnWidthsAreAppliedAsTheyAre)
{
    // Narrower than their content: the user's choice stands.
    for (const ColumnCase& c : kFittedColumns)
        set("FormPosition", c.key, QStringLiteral("300"));
    auto window = open();
    for (const ColumnCase& c : kFittedColumns)
        EXPECT_EQ(window->findChild<QTreeView*>(QString::fromLatin1(c.list))->header()->sectionSize(c.column),
                  px(*window, 300))
            << c.key;
    window->close();
    for (const ColumnCase& c : kFittedColumns)
        EXPECT_EQ(value("FormPosition", c.key), QStringLiteral("300")) << c.key;
}

QSplitter* horizontalBar(const Form1& window)
{
    auto* handle = window.findChild<QSplitterHandle*>(QStringLiteral("Sepalator2"));
    return handle ? handle->splitter() : nullptr;
}

// Drags the horizontal bar to `y` pixels below the top of the panes.
void dragHorizontalBar(Form1& window, int y)
{
    QSplitter* inner = horizontalBar(window);
    ASSERT_TRUE(inner);
    const int total = inner->sizes()[0] + inner->sizes()[1];
    inner->setSizes({y, total - y});
    QApplication::processEvents();
    ASSERT_EQ(inner->sizes()[0], y);
}

void chooseWindowType(Form1& window, const char* item)
{
    window.findChild<QAction*>(QString::fromLatin1(item))->trigger();
    QApplication::processEvents();
}

TEST_F(Form1Test, HorizontalBarKeepsItsPlaceThroughTheWideType)
{
    set("FormPosition", "Height", QStringLiteral("9000"));
    auto window = open();
    const int dragged = px(*window, 4000);
    dragHorizontalBar(*window, dragged);

    chooseWindowType(*window, "mnuWindowWide");
    ASSERT_FALSE(horizontalBar(*window));
    chooseWindowType(*window, "mnuWindowNormal");
    ASSERT_TRUE(horizontalBar(*window));
    EXPECT_EQ(horizontalBar(*window)->sizes()[0], dragged);
    // The mailer type puts the bar in the other column at the same height.
    chooseWindowType(*window, "mnuWindowWide");
    chooseWindowType(*window, "mnuWindowMailer");
    ASSERT_TRUE(horizontalBar(*window));
    EXPECT_EQ(horizontalBar(*window)->sizes()[0], dragged);
}

TEST_F(Form1Test, HorizontalBarDraggedBeforeClosingInTheWideTypeComesBack)
{
    set("FormPosition", "Height", QStringLiteral("9000"));
    auto window = open();
    const int dragged = px(*window, 4000);
    dragHorizontalBar(*window, dragged);
    chooseWindowType(*window, "mnuWindowWide");
    window->close();

    // The first pane's height is the dragged one; the bar sits below the toolbar.
    EXPECT_EQ(value("FormPosition", "WindowType"), QStringLiteral("2"));
    const double panel1 = value("FormPosition", "Panel1Height").toDouble();
    EXPECT_EQ(px(*window, panel1), dragged);
    EXPECT_GT(value("FormPosition", "Sepalator2YPos").toDouble(), panel1);

    auto again = open();
    EXPECT_EQ(again->PaneMode(), 2);
    chooseWindowType(*again, "mnuWindowNormal");
    ASSERT_TRUE(horizontalBar(*again));
    EXPECT_EQ(horizontalBar(*again)->sizes()[0], dragged);
}

TEST_F(Form1Test, ControlsCarryTheirNamesForTestsAndScreenReaders)
{
    auto window = open();
    const std::pair<const char*, const char*> named[] = {
        {"CatList", "カテゴリリスト"}, {"MemoList", "メモリスト"},    {"txtTitle", "タイトル"},
        {"txtCategory", "タグ"},       {"txtContents", "メモの内容"}, {"lblNo", "メモ番号 New"}};
    for (const auto& [name, accessible] : named) {
        auto* widget = window->findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_TRUE(widget) << name;
        EXPECT_EQ(widget->accessibleName(), QString::fromUtf8(accessible));
    }
    const std::pair<const char*, const char*> containers[] = {{"Panel1", "カテゴリ欄"},
                                                              {"Panel2", "メモリスト欄"},
                                                              {"Panel3", "編集欄"},
                                                              {"Sepalator", "左右の区切り"},
                                                              {"Sepalator2", "上下の区切り"}};
    for (const auto& [name, accessible] : containers) {
        auto* widget = window->findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_TRUE(widget) << name;
        EXPECT_EQ(widget->accessibleName(), QString::fromUtf8(accessible));
    }
    for (const char* name :
         {"mnuQuit", "mnuUndo", "mnuRedo", "mnuAllUndo", "mnuGetSelTextLength", "mnuNewMemo", "mnuSaveMemo",
          "mnuNewMemoCopy", "mnuNewMemoCopySelected", "mnuGetTextLength", "mnuSelectMemoAll",
          "mnuWindowNormal", "mnuWindowMailer", "mnuWindowWide", "Save", "New", "Copy2NewMemo",
          "SelectedCopy2NewMemo", "AlwaysOnTop"}) {
        auto* action = window->findChild<QAction*>(QString::fromLatin1(name));
        ASSERT_TRUE(action) << name;
        EXPECT_FALSE(action->text().isEmpty()) << name;
    }
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("lblNo"))->text(), QStringLiteral("New"));
}

class HeldWindow : public QWidget, public OuterEditHolder
{
public:
    bool held = true;
    bool IsOuterEdit() const override { return held; }
};

TEST_F(Form1Test, ClosingIsRefusedWhileAMemoIsInAnExternalEditor)
{
    auto window = open();
    HeldWindow other;
    other.show();
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(prompt.messageTexts(),
              QStringList{QStringLiteral("外部エディタで開いているメモがあるため、終了できません。")});
    EXPECT_EQ(prompt.shown.last().icon, PromptIcon::Information);
    EXPECT_FALSE(QFile::exists(ini));

    other.held = false;
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(QFile::exists(ini));
}

} // namespace
