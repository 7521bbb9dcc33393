#pragma once

#include "search/SearchRequest.h"

#include <QDialog>
#include <optional>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QRadioButton;

// The filter dialog "フィルタ（メモ検索）": tags to tick, words to type, how
// each combine (AND/OR) and whether titles are searched. After it closes,
// chosen() holds the choices made at "検索", or nothing when it was closed any
// other way.
class frmFind : public QDialog
{
    Q_OBJECT
public:
    // Lists `tags` in the given order (empty names are left out), ticking those
    // that `initial` names, and shows the words and choices of `initial`.
    frmFind(const SearchRequest& initial, const QStringList& tags, QWidget* parent = nullptr);

    std::optional<SearchRequest> chosen() const { return m_chosen; }

private:
    void setAllTicks(Qt::CheckState state);
    void reverseTicks();
    void acceptChoices();

    QListWidget* m_listView;
    QRadioButton* m_catAnd;
    QRadioButton* m_catOr;
    QLineEdit* m_findWord;
    QRadioButton* m_wordAnd;
    QRadioButton* m_wordOr;
    QCheckBox* m_findTitle;
    std::optional<SearchRequest> m_chosen;
};
