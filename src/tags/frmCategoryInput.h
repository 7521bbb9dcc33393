#pragma once

#include <QDialog>
#include <QStringList>

class QLineEdit;
class QListWidget;
class QListWidgetItem;

// The tag choice dialog: a text box with the tag string being chosen and a
// list of every known name. Clicking a name (or Enter or Space on the current
// one) toggles it in the text box. After it closes, InputCategory() holds the
// text box text as it stood at OK, untrimmed, or the empty text when it was
// closed any other way.
class frmCategoryInput : public QDialog
{
    Q_OBJECT
public:
    frmCategoryInput(const QString& initial, const QStringList& names, QWidget* parent = nullptr);

    QString InputCategory() const { return m_inputCategory; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void toggleName(const QListWidgetItem* item);
    void acceptText();

    QLineEdit* m_txtCategory;
    QListWidget* m_categoryList;
    QString m_inputCategory;
    bool m_settingText = false;
};
