#include "ui/frmProgress.h"

#include "app/AppPaths.h"
#include "app/Twips.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kWindowWidth = 400;
// Height of the filled part of a bar.
constexpr double kBarHeightTwips = 345;
// Pure blue (0xFF0000 in the blue-green-red order of stored colours).
const QColor kBarColour(0, 0, 255);
// An operation may report thousands of steps a second; pending events run at
// most this often so that they do not dominate the work.
constexpr qint64 kEventIntervalMs = 30;

// Pixels filled for `value` steps of `maximum` across `width` pixels: value ×
// step width, none when the maximum is 0 (or below), never past either end.
int filledWidth(int value, int maximum, int width)
{
    if (maximum <= 0 || value <= 0)
        return 0;
    const double stepWidth = double(width) / maximum;
    return int(std::min<double>(width, std::lround(value * stepWidth)));
}

} // namespace

ProgressFactory frmProgress::factory(QWidget* parent)
{
    return [parent]() -> std::unique_ptr<Progress> {
        auto window = std::make_unique<frmProgress>(parent);
        window->show();
        return window;
    };
}

frmProgress::frmProgress(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmProgress"));
    setWindowTitle(QLatin1String(AppPaths::ProductName));
    // The operation does not wait for the window, but while it runs the other
    // windows take no input: their commands must not start in the middle of it.
    setWindowModality(Qt::ApplicationModal);

    auto* layout = new QVBoxLayout(this);

    m_explain = new QLabel(this);
    m_explain->setObjectName(QStringLiteral("lblExplain"));
    // Explanations often quote memo titles and file names: shown as typed.
    m_explain->setTextFormat(Qt::PlainText);
    m_explain->setWordWrap(true);
    layout->addWidget(m_explain);

    const int barHeight = Twips::toPixels(kBarHeightTwips, logicalDpiY());
    for (int i = 0; i < 2; ++i) {
        auto* area = new QFrame(this);
        area->setObjectName(QStringLiteral("picProgressBar%1").arg(i + 1));
        area->setAccessibleName(QStringLiteral("進行状況バー%1").arg(i + 1));
        area->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        area->setFixedHeight(barHeight + 2 * area->frameWidth());
        // The fill is painted from here, under the frame the QFrame draws.
        area->installEventFilter(this);
        area->hide();
        layout->addWidget(area);
        m_bars[i].area = area;
    }

    m_cmdCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    m_cmdCancel->setAccessibleName(QStringLiteral("キャンセル"));
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmProgress::requestCancel);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdCancel);
    layout->addLayout(buttons);

    setFixedWidth(kWindowWidth);
    fitHeight();
}

frmProgress::Bar* frmProgress::bar(int number)
{
    return number == 1 || number == 2 ? &m_bars[number - 1] : nullptr;
}

void frmProgress::SetProgressBar(bool showBar1, bool showBar2)
{
    if (showBar1)
        m_bars[0].area->show();
    if (showBar2)
        m_bars[1].area->show();
    fitHeight();
}

void frmProgress::SetTitle(const QString& title)
{
    setWindowTitle(title);
}

void frmProgress::SetExplain(const QString& text)
{
    m_explain->setText(text);
    fitHeight();
}

void frmProgress::SetProgressMax(int number, int maximum)
{
    if (Bar* b = bar(number)) {
        b->maximum = maximum;
        b->area->update();
    }
}

void frmProgress::SetProgress(int number, int value)
{
    Bar* b = bar(number);
    if (!b)
        return;
    if (b->value != value) {
        b->value = value;
        b->area->update(); // drawn when events next run
    }
    // Events always run on the first step (so that the window appears and an
    // early cancel is seen) and on the last (so that the full bar is shown).
    const bool last = b->maximum > 0 && value >= b->maximum;
    if (!m_sinceEvents.isValid() || last || m_sinceEvents.elapsed() >= kEventIntervalMs) {
        beforeEvents();
        QCoreApplication::processEvents();
        m_sinceEvents.start();
    }
}

void frmProgress::SetProgressClear(int number)
{
    if (Bar* b = bar(number)) {
        b->value = 0;
        b->area->update();
    }
}

bool frmProgress::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint) {
        for (const Bar& b : m_bars) {
            if (watched == b.area)
                paintBar(b);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmProgress::paintBar(const Bar& b)
{
    const QRect inside = b.area->contentsRect();
    const int filled = filledWidth(b.value, b.maximum, inside.width());
    if (filled <= 0)
        return; // empty: the window background shows through
    QPainter painter(b.area);
    painter.fillRect(QRect(inside.left(), inside.top(), filled, inside.height()), kBarColour);
}

void frmProgress::requestCancel()
{
    if (m_cancel)
        return;
    m_cancel = true;
    // Disabled at once so that the user sees the press was taken and a second
    // press does nothing; the operation stops after the item in hand.
    m_cmdCancel->setEnabled(false);
    m_cmdCancel->repaint();
}

void frmProgress::fitHeight()
{
    const int oldHeight = height();
    const int newHeight = hasHeightForWidth() ? heightForWidth(kWindowWidth) : sizeHint().height();
    if (newHeight == oldHeight && minimumHeight() == newHeight)
        return;
    setFixedHeight(newHeight);
    // A shown window grows about its centre so that it stays over its parent.
    if (isVisible())
        move(x(), y() - (newHeight - oldHeight) / 2);
}

void frmProgress::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_placed || event->spontaneous())
        return;
    m_placed = true;
    QRect area;
    QScreen* screen = this->screen();
    if (QWidget* owner = parentWidget()) {
        area = owner->window()->frameGeometry();
        screen = owner->window()->screen();
    } else if (screen) {
        area = screen->availableGeometry();
    }
    if (area.isEmpty())
        return;
    QRect placed = frameGeometry();
    placed.moveCenter(area.center());
    // Keep the whole window on the screen even when the parent is partly off it.
    if (screen) {
        const QRect available = screen->availableGeometry();
        placed.moveLeft(std::clamp(placed.left(), available.left(),
                                   std::max(available.left(), available.right() - placed.width() + 1)));
        placed.moveTop(std::clamp(placed.top(), available.top(),
                                  std::max(available.top(), available.bottom() - placed.height() + 1)));
    }
    move(placed.topLeft());
}

void frmProgress::closeEvent(QCloseEvent* event)
{
    // The close box counts as cancel; the operation closing the window itself
    // when it ends does not.
    if (event->spontaneous())
        requestCancel();
    QWidget::closeEvent(event);
}

void frmProgress::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        requestCancel();
        return;
    }
    QWidget::keyPressEvent(event);
}
