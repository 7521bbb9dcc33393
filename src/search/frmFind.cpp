#include "search/frmFind.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// An AND/OR pair in a titled frame, so that a screen reader tells the two
// pairs apart; AND or OR is set as `join` says.
QGroupBox* joinChoice(QWidget* parent, const QString& title, const char* andName, const char* orName,
                      SearchJoin join, QRadioButton*& andButton, QRadioButton*& orButton)
{
    auto* box = new QGroupBox(title, parent);
    andButton = new QRadioButton(QStringLiteral("AND"), box);
    andButton->setObjectName(QString::fromLatin1(andName));
    orButton = new QRadioButton(QStringLiteral("OR"), box);
    orButton->setObjectName(QString::fromLatin1(orName));
    (join == SearchJoin::Or ? orButton : andButton)->setChecked(true);
    auto* layout = new QHBoxLayout(box);
    layout->addWidget(andButton);
    layout->addWidget(orButton);
    layout->addStretch();
    return box;
}

} // namespace

frmFind::frmFind(const SearchRequest& initial, const QStringList& tags, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("フィルタ（メモ検索）"));
    setModal(true);

    m_listView = new QListWidget(this);
    m_listView->setObjectName(QStringLiteral("ListView1"));
    m_listView->setAccessibleName(QStringLiteral("検索カテゴリ"));
    m_listView->setUniformItemSizes(true);
    for (const QString& name : tags) {
        if (name.isEmpty())
            continue;
        auto* item = new QListWidgetItem(name, m_listView);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(initial.tags.contains(name) ? Qt::Checked : Qt::Unchecked);
    }
    auto* listLabel = new QLabel(QStringLiteral("検索カテゴリ(&C):"), this);
    listLabel->setBuddy(m_listView);

    auto* selectAll = new QPushButton(QStringLiteral("全て選択"), this);
    selectAll->setObjectName(QStringLiteral("Btn_SelectAll"));
    auto* selectClear = new QPushButton(QStringLiteral("選択解除"), this);
    selectClear->setObjectName(QStringLiteral("Btn_SelectClear"));
    auto* selectReverse = new QPushButton(QStringLiteral("選択反転"), this);
    selectReverse->setObjectName(QStringLiteral("Btn_SelectReverse"));
    for (QPushButton* button : {selectAll, selectClear, selectReverse})
        button->setAutoDefault(false);
    connect(selectAll, &QPushButton::clicked, this, [this] { setAllTicks(Qt::Checked); });
    connect(selectClear, &QPushButton::clicked, this, [this] { setAllTicks(Qt::Unchecked); });
    connect(selectReverse, &QPushButton::clicked, this, &frmFind::reverseTicks);

    QGroupBox* catJoin = joinChoice(this, QStringLiteral("カテゴリの条件"), "optFindCatType_AND",
                                    "optFindCatType_OR", initial.tagJoin, m_catAnd, m_catOr);

    m_findWord = new QLineEdit(initial.words, this);
    m_findWord->setObjectName(QStringLiteral("txtFindWord"));
    m_findWord->setAccessibleName(QStringLiteral("検索ワード"));
    auto* wordLabel = new QLabel(QStringLiteral("検索ワード(&W):"), this);
    wordLabel->setBuddy(m_findWord);
    auto* wordHint = new QLabel(QStringLiteral("(半角空白区切りで複数ワードを設定できます)"), this);
    wordHint->setObjectName(QStringLiteral("lblFindWordHint"));

    QGroupBox* wordJoin = joinChoice(this, QStringLiteral("ワードの条件"), "optFindType_AND",
                                     "optFindType_OR", initial.wordJoin, m_wordAnd, m_wordOr);

    m_findTitle = new QCheckBox(QStringLiteral("タイトルも検索する"), this);
    m_findTitle->setObjectName(QStringLiteral("chkFindTitle"));
    m_findTitle->setChecked(initial.searchTitles);

    // What counts as the same word (SearchFolding.h), so that nobody wonders
    // why "ｶﾞｲﾄﾞ" finds "ガイド".
    auto* note = new QLabel(QStringLiteral("※検索ワードは大文字と小文字、全角と半角、ひらがなとカタカナを"
                                           "区別しません（カテゴリは大文字と小文字のみ）。"),
                            this);
    note->setObjectName(QStringLiteral("lblFoldingNote"));
    note->setWordWrap(true);

    auto* ok = new QPushButton(QStringLiteral("検索"), this);
    ok->setObjectName(QStringLiteral("Btn_OK"));
    ok->setDefault(true);
    auto* close = new QPushButton(QStringLiteral("キャンセル"), this);
    close->setObjectName(QStringLiteral("Btn_Close"));
    close->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &frmFind::acceptChoices);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* tickButtons = new QHBoxLayout;
    tickButtons->addWidget(selectAll);
    tickButtons->addWidget(selectClear);
    tickButtons->addWidget(selectReverse);
    tickButtons->addStretch();
    tickButtons->addWidget(catJoin);
    auto* wordOptions = new QHBoxLayout;
    wordOptions->addWidget(wordJoin);
    wordOptions->addWidget(m_findTitle);
    wordOptions->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(listLabel);
    layout->addWidget(m_listView, 1);
    layout->addLayout(tickButtons);
    layout->addSpacing(6);
    layout->addWidget(wordLabel);
    layout->addWidget(m_findWord);
    layout->addWidget(wordHint);
    layout->addLayout(wordOptions);
    layout->addWidget(note);
    layout->addLayout(buttons);
    resize(460, 500);
    m_findWord->setFocus();
}

void frmFind::setAllTicks(Qt::CheckState state)
{
    for (int row = 0; row < m_listView->count(); ++row)
        m_listView->item(row)->setCheckState(state);
}

void frmFind::reverseTicks()
{
    for (int row = 0; row < m_listView->count(); ++row) {
        QListWidgetItem* item = m_listView->item(row);
        item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
}

void frmFind::acceptChoices()
{
    SearchRequest request;
    for (int row = 0; row < m_listView->count(); ++row) {
        const QListWidgetItem* item = m_listView->item(row);
        if (item->checkState() == Qt::Checked)
            request.tags.append(item->text());
    }
    request.tagJoin = m_catOr->isChecked() ? SearchJoin::Or : SearchJoin::And;
    request.words = m_findWord->text();
    request.wordJoin = m_wordOr->isChecked() ? SearchJoin::Or : SearchJoin::And;
    request.searchTitles = m_findTitle->isChecked();
    m_chosen = request;
    accept();
}
