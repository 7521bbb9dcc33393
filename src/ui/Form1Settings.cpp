// Form1: reading the settings at start and writing the layout at close.
#include "ui/Form1.h"

#include "app/Settings.h"
#include "app/Twips.h"
#include "editing/MemoEditor.h"
#include "editing/PasswordScrambler.h"
#include "tags/CategoryList.h"
#include "tags/CategoryListModel.h"
#include "tags/ListViews.h"
#include "tags/MemoList.h"
#include "tags/MemoListModel.h"
#include "ui/EditorCommands.h"
#include "ui/FirstLayout.h"
#include "ui/FloatingWindows.h"
#include "ui/PaneLayout.h"
#include "ui/VbColour.h"

#include <QAction>
#include <QActionGroup>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QStyleOptionViewItem>
#include <QToolBar>

namespace {

using namespace Settings;

// Room for a list's border and vertical scroll bar, in twips.
constexpr double kListChrome = 276;

const NumberSetting kMemoListWidths[] = {
    FormPosition::MemoListColumn_ID_Width, FormPosition::MemoListColumn_Publish_Width,
    FormPosition::MemoListColumn_Update_Width, FormPosition::MemoListColumn_Title_Width};
const IntSetting kMemoListPositions[] = {
    FormPosition::MemoListColumnPos_ID, FormPosition::MemoListColumnPos_PublishTime,
    FormPosition::MemoListColumnPos_UpdateTime, FormPosition::MemoListColumnPos_Title};
// Category list columns in model order: ID, Category, Num.
const IntSetting kCatListPositions[] = {FormPosition::CatListColumnPos_ID,
                                        FormPosition::CatListColumnPos_Category,
                                        FormPosition::CatListColumnPos_Num};

// Display positions (from 0) of a list's columns; a stored position outside
// 1..column count gives that column its default place.
QList<int> readColumnPositions(const SettingsFile& file, const IntSetting* keys, int count)
{
    QList<int> positions;
    for (int i = 0; i < count; ++i) {
        const int position = file.read(keys[i]);
        positions.append(position >= 1 && position <= count ? position - 1 : keys[i].fallback - 1);
    }
    return positions;
}

void writeColumnPositions(const SettingsFile& file, const IntSetting* keys, const QList<int>& positions)
{
    for (int i = 0; i < positions.size(); ++i)
        file.write(keys[i], positions[i] + 1);
}

QFont readFont(const SettingsFile& file, const AreaStyle& style)
{
    QFont font(file.read(style.font));
    double size = file.read(style.fontSize);
    if (size <= 0)
        size = style.fontSize.fallback;
    font.setPointSizeF(size);
    return font;
}

// Font, text colour and background of one area.
void applyAreaStyle(const SettingsFile& file, const AreaStyle& style, QWidget* widget)
{
    widget->setFont(readFont(file, style));
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Text, vbColourToQColor(file.read(style.fontColour)));
    palette.setColor(QPalette::Base, vbColourToQColor(file.read(style.backColour)));
    widget->setPalette(palette);
}

// A number of `digits` digits as wide as any: the font's widest digit repeated.
QString widestNumber(const QFontMetrics& metrics, int digits)
{
    QChar widest = u'0';
    for (char16_t digit = u'1'; digit <= u'9'; ++digit)
        if (metrics.horizontalAdvance(QChar(digit)) > metrics.horizontalAdvance(widest))
            widest = QChar(digit);
    return QString(digits, widest);
}

QString widestTimestamp(const QFontMetrics& metrics)
{
    const QChar digit = widestNumber(metrics, 1).front();
    return QStringLiteral("####/##/## ##:##:##").replace(u'#', digit);
}

// The style's description of a cell of `list` showing `sample` (after a
// small icon when `withIcon`) in `font`, and of the label of header `column`.
// The font is passed because the list gets its own font only after the
// layout is read.
QStyleOptionViewItem cellOption(const QTreeView* list, const QFont& font, const QString& sample, bool withIcon)
{
    QStyleOptionViewItem cell;
    cell.initFrom(list);
    cell.font = font;
    cell.fontMetrics = QFontMetrics(font);
    cell.text = sample;
    cell.features = QStyleOptionViewItem::HasDisplay;
    if (withIcon) {
        const int icon = list->iconSize().isValid()
                             ? list->iconSize().width()
                             : list->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, list);
        cell.features |= QStyleOptionViewItem::HasDecoration;
        cell.decorationSize = QSize(icon, icon);
    }
    return cell;
}

QStyleOptionHeader headerOption(const QTreeView* list, const QFont& font, int column)
{
    QStyleOptionHeader label;
    label.initFrom(list->header());
    label.fontMetrics = QFontMetrics(font);
    label.section = column;
    label.text = list->model()->headerData(column, Qt::Horizontal).toString();
    return label;
}

QSize cellSize(const QTreeView* list, const QStyleOptionViewItem& cell)
{
    return list->style()->sizeFromContents(QStyle::CT_ItemViewItem, &cell, QSize(), list);
}

QSize headerSize(const QTreeView* list, const QStyleOptionHeader& label)
{
    return list->style()->sizeFromContents(QStyle::CT_HeaderSection, &label, QSize(), list->header());
}

// Pixels that column `column` of `list` needs to show `sample` and its header
// label uncut in `font`, margins included.
int contentWidth(const QTreeView* list, const QFont& font, int column, const QString& sample, bool withIcon)
{
    return std::max(cellSize(list, cellOption(list, font, sample, withIcon)).width(),
                    headerSize(list, headerOption(list, font, column)).width());
}

// The height of a row of `list` in `font`, and of its header.
int rowHeight(const QTreeView* list, const QFont& font)
{
    return cellSize(list, cellOption(list, font, QStringLiteral("0"), false)).height();
}

int headerHeight(const QTreeView* list, const QFont& font)
{
    return headerSize(list, headerOption(list, font, 0)).height();
}

} // namespace

double Form1::dpi() const
{
    return logicalDpiX();
}

int Form1::toPixels(double twips) const
{
    return Twips::toPixels(twips, dpi());
}

int Form1::panelsTop() const
{
    // The toolbar's preferred height, the same before and after the window is
    // shown, so that the horizontal bar is read and written in one system.
    return m_toolbar->sizeHint().height();
}

double Form1::readTwips(const NumberSetting& setting, double computedDefault)
{
    const double value = m_settings.read(setting, computedDefault);
    m_readTwips.insert(QString::fromLatin1(setting.key), value);
    return value;
}

double Form1::writeTwips(const NumberSetting& setting, int pixels)
{
    const double previous = m_readTwips.value(QString::fromLatin1(setting.key), -1);
    const double twips = Twips::toStore(pixels, previous, dpi());
    m_settings.write(setting, twips);
    return twips;
}

FirstLayout::Sizes Form1::firstLayout(int memoFixedColumns, const QFont& catFont, const QFont& memoFont) const
{
    FirstLayout::Measures measures;
    measures.dpi = dpi();
    measures.fontHeight = fontMetrics().height();
    measures.menuBarWidth = menuBar()->sizeHint().width();
    measures.menuBarHeight = menuBar()->sizeHint().height();
    measures.toolBarWidth = m_toolbar->sizeHint().width();
    measures.panelsTop = panelsTop();
    // In the lists' own fonts, which they get later.
    measures.listHeaderHeight = headerHeight(m_catListView, catFont);
    measures.catRowHeight = rowHeight(m_catListView, catFont);
    measures.memoRowHeight = rowHeight(m_memoListView, memoFont);
    measures.memoFixedColumns = memoFixedColumns;
    measures.averageCharWidth = fontMetrics().averageCharWidth();
    measures.scrollBarWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    if (const QScreen* shown = screen())
        measures.available = shown->availableGeometry().size();
    return FirstLayout::sizes(measures);
}

void Form1::applyLayoutSettings()
{
    using namespace Settings::FormPosition;
    // The memo list's fixed columns without stored widths fit their contents
    // and header in the list's own font (never narrower than their classic
    // widths); the first window is made wide enough for them and some title.
    const QFont memoFont = readFont(m_settings, MemoListStyle).resolve(m_memoListView->font());
    const QFontMetrics memoMetrics(memoFont);
    const int memoColumnContents[] = {
        contentWidth(m_memoListView, memoFont, MemoListModel::ColumnId, widestNumber(memoMetrics, 6), true),
        contentWidth(m_memoListView, memoFont, MemoListModel::ColumnPublish, widestTimestamp(memoMetrics), false),
        contentWidth(m_memoListView, memoFont, MemoListModel::ColumnUpdate, widestTimestamp(memoMetrics), false)};
    int memoFixedColumns = 0;
    for (int column = MemoListModel::ColumnId; column < MemoListModel::ColumnTitle; ++column)
        memoFixedColumns +=
            std::max(toPixels(kMemoListWidths[column].fallback), memoColumnContents[column]);
    const QFont catFont = readFont(m_settings, CatListStyle).resolve(m_catListView->font());
    const FirstLayout::Sizes first = firstLayout(memoFixedColumns, catFont, memoFont);
    const auto twips = [this](int pixels) { return Twips::fromPixels(pixels, dpi()); };

    const int state = m_settings.read(WindowMaximize);
    const double top = readTwips(Top, Top.fallback);
    const double left = readTwips(Left, Left.fallback);
    const double height = readTwips(Height, twips(first.height));
    const double width = readTwips(Width, twips(first.width));
    move(left >= 0 ? toPixels(left) : x(), top >= 0 ? toPixels(top) : y());
    resize(width >= 0 ? toPixels(width) : this->width(), height >= 0 ? toPixels(height) : this->height());
    if (state == 2)
        setWindowState(Qt::WindowMaximized);
    else if (state == 1)
        setWindowState(Qt::WindowMinimized);

    // The arrangement first, so that the bars exist when they are placed.
    const double sepalatorX = readTwips(SepalatorXPos, twips(first.sepalatorX));
    double panel1Height = m_settings.read(Panel1Height, twips(first.panel1Height));
    if (panel1Height <= 0)
        panel1Height = twips(first.panel1Height);
    const double panelsTopTwips = Twips::fromPixels(panelsTop(), dpi());
    const double panel1Bottom = panelsTopTwips + panel1Height;
    double sepalator2Y = readTwips(Sepalator2YPos, panel1Bottom);
    if (sepalator2Y <= 0 || sepalator2Y > panel1Bottom)
        sepalator2Y = panel1Bottom;
    const int windowType = m_settings.read(WindowType);
    m_panes->setWindowType(windowType);
    m_windowTypes->actions().at(m_panes->windowType())->setChecked(true);
    // The memo list's pane always fills the room below or beside the bars, so
    // its stored top and height (Panel2Top, Panel2Height) have nothing to add.
    const int sepalatorPx = sepalatorX > 0 ? toPixels(sepalatorX) : first.sepalatorX;
    m_panes->moveSepalator(sepalatorPx);
    // Also in the wide type, which keeps the place for when the bar is shown.
    m_panes->moveSepalator2(toPixels(sepalator2Y) - panelsTop());

    // Column widths and positions. A column without a stored width is made
    // wide enough for its longest content and its header in the list's own
    // font (and no narrower than its classic width); a negative stored width
    // leaves it so. A stored width is applied as it is, however narrow. The
    // name and title columns default to the room the list leaves them.
    auto applyWidth = [this](const NumberSetting& setting, QTreeView* list, int column, int contentPixels) {
        const double fitted = std::max(setting.fallback, Twips::fromPixels(contentPixels, dpi()));
        const double twips = readTwips(setting, fitted);
        list->header()->resizeSection(column, toPixels(twips >= 0 ? twips : fitted));
    };
    const int catListWidth = sepalatorPx - 4;
    const int memoListWidth = m_panes->windowType() == 0 ? catListWidth : this->width() - sepalatorPx - 9;

    QHeaderView* catHeader = m_catListView->header();
    catHeader->setMinimumSectionSize(0);
    const QFontMetrics catMetrics(catFont);
    applyWidth(CatListColumn_ID_Width, m_catListView, CategoryListModel::ColumnId,
               contentWidth(m_catListView, catFont, CategoryListModel::ColumnId, widestNumber(catMetrics, 4),
                            false));
    // Counts up to six digits: 100,000 memos fit.
    applyWidth(CatListColumn_Num_Width, m_catListView, CategoryListModel::ColumnNum,
               contentWidth(m_catListView, catFont, CategoryListModel::ColumnNum, widestNumber(catMetrics, 6),
                            false));
    const double catName = readTwips(
        CatListColumn_Category_Width,
        Twips::fromPixels(catListWidth, dpi()) -
            Twips::fromPixels(catHeader->sectionSize(CategoryListModel::ColumnId), dpi()) -
            Twips::fromPixels(catHeader->sectionSize(CategoryListModel::ColumnNum), dpi()) - kListChrome);
    if (catName >= 0)
        catHeader->resizeSection(CategoryListModel::ColumnCategory, toPixels(catName));
    m_catListView->setColumnPositions(
        readColumnPositions(m_settings, kCatListPositions, CategoryListModel::ColumnCount));

    QHeaderView* memoHeader = m_memoListView->header();
    memoHeader->setMinimumSectionSize(0);
    // Six-digit IDs after the memo's small icon; the two times as stored.
    for (int column = MemoListModel::ColumnId; column < MemoListModel::ColumnTitle; ++column)
        applyWidth(kMemoListWidths[column], m_memoListView, column, memoColumnContents[column]);
    double fixedWidths = 0;
    for (int column = MemoListModel::ColumnId; column < MemoListModel::ColumnTitle; ++column)
        fixedWidths += Twips::fromPixels(memoHeader->sectionSize(column), dpi());
    const double title = readTwips(MemoListColumn_Title_Width,
                                   Twips::fromPixels(memoListWidth, dpi()) - fixedWidths - kListChrome);
    if (title >= 0)
        memoHeader->resizeSection(MemoListModel::ColumnTitle, toPixels(title));
    m_memoListView->setColumnPositions(
        readColumnPositions(m_settings, kMemoListPositions, MemoListModel::ColumnCount));
}

void Form1::applyMemoListSort()
{
    const int sortOrder = m_settings.read(Settings::MemoList::Sort_Order);
    const int sortKey = m_settings.read(Settings::MemoList::Sort_Key);
    m_memoList->model()->setTextSort(sortKey >= 0 && sortKey < MemoListModel::ColumnCount ? sortKey : 0,
                                     sortOrder == 1 ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void Form1::applyStyleSettings()
{
    // Labels and the frame areas between the panes.
    QPalette frame = palette();
    frame.setColor(QPalette::WindowText, vbColourToQColor(m_settings.read(Form::FontColor)));
    frame.setColor(QPalette::Window, vbColourToQColor(m_settings.read(Form::BackColor)));
    for (QWidget* area : {centralWidget(), m_panel1, m_panel2, static_cast<QWidget*>(m_editor)}) {
        area->setAutoFillBackground(true);
        area->setPalette(frame);
    }

    applyAreaStyle(m_settings, CatListStyle, m_catListView);
    applyAreaStyle(m_settings, MemoTitleStyle, m_editor->txtTitle());
    applyAreaStyle(m_settings, MemoTagStyle, m_editor->txtCategory());
    applyAreaStyle(m_settings, ContentsStyle, m_editor->txtContents());
    applyAreaStyle(m_settings, MemoListStyle, m_memoListView);
    // The contents box is given its font and colour again whenever a memo is shown.
    m_editor->setContentsStyle(readFont(m_settings, ContentsStyle),
                               vbColourToQColor(m_settings.read(ContentsStyle.fontColour)));

    m_floatingMemoFontName = m_settings.read(FloatingMemo::Font);
    m_floatingMemoFontSize = m_settings.read(FloatingMemo::FontSize);
    if (m_floatingMemoFontSize <= 0)
        m_floatingMemoFontSize = FloatingMemo::FontSize.fallback;

    action("AlwaysOnTop")->setChecked(m_settings.read(Form::AlwaysOnTop) == 1);
}

void Form1::applyGeneralSettings()
{
    m_editor->setMemoChangeAutoSave(m_settings.read(General::MemoChangeAutoSave));
    m_editor->setAutoTitle(m_settings.read(General::MemoSaveAutoTitle));
    m_isTrash = m_settings.read(General::IsTrash);
    // A stored password that cannot be unscrambled keeps protected memos closed.
    m_editor->setSecurityPassword(DecodePassword(m_settings.read(Security::Password)));
    m_securityMemoColour = m_settings.read(Security::MemoColor);
    m_memoList->model()->setSecurityColour(vbColourToQColor(m_securityMemoColour));
}

void Form1::writeLayoutSettings()
{
    using namespace Settings::FormPosition;
    const SettingsFile::Batch batch(m_settings);
    m_settings.write(WindowType, PaneMode());

    QHeaderView* memoHeader = m_memoListView->header();
    for (int column = 0; column < MemoListModel::ColumnCount; ++column)
        writeTwips(kMemoListWidths[column], memoHeader->sectionSize(column));
    QHeaderView* catHeader = m_catListView->header();
    writeTwips(CatListColumn_ID_Width, catHeader->sectionSize(CategoryListModel::ColumnId));
    writeTwips(CatListColumn_Num_Width, catHeader->sectionSize(CategoryListModel::ColumnNum));
    writeTwips(CatListColumn_Category_Width, catHeader->sectionSize(CategoryListModel::ColumnCategory));

    writeTwips(SepalatorXPos, m_panes->sepalatorX());
    // In the wide type the bar is hidden; its kept place is the one to store.
    const double sepalator2Y = writeTwips(Sepalator2YPos, panelsTop() + m_panes->sepalator2Y());
    // Written so that the bar's position survives the next start, which never
    // places it below the first pane's stored height.
    m_settings.write(Panel1Height, sepalator2Y - Twips::fromPixels(panelsTop(), dpi()));

    const Qt::WindowStates state = windowState();
    const int maximize = state & Qt::WindowMaximized ? 2 : (state & Qt::WindowMinimized ? 1 : 0);
    m_settings.write(WindowMaximize, maximize);
    writeTwips(CatListHeight, m_catListView->height());
    writeTwips(MemoListTop, m_memoListView->mapTo(this, QPoint(0, 0)).y());
    writeTwips(MemoListHeight, m_memoListView->height());
    if (maximize == 0) {
        writeTwips(Top, y());
        writeTwips(Left, x());
        writeTwips(Height, height());
        writeTwips(Width, width());
    }

    const MemoListModel* memoModel = m_memoList->model();
    m_settings.write(Settings::MemoList::Sort_Order, memoModel->sortOrder() == Qt::DescendingOrder ? 1 : 0);
    m_settings.write(Settings::MemoList::Sort_Key, memoModel->sortColumn());
    writeColumnPositions(m_settings, kCatListPositions, m_catListView->columnPositions());
    writeColumnPositions(m_settings, kMemoListPositions, m_memoListView->columnPositions());
    m_settings.write(Form::AlwaysOnTop, action("AlwaysOnTop")->isChecked() ? 1 : 0);
}

void Form1::applyOptionSettings()
{
    // The always-on-top button keeps the state it has now: its stored state
    // is written at close, not by the options.
    QAction* onTop = action("AlwaysOnTop");
    const bool wasOnTop = onTop->isChecked();
    {
        const QSignalBlocker blocker(onTop);
        applyStyleSettings();
        onTop->setChecked(wasOnTop);
    }
    applyGeneralSettings();
    // A fresh table: with no entry marked, entry 0 is the default again.
    m_editorTable = EditorTable();
    m_editorTable.load(IniFilePath());
    if (auto* editors = findChild<EditorCommands*>())
        editors->LoadEditorSettings();
    m_floating->SetFontColorAll();
}
