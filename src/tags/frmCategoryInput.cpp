#include "tags/frmCategoryInput.h"

#include "editing/SingleLineValidator.h"
#include "tags/TagString.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

frmCategoryInput::frmCategoryInput(const QString& initial, const QStringList& names, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmCategoryInput"));
    setWindowTitle(QStringLiteral("タグの選択"));
    setModal(true);

    // The starting text goes in before the validator, so it is kept exactly.
    m_txtCategory = new QLineEdit(initial, this);
    m_txtCategory->setObjectName(QStringLiteral("txtCategory"));
    m_txtCategory->setAccessibleName(QStringLiteral("タグ"));
    m_txtCategory->setValidator(new SingleLineValidator(m_settingText, m_txtCategory));
    auto* boxLabel = new QLabel(QStringLiteral("タグ(&T):"), this);
    boxLabel->setBuddy(m_txtCategory);

    m_categoryList = new QListWidget(this);
    m_categoryList->setObjectName(QStringLiteral("CategoryList"));
    m_categoryList->setAccessibleName(QStringLiteral("タグの一覧"));
    m_categoryList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_categoryList->setUniformItemSizes(true); // many names fill quickly; empty names keep a row's height
    m_categoryList->addItems(names);
    m_categoryList->installEventFilter(this);
    auto* listLabel = new QLabel(QStringLiteral("一覧のタグをクリックすると追加・削除します(&L):"), this);
    listLabel->setBuddy(m_categoryList);
    // Clicks only: an activation would come on top of the click of a double
    // click (or, in some styles, of every single click) and toggle twice.
    connect(m_categoryList, &QListWidget::itemClicked, this, &frmCategoryInput::toggleName);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Btn_OK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cancel->setObjectName(QStringLiteral("Btn_Cancel"));
    connect(ok, &QPushButton::clicked, this, &frmCategoryInput::acceptText);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(boxLabel);
    layout->addWidget(m_txtCategory);
    layout->addSpacing(4);
    layout->addWidget(listLabel);
    layout->addWidget(m_categoryList, 1);
    layout->addLayout(buttons);
    resize(360, 320);
}

bool frmCategoryInput::eventFilter(QObject* watched, QEvent* event)
{
    // Enter and Space on the current entry toggle it, so the list works
    // without a mouse; Enter would otherwise reach the OK button.
    if (watched == m_categoryList && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool toggleKey =
            key->key() == Qt::Key_Space || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (toggleKey && plain && m_categoryList->currentItem()) {
            if (!key->isAutoRepeat())
                toggleName(m_categoryList->currentItem());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmCategoryInput::toggleName(const QListWidgetItem* item)
{
    m_settingText = true;
    m_txtCategory->setText(toggleTag(m_txtCategory->text(), item->text()));
    m_settingText = false;
}

void frmCategoryInput::acceptText()
{
    m_inputCategory = m_txtCategory->text();
    accept();
}
