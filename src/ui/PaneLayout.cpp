#include "ui/PaneLayout.h"

#include <QSplitter>
#include <QVBoxLayout>

namespace {

QSplitter* makeSplitter(Qt::Orientation orientation, QWidget* parent)
{
    auto* splitter = new QSplitter(orientation, parent);
    splitter->setChildrenCollapsible(false);
    splitter->setHandleWidth(5);
    return splitter;
}

// The splitter bars carry the main window's bar names so that tests and
// screen readers find them.
struct BarName
{
    const char* name;
    const char* accessible;
};
const BarName kSepalator{"Sepalator", "左右の区切り"};
const BarName kSepalator2{"Sepalator2", "上下の区切り"};
const BarName kSepalator3{"Sepalator3", "メモリストと編集欄の区切り"};

void nameHandles(QSplitter* splitter, std::initializer_list<BarName> names)
{
    int index = 1;
    for (const BarName& bar : names) {
        if (index < splitter->count()) {
            splitter->handle(index)->setObjectName(QString::fromLatin1(bar.name));
            splitter->handle(index)->setAccessibleName(QString::fromUtf8(bar.accessible));
        }
        ++index;
    }
}

// Below this width a pane counts as not placed yet.
constexpr int kMinimumPane = 40;

int splitterExtent(QSplitter* splitter)
{
    return splitter->orientation() == Qt::Horizontal ? splitter->width() : splitter->height();
}

} // namespace

PaneLayout::PaneLayout(QWidget* host, QWidget* panel1, QWidget* panel2, QWidget* panel3)
    : QObject(host), m_host(host), m_panels{panel1, panel2, panel3}
{
    auto* layout = new QVBoxLayout(host);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void PaneLayout::setWindowType(int type)
{
    if (type < 0 || type > 2)
        type = 0;
    if (type == m_type)
        return;
    // Keep the bar positions across the change of arrangement.
    const bool hadLayout = m_outer != nullptr;
    const int x = hadLayout ? sepalatorX() : -1;
    const int y = hadLayout ? sepalator2Y() : -1;
    m_type = type;
    rebuild();
    if (hadLayout) {
        moveSepalator(x);
        if (y > 0)
            moveSepalator2(y);
    }
}

void PaneLayout::rebuild()
{
    for (QWidget* panel : m_panels)
        panel->setParent(m_host);
    delete m_inner;
    delete m_outer;

    m_outer = makeSplitter(Qt::Horizontal, m_host);
    switch (m_type) {
    case 0:
        m_inner = makeSplitter(Qt::Vertical, m_outer);
        m_inner->addWidget(m_panels[0]);
        m_inner->addWidget(m_panels[1]);
        m_inner->setStretchFactor(0, 0);
        m_inner->setStretchFactor(1, 1);
        m_outer->addWidget(m_inner);
        m_outer->addWidget(m_panels[2]);
        break;
    case 1:
        m_outer->addWidget(m_panels[0]);
        m_inner = makeSplitter(Qt::Vertical, m_outer);
        m_inner->addWidget(m_panels[1]);
        m_inner->addWidget(m_panels[2]);
        m_inner->setStretchFactor(0, 0);
        m_inner->setStretchFactor(1, 1);
        m_outer->addWidget(m_inner);
        break;
    default:
        m_inner = nullptr;
        m_outer->addWidget(m_panels[0]);
        m_outer->addWidget(m_panels[1]);
        m_outer->addWidget(m_panels[2]);
        m_outer->setStretchFactor(1, 0);
        break;
    }
    m_outer->setStretchFactor(0, 0);
    m_outer->setStretchFactor(m_outer->count() - 1, 1);
    nameHandles(m_outer, {kSepalator, kSepalator3});
    if (m_inner)
        nameHandles(m_inner, {kSepalator2});
    for (QWidget* panel : m_panels)
        panel->show();
    m_host->layout()->addWidget(m_outer);

    connect(m_outer, &QSplitter::splitterMoved, this, [this](int, int index) {
        if (index == 1)
            Q_EMIT sepalatorMoved();
        else
            Q_EMIT sepalator3Moved();
    });
    if (m_inner)
        connect(m_inner, &QSplitter::splitterMoved, this, [this] { Q_EMIT sepalator2Moved(); });
}

void PaneLayout::setFirstSize(QSplitter* splitter, int first)
{
    QList<int> sizes = splitter->sizes();
    int total = 0;
    for (int size : sizes)
        total += size;
    if (total <= 0) // not laid out yet: the window's width is the best guess
        total = std::max(splitterExtent(splitter), splitter->window()->width());
    first = std::max(first, 1);
    const int rest = std::max(total - first, 1);
    if (sizes.size() == 2) {
        sizes = {first, rest};
    } else if (sizes.size() == 3) {
        // Moving the first bar keeps the middle pane's size where it fits; a
        // middle pane that has no size yet gets half of the room.
        const int middle = sizes[1] >= kMinimumPane ? std::min(sizes[1], rest) : rest / 2;
        sizes = {first, middle, std::max(rest - middle, 1)};
    }
    splitter->setSizes(sizes);
}

int PaneLayout::sepalatorX() const
{
    return m_outer->sizes().value(0);
}

void PaneLayout::moveSepalator(int x)
{
    setFirstSize(m_outer, x);
    Q_EMIT sepalatorMoved();
}

int PaneLayout::sepalator2Y() const
{
    return m_inner ? m_inner->sizes().value(0) : m_sepalator2Y;
}

void PaneLayout::moveSepalator2(int y)
{
    // Kept also while the wide type hides the bar, so that the bar returns
    // there and closing in the wide type stores it.
    m_sepalator2Y = y;
    if (!m_inner)
        return;
    setFirstSize(m_inner, y);
    Q_EMIT sepalator2Moved();
}

int PaneLayout::sepalator3X() const
{
    if (m_type != 2)
        return -1;
    const QList<int> sizes = m_outer->sizes();
    return sizes.value(0) + m_outer->handleWidth() + sizes.value(1);
}

void PaneLayout::moveSepalator3(int x)
{
    if (m_type != 2)
        return;
    QList<int> sizes = m_outer->sizes();
    const int total = sizes.value(0) + sizes.value(1) + sizes.value(2);
    const int middle =
        std::clamp(x - sizes[0] - m_outer->handleWidth(), 1, std::max(total - sizes[0] - 1, 1));
    sizes = {sizes[0], middle, std::max(total - sizes[0] - middle, 1)};
    m_outer->setSizes(sizes);
    Q_EMIT sepalator3Moved();
}
