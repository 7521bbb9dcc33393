// Form1: the objects that carry out the commands of each subsystem. Each
// connects itself to the window's actions by name; the window owns them.
#include "ui/Form1.h"

#include "editing/PasswordCommands.h"
#include "exchange/ClipboardCommands.h"
#include "exchange/ExportCommands.h"
#include "exchange/ImportCommands.h"
#include "options/OptionCommands.h"
#include "search/FindCommands.h"
#include "search/SearchCommands.h"
#include "ui/AboutCommands.h"
#include "ui/DatabaseCommands.h"
#include "ui/EditorCommands.h"
#include "ui/FloatingWindows.h"
#include "ui/LinkCommands.h"
#include "ui/TrayIcon.h"

void Form1::buildCommands()
{
    m_editorTable.load(IniFilePath());
    new EditorCommands(*this);
    new PasswordCommands(*this);
    new ClipboardCommands(*this);
    new ExportCommands(*this);
    new ImportCommands(*this);
    new FindCommands(*this);
    new SearchCommands(*this);
    new OptionCommands(*this);
    m_floating = new FloatingWindows(*this);
    new AboutCommands(*this);
    new LinkCommands(*this);
    new TrayIcon(*this);
    new DatabaseCommands(*this);
}
