#include "exchange/EditorWaitWindow.h"

#include "app/AppPaths.h"
#include "exchange/EditorPass.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

EditorWaitWindow::EditorWaitWindow(EditorPass& pass, QWidget* parent)
    : QWidget(parent, Qt::Window), m_pass(pass)
{
    setObjectName(u"frmEditorWait"_s);
    setWindowTitle(QString::fromLatin1(AppPaths::ProductName));
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_label = new QLabel(u"外部エディタでの編集を待っています…"_s, this);
    m_label->setObjectName(u"lblEditorWait"_s);
    m_finish = new QPushButton(u"編集を終了"_s, this);
    m_finish->setObjectName(u"cmdFinishEdit"_s);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_finish, 0, Qt::AlignRight);

    connect(m_finish, &QPushButton::clicked, &m_pass, &EditorPass::finishWaiting);
    connect(&m_pass, &EditorPass::waitingForSaves, this, [this] {
        show();
        raise();
    });
    connect(&m_pass, &EditorPass::finished, this, &QWidget::hide);
}

void EditorWaitWindow::closeEvent(QCloseEvent* event)
{
    // Closing the window is the only other way out; it must not leave the pass open.
    m_pass.finishWaiting();
    event->accept();
}
