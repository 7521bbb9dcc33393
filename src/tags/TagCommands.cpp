#include "tags/TagCommands.h"

#include "app/Prompt.h"
#include "editing/MemoEditor.h"
#include "store/DatabaseError.h"
#include "store/MemoStore.h"
#include "store/WriteBatch.h"
#include "tags/CategoryList.h"
#include "tags/MemoList.h"
#include "tags/TagOperations.h"
#include "tags/TagString.h"
#include "ui/BusyCursor.h"
#include "ui/Form1.h"

#include <QLineEdit>

namespace {

// The dialog's answer as names: split at single blanks, empty names dropped
// by the operations.
QStringList namesOf(const QString& answer)
{
    return answer.split(u' ');
}

bool isAllOrFind(const QString& tag)
{
    return tag == TagTable::allName() || tag == TagTable::findName();
}

} // namespace

TagCommands::TagCommands(Form1& window) : QObject(&window), m_window(window) {}

QString TagCommands::currentTag() const
{
    return m_window.categoryList().selectedName();
}

QString TagCommands::chooseTags(const QString& initial)
{
    // Every known name, "[Import]" first, as the category list knows them.
    const QStringList names = m_window.GetCatName().split(u' ');
    m_window.leaveTopmostBand();
    const QString answer = m_window.prompt().chooseTags(initial, names);
    m_window.AlwaysOnTop2();
    return answer;
}

void TagCommands::overSelectedMemos(const std::function<void(TagOperations&, qint64)>& change)
{
    BusyCursor busy;
    try {
        TagOperations operations(m_window.store(), m_window.categoryList().table());
        WriteBatch batch(m_window.store().database());
        for (qint64 id : m_window.memoList().selectedIds()) {
            batch.beforeWrite();
            change(operations, id);
            batch.afterWrite();
        }
        batch.commit();
    } catch (const DatabaseError& error) {
        m_window.reportAndRecount(error);
    }
}

void TagCommands::applyChosenTags(
    const std::function<void(TagOperations&, qint64, const QStringList&)>& change)
{
    const QString answer = chooseTags(m_window.editor().txtCategory()->text());
    if (!answer.isEmpty()) {
        const QStringList names = namesOf(answer);
        overSelectedMemos([&](TagOperations& tags, qint64 id) { change(tags, id, names); });
    }
    m_window.CatList_Add();
}

void TagCommands::popAddTag()
{
    applyChosenTags([](TagOperations& tags, qint64 id, const QStringList& names) {
        tags.AddTagsToMemo(id, names, false);
    });
}

void TagCommands::popDeleteTag()
{
    const QString tag = currentTag();
    if (isAllOrFind(tag))
        return;
    if (!m_window.prompt().askYesNo(QStringLiteral("タグ「%1」を消去します。本当に実行しますか？").arg(tag)))
        return;
    overSelectedMemos([&](TagOperations& tags, qint64 id) { tags.RemoveTagFromMemo(id, tag); });
    m_window.CatList_Add();
}

void TagCommands::popReplaceTag()
{
    const QString tag = currentTag();
    if (isAllOrFind(tag))
        return;
    if (!m_window.prompt().askYesNo(
            QStringLiteral("タグ「%1」を消去し、次で指定するタグに置き換えます。本当に実行しますか？")
                .arg(tag)))
        return;
    applyChosenTags([&tag](TagOperations& tags, qint64 id, const QStringList& names) {
        tags.ReplaceTagOfMemo(id, tag, names);
    });
}

void TagCommands::popSetTag()
{
    if (!m_window.prompt().askYesNo(
            QStringLiteral("現在選択しているメモのタグを、これから指定するタグに置き換えます"
                           "（今設定されているタグは消去されます）。\nよろしいですか？")))
        return;
    applyChosenTags([](TagOperations& tags, qint64 id, const QStringList& names) {
        tags.AddTagsToMemo(id, names, true);
    });
}

void TagCommands::everywhere(const QString& tag, const std::function<QString(const QString&)>& rewrite)
{
    BusyCursor busy;
    try {
        TagOperations(m_window.store(), m_window.categoryList().table()).rewriteEverywhere(tag, rewrite);
        m_window.LoadCategoryCounts();
        m_window.CatList_Add();
    } catch (const DatabaseError& error) {
        m_window.reportAndRecount(error);
    }
}

void TagCommands::pop2DelCategory()
{
    const QString tag = currentTag();
    if (isAllOrFind(tag))
        return;
    if (!m_window.prompt().askYesNo(QStringLiteral("タグ「%1」を消去します。本当に実行しますか？").arg(tag)))
        return;
    everywhere(tag, [&](const QString& tags) { return removeTagFromString(tags, tag); });
}

void TagCommands::pop2RenameCategory()
{
    const QString tag = currentTag();
    if (tag == TagTable::allName())
        return;
    const QString name = trimBlanks(
        m_window.prompt()
            .inputText(
                QString(),
                QStringLiteral("タグ「%1」の新しい名前を入力してください。\n（空白でキャンセル扱いです）")
                    .arg(tag),
                QString())
            .value_or(QString()));
    if (name.isEmpty())
        return;
    everywhere(tag, [&](const QString& tags) { return renameTagInString(tags, tag, name); });
}

void TagCommands::pop2SetCategory()
{
    const QString tag = currentTag();
    if (tag == TagTable::allName())
        return;
    const QString tags = trimBlanks(
        m_window.prompt()
            .inputText(QString(),
                       QStringLiteral("指定カテゴリ「%1」にセットする名前を入力してください。\n"
                                      "（ここで指定したカテゴリのメモの他のタグは全て消去され、"
                                      "ここで指定したタグに置き換えられます。空白でキャンセルできます）")
                           .arg(tag),
                       QString())
            .value_or(QString()));
    if (tags.isEmpty())
        return;
    everywhere(tag, [&](const QString&) { return tags; });
}
