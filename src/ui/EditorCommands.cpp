#include "ui/EditorCommands.h"

#include "exchange/EditorTable.h"
#include "ui/FloatingWindows.h"
#include "ui/Form1.h"

#include <QAction>

namespace {

QByteArray numbered(const char* pattern, int index)
{
    return QString::fromLatin1(pattern).arg(index).toLatin1();
}

} // namespace

EditorCommands::EditorCommands(Form1& window) : QObject(&window), m_window(window)
{
    // -1: the table's default editor at the moment the command runs.
    connectEntry("mnuEditor", false, false, -1, true);
    connectEntry("mnuEditorForm", true, false, -1, false);
    connectEntry("OuterEdit", true, false, -1, false);
    for (int index = 0; index < EditorTable::Count; ++index) {
        connectEntry(numbered("mnuEditor%1", index).constData(), false, false, index, true);
        connectEntry(numbered("mnuEditorForm%1", index).constData(), true, false, index, false);
        connectEntry(numbered("Editor%1", index).constData(), true, false, index, false);
        connectEntry(numbered("mnuMemoList_Editor%1New", index).constData(), false, true, index, true);
        connectEntry(numbered("NewE%1", index).constData(), false, true, index, true);
    }
    LoadEditorSettings();
}

void EditorCommands::connectEntry(const char* name, bool currentMemo, bool newMemo, int index, bool askReflect)
{
    connect(m_window.commandAction(name), &QAction::triggered, this, [this, currentMemo, newMemo, index, askReflect] {
        const int editor = index < 0 ? m_window.editorTable().defaultIndex() : index;
        m_window.floatingWindows().OpenMemoWindow(currentMemo, newMemo, editor, askReflect);
    });
}

void EditorCommands::LoadEditorSettings()
{
    const EditorTable& table = m_window.editorTable();
    for (int index = 0; index < EditorTable::Count; ++index) {
        for (const char* pattern : {"mnuEditor%1", "mnuEditorForm%1"})
            m_window.commandAction(numbered(pattern, index).constData())->setText(table.openCaption(index));
        m_window.commandAction(numbered("mnuMemoList_Editor%1New", index).constData())
            ->setText(table.createCaption(index));
    }
    // The toolbar's drop-downs: entry 0 keeps its own caption.
    m_window.commandAction("NewE0")->setText(QStringLiteral("規定の外部エディタで新規メモを作成"));
    m_window.commandAction("Editor0")->setText(QStringLiteral("規定のエディタで開く"));
    for (int index = 1; index < EditorTable::Count; ++index) {
        m_window.commandAction(numbered("NewE%1", index).constData())->setText(table.createCaption(index));
        m_window.commandAction(numbered("Editor%1", index).constData())->setText(table.openCaption(index));
    }
}
