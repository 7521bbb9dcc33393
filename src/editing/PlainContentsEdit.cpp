#include "editing/PlainContentsEdit.h"

#include "editing/MemoText.h"
#include "exchange/ClipboardText.h"

#include <QMimeData>
#include <QTextCursor>

QString PlainContentsEdit::boxText() const
{
    return document()->toRawText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
}

void PlainContentsEdit::applyEdit(const UndoHistory::TextEdit& edit)
{
    QTextCursor cursor(document());
    cursor.setPosition(edit.position);
    cursor.setPosition(edit.position + edit.removeLength, QTextCursor::KeepAnchor);
    cursor.insertText(edit.insertText);
    cursor.setPosition(edit.caret);
    setTextCursor(cursor);
}

QMimeData* PlainContentsEdit::createMimeDataFromSelection() const
{
    auto* data = new QMimeData;
    // The selection marks line breaks with U+2029; every other character stays.
    data->setText(textCursor().selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n')));
    return data;
}

bool PlainContentsEdit::canInsertFromMimeData(const QMimeData* source) const
{
    return ClipboardText::pastableText(source).has_value();
}

void PlainContentsEdit::insertFromMimeData(const QMimeData* source)
{
    const std::optional<QString> text = ClipboardText::pastableText(source);
    if (!text)
        return;
    // Line breaks of any kind become the box's own; every other character
    // goes in as it is, as one edit of the box.
    QTextCursor cursor = textCursor();
    cursor.insertText(MemoText::toEditor(*text));
    setTextCursor(cursor);
    ensureCursorVisible();
}
