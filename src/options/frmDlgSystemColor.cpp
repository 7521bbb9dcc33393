#include "options/frmDlgSystemColor.h"

#include "options/SystemColours.h"
#include "ui/VbColour.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QIcon swatchIcon(const QColor& colour)
{
    // Framed, so that a colour close to the list's background still shows.
    QPixmap pixmap(16, 12);
    pixmap.fill(colour);
    QPainter painter(&pixmap);
    painter.setPen(Qt::darkGray);
    painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return QIcon(pixmap);
}

} // namespace

frmDlgSystemColor::frmDlgSystemColor(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmDlgSystemColor"));
    setWindowTitle(QStringLiteral("システムカラーの選択"));

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("ColorList"));
    m_list->setAccessibleName(QStringLiteral("システムカラー一覧"));
    const QStringList& names = SystemColours::names();
    for (int position = 0; position < names.size(); ++position)
        m_list->addItem(new QListWidgetItem(swatchIcon(vbColourToQColor(SystemColours::value(position))),
                                            names.at(position)));

    auto* caption = new QLabel(QStringLiteral("選択した色"), this);
    m_selectedName = new QLabel(this);
    m_selectedName->setObjectName(QStringLiteral("LblSelectedSysColor"));
    m_selectedName->setAccessibleName(QStringLiteral("選択したシステムカラーの名前"));
    m_selectedColour = new QFrame(this);
    m_selectedColour->setObjectName(QStringLiteral("picSelectedSysColor"));
    m_selectedColour->setAccessibleName(QStringLiteral("選択したシステムカラー"));
    m_selectedColour->setFrameShape(QFrame::Box);
    m_selectedColour->setAutoFillBackground(true);
    m_selectedColour->setFixedSize(96, 48);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Btn_OK"));
    ok->setAccessibleName(QStringLiteral("OK"));
    ok->setEnabled(false);
    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    close->setObjectName(QStringLiteral("Btn_Close"));
    close->setAccessibleName(QStringLiteral("閉じる"));

    auto* side = new QVBoxLayout;
    side->addWidget(caption);
    side->addWidget(m_selectedName);
    side->addWidget(m_selectedColour);
    side->addStretch();
    side->addWidget(ok);
    side->addWidget(close);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(side);
    resize(420, 360);

    connect(m_list, &QListWidget::currentRowChanged, this, [this, ok] {
        showSelected();
        ok->setEnabled(m_list->currentRow() >= 0);
    });
    connect(m_list, &QListWidget::itemDoubleClicked, ok, &QPushButton::click);
    connect(ok, &QPushButton::clicked, this, [this] {
        if (m_list->currentRow() < 0)
            return;
        m_chosen = SystemColours::value(m_list->currentRow());
        accept();
    });
    connect(close, &QPushButton::clicked, this, [this] {
        m_chosen.reset();
        reject();
    });
}

void frmDlgSystemColor::showSelected()
{
    const int row = m_list->currentRow();
    if (row < 0)
        return;
    m_selectedName->setText(SystemColours::names().at(row));
    QPalette palette = m_selectedColour->palette();
    palette.setColor(QPalette::Window, vbColourToQColor(SystemColours::value(row)));
    m_selectedColour->setPalette(palette);
}

std::optional<quint32> frmDlgSystemColor::choose(QWidget* parent)
{
    frmDlgSystemColor dialog(parent);
    dialog.exec();
    return dialog.chosen();
}
