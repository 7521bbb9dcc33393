#pragma once

#include "editing/PlainContentsEdit.h"
#include "editing/UndoHistory.h"

#include <QDateTime>
#include <QWidget>
#include <optional>

class Clock;
class MemoStore;
class Prompt;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

// What a save wrote, for the lists to follow.
struct WrittenMemo
{
    bool isNew = false;
    qint64 id = 0;
    QString title;
    QString previousTags;
    QString tags;
    QString updateTime;
    bool inTrash = false; // the memo was in the trash when it was saved
};

// The editing area of the main window: the memo number, the title, tag and
// contents boxes, their undo histories, and loading and saving one memo.
class MemoEditor : public QWidget
{
    Q_OBJECT
public:
    enum class Box { Title, Tags, Contents };

    MemoEditor(MemoStore& store, Prompt& prompt, Clock& clock, QWidget* parent = nullptr);

    QLabel* lblNo() const { return m_lblNo; }
    QLineEdit* txtTitle() const { return m_txtTitle; }
    QLineEdit* txtCategory() const { return m_txtCategory; }
    QPlainTextEdit* txtContents() const { return m_txtContents; }

    // "New", or the RecordID of the memo in the boxes.
    QString memoNumber() const;
    bool isNewMemo() const;
    bool IsEdit() const { return m_isEdit; }
    bool IsPassword() const { return m_isPassword; }
    // The protection of the memo on screen changed by a command.
    void setIsPassword(bool isPassword) { m_isPassword = isPassword; }
    bool IsLoading() const { return m_isLoading; }
    // The edits in the boxes no longer count as unsaved.
    void discardChanges() { setEdit(false); }
    void setLoading(bool loading) { m_isLoading = loading; }

    // Behaviour settings.
    void setMemoChangeAutoSave(int mode) { m_memoChangeAutoSave = mode; }
    void setAutoTitle(int mode) { m_autoTitle = mode; }
    // The security password; nullopt when a stored one could not be
    // unscrambled, which no answer matches: protected memos then stay closed.
    void setSecurityPassword(const std::optional<QString>& password);
    std::optional<QString> securityPassword() const
    {
        return m_securityPasswordUnreadable ? std::nullopt : std::optional<QString>(m_securityPassword);
    }
    void setContentsStyle(const QFont& font, const QColor& textColour);

    // Shows the memo `id`, asking for the security password of a locked memo.
    // Does nothing when it is already shown. False when it was not shown.
    bool LoadSelectedMemo(qint64 id);
    // Shows the stored memo again when something else changed it (a merge
    // overwrote it) while the boxes hold no unsaved edit: a later save would
    // otherwise write the old text back over the new. Unsaved edits stay.
    void reloadShownMemo();
    // The question before a save would write over a memo that changed since
    // it was loaded (another window, another copy of Quillet, a merge).
    static QString changedMeanwhileQuestion();
    // Unsaved changes: 1 to go on, 0 when the user cancels. A failed save is
    // reported, then the user chooses between discarding the edits (go on) and
    // keeping them in the boxes (cancel).
    int QuerySaveModified();
    // Writes the boxes as a new memo or over the stored one; false on failure,
    // which has been reported and leaves the boxes and the stored memo as they were.
    bool WriteCurrentMemo();
    // Empties the boxes for a new memo with `tags` in the tag box.
    void clearForNewMemo(const QString& tags);
    // The boxes keep their text, no longer as the stored memo they were loaded
    // from but as a new memo (its number has gone to another memo).
    void forgetStoredMemo();
    // Fills the boxes of a new memo (the copy commands): `storedBody` is the
    // contents in stored form. The histories start from these texts, and the
    // memo counts as modified until it is saved.
    void setTexts(const QString& title, const QString& tags, const QString& storedBody);
    // The contents in stored form: the text the user did not touch keeps the
    // line breaks it was loaded with.
    QString storedContents() const;

    // What the boxes hold, kept across a restart by the restore file.
    struct EditingState
    {
        QString memoNumber; // lblNo: a RecordID or "New"
        QString title;
        QString tags;
        QString storedBody; // the contents in stored form
        bool isEdit = false;
        bool isPassword = false;
        int caret = 0; // in the contents box, a line break counting one
        // The stored memo as the boxes loaded or last saved it
        // (MemoFingerprint::ofMemo); empty for a new memo.
        QString loadedFingerprint;
    };
    EditingState editingState() const;
    // Shows a kept state as it was left: the body keeps its stored line
    // breaks, the caret goes back (within the text), IsEdit and IsPassword
    // are set, and the histories start from the texts.
    void restoreEditingState(const EditingState& state);
    // The security password asked before a protected memo comes back at
    // start-up: true for the right answer. The answer opens no grace period.
    bool askPasswordToRestore();
    // The security password asked before a protected memo opens in another
    // window: asked every time, with the messages of opening it here.
    bool askToOpenProtected();

    void InitUndoRedo();
    const UndoHistory& undoHistory(Box box) const { return m_histories[int(box)]; }
    // The text of a box as the user sees it (the contents with '\n' line breaks).
    QString boxText(Box box) const;
    void undo(Box box);
    void redo(Box box);
    // Reverts the boxes to the stored memo.
    void mnuAllUndo();
    void ApplyContentsFont();

    void showTextLength();
    void showSelectedTextLength();
    QString selectedContents() const;

Q_SIGNALS:
    void memoWritten(const WrittenMemo& memo);
    // The user changed a box (typing, cut, paste, undo, redo).
    void textEdited();
    void editStateChanged(bool isEdit);
    void saveRequested();
    // Ctrl+X and Ctrl+V in the contents box: the program's own cut and paste.
    void cutRequested();
    void pasteRequested();
    // Ctrl+O and Ctrl+Shift+F in the contents box: open the selection as a
    // link, search it on the web.
    void openLinkRequested();
    void webSearchRequested();
    void tagPickerRequested();
    void tagClicked(const QString& word);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Shows the memo's number ("New" for a memo never saved) in the label.
    void showMemoNumber(const QString& number);
    void buildBoxes();
    void recordChange(Box box);
    int caret(Box box) const;
    void apply(Box box, const UndoHistory::TextEdit& edit);
    void setEdit(bool edit);
    // Shows a memo as it is stored.
    void showMemo(const QString& title, const QString& tags, const QString& storedBody);
    bool writeOrOfferDiscard();
    // Puts a text into a line box as the program's own change, kept in its history.
    void rewriteLine(Box box, const QString& text);
    // `withGrace`: the main window's own question, spared within five minutes
    // of its last right answer, which starts that period again.
    bool askSecurityPassword(bool withGrace);
    bool handleKey(Box box, class QKeyEvent* key);
    QString wordUnderCaret() const;
    UndoHistory& history(Box box);

    MemoStore& m_store;
    Prompt& m_prompt;
    Clock& m_clock;

    QLabel* m_lblNo = nullptr;
    QLineEdit* m_txtTitle = nullptr;
    QLineEdit* m_txtCategory = nullptr;
    PlainContentsEdit* m_txtContents = nullptr;
    UndoHistory m_histories[3];

    bool m_isLoading = false;
    bool m_isEdit = false;
    bool m_isPassword = false;
    int m_memoChangeAutoSave = 1;
    int m_autoTitle = 0;
    QString m_securityPassword;
    bool m_securityPasswordUnreadable = false;
    // The contents as last loaded or saved, stored and as the box showed them,
    // so that a save changes only what the user changed.
    QString m_storedBody;
    QString m_shownBody;
    QString m_loadedFingerprint;
    std::optional<QDateTime> m_lastPasswordTime;
    QFont m_contentsFont;
    QColor m_contentsColour;
};
