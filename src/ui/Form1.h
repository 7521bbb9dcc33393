#pragma once

#include "app/AppPaths.h"
#include "app/SettingsFile.h"
#include "exchange/EditorTable.h"
#include "ui/CommandTable.h"

#include <QHash>
#include <QMainWindow>
#include <memory>

class CategoryList;
class Clock;
class DatabaseError;
class FloatingWindows;
class IconCommands;
class TagCommands;
class TrashCommands;
class MemoEditor;
class MemoList;
class MemoStore;
class PaneLayout;
class Prompt;
class QAction;
class QActionGroup;
class QMenu;
class QToolBar;
class ReportListView;
class RestoreSlot;
class RestoreWriteTimer;
struct StartupResult;
struct WrittenMemo;
namespace FirstLayout {
struct Sizes;
}

// The main window: the category list, the memo list and the editing area in
// one of three arrangements, with the menus and the toolbar.
class Form1 : public QMainWindow
{
    Q_OBJECT
    // The command table's handlers call the window's own operations.
    friend class CommandTable;

public:
    // Builds the window and fills the lists. Throws DatabaseError when the
    // database cannot be read.
    Form1(StartupResult&& startup, Prompt& prompt, Clock& clock, QWidget* parent = nullptr);
    ~Form1() override;

    // The profile and application paths fixed at start-up.
    const QString& MyPath() const { return m_myPath; }
    const QString& DBPath() const { return m_dbPath; }
    const QString& OpenPath() const { return m_openPath; }
    const ProfilePaths& profile() const { return m_profile; }
    QString IniFilePath() const { return m_profile.iniFilePath; }

    MemoStore& store() { return *m_store; }
    Prompt& prompt() { return m_prompt; }
    const SettingsFile& settings() const { return m_settings; }
    CategoryList& categoryList() { return *m_catList; }
    MemoList& memoList() { return *m_memoList; }
    MemoEditor& editor() { return *m_editor; }
    Clock& clock() { return m_clock; }
    FloatingWindows& floatingWindows() { return *m_floating; }
    // The four external editors of the settings file.
    const EditorTable& editorTable() const { return m_editorTable; }
    // The font of the floating memo windows (settings FloatingMemo/Font, FontSize).
    const QString& floatingMemoFontName() const { return m_floatingMemoFontName; }
    double floatingMemoFontSize() const { return m_floatingMemoFontSize; }
    // Applies the settings the options dialog writes (fonts, colours, switches,
    // security password and colour, editors) again from the settings file, to
    // this window and every open floating window.
    void applyOptionSettings();

    // Window type: 0 normal, 1 mailer, 2 wide.
    int PaneMode() const;
    void SetWindowType(int type);
    // Takes the window out of the always-on-top band before a modal dialog;
    // AlwaysOnTop2 re-applies the button's state after it.
    void leaveTopmostBand();
    void AlwaysOnTop2();
    // The IsTrash setting: 1 moves selected memos to the trash without a
    // question and asks before moving the memo on screen.
    int IsTrashSetting() const { return m_isTrash; }
    // Reports a failed database operation over many memos, then rebuilds the
    // counts and the lists from the database, which holds what was written.
    void reportAndRecount(const DatabaseError& error);

    // After one memo was saved (here or in a floating window): tag counts, the
    // memo's row and the category rows follow.
    void UpdateLists(const WrittenMemo& memo);
    void CatList_Add();
    QString GetCatName() const;
    // Rebuilds the tag counts from the database and empties the memo list.
    void LoadCategoryCounts();
    void FillMemoList();
    void StartNewMemo(const QString& category);
    // The same after a command that already took its memos out of the memo
    // list (trash, restore): the list is not read again, which at a million
    // memos would cost far more than the command; its selection is cleared
    // as a new fill would.
    void StartNewMemoKeepingList();
    void SaveCurrentMemo();

    // Start-up steps that need the window to be shown: the initial focus, and
    // the offer of unsaved text kept in files beside the restore file.
    void finishStartup();

    // The program must end now (the session ends, SIGTERM): the settings and
    // every restore file are written, a memo out in an external editor is left
    // there with its file, and nothing is asked. The caller then ends the
    // event loop.
    void closeForTermination();
    // A memo is out in an external editor: quitting, a refresh and a switch
    // of the database wait until the editor is done.
    bool memoHeldByExternalEditor() const;
    // The restore file this copy of Quillet writes.
    QString restoreFilePath() const;
    // Writes the restore file now when the boxes hold unsaved text; typing
    // runs it a few seconds after it pauses.
    void writeUnsavedText();

    // The words of the last tag search; the restore file keeps them, with the
    // search's result, across a restart.
    const QString& FindWord() const { return m_findWord; }
    void setFindWord(const QString& words) { m_findWord = words; }

    // The window's command (menu item or toolbar button) of this name, for
    // the command objects to connect themselves to; null when there is none.
    QAction* commandAction(const char* name) const { return action(name); }

protected:
    void closeEvent(QCloseEvent* event) override;
    // No menu of the toolbar and menu bar: hiding the toolbar is no command
    // of this window, and nothing would bring it back.
    QMenu* createPopupMenu() override { return nullptr; }

private:
    void buildPanels();
    void buildActions();
    void buildMenus();
    void buildToolbar();
    QMenu* buildMenu(const CommandTable::Menu& layout, QWidget* parent);
    // Creates the objects that carry out the commands of each subsystem.
    void buildCommands();
    QAction* makeAction(const char* name, const QString& text);
    void connectParts();

    void applyLayoutSettings();
    // The sizes of a window with none stored (see FirstLayout).
    FirstLayout::Sizes firstLayout(int memoFixedColumns, const QFont& catFont, const QFont& memoFont) const;
    void applyMemoListSort();
    void applyStyleSettings();
    void applyGeneralSettings();
    void writeLayoutSettings();
    // The restore file: the editing pane, the category row and the last tag
    // search, written at close and read back at start (Form1Restore.cpp).
    bool WriteRestoreFile(QString* error);
    void ReadRestoreFile();
    // `keepText`: the file holds unsaved text, kept aside for a later start.
    void restoreFailed(bool keepText = true);
    // At a close or the session's end: the profile's own file always, a second
    // copy's only when it holds unsaved text.
    bool writeRestoreFileAtEnd(QString* error);
    // The file goes once nothing unsaved remains.
    void dropRestoreFileWhenSaved();
    // Offers the unsaved text of files kept aside or left by another copy.
    void offerKeptFiles();
    void writeForSessionEnd();
    void reportDatabaseError(const class DatabaseError& error);

    void quit();
    void newMemo();
    void newMemoCopy();
    void newMemoCopySelected();
    void jumpToTag(const QString& word);
    void setAlwaysOnTop(bool on);
    void fitTitleColumn();
    void updateFocusStates(QWidget* previous, QWidget* focus);
    void chooseTagsForTagBox();
    void onSepalatorMoved();

    double dpi() const;
    int toPixels(double twips) const;
    int panelsTop() const;
    // Sizes in twips as read at start, by key, so that close writes back
    // unchanged sizes exactly instead of drifting by pixel rounding.
    double readTwips(const NumberSetting& setting, double computedDefault);
    double writeTwips(const NumberSetting& setting, int pixels);

    Prompt& m_prompt;
    Clock& m_clock;
    std::unique_ptr<MemoStore> m_store;
    QString m_myPath;
    QString m_dbPath;
    QString m_openPath;
    ProfilePaths m_profile;
    SettingsFile m_settings;

    QWidget* m_panel1 = nullptr;
    QWidget* m_panel2 = nullptr;
    ReportListView* m_catListView = nullptr;
    ReportListView* m_memoListView = nullptr;
    CategoryList* m_catList = nullptr;
    MemoList* m_memoList = nullptr;
    MemoEditor* m_editor = nullptr;
    PaneLayout* m_panes = nullptr;
    QToolBar* m_toolbar = nullptr;
    EditorTable m_editorTable;
    TagCommands* m_tagCommands = nullptr;
    TrashCommands* m_trashCommands = nullptr;
    IconCommands* m_iconCommands = nullptr;
    FloatingWindows* m_floating = nullptr;

    QHash<QString, QAction*> m_actions;
    QActionGroup* m_windowTypes = nullptr;
    QAction* action(const char* name) const { return m_actions.value(QString::fromLatin1(name)); }

    QHash<QString, double> m_readTwips;

    QString m_floatingMemoFontName;
    double m_floatingMemoFontSize = 10;
    int m_isTrash = 0;
    quint32 m_securityMemoColour = 0xC00000;
    QString m_findWord;

    std::unique_ptr<RestoreSlot> m_restoreSlot;
    RestoreWriteTimer* m_restoreTimer = nullptr;
    // The restore file holds unsaved text written while the program runs.
    bool m_unsavedOnDisk = false;
    // Files kept aside during this start, already reported.
    QStringList m_keptThisStart;
};
