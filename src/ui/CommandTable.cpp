#include "ui/CommandTable.h"

#include "app/Prompt.h"
#include "editing/MemoEditor.h"
#include "tags/IconCommands.h"
#include "tags/MemoIcon.h"
#include "tags/MemoList.h"
#include "tags/MemoListIcons.h"
#include "tags/TagCommands.h"
#include "tags/TrashCommands.h"
#include "ui/Form1.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

namespace {

using namespace Qt::Literals::StringLiterals;
using Command = CommandTable::Command;

// Runs a command object's operation: f(window) names the object.
template <typename Object>
std::function<void(Form1&)> on(Object* (*object)(Form1&), void (Object::*operation)())
{
    return [object, operation](Form1& window) { (object(window)->*operation)(); };
}

CommandTable::Launcher g_defaultLauncher;
CommandTable::Launcher* g_launcher = &g_defaultLauncher;

} // namespace

const QList<Command>& CommandTable::commands()
{
    // Inside a member of CommandTable, which Form1 names its friend: the
    // handlers reach the window's own operations and command objects.
    static const auto tags = +[](Form1& w) { return w.m_tagCommands; };
    static const auto trash = +[](Form1& w) { return w.m_trashCommands; };
    const auto memoIcon = [](int code) {
        return [code](Form1& w) { w.m_iconCommands->SetIconOnSelected(code); };
    };
    const auto windowType = [](int type) { return [type](Form1& w) { w.SetWindowType(type); }; };
    const auto save = [](Form1& w) { w.SaveCurrentMemo(); };
    const auto newMemo = [](Form1& w) { w.newMemo(); };
    const auto newMemoCopy = [](Form1& w) { w.newMemoCopy(); };
    const auto newMemoCopySelected = [](Form1& w) { w.newMemoCopySelected(); };
    static const QList<Command> table = {
        // File menu.
        {.name = "mnuMDBChange", .caption = u"メモデータベースの切り替え"_s},
        {.name = "mnuMDBAddImport", .caption = u"メモデータベースを追加読み込み"_s},
        {.name = "mnuMDBSaveAs", .caption = u"メモデータベースを別名で保存"_s},
        {.name = "mnuImport", .caption = u"インポート"_s},
        {.name = "mnuImportFolder", .caption = u"フォルダインポート"_s},
        {.name = "mnuExportAll", .caption = u"エクスポート"_s},
        {.name = "mnuQuit", .caption = u"終了(&X)"_s, .handler = [](Form1& w) { w.quit(); }},
        // Edit menu.
        {.name = "mnuUndo",
         .caption = u"元に戻す"_s,
         .handler = [](Form1& w) { w.m_editor->undo(MemoEditor::Box::Contents); }},
        {.name = "mnuRedo",
         .caption = u"やり直し"_s,
         .handler = [](Form1& w) { w.m_editor->redo(MemoEditor::Box::Contents); }},
        {.name = "mnuCut", .caption = u"切り取り(&T)"_s, .flags = StartsDisabled},
        {.name = "mnuCopy", .caption = u"コピー(&C)"_s, .flags = StartsDisabled},
        {.name = "mnuPaste", .caption = u"貼り付け(&P)"_s, .flags = StartsDisabled},
        {.name = "mnuCopyCurrentMemo2Clipboard", .caption = u"現在のメモをクリップボードへコピー"_s},
        {.name = "mnuAllUndo",
         .caption = u"メモを読み込み時の状態に戻す"_s,
         .handler = [](Form1& w) { w.m_editor->mnuAllUndo(); }},
        {.name = "mnuFind", .caption = u"検索(&F)"_s},
        {.name = "mnuOpenLink", .caption = u"選択文字列から開く"_s},
        // The four web searches: their captions come from the search engines.
        {.name = "mnuFindLink0", .caption = {}},
        {.name = "mnuFindLink1", .caption = {}},
        {.name = "mnuFindLink2", .caption = {}},
        {.name = "mnuFindLink3", .caption = {}},
        {.name = "mnuGetSelTextLength",
         .caption = u"選択文字列の文字数を取得"_s,
         .handler = [](Form1& w) { w.m_editor->showSelectedTextLength(); }},
        // Memo menu.
        {.name = "mnuNewMemo", .caption = u"新規メモを作成(&N)"_s, .handler = newMemo},
        {.name = "mnuSaveMemo",
         .caption = u"現在のメモを保存(&S)"_s,
         .shortcut = QKeySequence(Qt::CTRL | Qt::Key_S),
         .handler = save},
        {.name = "mnuDeleteCurrentMemo",
         .caption = u"現在のメモをゴミ箱へ移動(&D)"_s,
         .handler = on(trash, &TrashCommands::mnuDeleteCurrentMemo)},
        {.name = "mnuNewMemoCopy", .caption = u"コピーを作成"_s, .handler = newMemoCopy},
        {.name = "mnuNewMemoCopySelected",
         .caption = u"選択部をコピーして新規メモを作成"_s,
         .handler = newMemoCopySelected},
        {.name = "mnuClipboard2NewMemo", .caption = u"クリップボードから新規メモを作成"_s},
        // External editors: the numbered captions are rewritten from the
        // editor table at start-up (EditorCommands).
        {.name = "mnuEditorForm", .caption = u"デフォルトの外部エディタで開く"_s},
        {.name = "mnuEditorForm0", .caption = u"外部の規定のエディタで開く"_s},
        {.name = "mnuEditorForm1", .caption = u"外部エディタ1で開く"_s},
        {.name = "mnuEditorForm2", .caption = u"外部エディタ2で開く"_s},
        {.name = "mnuEditorForm3", .caption = u"外部エディタ3で開く"_s},
        {.name = "mnuGetTextLength",
         .caption = u"文字数を表示"_s,
         .handler = [](Form1& w) { w.m_editor->showTextLength(); }},
        // Memo list menu.
        {.name = "mnuViewer", .caption = u"フローティングメモで開く"_s},
        {.name = "mnuEditor", .caption = u"デフォルトの外部エディタで開く"_s},
        {.name = "mnuEditor0", .caption = u"外部の規定のエディタで開く"_s},
        {.name = "mnuEditor1", .caption = u"外部エディタ1で開く"_s},
        {.name = "mnuEditor2", .caption = u"外部エディタ2で開く"_s},
        {.name = "mnuEditor3", .caption = u"外部エディタ3で開く"_s},
        {.name = "mnuCopyMemo2Clipboard", .caption = u"クリップボードへコピー"_s},
        {.name = "mnuMemoList_NewF", .caption = u"フローティングメモで作成"_s},
        {.name = "mnuMemoList_Editor0New", .caption = u"外部の規定のエディタで作成"_s},
        {.name = "mnuMemoList_Editor1New", .caption = u"外部エディタ1で作成"_s},
        {.name = "mnuMemoList_Editor2New", .caption = u"外部エディタ2で作成"_s},
        {.name = "mnuMemoList_Editor3New", .caption = u"外部エディタ3で作成"_s},
        {.name = "mnuIcon_Delete",
         .caption = u"アイコンを削除"_s,
         .handler = memoIcon(MemoIcon::RemoveCode),
         .memoIcon = MemoIcon::RemoveCode},
        {.name = "mnuIcon_Exclamation",
         .caption = u"エクスクラメーション"_s,
         .handler = memoIcon(2),
         .memoIcon = 2},
        {.name = "mnuIcon_FlagRed", .caption = u"赤色"_s, .handler = memoIcon(3), .memoIcon = 3},
        {.name = "mnuIcon_FlagBlue", .caption = u"青色"_s, .handler = memoIcon(4), .memoIcon = 4},
        {.name = "mnuIcon_FlagLightBlue", .caption = u"明るい青色"_s, .handler = memoIcon(5), .memoIcon = 5},
        {.name = "mnuIcon_FlagYellow", .caption = u"黄色"_s, .handler = memoIcon(6), .memoIcon = 6},
        {.name = "mnuIcon_FlagGreen", .caption = u"緑色"_s, .handler = memoIcon(7), .memoIcon = 7},
        {.name = "mnuIcon_FlagYellowGreen", .caption = u"黄緑色"_s, .handler = memoIcon(8), .memoIcon = 8},
        {.name = "mnuIcon_FlagPueple", .caption = u"紫色"_s, .handler = memoIcon(9), .memoIcon = 9},
        {.name = "mnuIcon_FlagBrown", .caption = u"茶色"_s, .handler = memoIcon(10), .memoIcon = 10},
        {.name = "mnuIcon_FlagGray", .caption = u"灰色"_s, .handler = memoIcon(11), .memoIcon = 11},
        {.name = "mnuIcon_FlagWhite", .caption = u"白色"_s, .handler = memoIcon(12), .memoIcon = 12},
        {.name = "popAddTag",
         .caption = u"選択したメモにタグを追加"_s,
         .handler = on(tags, &TagCommands::popAddTag)},
        {.name = "popDeleteTag",
         .caption = u"選択したメモから現在のタグを削除"_s,
         .handler = on(tags, &TagCommands::popDeleteTag)},
        {.name = "popReplaceTag",
         .caption = u"選択したメモの現在のタグを指定タグに置換"_s,
         .handler = on(tags, &TagCommands::popReplaceTag)},
        {.name = "popSetTag",
         .caption = u"選択したメモのタグを指定タグに置き換え"_s,
         .handler = on(tags, &TagCommands::popSetTag)},
        {.name = "mnuDeleteMemo",
         .caption = u"ゴミ箱へ移動(&K)"_s,
         .handler = on(trash, &TrashCommands::mnuDeleteMemo)},
        {.name = "mnuRestoreMemo",
         .caption = u"ゴミ箱から復活"_s,
         .handler = on(trash, &TrashCommands::mnuRestoreMemo)},
        {.name = "popSetSecurityPass", .caption = u"選択したメモをパスワード設定する"_s},
        {.name = "popDeleteSecurityPass", .caption = u"選択したメモのパスワード設定を解除"_s},
        {.name = "mnuExportText", .caption = u"テキストで書き出し"_s},
        {.name = "mnuSelectMemoAll",
         .caption = u"すべて選択"_s,
         .handler = [](Form1& w) { w.m_memoList->SelectAllMemos(); }},
        // Category list menu.
        {.name = "pop2DelCategory",
         .caption = u"タグを削除"_s,
         .handler = on(tags, &TagCommands::pop2DelCategory)},
        {.name = "pop2RenameCategory",
         .caption = u"タグをリネーム"_s,
         .handler = on(tags, &TagCommands::pop2RenameCategory)},
        {.name = "pop2SetCategory",
         .caption = u"指定タグに置き換え"_s,
         .handler = on(tags, &TagCommands::pop2SetCategory)},
        {.name = "pop2ClearTrash",
         .caption = u"ゴミ箱を綺麗にする"_s,
         .handler = on(trash, &TrashCommands::pop2ClearTrash)},
        {.name = "mnuFiltering", .caption = u"フィルタ(&F)"_s},
        // Tool menu.
        {.name = "mnuWindowNormal",
         .caption = u"ノーマルタイプ"_s,
         .handler = windowType(0),
         .flags = Checkable},
        {.name = "mnuWindowMailer",
         .caption = u"メーラータイプ"_s,
         .handler = windowType(1),
         .flags = Checkable},
        {.name = "mnuWindowWide", .caption = u"ワイドタイプ"_s, .handler = windowType(2), .flags = Checkable},
        {.name = "mnuMDBRefresh", .caption = u"メモデータベースのリフレッシュ"_s},
        {.name = "mnuMakeShortCut", .caption = u"ショートカットの作成"_s},
        {.name = "mnuOption", .caption = u"オプション"_s},
        // Help menu: the maker's name is written by the link commands.
        {.name = "mnuHelp2", .caption = u"ヘルプ"_s},
        {.name = "mnuOnlineHelp", .caption = u"オンラインヘルプ"_s},
        {.name = "mnuNewInfo", .caption = u"Quilletの最新情報"_s},
        {.name = "mnuMakerSite", .caption = {}},
        {.name = "mnuAbout", .caption = u"Quilletについて(&A)"_s},

        // Toolbar buttons, named by their keys.
        {.name = "Save",
         .caption = u"保存"_s,
         .toolTip = u"現在のメモの内容を保存します"_s,
         .image = "Save",
         .handler = save,
         .flags = StartsDisabled},
        {.name = "New",
         .caption = u"新規"_s,
         .toolTip = u"新規メモを作成します"_s,
         .image = "New",
         .handler = newMemo},
        {.name = "Delete",
         .caption = u"削除"_s,
         .toolTip = u"現在のメモの内容を削除します"_s,
         .image = "Delete",
         .handler = on(trash, &TrashCommands::mnuDeleteCurrentMemo),
         .flags = StartsDisabled},
        {.name = "Copy2NewMemo",
         .caption = u"コピー"_s,
         .toolTip = u"現在のメモをコピーして新規メモを作ります"_s,
         .image = "CopyNewMemo",
         .handler = newMemoCopy,
         .flags = StartsDisabled},
        {.name = "SelectedCopy2NewMemo",
         .caption = u"選択部から"_s,
         .toolTip = u"現在のメモで選択した部分をコピーして新規メモを作ります"_s,
         .image = "SelectedCopyNewMemo",
         .handler = newMemoCopySelected,
         .flags = StartsDisabled},
        {.name = "DeleteMemos",
         .caption = u"選択メモを削除"_s,
         .toolTip = u"メモリストで選択したメモを削除します"_s,
         .image = "Deletes",
         .handler = on(trash, &TrashCommands::mnuDeleteMemo),
         .flags = StartsDisabled},
        {.name = "Cut",
         .caption = u"切り取り"_s,
         .toolTip = u"切り取り"_s,
         .image = "Cut",
         .flags = StartsDisabled},
        {.name = "Copy",
         .caption = u"コピー"_s,
         .toolTip = u"コピー"_s,
         .image = "Copy",
         .flags = StartsDisabled},
        {.name = "Paste",
         .caption = u"貼り付け"_s,
         .toolTip = u"貼り付け"_s,
         .image = "Paste",
         .flags = StartsDisabled},
        {.name = "Find", .caption = u"検索"_s, .toolTip = u"メモ内を検索"_s, .image = "Find"},
        {.name = "OuterEdit",
         .caption = u"外部エディタ"_s,
         .toolTip = u"外部エディタで開く"_s,
         .image = "OuterEdit"},
        {.name = "Filtering", .caption = u"抽出"_s, .toolTip = u"メモを抽出"_s, .image = "Filtering"},
        {.name = "AlwaysOnTop",
         .caption = u"最前面"_s,
         .toolTip = u"常にトップに表示する"_s,
         .image = "AlwaysOnTop",
         .handler = [](Form1& w) { w.AlwaysOnTop2(); },
         .flags = Checkable | OnToggle},
        {.name = "Daybook",
         .caption = u"Daybook起動"_s,
         .toolTip = u"Daybookを起動する"_s,
         .image = "Daybook",
         .handler = [](Form1& window) { startDaybook(window.MyPath()); }},
        // The drop-downs of New and OuterEdit (FloatingWindows and
        // EditorCommands connect these and rewrite the numbered captions).
        {.name = "NewF", .caption = u"フローティングメモで新規メモを作成"_s},
        {.name = "NewE0", .caption = u"規定の外部エディタで新規メモを作成"_s},
        {.name = "NewE1", .caption = u"外部エディタ1で新規メモを作成"_s},
        {.name = "NewE2", .caption = u"外部エディタ2で新規メモを作成"_s},
        {.name = "NewE3", .caption = u"外部エディタ3で新規メモを作成"_s},
        {.name = "Editor0", .caption = u"規定のエディタで開く"_s},
        {.name = "Editor1", .caption = u"エディタ1で開く"_s},
        {.name = "Editor2", .caption = u"エディタ2で開く"_s},
        {.name = "Editor3", .caption = u"エディタ3で開く"_s},

        // Keys without a menu item: the main window's greeting.
        {.name = "Kita",
         .caption = u"ｷﾀ━━━━━━(ﾟ∀ﾟ)━━━━━━!!"_s,
         .shortcut = QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_0),
         .handler = [](Form1& w) { w.prompt().inform(kitaText()); }},
    };
    return table;
}

const QList<CommandTable::Menu>& CommandTable::menuBar()
{
    static const QList<Menu> menus = {
        {"mnuFile",
         u"ファイル(&F)"_s,
         {"mnuMDBChange", "mnuMDBAddImport", "mnuMDBSaveAs", "-", "mnuImport", "mnuImportFolder",
          "mnuExportAll", "-", "mnuQuit"}},
        {"mnuEdit",
         u"編集(&E)"_s,
         {"mnuUndo", "mnuRedo", "-", "mnuCut", "mnuCopy", "mnuPaste", "mnuCopyCurrentMemo2Clipboard", "-",
          "mnuAllUndo", "-", "mnuFind", "mnuOpenLink", ">mnuFindLink", "-", "mnuGetSelTextLength"}},
        {"mnuMemo",
         u"メモ(&M)"_s,
         {"mnuNewMemo", "mnuSaveMemo", "mnuDeleteCurrentMemo", "-", "mnuNewMemoCopy",
          "mnuNewMemoCopySelected", "mnuClipboard2NewMemo", "-", "mnuEditorForm", ">mnuEditorSelectForm", "-",
          "mnuGetTextLength"}},
        {"mnuMemoList",
         u"メモリスト(&L)"_s,
         {"mnuViewer", "mnuEditor", ">mnuEditorSelect", "-", "mnuCopyMemo2Clipboard", ">mnuMemoList_New", "-",
          ">mnuMemoListIcon", ">popTAG", ">mnuTrashBox", ">popPassword", ">mnuExport", "-",
          "mnuSelectMemoAll"}},
        {"popPopUp2",
         u"カテゴリリスト(&C)"_s,
         {"pop2DelCategory", "pop2RenameCategory", "pop2SetCategory", "-", "pop2ClearTrash", "-",
          "mnuFiltering"}},
        {"mnuTool",
         u"ツール(&T)"_s,
         {">mnuWindowMode", "-", "mnuMDBRefresh", "mnuMakeShortCut", "-", "mnuOption"}},
        {"mnuHelp",
         u"ヘルプ(&H)"_s,
         {"mnuHelp2", "mnuOnlineHelp", "-", "mnuNewInfo", "mnuMakerSite", "-", "mnuAbout"}},
    };
    return menus;
}

const QList<CommandTable::Menu>& CommandTable::submenus()
{
    static const QList<Menu> menus = {
        {"mnuFindLink",
         u"選択文字列を検索エンジンで検索する"_s,
         {"mnuFindLink0", "mnuFindLink1", "mnuFindLink2", "mnuFindLink3"}},
        {"mnuEditorSelectForm",
         u"指定した外部エディタで開く"_s,
         {"mnuEditorForm0", "mnuEditorForm1", "mnuEditorForm2", "mnuEditorForm3"}},
        {"mnuEditorSelect",
         u"指定した外部エディタで開く"_s,
         {"mnuEditor0", "mnuEditor1", "mnuEditor2", "mnuEditor3"}},
        {"mnuMemoList_New",
         u"新規メモ"_s,
         {"mnuMemoList_NewF", "mnuMemoList_Editor0New", "mnuMemoList_Editor1New", "mnuMemoList_Editor2New",
          "mnuMemoList_Editor3New"}},
        {"mnuMemoListIcon",
         u"アイコン"_s,
         {"mnuIcon_Delete", "mnuIcon_Exclamation", "mnuIcon_FlagRed", "mnuIcon_FlagBlue",
          "mnuIcon_FlagLightBlue", "mnuIcon_FlagYellow", "mnuIcon_FlagGreen", "mnuIcon_FlagYellowGreen",
          "mnuIcon_FlagPueple", "mnuIcon_FlagBrown", "mnuIcon_FlagGray", "mnuIcon_FlagWhite"}},
        {"popTAG", u"タグ操作"_s, {"popAddTag", "popDeleteTag", "popReplaceTag", "popSetTag"}},
        {"mnuTrashBox", u"ゴミ箱"_s, {"mnuDeleteMemo", "mnuRestoreMemo"}},
        {"popPassword", u"パスワード"_s, {"popSetSecurityPass", "popDeleteSecurityPass"}},
        {"mnuExport", u"外部書き出し"_s, {"mnuExportText"}},
        {"mnuWindowMode", u"ウィンドウモード"_s, {"mnuWindowNormal", "mnuWindowMailer", "mnuWindowWide"}},
        // The toolbar's drop-downs.
        {"NewMenu", u"新規メモ"_s, {"NewF", "-NewMinus01", "NewE0", "NewE1", "NewE2", "NewE3"}},
        {"OuterEditMenu", u"外部エディタで開く"_s, {"Editor0", "Editor1", "Editor2", "Editor3"}},
    };
    return menus;
}

const QList<CommandTable::ToolButton>& CommandTable::toolbar()
{
    static const QList<ToolButton> buttons = {
        {"Save"},
        {"-"},
        {"New", "NewMenu"},
        {"Delete"},
        {"-"},
        {"Copy2NewMemo"},
        {"SelectedCopy2NewMemo"},
        {"DeleteMemos"},
        {"-"},
        {"Cut"},
        {"Copy"},
        {"Paste"},
        {"Find"},
        {"OuterEdit", "OuterEditMenu"},
        {"Filtering"},
        {"AlwaysOnTop"},
        {"-DaybookSepalator"},
        {"Daybook"},
    };
    return buttons;
}

const Command* CommandTable::find(const QString& name)
{
    for (const Command& command : commands()) {
        if (QLatin1String(command.name) == name)
            return &command;
    }
    return nullptr;
}

QString CommandTable::plainCaption(const QString& caption)
{
    static const QRegularExpression accelerator(u"\\(&.\\)$"_s);
    QString text = caption;
    text.remove(accelerator);
    text.replace(u"&&"_s, u"\x01"_s).remove(u'&').replace(u'\x01', u'&');
    return text;
}

QString CommandTable::Launcher::programFolder() const
{
    return QCoreApplication::applicationDirPath();
}

bool CommandTable::Launcher::startDetached(const QString& program)
{
    return QProcess::startDetached(program, {}, QFileInfo(program).absolutePath());
}

CommandTable::Launcher& CommandTable::launcher()
{
    return *g_launcher;
}

void CommandTable::setLauncher(Launcher* launcher)
{
    g_launcher = launcher ? launcher : &g_defaultLauncher;
}

QString CommandTable::daybookProgram(const QString& myPath)
{
    // The data folder first, where the sibling program's files live; then
    // beside the running binary, where an installation may put it.
    for (const QString& folder : {myPath, launcher().programFolder()}) {
        if (folder.isEmpty())
            continue;
        const QFileInfo program(QDir(folder).filePath(u"daybook"_s));
        if (program.isFile() && program.isExecutable())
            return program.absoluteFilePath();
    }
    return QString();
}

void CommandTable::startDaybook(const QString& myPath)
{
    // Nothing happens when the program went away since the start.
    const QString program = daybookProgram(myPath);
    if (!program.isEmpty())
        launcher().startDetached(program);
}

QString CommandTable::kitaText()
{
    return u"ｷﾀ━━━━━━(ﾟ∀ﾟ)━━━━━━!!"_s;
}
