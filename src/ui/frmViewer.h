#pragma once

#include "editing/PlainContentsEdit.h"
#include "editing/UndoHistory.h"
#include "ui/OuterEditHolder.h"

#include <QPointer>
#include <QWidget>
#include <optional>

class EditorPass;
class Form1;
struct FloatingMemoText;
namespace RestoreFile {
struct FloatingState;
}
class RestoreWriteTimer;
class QAction;
class QPlainTextEdit;
class QToolBar;

// A floating memo window: the body of one memo in a small window of its own,
// read-only until "Edit" is pressed, with an undo history of its own. It saves
// the body back to the database and settles with the main window when the same
// memo is open there. A window that the program closes at its end keeps its
// position, modes and text in two files of the profile folder for the next start.
class frmViewer : public QWidget, public OuterEditHolder
{
    Q_OBJECT
public:
    explicit frmViewer(Form1& window);

    // RecordID of the memo shown; -1 for a new memo not yet saved; 0 for none.
    qint64 iID() const { return m_id; }
    void setId(qint64 id) { m_id = id; }
    bool IsEdit() const { return m_isEdit; }
    bool IsLoading() const { return m_isLoading; }
    void setLoading(bool loading) { m_isLoading = loading; }
    bool IsPassword() const { return m_isPassword; }
    // Set by the program before it closes the window to reopen it at the next start.
    void setRestoration(bool restoration) { m_isRestoration = restoration; }
    bool IsOuterEdit() const override { return m_isOuterEdit; }
    void setOuterEdit(bool outerEdit) { m_isOuterEdit = outerEdit; }
    // Opening the memo failed (password refused, restore failed): the opener closes the window.
    bool IsClose() const { return m_isClose; }
    bool editMode() const { return m_editMode; }

    QPlainTextEdit* txtContents() const { return m_txtContents; }
    QAction* button(const char* key) const;

    // The floating memo settings file and restore file of the window in the
    // profile folder: "<stem>.ini" and "<stem>.txt", the stem being the memo's
    // RecordID, or "new" for a new memo, with "_<n>" added when another window
    // (of another copy of Quillet, or of a same-named database) has that name.
    QString settingsPath() const;
    QString restorePath() const;
    // The memo of a kept stem: its RecordID, -1 for a new memo; nullopt when
    // the name is not a kept window's.
    static std::optional<qint64> idOfKeptStem(const QString& stem);
    // The window was reopened from the files of this stem, which it now owns.
    void setKeptStem(const QString& stem) { m_keptStem = stem; }

    void SetFontColor();
    void AlwaysOnTop();
    void AlwaysOnTop2();
    void IntoEditMode();
    // Restores a window kept at the last close: settings file, then restore file.
    void LoadViewStatus();
    void SetSaved();
    void InitUndoRedo();
    // Writes what the window keeps for the next start when it holds anything
    // worth keeping (a memo, or unsaved text), at the session's end.
    void writeKeptFilesAtEnd();
    // The program must end now: as writeKeptFilesAtEnd, and a running
    // external editor pass is left to the editor with its file, whose path
    // the restore file records so that the next start takes back its saves.
    void keepForTermination();
    // Shows unsaved text brought back from a file as a new memo, in edit
    // mode; `title` and `tags` are proposed at its first save. True when the
    // window has written the text into its own files.
    bool showRecovered(const QString& title, const QString& tags, const QString& storedBody);
    // Reads memo iID() from the database and shows it, asking for the security
    // password of a protected memo. False (IsClose set) when it was not shown.
    bool MemoLoad();
    // Saves the text. `forced` settles with the main window also in view mode;
    // `askReflect` asks whether the main window should take the saved text
    // (without it, it does). False when nothing was saved.
    bool SaveFloatingMemo(bool forced, bool askReflect);
    // One pass of the memo through external editor `index` (0: the desktop's
    // application for text files; the table's default for -1). The window is
    // hidden meanwhile; a changed text is saved (`askReflect` as for
    // SaveFloatingMemo). With `close` the window goes afterwards, otherwise it
    // comes back as it was.
    void OpenEditor(int index, bool close, bool askReflect);
    // The body in stored form: text the user did not touch keeps the line
    // breaks it was loaded with.
    QString storedText() const;
    // The box's text as the user sees it, a line break being '\n'.
    QString boxText() const;

    void undo();
    void redo();
    void cut();
    void paste();
    // The selection opened as a link, or searched with engine 0 to 3.
    void openSelection();
    void searchSelection(int engine);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildToolbar();
    // The window's size when none is stored.
    QSize defaultSize() const;
    void buildContextMenu();
    QString selectedText() const;
    void ToggleEditMode(bool pressed);
    void applyEditMode(bool edit);
    // Yes/No/Cancel on leaving edit mode with unsaved text; false to stay in it.
    bool ConfirmUnsaved();
    bool WriteFloatingMemo();
    // The editor's text could not be stored: a new memo, or the file kept.
    void keepUnsavedEditorText(EditorPass& pass);
    // Saves the text as a new memo, asking its title and tags.
    void insertAsNewMemo(const QString& storedText);
    // Shows the memo as stored now, when it differs from what the window loaded.
    void showStoredNow();
    // Shows a memo read from the store as the window's saved text.
    void showLoaded(const FloatingMemoText& memo);
    QString askNewMemoTitle(const QString& storedText);
    void UpdateEditButtons();
    void recordChange();
    // Shows the text of a history step, then follows the saved state.
    void applyHistoryStep(const UndoHistory::TextEdit& edit);
    void setEdit(bool edit);
    // After an undo or redo: modified unless the box shows the saved text.
    void followSavedState();
    void showStored(const QString& stored);
    void setCaption(const QString& title);
    void updateEditorCaptions();
    bool holdsSomethingToKeep() const;
    // Writes the settings and restore file; `report` tells the user when that
    // fails with unsaved text (not while typing).
    bool writeKeptFiles(bool report);
    void removeKeptFiles();
    QString keptStem() const;
    void claimKeptStem();
    void restoreFailed();
    // Restores the kept state read from the restore file; false when the
    // window closes instead (IsClose).
    bool restoreKept(const RestoreFile::FloatingState& kept);

    Form1& m_window;
    QToolBar* m_toolbar = nullptr;
    PlainContentsEdit* m_txtContents = nullptr;
    UndoHistory m_history;

    qint64 m_id = 0;
    bool m_isLoading = false;
    bool m_isEdit = false;
    bool m_isPassword = false;
    bool m_isRestoration = false;
    bool m_isOuterEdit = false;
    QString m_title; // the memo's title, as the caption shows it
    bool m_isClose = false;
    bool m_editMode = false;
    // The body as last loaded or saved, stored and as the box showed it, so
    // that a save changes only what the user changed.
    QString m_storedBody;
    QString m_shownBody;
    // The box's text that matches the database; unknown for unsaved text
    // brought back by the restore file.
    std::optional<QString> m_savedShown;
    // The stored body as loaded or last saved (MemoFingerprint::ofBody).
    QString m_loadedFingerprint;
    // A new memo's title and tags proposed at its first save.
    QString m_newTitle;
    QString m_newTags;
    // The stem of the files the window has written; empty when it has none.
    QString m_keptStem;
    RestoreWriteTimer* m_keptTimer = nullptr;
    QPointer<EditorPass> m_pass;
};
