#pragma once

#include <QObject>
#include <QStringList>

class Form1;

// The commands that change tags in bulk: four on the memos selected in the
// memo list, three on every memo of the tag selected in the category list,
// and the tag choice dialog they (and the tag box) use.
class TagCommands : public QObject
{
    Q_OBJECT
public:
    explicit TagCommands(Form1& window);

    // The tag choice dialog, starting from `initial`; the empty text when cancelled.
    QString chooseTags(const QString& initial);

    void popAddTag();
    void popDeleteTag();
    void popReplaceTag();
    void popSetTag();
    void pop2DelCategory();
    void pop2RenameCategory();
    void pop2SetCategory();

private:
    // Runs a change over the selected memos, reporting a database failure and
    // then recounting, since the counts may have run ahead of what was written.
    void overSelectedMemos(const std::function<void(class TagOperations&, qint64)>& change);
    // The tag choice dialog, then `change` with the chosen names on every
    // selected memo; the category rows are rebuilt either way.
    void applyChosenTags(const std::function<void(TagOperations&, qint64, const QStringList&)>& change);
    void everywhere(const QString& tag, const std::function<QString(const QString&)>& rewrite);
    QString currentTag() const;

    Form1& m_window;
};
