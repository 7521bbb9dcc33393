// Form1: the objects that carry out the commands of each subsystem. Each
// connects itself to the window's actions by name; the window owns them.
#include "ui/Form1.h"

#include "editing/PasswordCommands.h"
#include "exchange/ClipboardCommands.h"
#include "search/FindCommands.h"
#include "search/SearchCommands.h"
#include "ui/EditorCommands.h"
#include "ui/FloatingWindows.h"

void Form1::buildCommands()
{
    m_editorTable.load(IniFilePath());
    new EditorCommands(*this);
    new PasswordCommands(*this);
    new ClipboardCommands(*this);
    new FindCommands(*this);
    new SearchCommands(*this);
    m_floating = new FloatingWindows(*this);
}
