#include "options/frmOption.h"

#include "app/Prompt.h"
#include "exchange/EditorTable.h"
#include "options/frmDlgSystemColor.h"
#include "ui/Form1.h"
#include "ui/VbColour.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTabBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// The system colours of a disabled and an enabled editor box.
constexpr quint32 kButtonFace = 0x8000000Fu;
constexpr quint32 kWindowBackground = 0x80000005u;

template <typename W> W* named(W* widget, const char* objectName, const QString& accessibleName)
{
    widget->setObjectName(QString::fromLatin1(objectName));
    widget->setAccessibleName(accessibleName);
    return widget;
}

QLabel* note(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

QFrame* swatch(const char* objectName, const QString& accessibleName, QWidget* parent)
{
    auto* frame = named(new QFrame(parent), objectName, accessibleName);
    frame->setFrameShape(QFrame::Box);
    frame->setAutoFillBackground(true);
    frame->setFixedSize(48, 22);
    return frame;
}

void setColours(QWidget* widget, quint32 text, quint32 back, QPalette::ColorRole textRole,
                QPalette::ColorRole backRole)
{
    QPalette palette = widget->palette();
    palette.setColor(textRole, vbColourToQColor(text));
    palette.setColor(backRole, vbColourToQColor(back));
    widget->setPalette(palette);
}

} // namespace

frmOption::frmOption(Form1& window) : QDialog(&window), m_window(window)
{
    setObjectName(QStringLiteral("frmOption"));
    setWindowTitle(QStringLiteral("オプション"));
    m_options.load(window.settings());

    m_tabs = named(new QTabBar(this), "TabStrip1", QStringLiteral("設定の種類"));
    m_pages = new QStackedWidget(this);
    const struct
    {
        const char* key;
        QString caption;
    } tabs[] = {{"Font", QStringLiteral("フォント設定")},
                {"Color", QStringLiteral("色設定")},
                {"General", QStringLiteral("機能設定")},
                {"Security", QStringLiteral("セキュリティ")},
                {"Editor", QStringLiteral("外部エディタ")}};
    QWidget* pages[] = {buildFontPage(), buildColourPage(), buildGeneralPage(), buildSecurityPage(),
                        buildEditorPage()};
    for (int index = 0; index < 5; ++index) {
        m_tabs->addTab(tabs[index].caption);
        m_tabs->setTabData(index, QString::fromLatin1(tabs[index].key));
        QWidget* page = pages[index];
        page->setObjectName(QStringLiteral("Picture1_%1").arg(index));
        page->setAccessibleName(tabs[index].caption);
        m_pages->addWidget(page);
    }
    connect(m_tabs, &QTabBar::currentChanged, this, &frmOption::showPage);

    auto* ok = named(new QPushButton(QStringLiteral("OK"), this), "Btn_OK", QStringLiteral("OK"));
    auto* apply = named(new QPushButton(QStringLiteral("Apply"), this), "Btn_Apply", QStringLiteral("適用"));
    auto* cancel =
        named(new QPushButton(QStringLiteral("Cancel"), this), "Btn_Cancel", QStringLiteral("キャンセル"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] {
        if (save())
            accept();
    });
    connect(apply, &QPushButton::clicked, this, &frmOption::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(apply);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(m_pages, 1);
    layout->addLayout(buttons);

    showPage(0);
    showEditor(0);
    resize(580, 560);
}

void frmOption::showPage(int index)
{
    m_pages->setCurrentIndex(index);
    for (int page = 0; page < m_pages->count(); ++page)
        m_pages->widget(page)->setEnabled(page == index);
}

// ---- Font page ----

QWidget* frmOption::buildFontPage()
{
    auto* page = new QWidget;
    m_fontList = named(new QTreeWidget(page), "ListViewFont", QStringLiteral("フォント一覧"));
    m_fontList->setHeaderLabels({QStringLiteral("Object"), QStringLiteral("Font"), QStringLiteral("Size")});
    m_fontList->setRootIsDecorated(false);
    m_fontList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_fontList->setAllColumnsShowFocus(true);
    for (const OptionSettings::FontRow& row : m_options.fonts) {
        auto* item = new QTreeWidgetItem(m_fontList, {row.text, QString(), QString()});
        item->setData(0, Qt::UserRole, row.key);
    }
    m_fontList->header()->resizeSection(0, 130);
    m_fontList->header()->resizeSection(1, 220);
    fillFontRows();

    m_fontName = named(new QComboBox(page), "cmbFontList", QStringLiteral("フォント名"));
    m_fontName->setEditable(true);
    m_fontName->setInsertPolicy(QComboBox::NoInsert);
    m_fontName->addItems(QFontDatabase::families());
    m_fontName->setCurrentIndex(-1);
    m_fontSize = named(new QLineEdit(page), "txtFontSize", QStringLiteral("フォントサイズ"));
    m_fontSize->setFixedWidth(56);

    auto* upDown = named(new QWidget(page), "txtFontSizeUpDown", QStringLiteral("フォントサイズの増減"));
    auto* up = named(new QToolButton(upDown), "txtFontSizeUp", QStringLiteral("フォントサイズを大きく"));
    auto* down = named(new QToolButton(upDown), "txtFontSizeDown", QStringLiteral("フォントサイズを小さく"));
    up->setArrowType(Qt::UpArrow);
    down->setArrowType(Qt::DownArrow);
    for (QToolButton* button : {up, down}) {
        button->setFixedSize(18, 12);
        button->setAutoRepeat(true);
    }
    auto* upDownLayout = new QVBoxLayout(upDown);
    upDownLayout->setContentsMargins(0, 0, 0, 0);
    upDownLayout->setSpacing(0);
    upDownLayout->addWidget(up);
    upDownLayout->addWidget(down);
    connect(up, &QToolButton::clicked, this, [this] { stepFontSize(1); });
    connect(down, &QToolButton::clicked, this, [this] { stepFontSize(-1); });

    // The sample is shown at its real size in a box of fixed height that
    // scrolls, so that no size can make the dialog grow or push its buttons
    // off the screen, and a large size can still be seen whole.
    m_fontSampleArea =
        named(new QScrollArea(page), "FontSampleArea", QStringLiteral("フォントのサンプル表示欄"));
    m_fontSampleArea->setWidgetResizable(true);
    m_fontSampleArea->setFixedHeight(150);
    m_fontSampleArea->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_fontSample = named(new QLabel(QStringLiteral("サンプル Sample 123")), "FontSample",
                         QStringLiteral("フォントのサンプル"));
    m_fontSample->setAlignment(Qt::AlignCenter);
    m_fontSampleArea->setWidget(m_fontSample);
    auto* set = named(new QPushButton(QStringLiteral("選択項目に設定"), page), "Btn_FontSet",
                      QStringLiteral("選択項目にフォントを設定"));

    auto* fields = new QHBoxLayout;
    fields->addWidget(new QLabel(QStringLiteral("フォント"), page));
    fields->addWidget(m_fontName, 1);
    fields->addWidget(new QLabel(QStringLiteral("サイズ"), page));
    fields->addWidget(m_fontSize);
    fields->addWidget(upDown);
    auto* setRow = new QHBoxLayout;
    setRow->addWidget(
        note(QStringLiteral("リストで複数選択時、選択している項目全てに上記設定を適用します"), page), 1);
    setRow->addWidget(set);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_fontList, 1);
    layout->addLayout(fields);
    layout->addWidget(m_fontSampleArea);
    layout->addLayout(setRow);

    connect(m_fontList, &QTreeWidget::currentItemChanged, this, &frmOption::chooseFontRow);
    connect(m_fontList, &QTreeWidget::itemClicked, this, &frmOption::chooseFontRow);
    connect(m_fontName, &QComboBox::currentTextChanged, this, &frmOption::updateFontSample);
    connect(m_fontSize, &QLineEdit::textChanged, this, &frmOption::updateFontSample);
    connect(set, &QPushButton::clicked, this, &frmOption::setFontOnSelectedRows);
    // Enter in the font name or size sets them on the selected rows, as the
    // button beside them does, instead of closing the dialog with OK.
    for (QObject* field : {static_cast<QObject*>(m_fontName), static_cast<QObject*>(m_fontName->lineEdit()),
                           static_cast<QObject*>(m_fontSize)})
        field->installEventFilter(this);
    return page;
}

void frmOption::fillFontRows()
{
    for (int row = 0; row < OptionSettings::FontRowCount; ++row) {
        QTreeWidgetItem* item = m_fontList->topLevelItem(row);
        item->setText(1, m_options.fonts[row].font);
        item->setText(2, m_options.fonts[row].size);
    }
}

void frmOption::chooseFontRow()
{
    QTreeWidgetItem* item = m_fontList->currentItem();
    if (!item)
        return;
    m_fontName->setCurrentText(item->text(1));
    m_fontSize->setText(item->text(2));
    updateFontSample();
}

void frmOption::updateFontSample()
{
    QFont font(m_fontName->currentText());
    const std::optional<double> size = OptionSettings::fontSizeNumber(m_fontSize->text());
    if (size && OptionSettings::isFontSizeInRange(*size))
        font.setPointSizeF(*size);
    m_fontSample->setFont(font);
    // A sample larger than its box starts at its beginning, its middle line in view.
    m_fontSample->adjustSize();
    m_fontSampleArea->horizontalScrollBar()->setValue(0);
    QScrollBar* vertical = m_fontSampleArea->verticalScrollBar();
    vertical->setValue((vertical->minimum() + vertical->maximum()) / 2);
}

void frmOption::stepFontSize(int step)
{
    const int size = int(OptionSettings::fontSizeNumber(m_fontSize->text()).value_or(0)) + step;
    m_fontSize->setText(QString::number(
        std::clamp(size, int(OptionSettings::MinFontSize), int(OptionSettings::MaxFontSize))));
}

void frmOption::setFontOnSelectedRows()
{
    QList<int> rows;
    for (QTreeWidgetItem* item : m_fontList->selectedItems())
        rows.append(m_fontList->indexOfTopLevelItem(item));
    if (!m_options.setFont(rows, m_fontName->currentText(), m_fontSize->text())) {
        m_window.prompt().warn(OptionSettings::fontSizeRangeMessage());
        m_fontSize->setFocus();
        m_fontSize->selectAll();
        return;
    }
    fillFontRows();
}

// ---- Colour page ----

QWidget* frmOption::buildColourPage()
{
    auto* page = new QWidget;
    m_picForm = named(new QFrame(page), "picForm", QStringLiteral("ウィンドウのサンプル"));
    m_picForm->setFrameShape(QFrame::StyledPanel);
    m_picForm->setAutoFillBackground(true);
    m_lblNo =
        named(new QLabel(QStringLiteral("No.1"), m_picForm), "lblNo", QStringLiteral("ラベルのサンプル"));
    m_sampleCatList =
        named(new QTreeWidget(m_picForm), "CatList", QStringLiteral("カテゴリリストのサンプル"));
    m_sampleCatList->setHeaderLabels({QStringLiteral("ID"), QStringLiteral("Category")});
    m_sampleMemoList = named(new QTreeWidget(m_picForm), "MemoList", QStringLiteral("メモリストのサンプル"));
    m_sampleMemoList->setHeaderLabels({QStringLiteral("ID"), QStringLiteral("Title")});
    const QStringList catRows{QStringLiteral("[ALL]"), QStringLiteral("[Trash]")};
    const QStringList memoRows{QStringLiteral("test 1"), QStringLiteral("てすと2"), QStringLiteral("試験 3"),
                               QStringLiteral("テスト 4")};
    for (int row = 0; row < catRows.size(); ++row)
        new QTreeWidgetItem(m_sampleCatList, {QString::number(row + 1), catRows[row]});
    for (int row = 0; row < memoRows.size(); ++row)
        new QTreeWidgetItem(m_sampleMemoList, {QString::number(row + 1), memoRows[row]});
    for (QTreeWidget* list : {m_sampleCatList, m_sampleMemoList}) {
        list->setRootIsDecorated(false);
        list->header()->resizeSection(0, 32);
        list->setSelectionMode(QAbstractItemView::NoSelection);
        list->setFocusPolicy(Qt::NoFocus);
    }
    m_sampleTitle = named(new QLineEdit(QStringLiteral("タイトル"), m_picForm), "txtTitle",
                          QStringLiteral("タイトルのサンプル"));
    m_sampleTag = named(new QLineEdit(QStringLiteral("タグ"), m_picForm), "txtCategory",
                        QStringLiteral("タグのサンプル"));
    m_sampleContents = named(new QPlainTextEdit(QStringLiteral("メモの内容"), m_picForm), "txtContents",
                             QStringLiteral("メモの内容のサンプル"));
    for (QWidget* box : {static_cast<QWidget*>(m_sampleTitle), static_cast<QWidget*>(m_sampleTag),
                         static_cast<QWidget*>(m_sampleContents)}) {
        box->setFocusPolicy(Qt::NoFocus);
        box->setAttribute(Qt::WA_InputMethodEnabled, false);
    }
    m_sampleTitle->setReadOnly(true);
    m_sampleTag->setReadOnly(true);
    m_sampleContents->setReadOnly(true);

    // Laid out as the main window: the lists on the left, the boxes on the right.
    auto* boxes = new QVBoxLayout;
    boxes->addWidget(m_sampleTag);
    boxes->addWidget(m_sampleContents, 1);
    auto* formLayout = new QGridLayout(m_picForm);
    formLayout->addWidget(m_lblNo, 0, 0);
    formLayout->addWidget(m_sampleCatList, 1, 0);
    formLayout->addWidget(m_sampleMemoList, 2, 0);
    formLayout->addWidget(m_sampleTitle, 0, 1);
    formLayout->addLayout(boxes, 1, 1, 2, 1);
    formLayout->setRowStretch(1, 1);
    formLayout->setRowStretch(2, 1);

    for (QObject* sample :
         {static_cast<QObject*>(m_picForm), static_cast<QObject*>(m_lblNo),
          static_cast<QObject*>(m_sampleCatList), static_cast<QObject*>(m_sampleCatList->viewport()),
          static_cast<QObject*>(m_sampleMemoList), static_cast<QObject*>(m_sampleMemoList->viewport()),
          static_cast<QObject*>(m_sampleTitle), static_cast<QObject*>(m_sampleTag),
          static_cast<QObject*>(m_sampleContents), static_cast<QObject*>(m_sampleContents->viewport())})
        sample->installEventFilter(this);

    m_colorDetail = named(new QGroupBox(QStringLiteral("Selected Object"), page), "ColorDetail",
                          QStringLiteral("選択したオブジェクト"));
    m_picFontColor = swatch("picFontColor", QStringLiteral("フォントの色"), m_colorDetail);
    m_picBackColor = swatch("picBackColor", QStringLiteral("背景色"), m_colorDetail);
    auto* fontColour = named(new QPushButton(QStringLiteral("色の選択..."), m_colorDetail), "BtnFontColor",
                             QStringLiteral("フォントの色を選択"));
    auto* backColour = named(new QPushButton(QStringLiteral("色の選択..."), m_colorDetail), "BtnBackColor",
                             QStringLiteral("背景色を選択"));
    auto* sysFontColour = named(new QPushButton(QStringLiteral("システムカラー..."), m_colorDetail),
                                "BtnSysFontColor", QStringLiteral("フォントの色をシステムカラーから選択"));
    auto* sysBackColour = named(new QPushButton(QStringLiteral("システムカラー..."), m_colorDetail),
                                "BtnSysBackColor", QStringLiteral("背景色をシステムカラーから選択"));
    m_colorSample = named(new QLabel(QStringLiteral("サンプルです"), m_colorDetail), "ColorSample",
                          QStringLiteral("色のサンプル"));
    m_colorSample->setAutoFillBackground(true);
    m_colorSample->setAlignment(Qt::AlignCenter);
    m_colorSample->setFrameShape(QFrame::Box);
    m_colorSample->setMinimumHeight(28);
    auto* detailLayout = new QGridLayout(m_colorDetail);
    detailLayout->addWidget(new QLabel(QStringLiteral("フォント"), m_colorDetail), 0, 0);
    detailLayout->addWidget(m_picFontColor, 0, 1);
    detailLayout->addWidget(fontColour, 0, 2);
    detailLayout->addWidget(sysFontColour, 0, 3);
    detailLayout->addWidget(new QLabel(QStringLiteral("背景色"), m_colorDetail), 1, 0);
    detailLayout->addWidget(m_picBackColor, 1, 1);
    detailLayout->addWidget(backColour, 1, 2);
    detailLayout->addWidget(sysBackColour, 1, 3);
    detailLayout->addWidget(m_colorSample, 2, 0, 1, 4);

    m_applyColourAll = named(new QCheckBox(QStringLiteral("すべてのオブジェクトに同じ設定を行う"), page),
                             "chkApplyColorAll", QStringLiteral("すべてのオブジェクトに同じ設定を行う"));
    auto* applyColour = named(new QPushButton(QStringLiteral("選択項目に設定"), page), "Btn_ApplyColor",
                              QStringLiteral("選択項目に色を設定"));
    auto* applyRow = new QHBoxLayout;
    applyRow->addWidget(m_applyColourAll, 1);
    applyRow->addWidget(applyColour);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_picForm, 1);
    layout->addWidget(m_colorDetail);
    layout->addLayout(applyRow);

    connect(fontColour, &QPushButton::clicked, this, [this] { chooseColour(false, false); });
    connect(backColour, &QPushButton::clicked, this, [this] { chooseColour(true, false); });
    connect(sysFontColour, &QPushButton::clicked, this, [this] { chooseColour(false, true); });
    connect(sysBackColour, &QPushButton::clicked, this, [this] { chooseColour(true, true); });
    connect(applyColour, &QPushButton::clicked, this, &frmOption::applyColour);

    paintSamples();
    setSwatch(m_picFontColor, m_swatchFont);
    setSwatch(m_picBackColor, m_swatchBack);
    updateColourSample();
    return page;
}

bool frmOption::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress &&
        (watched == m_fontSize || watched == m_fontName || watched == m_fontName->lineEdit())) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            setFontOnSelectedRows();
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonPress) {
        int object = -1;
        if (watched == m_picForm || watched == m_lblNo)
            object = OptionSettings::ColourForm;
        else if (watched == m_sampleCatList || watched == m_sampleCatList->viewport())
            object = OptionSettings::ColourCatList;
        else if (watched == m_sampleMemoList || watched == m_sampleMemoList->viewport())
            object = OptionSettings::ColourMemoList;
        else if (watched == m_sampleTitle)
            object = OptionSettings::ColourMemoTitle;
        else if (watched == m_sampleTag)
            object = OptionSettings::ColourMemoTag;
        else if (watched == m_sampleContents || watched == m_sampleContents->viewport())
            object = OptionSettings::ColourContents;
        if (object >= 0)
            selectColourObject(object);
    }
    return QDialog::eventFilter(watched, event);
}

void frmOption::paintSamples()
{
    using O = OptionSettings;
    const auto& c = m_options.colours;
    setColours(m_picForm, c[O::ColourForm].fontColour, c[O::ColourForm].backColour, QPalette::WindowText,
               QPalette::Window);
    setColours(m_lblNo, c[O::ColourForm].fontColour, c[O::ColourForm].backColour, QPalette::WindowText,
               QPalette::Window);
    const std::pair<QWidget*, int> areas[] = {{m_sampleCatList, O::ColourCatList},
                                              {m_sampleMemoList, O::ColourMemoList},
                                              {m_sampleTitle, O::ColourMemoTitle},
                                              {m_sampleTag, O::ColourMemoTag},
                                              {m_sampleContents, O::ColourContents}};
    for (const auto& [widget, object] : areas)
        setColours(widget, c[object].fontColour, c[object].backColour, QPalette::Text, QPalette::Base);
}

void frmOption::selectColourObject(int object)
{
    m_selectedObject = object;
    const OptionSettings::ColourObject& colours = m_options.colours[object];
    m_colorDetail->setTitle(QStringLiteral("Selected Object[%1]").arg(colours.caption));
    m_swatchFont = colours.fontColour;
    m_swatchBack = colours.backColour;
    setSwatch(m_picFontColor, m_swatchFont);
    setSwatch(m_picBackColor, m_swatchBack);
    updateColourSample();
}

void frmOption::setSwatch(QFrame* swatch, quint32 colour)
{
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Window, vbColourToQColor(colour));
    swatch->setPalette(palette);
    swatch->setProperty("vbColour", colour);
}

void frmOption::updateColourSample()
{
    setColours(m_colorSample, m_swatchFont, m_swatchBack, QPalette::WindowText, QPalette::Window);
}

void frmOption::chooseColour(bool background, bool system)
{
    quint32& target = background ? m_swatchBack : m_swatchFont;
    const std::optional<quint32> chosen =
        system ? frmDlgSystemColor::choose(this) : m_window.prompt().chooseColour(target);
    if (!chosen)
        return;
    target = *chosen;
    setSwatch(background ? m_picBackColor : m_picFontColor, target);
    updateColourSample();
}

void frmOption::applyColour()
{
    if (m_applyColourAll->isChecked())
        m_options.setColours(-1, m_swatchFont, m_swatchBack);
    else if (m_selectedObject >= 0)
        m_options.setColours(m_selectedObject, m_swatchFont, m_swatchBack);
    paintSamples();
}

// ---- General page ----

QWidget* frmOption::buildGeneralPage()
{
    auto* page = new QWidget;
    auto check = [page](const char* name, const QString& text) {
        return named(new QCheckBox(text, page), name, text);
    };
    m_memoChangeAutoSave = check("chkMemoChengeAutoSave", QStringLiteral("メモ切り替え時に自動保存する"));
    m_memoSaveAutoTitle = check("chkMemoSaveAutoTitle",
                                QStringLiteral("保存時にタイトルが空白の時、自動的に一行目をタイトルにする"));
    m_isTrash = check("chkIsTrash", QStringLiteral("ゴミ箱に移動時のメッセージを抑制する"));
    m_memoChangeAutoSave->setChecked(m_options.memoChangeAutoSave);
    m_memoSaveAutoTitle->setChecked(m_options.memoSaveAutoTitle);
    m_isTrash->setChecked(m_options.isTrash);

    m_focus = named(new QComboBox(page), "cmbFocus", QStringLiteral("起動時のフォーカス"));
    m_focus->addItems({QStringLiteral("タイトル"), QStringLiteral("タグ"), QStringLiteral("メモの内容")});
    m_focus->setCurrentIndex(m_options.focus);
    auto* focusRow = new QHBoxLayout;
    focusRow->addWidget(new QLabel(QStringLiteral("起動時のフォーカス"), page));
    focusRow->addWidget(m_focus);
    focusRow->addStretch();

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_memoChangeAutoSave);
    layout->addWidget(m_memoSaveAutoTitle);
    layout->addWidget(m_isTrash);
    layout->addSpacing(12);
    layout->addLayout(focusRow);
    layout->addStretch();
    return page;
}

// ---- Security page ----

QWidget* frmOption::buildSecurityPage()
{
    auto* page = new QWidget;
    m_securityPass = named(new QLineEdit(m_options.securityPassword, page), "txtSecurityPass",
                           QStringLiteral("セキュリティパスワード"));
    m_securityPass->setEchoMode(QLineEdit::Password);
    m_picSecurityColor = swatch("picSecurityColor", QStringLiteral("パスワード設定色"), page);
    setSwatch(m_picSecurityColor, m_options.securityMemoColour);
    auto* colour = named(new QPushButton(QStringLiteral("色の選択..."), page), "BtnFontColorSecurity",
                         QStringLiteral("パスワード設定色を選択"));
    auto* sysColour =
        named(new QPushButton(QStringLiteral("システムカラー..."), page), "BtnSysFontColorSecurity",
              QStringLiteral("パスワード設定色をシステムカラーから選択"));

    auto* colourRow = new QHBoxLayout;
    colourRow->addWidget(m_picSecurityColor);
    colourRow->addWidget(colour);
    colourRow->addWidget(sysColour);
    colourRow->addStretch();
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(QStringLiteral("セキュリティパスワード"), page));
    layout->addWidget(m_securityPass);
    layout->addWidget(note(QStringLiteral("セキュリティパスワードは、起動時のパスワードではなく、"
                                          "パスワード設定したメモを開くためのパスワードを設定する項目です。"),
                           page));
    layout->addSpacing(12);
    layout->addWidget(new QLabel(QStringLiteral("パスワード設定色"), page));
    layout->addLayout(colourRow);
    layout->addWidget(
        note(QStringLiteral("パスワード設定したメモは、メモリストでこの色で表示されます。"), page));
    layout->addStretch();

    connect(colour, &QPushButton::clicked, this, [this] { chooseSecurityColour(false); });
    connect(sysColour, &QPushButton::clicked, this, [this] { chooseSecurityColour(true); });
    return page;
}

void frmOption::chooseSecurityColour(bool system)
{
    const std::optional<quint32> chosen = system
                                              ? frmDlgSystemColor::choose(this)
                                              : m_window.prompt().chooseColour(m_options.securityMemoColour);
    if (!chosen)
        return;
    m_options.securityMemoColour = *chosen;
    setSwatch(m_picSecurityColor, *chosen);
}

// ---- Editor page ----

QWidget* frmOption::buildEditorPage()
{
    auto* page = new QWidget;
    m_editorSelect = named(new QComboBox(page), "cmbEditorSelect", QStringLiteral("エディタの選択"));
    m_editorSelect->addItems({QStringLiteral("規定のエディタ"), QStringLiteral("エディタ１"),
                              QStringLiteral("エディタ２"), QStringLiteral("エディタ３")});
    m_editorName = named(new QLineEdit(page), "txtEditorName", QStringLiteral("外部エディタの名称"));
    m_editorPath = named(new QLineEdit(page), "txtEditorFilePath", QStringLiteral("外部エディタのパス"));
    m_editorBrowse = named(new QPushButton(QStringLiteral("参照..."), page), "Btn_EditorFilePath",
                           QStringLiteral("外部エディタのパスを参照"));
    m_editorPreset = named(new QComboBox(page), "cmbEditorPreset", QStringLiteral("よく使うエディタ"));
    m_editorPreset->addItem(QStringLiteral("（よく使うエディタから選ぶ）"));
    for (const EditorPreset& preset : EditorPreset::all()) {
        const bool installed = preset.isInstalled();
        const QString wait = preset.waitArguments.join(u' ');
        m_editorPreset->addItem(installed
                                    ? QStringLiteral("%1（%2 %3）").arg(preset.name, preset.program, wait)
                                    : QStringLiteral("%1（未インストール）").arg(preset.name));
        if (!installed) {
            // Offered for reference only: a program that is not there cannot be chosen.
            const QModelIndex index = m_editorPreset->model()->index(m_editorPreset->count() - 1, 0);
            m_editorPreset->model()->setData(index, 0, Qt::UserRole - 1);
        }
    }
    m_defaultEditor = named(new QCheckBox(QStringLiteral("デフォルトのエディタにする"), page),
                            "chkDefaultEditor", QStringLiteral("デフォルトのエディタにする"));

    auto* selectRow = new QHBoxLayout;
    selectRow->addWidget(m_editorSelect);
    selectRow->addWidget(new QLabel(QStringLiteral("エディタは３つ使用可能です"), page), 1);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(m_editorPath, 1);
    pathRow->addWidget(m_editorBrowse);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(selectRow);
    layout->addSpacing(8);
    layout->addWidget(new QLabel(QStringLiteral("外部エディタの名称"), page));
    layout->addWidget(m_editorName);
    layout->addWidget(new QLabel(QStringLiteral("外部エディタのパス"), page));
    layout->addLayout(pathRow);
    auto* presetRow = new QHBoxLayout;
    presetRow->addWidget(new QLabel(QStringLiteral("よく使うエディタ"), page));
    presetRow->addWidget(m_editorPreset, 1);
    layout->addLayout(presetRow);
    layout->addWidget(note(QStringLiteral("ファイルをすぐに既存のウィンドウへ渡して終了するエディタには、"
                                          "終了を待つオプションを付けてください（gedit --wait など）。"),
                           page));
    layout->addSpacing(8);
    layout->addWidget(m_defaultEditor);
    layout->addStretch();

    connect(m_editorSelect, &QComboBox::currentIndexChanged, this, &frmOption::showEditor);
    // Only what the user types is stored: showing another entry fills the
    // boxes without touching the entries.
    connect(m_editorName, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_options.editors.setName(m_editorShown, text); });
    connect(m_editorPath, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_options.editors.setPath(m_editorShown, text); });
    // A click, not a change of state: showing an entry sets the box to its
    // stored mark and must not clear the other entries' marks.
    connect(m_defaultEditor, &QCheckBox::clicked, this,
            [this](bool checked) { m_options.editors.setDefaultMark(m_editorShown, checked); });
    connect(m_editorPreset, &QComboBox::activated, this, &frmOption::chooseEditorPreset);
    connect(m_editorBrowse, &QPushButton::clicked, this, &frmOption::browseEditor);
    return page;
}

void frmOption::showEditor(int index)
{
    if (index < 0 || index >= EditorChoices::Count)
        return;
    // The boxes store every keystroke, so the entry shown so far is already
    // in the table; only the new one needs showing.
    m_editorShown = index;
    const bool editable = index != 0;
    m_editorName->setText(editable ? m_options.editors.name(index) : QStringLiteral("規定のエディタ"));
    m_editorPath->setText(editable ? m_options.editors.path(index) : QString());
    for (QLineEdit* box : {m_editorName, m_editorPath}) {
        box->setEnabled(editable);
        QPalette palette = box->palette();
        palette.setColor(QPalette::Base, vbColourToQColor(editable ? kWindowBackground : kButtonFace));
        box->setPalette(palette);
    }
    m_editorBrowse->setEnabled(editable);
    m_editorPreset->setEnabled(editable);
    m_editorPreset->setCurrentIndex(0);
    m_defaultEditor->setChecked(m_options.editors.isDefault(index));
}

void frmOption::chooseEditorPreset(int presetIndex)
{
    const QList<EditorPreset>& presets = EditorPreset::all();
    if (m_editorShown == 0 || presetIndex < 1 || presetIndex > presets.size())
        return;
    const EditorPreset& preset = presets.at(presetIndex - 1);
    const QString path = preset.configuredPath();
    if (path.isEmpty())
        return;
    m_editorPath->setText(path);
    m_options.editors.setPath(m_editorShown, path);
    // A name the user gave is kept; an empty or numbered default name takes the editor's.
    const QString name = m_options.editors.name(m_editorShown);
    if (name.trimmed().isEmpty() || name == EditorTable::defaultName(m_editorShown)) {
        m_editorName->setText(preset.name);
        m_options.editors.setName(m_editorShown, preset.name);
    }
}

void frmOption::browseEditor()
{
    FileDialogRequest request;
    request.title = QStringLiteral("外部エディタの選択");
    const QString current = m_editorPath->text().trimmed();
    request.startPath = current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
    // Programs often have no extension ("/usr/bin/gedit"): one filter that
    // lists every file.
    request.filter = QStringLiteral("ALL Files(*)");
    const QString chosen = m_window.prompt().openFile(request);
    if (chosen.isEmpty())
        return;
    m_editorPath->setText(chosen);
    m_options.editors.setPath(m_editorShown, chosen);
}

// ---- Saving ----

bool frmOption::save()
{
    m_options.memoChangeAutoSave = m_memoChangeAutoSave->isChecked();
    m_options.memoSaveAutoTitle = m_memoSaveAutoTitle->isChecked();
    m_options.isTrash = m_isTrash->isChecked();
    m_options.focus = std::max(0, m_focus->currentIndex());
    m_options.securityPassword = m_securityPass->text();

    if (const std::optional<QString> reason = m_options.unstorableReason()) {
        m_window.prompt().critical(*reason);
        return false;
    }
    const bool saved = m_options.save(m_window.settings(), m_window.store(), m_window.prompt());
    // What was written is applied even when a later part failed, so that the
    // windows always show what the settings file holds.
    m_window.applyOptionSettings();
    return saved;
}
