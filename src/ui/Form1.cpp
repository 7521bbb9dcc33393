#include "ui/Form1.h"

#include "app/Clock.h"
#include "app/Prompt.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "editing/MemoEditor.h"
#include "editing/MemoText.h"
#include "editing/RestoreSlot.h"
#include "editing/RestoreWriteTimer.h"
#include "store/MemoStore.h"
#include "tags/CategoryList.h"
#include "tags/IconCommands.h"
#include "tags/ListViews.h"
#include "tags/MemoList.h"
#include "tags/MemoListIcons.h"
#include "tags/MemoListModel.h"
#include "tags/TagCommands.h"
#include "tags/TrashCommands.h"
#include "ui/CommandTable.h"
#include "ui/FloatingWindows.h"
#include "ui/OuterEditHolder.h"
#include "ui/PaneLayout.h"
#include "ui/frmViewer.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTimer>
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

// A toolbar image from the resources, at its normal and double size.
QIcon toolbarIcon(const char* image)
{
    QIcon icon;
    const QString base = QStringLiteral(":/toolbar/") + QString::fromLatin1(image);
    icon.addFile(base + QStringLiteral(".png"), QSize(24, 24));
    icon.addFile(base + QStringLiteral("@2x.png"), QSize(48, 48));
    return icon;
}

} // namespace

Form1::Form1(StartupResult&& startup, Prompt& prompt, Clock& clock, QWidget* parent)
    : QMainWindow(parent), m_prompt(prompt), m_clock(clock), m_store(std::move(startup.store)),
      m_myPath(startup.myPath), m_dbPath(startup.dbPath), m_openPath(startup.openPath),
      m_profile(startup.profile), m_settings(startup.profile.iniFilePath)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(startup.caption);
    setAccessibleName(startup.caption);

    buildPanels();
    // The first fill lists every memo: those rows are read in other threads
    // while the window is built and the tags are counted here.
    m_memoList->prefetch(TagTable::allName());
    m_tagCommands = new TagCommands(*this);
    m_trashCommands = new TrashCommands(*this);
    m_iconCommands = new IconCommands(*this);
    buildActions();
    buildMenus();
    buildToolbar();
    buildCommands();
    connectParts();

    m_editor->setLoading(true);
    // Fonts and sizes are set while the lists are still empty: a font set on a
    // list of a million rows lays them all out again.
    applyLayoutSettings();
    applyStyleSettings();
    applyGeneralSettings();
    // The stored sort order is known before the first fill, so that fill
    // orders the rows once.
    applyMemoListSort();
    LoadCategoryCounts();
    CatList_Add();
    // The list lays out its rows, as many as there are memos outside the
    // trash, while they are still being read; a long one shows its first
    // rows and takes the rest once the window is on the screen.
    if (m_memoList->layOutPrefetchedRows(m_catList->table().totalCount()))
        StartNewMemoKeepingList();
    else
        StartNewMemo(QString());
    // The first copy on the profile takes what the last one left; a second
    // copy running beside it writes a restore file of its own.
    m_restoreSlot = std::make_unique<RestoreSlot>(m_profile.restorePath, m_clock.now());
    if (m_restoreSlot->holdsProfileFile())
        m_floating->reopenKept();
    ReadRestoreFile();
    m_editor->InitUndoRedo();
    m_editor->setLoading(false);

    // Unsaved text reaches the disk while the user types.
    m_restoreTimer = new RestoreWriteTimer([this] { writeUnsavedText(); }, this);
    connect(m_editor, &MemoEditor::textEdited, m_restoreTimer, &RestoreWriteTimer::changed);
    connect(m_editor, &MemoEditor::editStateChanged, this, &Form1::dropRestoreFileWhenSaved);
    connect(qApp, &QGuiApplication::commitDataRequest, this, &Form1::writeForSessionEnd);
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
    // One action per command of the table; a command without a handler is
    // connected by the object that carries it out (buildCommands()).
    m_windowTypes = new QActionGroup(this);
    for (const CommandTable::Command& command : CommandTable::commands()) {
        QAction* action = makeAction(command.name, command.caption);
        if (!command.toolTip.isEmpty())
            action->setToolTip(command.toolTip);
        if (command.image)
            action->setIcon(toolbarIcon(command.image));
        if (command.memoIcon >= 0)
            action->setIcon(MemoListIcons::icon(command.memoIcon));
        if (!command.shortcut.isEmpty()) {
            action->setShortcut(command.shortcut);
            // Keys of the window as a whole work with or without a menu item.
            addAction(action);
        }
        action->setCheckable(command.flags & CommandTable::Checkable);
        action->setEnabled(!(command.flags & CommandTable::StartsDisabled));
        if (command.handler) {
            const auto handler = command.handler;
            connect(action,
                    (command.flags & CommandTable::OnToggle) ? &QAction::toggled : &QAction::triggered, this,
                    [this, handler] { handler(*this); });
        }
    }
    for (const char* name : {"mnuWindowNormal", "mnuWindowMailer", "mnuWindowWide"})
        m_windowTypes->addAction(action(name));
}

QMenu* Form1::buildMenu(const CommandTable::Menu& layout, QWidget* parent)
{
    auto* menu = new QMenu(layout.title, parent);
    menu->setObjectName(QString::fromLatin1(layout.name));
    menu->setAccessibleName(CommandTable::plainCaption(layout.title));
    for (const char* item : layout.items) {
        if (item[0] == '-') {
            QAction* separator = menu->addSeparator();
            if (item[1])
                separator->setObjectName(QString::fromLatin1(item + 1));
        } else if (item[0] == '>') {
            for (const CommandTable::Menu& submenu : CommandTable::submenus()) {
                if (qstrcmp(submenu.name, item + 1) == 0)
                    menu->addMenu(buildMenu(submenu, menu));
            }
        } else {
            menu->addAction(action(item));
        }
    }
    return menu;
}

void Form1::buildMenus()
{
    menuBar()->setObjectName(QStringLiteral("MenuBar"));
    menuBar()->setAccessibleName(QStringLiteral("メニューバー"));
    for (const CommandTable::Menu& layout : CommandTable::menuBar())
        menuBar()->addMenu(buildMenu(layout, this));
    // The button and menu that hold the menus a narrow window cannot show;
    // the menu bar makes its own menu there only when the button has none.
    if (auto* more = menuBar()->findChild<QToolButton*>(QStringLiteral("qt_menubar_ext_button"))) {
        more->setAccessibleName(QStringLiteral("その他のメニュー"));
        if (!more->menu()) {
            auto* menu = new QMenu(menuBar());
            menu->setObjectName(QStringLiteral("MenuBarMore"));
            menu->setAccessibleName(QStringLiteral("その他のメニュー"));
            more->setMenu(menu);
        }
    }
    // The memo list's and the category list's menus double as their context
    // menus; the contents box opens the edit menu.
    const std::pair<QAbstractScrollArea*, const char*> contextMenus[] = {
        {m_memoListView, "mnuMemoList"}, {m_catListView, "popPopUp2"}, {m_editor->txtContents(), "mnuEdit"}};
    for (const auto& [area, name] : contextMenus) {
        QMenu* menu = findChild<QMenu*>(QString::fromLatin1(name));
        area->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(area, &QWidget::customContextMenuRequested, this,
                [area, menu](const QPoint& point) { menu->popup(area->viewport()->mapToGlobal(point)); });
    }
}

void Form1::buildToolbar()
{
    m_toolbar = addToolBar(QStringLiteral("ツールバー"));
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setAccessibleName(QStringLiteral("ツールバー"));
    m_toolbar->setMovable(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    // The sibling diary program's button shows only when the program is there.
    const bool daybook = !CommandTable::daybookProgram(m_myPath).isEmpty();
    for (const CommandTable::ToolButton& button : CommandTable::toolbar()) {
        if (button.name[0] == '-') {
            QAction* separator = m_toolbar->addSeparator();
            if (button.name[1])
                separator->setObjectName(QString::fromLatin1(button.name + 1));
            continue;
        }
        QAction* command = action(button.name);
        m_toolbar->addAction(command);
        auto* widget = qobject_cast<QToolButton*>(m_toolbar->widgetForAction(command));
        widget->setObjectName(command->objectName() + QStringLiteral("Button"));
        widget->setAccessibleName(CommandTable::plainCaption(command->text()));
        if (button.dropDown) {
            for (const CommandTable::Menu& layout : CommandTable::submenus()) {
                if (qstrcmp(layout.name, button.dropDown) == 0)
                    widget->setMenu(buildMenu(layout, this));
            }
            widget->setPopupMode(QToolButton::MenuButtonPopup);
        }
    }
    for (QAction* item : m_toolbar->actions()) {
        if (item->objectName().startsWith(QStringLiteral("Daybook")))
            item->setVisible(daybook);
    }
    // The overflow button shown when the window is too narrow for every button.
    if (auto* more = m_toolbar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")))
        more->setAccessibleName(QStringLiteral("その他のボタン"));
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
    connect(m_memoList, &MemoList::fillFailed, this,
            [this](const QString& message) { m_prompt.critical(message); });
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

void Form1::updateFocusStates(QWidget* /*previous*/, QWidget* focus)
{
    // The toolbar buttons that act on the focused area follow the focus. A
    // menu, the menu bar (Alt+E) or a popup taking it keeps them as they were,
    // so that the Edit menu offers what it acts on.
    if (!focus || qobject_cast<QMenuBar*>(focus) || qobject_cast<QMenu*>(focus) ||
        focus->window()->windowType() == Qt::Popup)
        return;
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

void Form1::StartNewMemoKeepingList()
{
    m_editor->clearForNewMemo(QString());
    m_memoList->view()->selectionModel()->clear();
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
    // An unmodified floating window has followed the save by itself; one with
    // edits of its own takes the saved text only when the user says so.
    if (floatingEdited && m_prompt.askYesNo(QStringLiteral(
                              "フローティングメモで開いています。今回保存した内容に更新しますか？\n"
                              "更新すると、フローティングメモで編集していた内容は消えます。"))) {
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
    // Asked once the window stands behind the question.
    QTimer::singleShot(0, this, &Form1::offerKeptFiles);
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
    if (!writeRestoreFileAtEnd(&error) && m_editor->IsEdit() &&
        !m_prompt.askYesNo(
            QStringLiteral("編集中のメモを復帰用ファイルに書き込めませんでした。\n%1\n%2\n"
                           "このまま終了すると、保存していない変更は失われます。終了しますか？")
                .arg(restoreFilePath(), error),
            PromptIcon::Exclamation)) {
        event->ignore();
        return;
    }
    // Every floating window keeps its place and text for the next start.
    m_floating->keepForNextStart();
    event->accept();
}
