#include "QtPrinters.h"
#include "app/Twips.h"
#include "ui/frmProgress.h"

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <climits>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QRgb kBlue = qRgb(0, 0, 255);

class ProgressTest : public ::testing::Test
{
public:            // also used by the cancel table's lambdas
    QWidget owner; // a main window to place over; outlives the progress window
    std::unique_ptr<frmProgress> window;

    void open(QWidget* parent = nullptr)
    {
        window = std::make_unique<frmProgress>(parent);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    QFrame* bar(int number) const
    {
        return window->findChild<QFrame*>(QStringLiteral("picProgressBar%1").arg(number));
    }
    QPushButton* cancelButton() const { return window->findChild<QPushButton*>(QStringLiteral("cmdCancel")); }

    // Both bars shown and laid out inside the window.
    void showBars()
    {
        window->SetProgressBar(true, true);
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return bar(2)->isVisible() && bar(2)->contentsRect().width() > 100 &&
                   window->rect().contains(bar(2)->geometry());
        }));
    }
};

// Pure blue pixels along the middle row of a bar as it draws itself.
int filledPixels(QFrame* bar)
{
    const QImage image = bar->grab().toImage();
    const int y = bar->contentsRect().center().y();
    int count = 0;
    for (int x = 0; x < image.width(); ++x)
        count += image.pixel(x, y) == kBlue;
    return count;
}

// Pure blue pixels along the middle row of a bar as last painted on screen.
int shownPixels(QFrame* bar)
{
    QWidget* window = bar->window();
    const QRect area(bar->mapTo(window, QPoint(0, 0)), bar->size());
    const QImage image = window->screen()->grabWindow(window->winId()).toImage().copy(area);
    const int y = bar->contentsRect().center().y();
    int count = 0;
    for (int x = 0; x < image.width(); ++x)
        count += image.pixel(x, y) == kBlue;
    return count;
}

// Pure blue pixels down the first column of a bar's inside.
int filledRows(QFrame* bar)
{
    const QImage image = bar->grab().toImage();
    const int x = bar->contentsRect().left();
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        count += image.pixel(x, y) == kBlue;
    return count;
}

TEST_F(ProgressTest, StartsWithProductTitleHiddenBarsAndShowsTextsAsGiven)
{
    open();
    EXPECT_EQ(window->objectName(), QStringLiteral("frmProgress"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Quillet"));
    auto* explain = window->findChild<QLabel*>(QStringLiteral("lblExplain"));
    ASSERT_TRUE(explain);
    EXPECT_EQ(explain->text(), QString());
    ASSERT_TRUE(cancelButton());
    EXPECT_EQ(cancelButton()->text(), QStringLiteral("キャンセル"));
    EXPECT_EQ(cancelButton()->accessibleName(), QStringLiteral("キャンセル"));
    ASSERT_TRUE(bar(1));
    ASSERT_TRUE(bar(2));
    EXPECT_EQ(bar(1)->accessibleName(), QStringLiteral("進行状況バー1"));
    EXPECT_EQ(bar(2)->accessibleName(), QStringLiteral("進行状況バー2"));
    EXPECT_FALSE(bar(1)->isVisible());
    EXPECT_FALSE(bar(2)->isVisible());
    EXPECT_FALSE(window->IsCancel());

    // Texts quoting memo titles are shown exactly, markup included.
    const QString title = QStringLiteral("データベースの統合");
    const QString text = QStringLiteral("<b>家計</b> & 1 < 2 を統合しています");
    window->SetTitle(title);
    window->SetExplain(text);
    EXPECT_EQ(window->windowTitle(), title);
    EXPECT_EQ(explain->text(), text);
    EXPECT_EQ(explain->textFormat(), Qt::PlainText);

    // A false argument leaves a bar as it is.
    window->SetProgressBar(true, false);
    EXPECT_TRUE(bar(1)->isVisible());
    EXPECT_FALSE(bar(2)->isVisible());
    window->SetProgressBar(false, true);
    EXPECT_TRUE(bar(1)->isVisible());
    EXPECT_TRUE(bar(2)->isVisible());
    window->SetProgressBar(false, false);
    EXPECT_TRUE(bar(1)->isVisible());
    EXPECT_TRUE(bar(2)->isVisible());

    // The window grows to hold the bars shown and a long explanation.
    window->SetExplain(text.repeated(8));
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return window->rect().contains(bar(2)->geometry()) &&
               window->rect().contains(cancelButton()->geometry()) &&
               explain->geometry().bottom() < bar(1)->geometry().top();
    }));
}

TEST_F(ProgressTest, BarsFillInBlueInProportionToTheirMaximum)
{
    open();
    showBars();
    struct Case
    {
        int maximum;
        int value;
        double filled; // share of the bar's inside
    };
    const Case cases[] = {
        {10, 5, 0.5},
        {10, 10, 1.0},
        {10, 0, 0.0},
        {3, 1, 1.0 / 3},
        {0, 5, 0.0}, // no steps: empty whatever the value
        {0, 0, 0.0},
        {10, 15, 1.0}, // past the end: full, not beyond
        {10, -3, 0.0},
        {2000000000, 1000000000, 0.5}, // no overflow on large counts
        {INT_MAX, INT_MAX, 1.0},
    };
    QFrame* area = bar(1);
    const int width = area->contentsRect().width();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "maximum " << c.maximum << ", value " << c.value);
        window->SetProgressMax(1, c.maximum);
        window->SetProgress(1, c.value);
        EXPECT_EQ(filledPixels(area), int(std::lround(width * c.filled)));
        EXPECT_EQ(filledPixels(bar(2)), 0); // the other bar is untouched
    }

    // The fill covers the bar's full height of 345 twips.
    window->SetProgressMax(2, 4);
    window->SetProgress(2, 3);
    EXPECT_EQ(filledPixels(bar(2)), int(std::lround(bar(2)->contentsRect().width() * 0.75)));
    EXPECT_EQ(filledRows(bar(2)), Twips::toPixels(345, window->logicalDpiY()));
    EXPECT_EQ(bar(2)->contentsRect().height(), Twips::toPixels(345, window->logicalDpiY()));
}

TEST_F(ProgressTest, ClearEmptiesTheBarAndKeepsItsMaximum)
{
    open();
    showBars();
    const int width = bar(1)->contentsRect().width();
    window->SetProgressMax(1, 10);
    window->SetProgress(1, 10);
    ASSERT_EQ(filledPixels(bar(1)), width);

    window->SetProgressClear(1);
    EXPECT_EQ(filledPixels(bar(1)), 0);
    // Still empty once the window repaints for another reason.
    window->repaint();
    EXPECT_EQ(filledPixels(bar(1)), 0);

    window->SetProgress(1, 5);
    EXPECT_EQ(filledPixels(bar(1)), int(std::lround(width * 0.5)));
}

TEST_F(ProgressTest, OtherBarNumbersAreIgnoredByEveryOperation)
{
    open();
    showBars();
    window->SetProgressMax(1, 4);
    window->SetProgress(1, 2);
    const int half = filledPixels(bar(1));
    ASSERT_GT(half, 0);

    for (int number : {0, 3, -1, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(number);
        window->SetProgressMax(number, 1);
        window->SetProgress(number, 1);
        window->SetProgressClear(number);
        EXPECT_EQ(filledPixels(bar(1)), half);
        EXPECT_EQ(filledPixels(bar(2)), 0);
    }
    window->SetProgress(1, 4);
    EXPECT_EQ(filledPixels(bar(1)), bar(1)->contentsRect().width());
}

TEST_F(ProgressTest, CancelByButtonEscapeOrCloseBoxIsTakenOnce)
{
    struct Way
    {
        const char* name;
        std::function<void(ProgressTest&)> cancel;
    };
    const Way ways[] = {
        {"button", [](ProgressTest& t) { QTest::mouseClick(t.cancelButton(), Qt::LeftButton); }},
        {"Escape", [](ProgressTest& t) { QTest::keyClick(t.window.get(), Qt::Key_Escape); }},
        // What the window system sends for the close box.
        {"close box",
         [](ProgressTest& t) {
             QCloseEvent close;
             QCoreApplication::sendEvent(t.window->windowHandle(), &close);
         }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        open();
        ASSERT_FALSE(window->IsCancel());
        way.cancel(*this);
        EXPECT_TRUE(window->IsCancel());
        EXPECT_FALSE(cancelButton()->isEnabled());
        // A second press changes nothing.
        QTest::mouseClick(cancelButton(), Qt::LeftButton);
        EXPECT_TRUE(window->IsCancel());
    }
}

TEST_F(ProgressTest, ClosingByTheOperationIsNotACancel)
{
    open();
    window->SetProgressMax(1, 2);
    window->SetProgress(1, 2);
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->IsCancel());
}

TEST_F(ProgressTest, CancelDuringTheFirstStepIsSeenWhenItReturns)
{
    open();
    window->SetProgressBar(true, false);
    window->SetProgressMax(1, 100);
    QTimer::singleShot(0, window.get(), [&] { QTest::mouseClick(cancelButton(), Qt::LeftButton); });
    window->SetProgress(1, 1);
    EXPECT_TRUE(window->IsCancel());
}

TEST_F(ProgressTest, CancelDuringTheLastStepIsSeenWhenItReturns)
{
    open();
    window->SetProgressMax(1, 3);
    window->SetProgress(1, 1);
    window->SetProgress(1, 2);
    // Pressed while the last item is in hand, within the quiet interval.
    QTimer::singleShot(0, window.get(), [&] { QTest::mouseClick(cancelButton(), Qt::LeftButton); });
    EXPECT_FALSE(window->IsCancel());
    window->SetProgress(1, 3);
    EXPECT_TRUE(window->IsCancel());
}

TEST_F(ProgressTest, EventsRunOnFirstAndLastStepAndSeldomBetween)
{
    open();
    showBars();
    const int steps = 10000;
    window->SetProgressMax(1, steps);

    // Counts how often pending events run: a zero timer fires once per pass.
    int passes = 0;
    QTimer counter;
    counter.setInterval(0);
    QObject::connect(&counter, &QTimer::timeout, [&] { ++passes; });
    counter.start();

    QElapsedTimer elapsed;
    elapsed.start();
    window->SetProgress(1, 1);
    EXPECT_GE(passes, 1) << "events run on the first step";
    for (int value = 2; value < steps; ++value)
        window->SetProgress(1, value);
    const int before = passes;
    window->SetProgress(1, steps);
    EXPECT_GT(passes, before) << "events run on the last step";
    // At most one pass per 30 ms (plus the first and last), with room for a
    // timer that fires more than once in a pass.
    const qint64 allowed = 3 * (elapsed.elapsed() / 30 + 2);
    EXPECT_LE(passes, allowed) << "in " << elapsed.elapsed() << " ms";

    // The full bar is on screen after the last step, without further events.
    counter.stop();
    EXPECT_EQ(shownPixels(bar(1)), bar(1)->contentsRect().width());
}

TEST_F(ProgressTest, ToolWindowCentredOverItsParentAndStaysSo)
{
    owner.setGeometry(120, 90, 640, 460);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    open(&owner);

    EXPECT_TRUE(window->isWindow());
    EXPECT_EQ(window->windowType(), Qt::Tool);
    EXPECT_EQ(window->parentWidget(), &owner);
    // The caller goes on (it is shown, not run), but the other windows take no
    // input while an operation runs.
    EXPECT_EQ(window->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(window->width(), 400);

    auto centred = [&] {
        const QPoint offset = window->frameGeometry().center() - owner.frameGeometry().center();
        return std::abs(offset.x()) <= 1 && std::abs(offset.y()) <= 1;
    };
    EXPECT_TRUE(QTest::qWaitFor(centred))
        << window->frameGeometry().center().x() << "," << window->frameGeometry().center().y();
    // Growing for the bars keeps it over the parent's centre.
    const int height = window->height();
    showBars();
    EXPECT_GT(window->height(), height);
    EXPECT_TRUE(QTest::qWaitFor(centred))
        << window->frameGeometry().center().x() << "," << window->frameGeometry().center().y();
}

} // namespace
