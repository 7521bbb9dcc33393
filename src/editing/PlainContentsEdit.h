#pragma once

#include "editing/UndoHistory.h"

#include <QPlainTextEdit>

// A memo's contents box. It reads its text without lossy conversion, applies
// undo steps to the changed range only, and copies or drags out plain text
// only, the characters as they stand (a line break as '\n'), never formatting.
// Every way text comes in (Ctrl+V, Shift+Insert, the middle button, the
// context menu, a drop) takes plain text offered as text only: never a file
// list's addresses or a picture, and never an empty text that would only
// remove the selection.
class PlainContentsEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;

    // The text as the user sees it: the document's own characters, where only
    // the paragraph separator between lines becomes '\n' (toPlainText() would
    // also turn no-break spaces into blanks and line separators into breaks).
    QString boxText() const;
    // Replaces the edit's range and puts the caret where the edit says; only
    // the changed range is touched, so long memos stay fast.
    void applyEdit(const UndoHistory::TextEdit& edit);

protected:
    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
};
