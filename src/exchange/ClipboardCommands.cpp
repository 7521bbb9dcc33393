#include "exchange/ClipboardCommands.h"

#include "app/Prompt.h"
#include "editing/MemoEditor.h"
#include "editing/PasswordCommands.h"
#include "exchange/ClipboardText.h"
#include "store/DatabaseError.h"
#include "tags/MemoList.h"
#include "ui/BusyCursor.h"
#include "ui/Form1.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

namespace {

QClipboard* clipboard()
{
    return QGuiApplication::clipboard();
}

} // namespace

ClipboardCommands::ClipboardCommands(Form1& window) : QObject(&window), m_window(window)
{
    const auto bind = [this](const char* name, void (ClipboardCommands::*command)()) {
        connect(m_window.commandAction(name), &QAction::triggered, this, command);
    };
    bind("mnuCut", &ClipboardCommands::mnuCut);
    bind("Cut", &ClipboardCommands::mnuCut);
    bind("mnuCopy", &ClipboardCommands::mnuCopy);
    bind("Copy", &ClipboardCommands::mnuCopy);
    bind("mnuPaste", &ClipboardCommands::mnuPaste);
    bind("Paste", &ClipboardCommands::mnuPaste);
    bind("mnuCopyCurrentMemo2Clipboard", &ClipboardCommands::mnuCopyCurrentMemo2Clipboard);
    bind("mnuCopyMemo2Clipboard", &ClipboardCommands::mnuCopyMemo2Clipboard);
    bind("mnuClipboard2NewMemo", &ClipboardCommands::mnuClipboard2NewMemo);
    MemoEditor& editor = m_window.editor();
    connect(&editor, &MemoEditor::cutRequested, this, &ClipboardCommands::mnuCut);
    connect(&editor, &MemoEditor::pasteRequested, this, &ClipboardCommands::mnuPaste);
}

void ClipboardCommands::mnuCut()
{
    QPlainTextEdit* box = m_window.editor().txtContents();
    QTextCursor cursor = box->textCursor();
    if (!cursor.hasSelection())
        return;
    clipboard()->setText(m_window.editor().selectedContents());
    // An edit of the box like typing: the box's history records it and the
    // memo counts as changed.
    cursor.removeSelectedText();
    box->setTextCursor(cursor);
}

void ClipboardCommands::mnuCopy()
{
    if (!m_window.editor().txtContents()->textCursor().hasSelection())
        return;
    clipboard()->setText(m_window.editor().selectedContents());
}

void ClipboardCommands::mnuPaste()
{
    // The box takes only plain text, as for every other way of pasting.
    m_window.editor().txtContents()->paste();
}

void ClipboardCommands::mnuCopyCurrentMemo2Clipboard()
{
    clipboard()->setText(m_window.editor().boxText(MemoEditor::Box::Contents));
}

void ClipboardCommands::mnuCopyMemo2Clipboard()
{
    const QList<qint64> ids = m_window.memoList().selectedIds();
    if (ids.isEmpty())
        return;
    ClipboardText::MemoBodies bodies;
    try {
        BusyCursor busy;
        bodies = ClipboardText::readMemoBodies(m_window.store(), ids);
    } catch (const DatabaseError& error) {
        m_window.prompt().critical(error.userMessage());
        return;
    }
    if (bodies.anyLocked && !askPasswordForLockedMemos())
        return;
    clipboard()->setMimeData(ClipboardText::textMimeData(bodies.utf8));
}

bool ClipboardCommands::askPasswordForLockedMemos()
{
    // The same check as before the selected memos are exported; where it is
    // missing, protected memos are not let out at all.
    auto* passwords = m_window.findChild<PasswordCommands*>(QStringLiteral("PasswordCommands"));
    return passwords && passwords->CheckSelectionPassword();
}

void ClipboardCommands::mnuClipboard2NewMemo()
{
    MemoEditor& editor = m_window.editor();
    if (editor.QuerySaveModified() != 1)
        return;
    const QString text = ClipboardText::plainText(clipboard()->mimeData()).value_or(QString());
    m_window.StartNewMemo(QString());
    editor.setTexts(QString(), editor.txtCategory()->text(), ClipboardText::toStored(text));
    m_window.SaveCurrentMemo();
}
