#pragma once

#include "editing/PlainContentsEdit.h"
#include "editing/UndoHistory.h"
#include "ui/OuterEditHolder.h"

#include <QWidget>
#include <optional>

class Form1;
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

    // The floating memo settings file and restore file of memo `id` in the profile folder.
    QString settingsPath() const;
    QString restorePath() const;

    void SetFontColor();
    void AlwaysOnTop();
    void AlwaysOnTop2();
    void IntoEditMode();
    // Restores a window kept at the last close: settings file, then restore file.
    void LoadViewStatus();
    void SetSaved();
    void InitUndoRedo();
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
    void buildContextMenu();
    QString selectedText() const;
    void ToggleEditMode(bool pressed);
    void applyEditMode(bool edit);
    // Yes/No/Cancel on leaving edit mode with unsaved text; false to stay in it.
    bool ConfirmUnsaved();
    bool WriteFloatingMemo();
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
    void keepForNextStart();
    void restoreFailed();

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
};
