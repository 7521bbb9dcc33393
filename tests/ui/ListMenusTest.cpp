// The menus that carry the tag, trash and icon commands: where they stand,
// their captions and order, and the category list's context menu.
#include "MainWindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTreeView>

namespace {

using namespace Qt::Literals::StringLiterals;

class ListMenusTest : public MainWindowFixture
{
protected:
    // "objectName caption" of each item of a menu, submenus by their own name.
    QStringList items(const QMenu* menu) const
    {
        QStringList result;
        for (QAction* action : menu->actions()) {
            if (action->isSeparator())
                continue;
            const QString name = action->menu() ? action->menu()->objectName() : action->objectName();
            result.append(name + u' ' + action->text());
        }
        return result;
    }
    QMenu* menu(const char* name) const { return window->findChild<QMenu*>(QString::fromLatin1(name)); }
};

TEST_F(ListMenusTest, TagTrashAndIconCommandsStandInTheirMenus)
{
    prepare();
    open();
    QStringList bar;
    for (QAction* action : window->menuBar()->actions())
        bar.append(action->menu()->objectName());
    EXPECT_EQ(bar, (QStringList{u"mnuFile"_s, u"mnuEdit"_s, u"mnuMemo"_s, u"mnuMemoList"_s, u"popPopUp2"_s,
                                u"mnuTool"_s, u"mnuHelp"_s}));
    EXPECT_EQ(menu("popPopUp2")->title(), u"カテゴリリスト(&C)"_s);
    EXPECT_EQ(items(menu("popPopUp2")), (QStringList{u"pop2DelCategory タグを削除"_s, u"pop2RenameCategory タグをリネーム"_s,
                                                     u"pop2SetCategory 指定タグに置き換え"_s,
                                                     u"pop2ClearTrash ゴミ箱を綺麗にする"_s,
                                                     u"mnuFiltering フィルタ(&F)"_s}));
    EXPECT_EQ(items(menu("mnuMemoList")),
              (QStringList{u"mnuViewer フローティングメモで開く"_s, u"mnuEditor デフォルトの外部エディタで開く"_s,
                           u"mnuEditorSelect 指定した外部エディタで開く"_s, u"mnuCopyMemo2Clipboard クリップボードへコピー"_s,
                           u"mnuMemoList_New 新規メモ"_s, u"mnuMemoListIcon アイコン"_s,
                           u"popTAG タグ操作"_s, u"mnuTrashBox ゴミ箱"_s, u"popPassword パスワード"_s,
                           u"mnuExport 外部書き出し"_s, u"mnuSelectMemoAll すべて選択"_s}));
    EXPECT_EQ(items(menu("popPassword")),
              (QStringList{u"popSetSecurityPass 選択したメモをパスワード設定する"_s,
                           u"popDeleteSecurityPass 選択したメモのパスワード設定を解除"_s}));
    EXPECT_EQ(items(menu("popTAG")),
              (QStringList{u"popAddTag 選択したメモにタグを追加"_s, u"popDeleteTag 選択したメモから現在のタグを削除"_s,
                           u"popReplaceTag 選択したメモの現在のタグを指定タグに置換"_s,
                           u"popSetTag 選択したメモのタグを指定タグに置き換え"_s}));
    EXPECT_EQ(items(menu("mnuTrashBox")),
              (QStringList{u"mnuDeleteMemo ゴミ箱へ移動(&K)"_s, u"mnuRestoreMemo ゴミ箱から復活"_s}));
    EXPECT_EQ(items(menu("mnuMemoListIcon")),
              (QStringList{u"mnuIcon_Delete アイコンを削除"_s, u"mnuIcon_Exclamation エクスクラメーション"_s,
                           u"mnuIcon_FlagRed 赤色"_s, u"mnuIcon_FlagBlue 青色"_s, u"mnuIcon_FlagLightBlue 明るい青色"_s,
                           u"mnuIcon_FlagYellow 黄色"_s, u"mnuIcon_FlagGreen 緑色"_s,
                           u"mnuIcon_FlagYellowGreen 黄緑色"_s, u"mnuIcon_FlagPueple 紫色"_s,
                           u"mnuIcon_FlagBrown 茶色"_s, u"mnuIcon_FlagGray 灰色"_s, u"mnuIcon_FlagWhite 白色"_s}));
    EXPECT_TRUE(items(menu("mnuMemo")).contains(u"mnuDeleteCurrentMemo 現在のメモをゴミ箱へ移動(&D)"_s));
}

TEST_F(ListMenusTest, TheCategoryListOpensItsMenuOnARightClick)
{
    prepare();
    open();
    QTreeView* list = catList();
    const QPoint point = list->visualRect(list->model()->index(0, 1)).center();
    // What the window system delivers for a right click.
    QContextMenuEvent click(QContextMenuEvent::Mouse, point, list->viewport()->mapToGlobal(point));
    QApplication::sendEvent(list->viewport(), &click);
    QTRY_VERIFY(menu("popPopUp2")->isVisible());
    menu("popPopUp2")->hide();
}

} // namespace
