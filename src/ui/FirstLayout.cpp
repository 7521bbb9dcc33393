#include "ui/FirstLayout.h"

#include "app/Settings.h"
#include "app/Twips.h"

#include <algorithm>
#include <cmath>

namespace FirstLayout {

namespace {

// Rows the lists show at least, and the room a list's frame and a
// splitter's handle take.
constexpr int kCategoryRows = 8;
constexpr int kMemoRows = 6;
constexpr int kListFrame = 6;
constexpr int kHandle = 8;
// Characters of memo title the memo list shows at least, and of text the
// editing pane beside it is wide.
constexpr int kTitleChars = 20;
constexpr int kEditorChars = 60;
// Room the window manager's frame takes around the window.
constexpr QSize kDecoration(8, 40);

} // namespace

double classicFontHeight(double dpi)
{
    // 9 points, a line as high as the font is tall (12 pixels at 96 dpi).
    return 9.0 * dpi / 72.0;
}

namespace {

double scaleFor(double dpi, int fontHeight)
{
    return std::max(1.0, fontHeight / classicFontHeight(dpi));
}

// Within the screen's free area, when it is known.
QSize within(QSize size, QSize available)
{
    if (!available.isValid())
        return size;
    return size.boundedTo(available - kDecoration);
}

} // namespace

double scale(const Measures& measures)
{
    return scaleFor(measures.dpi, measures.fontHeight);
}

QSize floatingSize(double dpi, int fontHeight, int toolBarWidth, QSize available)
{
    using namespace Settings::FloatingWindow;
    const double factor = scaleFor(dpi, fontHeight);
    const QSize size(std::max(Twips::toPixels(Width.fallback * factor, dpi), toolBarWidth + kListFrame),
                     Twips::toPixels(Height.fallback * factor, dpi));
    return within(size, available);
}

Sizes sizes(const Measures& m)
{
    using namespace Settings::FormPosition;
    const double factor = scale(m);
    const auto scaled = [&](const NumberSetting& setting) {
        return Twips::toPixels(setting.fallback * factor, m.dpi);
    };
    const int scrollBar = m.scrollBarWidth + kListFrame;

    Sizes s;
    s.sepalatorX = std::max(scaled(SepalatorXPos),
                            m.memoFixedColumns + kTitleChars * m.averageCharWidth + scrollBar);
    s.panel1Height = std::max(scaled(Panel1Height), m.listHeaderHeight + kCategoryRows * m.catRowHeight + kListFrame);
    s.width = std::max({scaled(Width), m.menuBarWidth, m.toolBarWidth,
                        s.sepalatorX + kHandle + kEditorChars * m.averageCharWidth});
    const int memoList = m.listHeaderHeight + kMemoRows * m.memoRowHeight + kListFrame + scrollBar;
    s.height = std::max(scaled(Height), m.menuBarHeight + m.panelsTop + s.panel1Height + kHandle + memoList);

    // Within the screen, the left panes keeping the larger share.
    // Within the screen; a window cut down keeps room beside the left panes.
    const QSize bounded = within(QSize(s.width, s.height), m.available);
    if (bounded.width() < s.width)
        s.sepalatorX = std::min(s.sepalatorX, bounded.width() * 3 / 5);
    s.width = bounded.width();
    s.height = bounded.height();
    return s;
}

} // namespace FirstLayout
