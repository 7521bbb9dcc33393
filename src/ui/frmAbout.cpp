#include "ui/frmAbout.h"

#include "app/AppPaths.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <sqlite3.h>

frmAbout::frmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("Quilletについて"));

    m_picIcon = new QLabel(this);
    m_picIcon->setObjectName(QStringLiteral("picIcon"));
    m_picIcon->setAccessibleName(QStringLiteral("Quilletのアイコン"));
    QIcon icon(QStringLiteral(":/icons/hicolor/128x128/quillet.png"));
    icon.addFile(QStringLiteral(":/icons/quillet.png"));
    m_picIcon->setPixmap(icon.pixmap(96, 96));
    m_picIcon->setAlignment(Qt::AlignTop);

    auto* lblProduct = new QLabel(QLatin1String(AppPaths::ProductName), this);
    lblProduct->setObjectName(QStringLiteral("lblProduct"));
    QFont big = lblProduct->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    lblProduct->setFont(big);

    auto* lblVersion = new QLabel(QStringLiteral("バージョン %1.%2.%3")
                                      .arg(QUILLET_VERSION_MAJOR)
                                      .arg(QUILLET_VERSION_MINOR)
                                      .arg(QUILLET_VERSION_PATCH),
                                  this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    auto* lblSummary = new QLabel(QStringLiteral("メモをタグで整理して保存するメモ帳"), this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));

    auto* grpLibraries = new QLabel(QStringLiteral("使用しているライブラリ"), this);
    QFont bold = grpLibraries->font();
    bold.setBold(true);
    grpLibraries->setFont(bold);
    auto* lblQt = new QLabel(qtVersionText(), this);
    lblQt->setObjectName(QStringLiteral("lblQt"));
    auto* lblQtLicence = new QLabel(QStringLiteral("GNU Lesser General Public License v3 (LGPL-3.0)"), this);
    lblQtLicence->setObjectName(QStringLiteral("lblQtLicence"));
    auto* lblSqlite = new QLabel(sqliteVersionText(), this);
    lblSqlite->setObjectName(QStringLiteral("lblSqlite"));
    auto* lblSqliteLicence = new QLabel(QStringLiteral("パブリックドメイン (Public Domain)"), this);
    lblSqliteLicence->setObjectName(QStringLiteral("lblSqliteLicence"));
    for (QLabel* label : {lblVersion, lblQt, lblSqlite})
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* libraries = new QGridLayout;
    libraries->setHorizontalSpacing(16);
    libraries->addWidget(lblQt, 0, 0);
    libraries->addWidget(lblQtLicence, 0, 1);
    libraries->addWidget(lblSqlite, 1, 0);
    libraries->addWidget(lblSqliteLicence, 1, 1);
    libraries->setColumnStretch(1, 1);

    auto* text = new QVBoxLayout;
    text->addWidget(lblProduct);
    text->addWidget(lblVersion);
    text->addWidget(lblSummary);
    text->addSpacing(12);
    text->addWidget(grpLibraries);
    text->addLayout(libraries);
    text->addStretch();

    auto* top = new QHBoxLayout;
    top->addWidget(m_picIcon);
    top->addSpacing(12);
    top->addLayout(text, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString frmAbout::qtVersionText()
{
    return QStringLiteral("Qt ") + QString::fromLatin1(qVersion());
}

QString frmAbout::sqliteVersionText()
{
    return QStringLiteral("SQLite ") + QString::fromLatin1(sqlite3_libversion());
}
