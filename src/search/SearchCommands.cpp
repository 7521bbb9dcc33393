#include "search/SearchCommands.h"

#include "app/Prompt.h"
#include "search/TagSearch.h"
#include "store/DatabaseError.h"
#include "tags/CategoryList.h"
#include "ui/BusyCursor.h"
#include "ui/Form1.h"
#include "ui/frmProgress.h"

#include <QAction>

SearchCommands::SearchCommands(Form1& window) : QObject(&window), m_window(window)
{
    for (const char* name : {"mnuFiltering", "Filtering"})
        connect(window.commandAction(name), &QAction::triggered, this, &SearchCommands::mnuFiltering);
}

void SearchCommands::mnuFiltering()
{
    // Every known tag name, "[Import]" first, in the category list's order.
    const QStringList tags = m_window.GetCatName().split(u' ', Qt::SkipEmptyParts);
    m_window.leaveTopmostBand();
    const std::optional<SearchRequest> request = m_window.prompt().chooseSearch(SearchRequest{}, tags);
    m_window.AlwaysOnTop2();
    // Cancelled: the previous result stays.
    if (!request)
        return;

    CategoryList& categories = m_window.categoryList();
    try {
        BusyCursor busy;
        categories.table().setFindResult(
            RunTagSearch(m_window.store(), *request, frmProgress::factory(&m_window)));
    } catch (const DatabaseError& error) {
        // The result of the search before stays, whole.
        m_window.prompt().critical(error.userMessage());
        return;
    }
    // The words are kept with their result (the restore file pairs them).
    m_window.setFindWord(request->words);
    categories.UpdatePseudoCounts();
    // "[Find]" becomes the chosen row and lists what was found, also when it
    // was chosen already.
    categories.selectRowId(TagTable::FindRowId);
    m_window.FillMemoList();
}
