#include "search/frmFindDetail.h"

#include "app/Prompt.h"
#include "editing/MemoEditor.h"
#include "ui/Form1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

namespace {
const QString kDown = QStringLiteral("下へ");
}

frmFindDetail::frmFindDetail(Form1& window) : QDialog(&window), m_window(window)
{
    setObjectName(QStringLiteral("frmFindDetail"));
    setWindowTitle(QStringLiteral("検索"));
    setModal(false);
    // Closing unloads the dialog: the next find command starts afresh.
    setAttribute(Qt::WA_DeleteOnClose);

    auto* lblFind = new QLabel(QStringLiteral("検索する文字列"), this);
    lblFind->setObjectName(QStringLiteral("lblFind"));
    m_txtFind = new QLineEdit(this);
    m_txtFind->setObjectName(QStringLiteral("txtFind"));
    m_txtFind->setAccessibleName(QStringLiteral("検索する文字列"));
    m_txtFind->setMinimumWidth(220);
    lblFind->setBuddy(m_txtFind);

    auto* lblFindDir = new QLabel(QStringLiteral("検索方向"), this);
    lblFindDir->setObjectName(QStringLiteral("lblFindDir"));
    m_cmbFindDir = new QComboBox(this);
    m_cmbFindDir->setObjectName(QStringLiteral("cmbFindDir"));
    m_cmbFindDir->setAccessibleName(QStringLiteral("検索方向"));
    m_cmbFindDir->addItems({QStringLiteral("全体"), kDown, QStringLiteral("上へ")});
    m_cmbFindDir->setCurrentText(kDown);
    lblFindDir->setBuddy(m_cmbFindDir);

    m_chkCompareMode = new QCheckBox(QStringLiteral("大文字小文字の区別をつける"), this);
    m_chkCompareMode->setObjectName(QStringLiteral("chkCompareMode"));

    m_btnFind = new QPushButton(QStringLiteral("次を検索(&N)"), this);
    m_btnFind->setObjectName(QStringLiteral("Btn_Find"));
    // Enter in the text box presses it; the dialog stays open.
    m_btnFind->setDefault(true);
    m_btnClose = new QPushButton(QStringLiteral("閉じる"), this);
    m_btnClose->setObjectName(QStringLiteral("Btn_Close"));
    m_btnClose->setAutoDefault(false);

    auto* layout = new QGridLayout(this);
    layout->addWidget(lblFind, 0, 0);
    layout->addWidget(m_txtFind, 0, 1);
    layout->addWidget(m_btnFind, 0, 2);
    layout->addWidget(lblFindDir, 1, 0);
    layout->addWidget(m_cmbFindDir, 1, 1, Qt::AlignLeft);
    layout->addWidget(m_btnClose, 1, 2);
    layout->addWidget(m_chkCompareMode, 2, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_btnFind, &QPushButton::clicked, this, &frmFindDetail::Btn_Find_Click);
    connect(m_btnClose, &QPushButton::clicked, this, &QDialog::close);
}

void frmFindDetail::Btn_Find_Click()
{
    if (const auto direction = TextFinder::directionForChoice(m_cmbFindDir->currentText())) {
        m_finder.setDirection(*direction);
        // A whole-text search is one step; the steps after it go down.
        if (*direction == TextFinder::Direction::Whole)
            m_cmbFindDir->setCurrentText(kDown);
    }

    // Whichever memo the window shows now; the box's text and its cursor
    // positions count a line break as one character alike.
    MemoEditor& editor = m_window.editor();
    QPlainTextEdit* contents = editor.txtContents();
    const QString text = editor.boxText(MemoEditor::Box::Contents);
    const Qt::CaseSensitivity sensitivity =
        m_chkCompareMode->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const TextFinder::Step step =
        m_finder.findNext(text, contents->textCursor().selectionStart(), m_txtFind->text(), sensitivity);

    if (step.outcome != TextFinder::Outcome::Found) {
        m_window.prompt().inform(TextFinder::message(step.outcome));
        return;
    }
    QTextCursor cursor(contents->document());
    cursor.setPosition(int(step.position));
    cursor.setPosition(int(step.position + step.length), QTextCursor::KeepAnchor);
    contents->setTextCursor(cursor);
}
