#include "tags/IconCommands.h"

#include "app/Prompt.h"
#include "store/DatabaseError.h"
#include "tags/MemoIcon.h"
#include "tags/MemoList.h"
#include "ui/BusyCursor.h"
#include "ui/Form1.h"
#include "ui/frmProgress.h"

IconCommands::IconCommands(Form1& window) : QObject(&window), m_window(window) {}

void IconCommands::SetIconOnSelected(int code)
{
    BulkMemoResult result;
    {
        BusyCursor busy;
        try {
            frmProgress progress(&m_window);
            progress.show();
            result =
                MemoIcon::SetIconOnMemos(m_window.store(), m_window.memoList().selectedIds(), code, progress);
        } catch (const DatabaseError& error) {
            m_window.prompt().critical(error.userMessage());
            // What was written before the failure shows at the next fill.
            m_window.FillMemoList();
            return;
        }
        // The rows show the new image at once, a padlock's too, until the list is filled again.
        m_window.memoList().setMemoIcons(result.done, code);
    }
    if (result.cancelled)
        m_window.prompt().inform(QStringLiteral("途中でキャンセルしました。"));
}
