#include "ui/Form1.h"

#include "app/Clock.h"
#include "app/Prompt.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "editing/MemoEditor.h"
#include "editing/MemoText.h"
#include "store/MemoStore.h"
#include "tags/CategoryList.h"
#include "tags/IconCommands.h"
#include "tags/ListViews.h"
#include "tags/MemoIcon.h"
#include "tags/MemoList.h"
#include "tags/MemoListIcons.h"
#include "tags/MemoListModel.h"
#include "tags/TagCommands.h"
#include "tags/TrashCommands.h"
#include "ui/FloatingWindows.h"
#include "ui/OuterEditHolder.h"
#include "ui/PaneLayout.h"
#include "ui/frmViewer.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QWidget* makeListPanel(QWidget* parent, const char* name, const QString& accessibleName, QWidget* list)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setAccessibleName(accessibleName);
    panel->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(panel);
    // The lists sit inset in their panes.
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(list);
    return panel;
}

} // namespace

Form1::Form1(StartupResult&& startup, Prompt& prompt, Clock& clock, QWidget* parent)
    : QMainWindow(parent), m_prompt(prompt), m_clock(clock), m_store(std::move(startup.store)),
      m_myPath(startup.myPath), m_dbPath(startup.dbPath), m_openPath(startup.openPath), m_profile(startup.profile),
      m_settings(startup.profile.iniFilePath)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(startup.caption);
    setAccessibleName(startup.caption);

    buildPanels();
    m_tagCommands = new TagCommands(*this);
    m_trashCommands = new TrashCommands(*this);
    m_iconCommands = new IconCommands(*this);
    buildActions();
    buildMenus();
    buildToolbar();
    buildCommands();
    connectParts();

    m_editor->setLoading(true);
    LoadCategoryCounts();
    CatList_Add();
    // The stored sort order is known before the first fill, so that fill
    // orders the rows once.
    applyMemoListSort();
    StartNewMemo(QString());
    applyLayoutSettings();
    applyStyleSettings();
    applyGeneralSettings();
    m_floating->reopenKept();
    ReadRestoreFile();
    m_editor->InitUndoRedo();
    m_editor->setLoading(false);
}

Form1::~Form1()
{
    disconnect(qApp, nullptr, this, nullptr);
    // The boxes and lists still report focus changes while the window is torn down.
    for (QObject* part : std::initializer_list<QObject*>{m_catList, m_memoList, m_editor})
        part->disconnect();
}

QAction* Form1::makeAction(const char* name, const QString& text)
{
    auto* action = new QAction(text, this);
    action->setObjectName(QString::fromLatin1(name));
    m_actions.insert(action->objectName(), action);
    return action;
}

void Form1::buildPanels()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("Form1Client"));
    setCentralWidget(central);

    m_catListView = new ReportListView;
    m_catListView->setObjectName(QStringLiteral("CatList"));
    m_catListView->setAccessibleName(QStringLiteral("カテゴリリスト"));
    m_catList = new CategoryList(m_catListView, *m_store, this);
    m_panel1 = makeListPanel(central, "Panel1", QStringLiteral("カテゴリ欄"), m_catListView);

    m_memoListView = new ReportListView;
    m_memoListView->setObjectName(QStringLiteral("MemoList"));
    m_memoListView->setAccessibleName(QStringLiteral("メモリスト"));
    m_memoList = new MemoList(m_memoListView, *m_store, this);
    m_memoList->model()->setIconProvider(&MemoListIcons::icon);
    m_panel2 = makeListPanel(central, "Panel2", QStringLiteral("メモリスト欄"), m_memoListView);

    m_editor = new MemoEditor(*m_store, m_prompt, m_clock, central);
    m_editor->setAccessibleName(QStringLiteral("編集欄"));

    m_panes = new PaneLayout(central, m_panel1, m_panel2, m_editor);
    connect(m_panes, &PaneLayout::sepalatorMoved, this, &Form1::onSepalatorMoved);
    connect(m_panes, &PaneLayout::sepalator3Moved, this, &Form1::fitTitleColumn);
}

void Form1::buildActions()
{
    connect(makeAction("mnuQuit", QStringLiteral("終了(&X)")), &QAction::triggered, this, &Form1::quit);

    QAction* undo = makeAction("mnuUndo", QStringLiteral("元に戻す"));
    connect(undo, &QAction::triggered, this, [this] { m_editor->undo(MemoEditor::Box::Contents); });
    QAction* redo = makeAction("mnuRedo", QStringLiteral("やり直し"));
    connect(redo, &QAction::triggered, this, [this] { m_editor->redo(MemoEditor::Box::Contents); });
    connect(makeAction("mnuAllUndo", QStringLiteral("メモを読み込み時の状態に戻す")), &QAction::triggered, m_editor,
            &MemoEditor::mnuAllUndo);
    connect(makeAction("mnuGetSelTextLength", QStringLiteral("選択文字列の文字数を取得")), &QAction::triggered,
            m_editor, &MemoEditor::showSelectedTextLength);

    connect(makeAction("mnuNewMemo", QStringLiteral("新規メモを作成(&N)")), &QAction::triggered, this,
            &Form1::newMemo);
    QAction* save = makeAction("mnuSaveMemo", QStringLiteral("現在のメモを保存(&S)"));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(save, &QAction::triggered, this, &Form1::SaveCurrentMemo);
    connect(makeAction("mnuNewMemoCopy", QStringLiteral("コピーを作成")), &QAction::triggered, this,
            &Form1::newMemoCopy);
    connect(makeAction("mnuNewMemoCopySelected", QStringLiteral("選択部をコピーして新規メモを作成")),
            &QAction::triggered, this, &Form1::newMemoCopySelected);
    connect(makeAction("mnuGetTextLength", QStringLiteral("文字数を表示")), &QAction::triggered, m_editor,
            &MemoEditor::showTextLength);
    connect(makeAction("mnuSelectMemoAll", QStringLiteral("すべて選択")), &QAction::triggered, m_memoList,
            &MemoList::SelectAllMemos);

    // Commands whose handlers connect themselves (buildCommands()).
    const std::pair<const char*, QString> selfConnected[] = {
        {"mnuCut", QStringLiteral("切り取り(&T)")},
        {"mnuCopy", QStringLiteral("コピー(&C)")},
        {"mnuPaste", QStringLiteral("貼り付け(&P)")},
        {"mnuCopyCurrentMemo2Clipboard", QStringLiteral("現在のメモをクリップボードへコピー")},
        {"mnuFind", QStringLiteral("検索(&F)")},
        {"mnuClipboard2NewMemo", QStringLiteral("クリップボードから新規メモを作成")},
        {"mnuCopyMemo2Clipboard", QStringLiteral("クリップボードへコピー")},
        {"popSetSecurityPass", QStringLiteral("選択したメモをパスワード設定する")},
        {"popDeleteSecurityPass", QStringLiteral("選択したメモのパスワード設定を解除")},
        {"mnuFiltering", QStringLiteral("フィルタ(&F)")},
        {"mnuMDBChange", QStringLiteral("メモデータベースの切り替え")},
        {"mnuMDBAddImport", QStringLiteral("メモデータベースを追加読み込み")},
        {"mnuMDBSaveAs", QStringLiteral("メモデータベースを別名で保存")},
        {"mnuImport", QStringLiteral("インポート")},
        {"mnuImportFolder", QStringLiteral("フォルダインポート")},
        {"mnuExportAll", QStringLiteral("エクスポート")},
        {"mnuExportText", QStringLiteral("テキストで書き出し")},
        {"mnuOpenLink", QStringLiteral("選択文字列から開く")},
        {"mnuFindLink0", QString()},
        {"mnuFindLink1", QString()},
        {"mnuFindLink2", QString()},
        {"mnuFindLink3", QString()},
        {"mnuMDBRefresh", QStringLiteral("メモデータベースのリフレッシュ")},
        {"mnuMakeShortCut", QStringLiteral("ショートカットの作成")},
        {"mnuOption", QStringLiteral("オプション")},
        {"mnuHelp2", QStringLiteral("ヘルプ")},
        {"mnuOnlineHelp", QStringLiteral("オンラインヘルプ")},
        {"mnuNewInfo", QStringLiteral("Quilletの最新情報")},
        {"mnuMakerSite", QString()},
        {"mnuAbout", QStringLiteral("Quilletについて(&A)")},
    };
    for (const auto& [name, text] : selfConnected)
        makeAction(name, text);
    for (const char* name : {"mnuCut", "mnuCopy", "mnuPaste"})
        action(name)->setEnabled(false);

    // Floating memo windows (FloatingWindows connects these).
    makeAction("mnuViewer", QStringLiteral("フローティングメモで開く"));
    makeAction("mnuMemoList_NewF", QStringLiteral("フローティングメモで作成"));
    makeAction("NewF", QStringLiteral("フローティングメモで新規メモを作成"));

    // External editors (EditorCommands connects these and writes the captions
    // of the numbered entries from the editor table).
    makeAction("mnuEditor", QStringLiteral("デフォルトの外部エディタで開く"));
    makeAction("mnuEditorForm", QStringLiteral("デフォルトの外部エディタで開く"));
    for (int index = 0; index < 4; ++index) {
        makeAction(qPrintable(QStringLiteral("mnuEditor%1").arg(index)), QString());
        makeAction(qPrintable(QStringLiteral("mnuEditorForm%1").arg(index)), QString());
        makeAction(qPrintable(QStringLiteral("mnuMemoList_Editor%1New").arg(index)), QString());
        makeAction(qPrintable(QStringLiteral("NewE%1").arg(index)), QString());
        makeAction(qPrintable(QStringLiteral("Editor%1").arg(index)), QString());
    }

    // Tags, trash and icons.
    const auto command = [this](const char* name, const QString& text, auto* target, auto slot) {
        connect(makeAction(name, text), &QAction::triggered, target, slot);
    };
    command("popAddTag", QStringLiteral("選択したメモにタグを追加"), m_tagCommands, &TagCommands::popAddTag);
    command("popDeleteTag", QStringLiteral("選択したメモから現在のタグを削除"), m_tagCommands,
            &TagCommands::popDeleteTag);
    command("popReplaceTag", QStringLiteral("選択したメモの現在のタグを指定タグに置換"), m_tagCommands,
            &TagCommands::popReplaceTag);
    command("popSetTag", QStringLiteral("選択したメモのタグを指定タグに置き換え"), m_tagCommands,
            &TagCommands::popSetTag);
    command("pop2DelCategory", QStringLiteral("タグを削除"), m_tagCommands, &TagCommands::pop2DelCategory);
    command("pop2RenameCategory", QStringLiteral("タグをリネーム"), m_tagCommands, &TagCommands::pop2RenameCategory);
    command("pop2SetCategory", QStringLiteral("指定タグに置き換え"), m_tagCommands, &TagCommands::pop2SetCategory);
    command("mnuDeleteMemo", QStringLiteral("ゴミ箱へ移動(&K)"), m_trashCommands, &TrashCommands::mnuDeleteMemo);
    command("mnuRestoreMemo", QStringLiteral("ゴミ箱から復活"), m_trashCommands, &TrashCommands::mnuRestoreMemo);
    command("mnuDeleteCurrentMemo", QStringLiteral("現在のメモをゴミ箱へ移動(&D)"), m_trashCommands,
            &TrashCommands::mnuDeleteCurrentMemo);
    command("pop2ClearTrash", QStringLiteral("ゴミ箱を綺麗にする"), m_trashCommands, &TrashCommands::pop2ClearTrash);
    const std::pair<const char*, QString> icons[] = {
        {"mnuIcon_Delete", QStringLiteral("アイコンを削除")},
        {"mnuIcon_Exclamation", QStringLiteral("エクスクラメーション")},
        {"mnuIcon_FlagRed", QStringLiteral("赤色")},
        {"mnuIcon_FlagBlue", QStringLiteral("青色")},
        {"mnuIcon_FlagLightBlue", QStringLiteral("明るい青色")},
        {"mnuIcon_FlagYellow", QStringLiteral("黄色")},
        {"mnuIcon_FlagGreen", QStringLiteral("緑色")},
        {"mnuIcon_FlagYellowGreen", QStringLiteral("黄緑色")},
        {"mnuIcon_FlagPueple", QStringLiteral("紫色")},
        {"mnuIcon_FlagBrown", QStringLiteral("茶色")},
        {"mnuIcon_FlagGray", QStringLiteral("灰色")},
        {"mnuIcon_FlagWhite", QStringLiteral("白色")},
    };
    // The first entry removes the icon; the others set images 2 to 12 in order.
    int code = MemoIcon::RemoveCode;
    for (const auto& [name, text] : icons) {
        QAction* iconAction = makeAction(name, text);
        iconAction->setIcon(MemoListIcons::icon(code));
        connect(iconAction, &QAction::triggered, this, [this, code] { m_iconCommands->SetIconOnSelected(code); });
        code = code == MemoIcon::RemoveCode ? MemoListIcons::Exclamation : code + 1;
    }

    m_windowTypes = new QActionGroup(this);
    const std::pair<const char*, QString> types[] = {{"mnuWindowNormal", QStringLiteral("ノーマルタイプ")},
                                                     {"mnuWindowMailer", QStringLiteral("メーラータイプ")},
                                                     {"mnuWindowWide", QStringLiteral("ワイドタイプ")}};
    int type = 0;
    for (const auto& [name, text] : types) {
        QAction* action = makeAction(name, text);
        action->setCheckable(true);
        m_windowTypes->addAction(action);
        connect(action, &QAction::triggered, this, [this, type] { SetWindowType(type); });
        ++type;
    }

    // Toolbar buttons, named by their keys.
    const struct
    {
        const char* name;
        QString text;
        QString toolTip;
        const char* icon;
    } buttons[] = {
        {"Save", QStringLiteral("保存"), QStringLiteral("現在のメモの内容を保存します"), "document-save"},
        {"New", QStringLiteral("新規"), QStringLiteral("新規メモを作成します"), "document-new"},
        {"Delete", QStringLiteral("削除"), QStringLiteral("現在のメモの内容を削除します"), "edit-delete"},
        {"Copy2NewMemo", QStringLiteral("コピー"), QStringLiteral("現在のメモをコピーして新規メモを作ります"),
         "edit-copy"},
        {"SelectedCopy2NewMemo", QStringLiteral("選択部から"),
         QStringLiteral("現在のメモで選択した部分をコピーして新規メモを作ります"), "edit-select-all"},
        {"DeleteMemos", QStringLiteral("選択メモを削除"), QStringLiteral("メモリストで選択したメモを削除します"),
         "user-trash"},
        {"Cut", QStringLiteral("切り取り"), QStringLiteral("切り取り"), "edit-cut"},
        {"Copy", QStringLiteral("コピー"), QStringLiteral("コピー"), "edit-copy"},
        {"Paste", QStringLiteral("貼り付け"), QStringLiteral("貼り付け"), "edit-paste"},
        {"Find", QStringLiteral("検索"), QStringLiteral("メモ内を検索"), "edit-find"},
        {"Filtering", QStringLiteral("抽出"), QStringLiteral("メモを抽出"), "view-filter"},
        {"OuterEdit", QStringLiteral("外部エディタ"), QStringLiteral("外部エディタで開く"),
         "accessories-text-editor"},
        {"AlwaysOnTop", QStringLiteral("最前面"), QStringLiteral("常にトップに表示する"), "go-top"},
    };
    for (const auto& button : buttons) {
        QAction* action = makeAction(button.name, button.text);
        action->setToolTip(button.toolTip);
        action->setIcon(QIcon::fromTheme(QString::fromLatin1(button.icon)));
    }
    connect(action("Save"), &QAction::triggered, this, &Form1::SaveCurrentMemo);
    connect(action("New"), &QAction::triggered, this, &Form1::newMemo);
    connect(action("Copy2NewMemo"), &QAction::triggered, this, &Form1::newMemoCopy);
    connect(action("SelectedCopy2NewMemo"), &QAction::triggered, this, &Form1::newMemoCopySelected);
    connect(action("Delete"), &QAction::triggered, m_trashCommands, &TrashCommands::mnuDeleteCurrentMemo);
    connect(action("DeleteMemos"), &QAction::triggered, m_trashCommands, &TrashCommands::mnuDeleteMemo);
    action("AlwaysOnTop")->setCheckable(true);
    connect(action("AlwaysOnTop"), &QAction::toggled, this, &Form1::setAlwaysOnTop);
    for (const char* name : {"Save", "Delete", "Copy2NewMemo", "SelectedCopy2NewMemo", "DeleteMemos", "Cut", "Copy",
                             "Paste"})
        action(name)->setEnabled(false);

    auto* kita = new QShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_0), this);
    connect(kita, &QShortcut::activated, this, [this] { m_prompt.inform(QStringLiteral("ｷﾀ━━━━━━(ﾟ∀ﾟ)━━━━━━!!")); });
}

void Form1::buildMenus()
{
    const auto addMenu = [this](const char* name, const QString& title, std::initializer_list<const char*> items) {
        QMenu* menu = menuBar()->addMenu(title);
        menu->setObjectName(QString::fromLatin1(name));
        for (const char* item : items)
            menu->addAction(action(item));
        return menu;
    };
    addMenu("mnuFile", QStringLiteral("ファイル(&F)"),
            {"mnuMDBChange", "mnuMDBAddImport", "mnuMDBSaveAs", "mnuImport", "mnuImportFolder", "mnuExportAll",
             "mnuQuit"});
    const auto addSubmenu = [this](QMenu* menu, const char* name, const QString& title,
                                   std::initializer_list<const char*> items) {
        QMenu* submenu = menu->addMenu(title);
        submenu->setObjectName(QString::fromLatin1(name));
        for (const char* item : items)
            submenu->addAction(action(item));
    };
    QMenu* editMenu = addMenu("mnuEdit", QStringLiteral("編集(&E)"),
                              {"mnuUndo", "mnuRedo", "mnuCut", "mnuCopy", "mnuPaste", "mnuCopyCurrentMemo2Clipboard",
                               "mnuAllUndo", "mnuFind", "mnuOpenLink"});
    addSubmenu(editMenu, "mnuFindLink", QStringLiteral("選択文字列を検索エンジンで検索する"),
               {"mnuFindLink0", "mnuFindLink1", "mnuFindLink2", "mnuFindLink3"});
    editMenu->addAction(action("mnuGetSelTextLength"));
    QMenu* memoMenu = addMenu("mnuMemo", QStringLiteral("メモ(&M)"),
                              {"mnuNewMemo", "mnuSaveMemo", "mnuDeleteCurrentMemo", "mnuNewMemoCopy",
                               "mnuNewMemoCopySelected", "mnuClipboard2NewMemo", "mnuEditorForm"});
    addSubmenu(memoMenu, "mnuEditorSelectForm", QStringLiteral("指定した外部エディタで開く"),
               {"mnuEditorForm0", "mnuEditorForm1", "mnuEditorForm2", "mnuEditorForm3"});
    memoMenu->addAction(action("mnuGetTextLength"));
    QMenu* memoListMenu = addMenu("mnuMemoList", QStringLiteral("メモリスト(&L)"), {"mnuViewer", "mnuEditor"});
    addSubmenu(memoListMenu, "mnuEditorSelect", QStringLiteral("指定した外部エディタで開く"),
               {"mnuEditor0", "mnuEditor1", "mnuEditor2", "mnuEditor3"});
    memoListMenu->addAction(action("mnuCopyMemo2Clipboard"));
    addSubmenu(memoListMenu, "mnuMemoList_New", QStringLiteral("新規メモ"),
               {"mnuMemoList_NewF", "mnuMemoList_Editor0New", "mnuMemoList_Editor1New", "mnuMemoList_Editor2New",
                "mnuMemoList_Editor3New"});
    addSubmenu(memoListMenu, "mnuMemoListIcon", QStringLiteral("アイコン"),
               {"mnuIcon_Delete", "mnuIcon_Exclamation", "mnuIcon_FlagRed", "mnuIcon_FlagBlue",
                "mnuIcon_FlagLightBlue", "mnuIcon_FlagYellow", "mnuIcon_FlagGreen", "mnuIcon_FlagYellowGreen",
                "mnuIcon_FlagPueple", "mnuIcon_FlagBrown", "mnuIcon_FlagGray", "mnuIcon_FlagWhite"});
    addSubmenu(memoListMenu, "popTAG", QStringLiteral("タグ操作"),
               {"popAddTag", "popDeleteTag", "popReplaceTag", "popSetTag"});
    addSubmenu(memoListMenu, "mnuTrashBox", QStringLiteral("ゴミ箱"), {"mnuDeleteMemo", "mnuRestoreMemo"});
    addSubmenu(memoListMenu, "popPassword", QStringLiteral("パスワード"),
               {"popSetSecurityPass", "popDeleteSecurityPass"});
    addSubmenu(memoListMenu, "mnuExport", QStringLiteral("外部書き出し"), {"mnuExportText"});
    memoListMenu->addAction(action("mnuSelectMemoAll"));
    // The memo list's own menu doubles as its context menu.
    m_memoListView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_memoListView, &QWidget::customContextMenuRequested, this, [this, memoListMenu](const QPoint& point) {
        memoListMenu->popup(m_memoListView->viewport()->mapToGlobal(point));
    });
    QMenu* categoryMenu = addMenu("popPopUp2", QStringLiteral("カテゴリリスト(&C)"),
                                  {"pop2DelCategory", "pop2RenameCategory", "pop2SetCategory", "pop2ClearTrash",
                                   "mnuFiltering"});
    // The category list's menu doubles as its context menu.
    m_catListView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_catListView, &QWidget::customContextMenuRequested, this, [this, categoryMenu](const QPoint& point) {
        categoryMenu->popup(m_catListView->viewport()->mapToGlobal(point));
    });
    QMenu* tool = addMenu("mnuTool", QStringLiteral("ツール(&T)"), {});
    QMenu* windowMode = tool->addMenu(QStringLiteral("ウィンドウモード"));
    windowMode->setObjectName(QStringLiteral("mnuWindowMode"));
    windowMode->addActions(m_windowTypes->actions());
    tool->addActions({action("mnuMDBRefresh"), action("mnuMakeShortCut"), action("mnuOption")});
    addMenu("mnuHelp", QStringLiteral("ヘルプ(&H)"),
            {"mnuHelp2", "mnuOnlineHelp", "mnuNewInfo", "mnuMakerSite", "mnuAbout"});
}

void Form1::buildToolbar()
{
    m_toolbar = addToolBar(QStringLiteral("ツールバー"));
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setMovable(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toolbar->addAction(action("Save"));
    m_toolbar->addSeparator();
    m_toolbar->addAction(action("New"));
    // The New button's drop-down: other ways to start a new memo.
    auto* newMenu = new QMenu(this);
    newMenu->setObjectName(QStringLiteral("NewMenu"));
    newMenu->addAction(action("NewF"));
    newMenu->addSeparator()->setObjectName(QStringLiteral("NewMinus01"));
    for (const char* name : {"NewE0", "NewE1", "NewE2", "NewE3"})
        newMenu->addAction(action(name));
    if (auto* newButton = qobject_cast<QToolButton*>(m_toolbar->widgetForAction(action("New")))) {
        newButton->setMenu(newMenu);
        newButton->setPopupMode(QToolButton::MenuButtonPopup);
    }
    m_toolbar->addAction(action("Delete"));
    m_toolbar->addSeparator();
    m_toolbar->addAction(action("Copy2NewMemo"));
    m_toolbar->addAction(action("SelectedCopy2NewMemo"));
    m_toolbar->addAction(action("DeleteMemos"));
    m_toolbar->addSeparator();
    for (const char* name : {"Cut", "Copy", "Paste", "Find", "OuterEdit", "Filtering"})
        m_toolbar->addAction(action(name));
    // The OuterEdit button's drop-down: the four editors.
    auto* editorMenu = new QMenu(this);
    editorMenu->setObjectName(QStringLiteral("OuterEditMenu"));
    for (const char* name : {"Editor0", "Editor1", "Editor2", "Editor3"})
        editorMenu->addAction(action(name));
    if (auto* editorButton = qobject_cast<QToolButton*>(m_toolbar->widgetForAction(action("OuterEdit")))) {
        editorButton->setMenu(editorMenu);
        editorButton->setPopupMode(QToolButton::MenuButtonPopup);
    }
    m_toolbar->addSeparator();
    m_toolbar->addAction(action("AlwaysOnTop"));
}

void Form1::connectParts()
{
    connect(m_catList, &CategoryList::rowChosen, this, &Form1::FillMemoList);
    connect(m_memoList, &MemoList::memoChosen, m_editor, &MemoEditor::LoadSelectedMemo);
    connect(m_editor, &MemoEditor::memoWritten, this, &Form1::UpdateLists);
    connect(m_editor, &MemoEditor::editStateChanged, action("Save"), &QAction::setEnabled);
    connect(m_editor, &MemoEditor::saveRequested, this, &Form1::SaveCurrentMemo);
    connect(m_editor, &MemoEditor::tagClicked, this, &Form1::jumpToTag);
    connect(m_editor, &MemoEditor::tagPickerRequested, this, &Form1::chooseTagsForTagBox);
    connect(m_memoList, &MemoList::deleteKeyPressed, m_trashCommands, &TrashCommands::mnuDeleteMemo);
    connect(qApp, &QApplication::focusChanged, this, &Form1::updateFocusStates);
}

void Form1::reportDatabaseError(const DatabaseError& error)
{
    m_prompt.critical(error.userMessage());
}

void Form1::reportAndRecount(const DatabaseError& error)
{
    reportDatabaseError(error);
    try {
        LoadCategoryCounts();
    } catch (const DatabaseError& again) {
        reportDatabaseError(again);
    }
    CatList_Add();
    FillMemoList();
}

void Form1::updateFocusStates()
{
    // The toolbar buttons that act on the focused area follow the focus.
    const QWidget* focus = QApplication::focusWidget();
    const bool inList = focus == m_memoListView;
    const bool inContents = focus == m_editor->txtContents();
    const bool inBoxes = inContents || focus == m_editor->txtTitle() || focus == m_editor->txtCategory();
    action("Copy2NewMemo")->setEnabled(inList);
    action("DeleteMemos")->setEnabled(inList);
    action("Delete")->setEnabled(inList || inBoxes);
    action("SelectedCopy2NewMemo")->setEnabled(inContents);
    for (const char* name : {"mnuCut", "mnuCopy", "mnuPaste", "Cut", "Copy", "Paste"})
        action(name)->setEnabled(inContents);
}

void Form1::chooseTagsForTagBox()
{
    const QString tags = m_tagCommands->chooseTags(m_editor->txtCategory()->text());
    if (!tags.isEmpty())
        m_editor->txtCategory()->setText(tags);
}

void Form1::LoadCategoryCounts()
{
    m_memoList->clear();
    m_catList->LoadCategoryCounts();
}

void Form1::CatList_Add()
{
    m_catList->CatList_Add();
}

QString Form1::GetCatName() const
{
    return m_catList->GetCatName();
}

void Form1::FillMemoList()
{
    try {
        m_memoList->FillMemoList(m_catList->selectedName(), m_catList->table());
    } catch (const DatabaseError& error) {
        reportDatabaseError(error);
    }
}

void Form1::UpdateLists(const WrittenMemo& memo)
{
    // The tag counts are those of memos outside the trash; a trashed memo's
    // tags were never counted.
    if (!memo.inTrash) {
        TagTable& table = m_catList->table();
        if (memo.isNew)
            table.addToTotal(1);
        table.updateTagCounts(memo.isNew ? QString() : memo.previousTags, memo.tags);
    }
    m_catList->UpdatePseudoCounts();
    m_memoList->UpdateMemoListRow(m_catList->selectedName(), memo.id, memo.title, memo.updateTime, memo.tags,
                                  memo.inTrash);
    CatList_Add();
}

void Form1::StartNewMemo(const QString& category)
{
    const bool mergeIntoAll = category == TagTable::allName() || category == TagTable::findName();
    m_editor->clearForNewMemo(mergeIntoAll ? QString() : category);
    FillMemoList();
    m_catList->UpdatePseudoCounts();
    m_editor->InitUndoRedo();
}

void Form1::SaveCurrentMemo()
{
    frmViewer* viewer =
        m_editor->isNewMemo() ? nullptr : m_floating->QueryViewerOpen(m_editor->memoNumber().toLongLong());
    if (!viewer) {
        if (m_editor->WriteCurrentMemo())
            m_catList->UpdatePseudoCounts();
        return;
    }
    // The same memo is open in a floating window: neither side overwrites the
    // other's unsaved edits without asking.
    const bool floatingEdited = viewer->IsEdit();
    if (floatingEdited && !m_prompt.askYesNo(QStringLiteral(
                              "フローティングメモでもこのメモは編集されています。\nそれでも保存しますか？")))
        return;
    if (!m_editor->WriteCurrentMemo())
        return;
    QString question = QStringLiteral("フローティングメモで開いています。今回保存した内容に更新しますか？");
    if (floatingEdited)
        question += QStringLiteral("\n更新すると、フローティングメモで編集していた内容は消えます。");
    if (m_prompt.askYesNo(question)) {
        viewer->setLoading(true);
        if (viewer->MemoLoad()) {
            viewer->SetSaved();
            viewer->InitUndoRedo();
        }
        viewer->setLoading(false);
    }
    m_catList->UpdatePseudoCounts();
}

void Form1::quit()
{
    if (m_editor->QuerySaveModified() == 1)
        close();
}

void Form1::newMemo()
{
    if (m_editor->QuerySaveModified() != 1)
        return;
    m_editor->setLoading(true);
    StartNewMemo(m_catList->selectedName());
    m_editor->setLoading(false);
}

void Form1::newMemoCopy()
{
    const QString title = QStringLiteral("コピー ") + m_editor->txtTitle()->text();
    const QString body = m_editor->storedContents();
    const QString tags = m_editor->txtCategory()->text();
    StartNewMemo(QString());
    m_editor->setTexts(title, tags, body);
    SaveCurrentMemo();
}

void Form1::newMemoCopySelected()
{
    if (m_editor->QuerySaveModified() != 1)
        return;
    const QString title = m_editor->txtTitle()->text();
    const QString selection = m_editor->selectedContents();
    StartNewMemo(QString());
    m_editor->setTexts(title, QString(), MemoText::toStored(selection));
    SaveCurrentMemo();
}

void Form1::jumpToTag(const QString& word)
{
    const int index = m_catList->FindCatIndex(word);
    if (index < 0)
        return;
    if (m_catList->selectRowId(TagTable::rowIdOfIndex(index)))
        FillMemoList();
}

int Form1::PaneMode() const
{
    return m_panes->windowType();
}

void Form1::SetWindowType(int type)
{
    m_panes->setWindowType(type);
    m_windowTypes->actions().at(m_panes->windowType())->setChecked(true);
    if (m_panes->windowType() != 1)
        fitTitleColumn();
}

void Form1::setAlwaysOnTop(bool on)
{
    if (bool(windowFlags() & Qt::WindowStaysOnTopHint) == on)
        return;
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    // Changing window flags hides the window; show it again where it was.
    if (visible)
        show();
}

void Form1::leaveTopmostBand()
{
    setAlwaysOnTop(false);
}

void Form1::AlwaysOnTop2()
{
    setAlwaysOnTop(action("AlwaysOnTop")->isChecked());
}

void Form1::onSepalatorMoved()
{
    m_catList->FitCategoryColumn();
    if (PaneMode() == 0)
        fitTitleColumn();
}

void Form1::fitTitleColumn()
{
    m_memoList->FitTitleColumn(toPixels(2400));
}

void Form1::finishStartup()
{
    switch (m_settings.read(Settings::General::Focus)) {
    case 0:
        m_editor->txtTitle()->setFocus();
        break;
    case 1:
        m_editor->txtCategory()->setFocus();
        break;
    case 2:
        m_editor->txtContents()->setFocus();
        break;
    default:
        break;
    }
}

bool Form1::memoHeldByExternalEditor() const
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        if (const auto* holder = dynamic_cast<const OuterEditHolder*>(*it); holder && holder->IsOuterEdit())
            return true;
    }
    return false;
}

void Form1::closeEvent(QCloseEvent* event)
{
    if (memoHeldByExternalEditor()) {
        m_prompt.inform(QStringLiteral("外部エディタで開いているメモがあるため、終了できません。"));
        event->ignore();
        return;
    }
    writeLayoutSettings();
    // Closing asks nothing: the boxes, saved or not, go into the restore file
    // and come back at the next start. Only when that file cannot be written
    // would unsaved edits be lost, and then the user decides.
    QString error;
    if (!WriteRestoreFile(&error) && m_editor->IsEdit() &&
        !m_prompt.askYesNo(
            QStringLiteral("編集中のメモを復帰用ファイルに書き込めませんでした。\n%1\n%2\n"
                           "このまま終了すると、保存していない変更は失われます。終了しますか？")
                .arg(m_profile.restorePath, error),
            PromptIcon::Exclamation)) {
        event->ignore();
        return;
    }
    // Every floating window keeps its place and text for the next start.
    m_floating->keepForNextStart();
    event->accept();
}
