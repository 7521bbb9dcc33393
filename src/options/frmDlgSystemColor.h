#pragma once

#include <QDialog>
#include <optional>

class QLabel;
class QListWidget;
class QFrame;

// The system colour dialog: the 25 system colours by name, the chosen one
// shown beside the list. Returns the stored value (0x80000000 + position).
class frmDlgSystemColor : public QDialog
{
    Q_OBJECT
public:
    explicit frmDlgSystemColor(QWidget* parent = nullptr);

    // Shows the dialog modally; the chosen colour's value, or nullopt when it
    // was closed without a choice.
    static std::optional<quint32> choose(QWidget* parent);

    std::optional<quint32> chosen() const { return m_chosen; }

private:
    void showSelected();

    QListWidget* m_list = nullptr;
    QLabel* m_selectedName = nullptr;
    QFrame* m_selectedColour = nullptr;
    std::optional<quint32> m_chosen;
};
