#include "tags/MemoListIcons.h"

#include <QApplication>
#include <QIconEngine>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>
#include <array>
#include <cmath>

namespace {

using namespace MemoListIcons;

// Fill and outline of one image. Every shape gets a darker outline of its own
// colour so that it reads on white rows and on the blue of a selected row.
struct Colours
{
    QColor fill;
    QColor outline;
};

// Flags 3 to 12: red, blue, light blue, yellow, dark green, yellow-green,
// purple, brown, gray, white.
constexpr std::array<std::array<QRgb, 2>, LastFlag - FirstFlag + 1> FlagColours{{
    {0xffe5261f, 0xff8e0e0a},
    {0xff2360d8, 0xff0c2e7a},
    {0xff3cc8f0, 0xff0a6d8c},
    {0xffffd41f, 0xff8a6800},
    {0xff1f7a2e, 0xff0b3d14},
    {0xff9fd034, 0xff4d6b10},
    {0xff8e3cc0, 0xff46155f},
    {0xff8f5a2a, 0xff4a2a0e},
    {0xff9b9b9b, 0xff4f4f4f},
    {0xffffffff, 0xff5c5c5c},
}};

Colours flagColours(int number)
{
    const auto& rgb = FlagColours[number - FirstFlag];
    return {QColor(rgb[0]), QColor(rgb[1])};
}

// The drawings work in a 12 x 12 unit square. Lines one unit wide sit on half
// units so that they cover whole pixels at 1x and 2x.

void drawPadlock(QPainter& painter)
{
    const QColor outline(0x7a, 0x55, 0x00);

    // Shackle: a dark band with a lighter core.
    QPainterPath shackle;
    shackle.moveTo(3.5, 6.0);
    shackle.lineTo(3.5, 4.0);
    shackle.arcTo(QRectF(3.5, 1.5, 5.0, 5.0), 180.0, -180.0);
    shackle.lineTo(8.5, 6.0);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(outline, 3.0, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    painter.drawPath(shackle);
    painter.setPen(QPen(QColor(0xf5, 0xd0, 0x40), 1.0, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    painter.drawPath(shackle);

    // Body with a light top and a deeper yellow bottom.
    QLinearGradient body(0.0, 5.5, 0.0, 11.5);
    body.setColorAt(0.0, QColor(0xff, 0xe8, 0x60));
    body.setColorAt(1.0, QColor(0xf0, 0xb0, 0x00));
    painter.setBrush(body);
    painter.setPen(QPen(outline, 1.0));
    painter.drawRoundedRect(QRectF(1.5, 5.5, 9.0, 6.0), 1.0, 1.0);

    // Keyhole.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x5a, 0x3d, 0x00));
    painter.drawEllipse(QPointF(6.0, 8.0), 1.0, 1.0);
    painter.drawRect(QRectF(5.5, 8.0, 1.0, 2.0));
}

void drawExclamation(QPainter& painter)
{
    // The red of the red flag.
    const Colours red = flagColours(FirstFlag);
    painter.setPen(QPen(red.outline, 1.0, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    painter.setBrush(red.fill);
    // A bar that narrows downwards, a gap of one unit, then the dot.
    QPainterPath bar;
    bar.moveTo(3.5, 2.0);
    bar.quadTo(3.5, 0.5, 5.0, 0.5);
    bar.lineTo(7.0, 0.5);
    bar.quadTo(8.5, 0.5, 8.5, 2.0);
    bar.lineTo(7.5, 6.5);
    bar.lineTo(4.5, 6.5);
    bar.closeSubpath();
    painter.drawPath(bar);
    painter.drawRoundedRect(QRectF(4.5, 8.5, 3.0, 3.0), 1.0, 1.0);
}

// `waving` draws the banner with a wave; at small sizes the banner is square
// so that its edges stay on whole pixels instead of blurring.
void drawFlag(QPainter& painter, const Colours& colours, bool waving)
{
    // The banner starts in the middle of the pole, so its left outline is
    // hidden by the pole.
    QPainterPath banner;
    if (waving) {
        banner.moveTo(1.5, 1.5);
        banner.cubicTo(4.5, 0.0, 7.0, 3.0, 10.5, 1.5);
        banner.lineTo(10.5, 7.5);
        banner.cubicTo(7.0, 9.0, 4.5, 6.0, 1.5, 7.5);
        banner.closeSubpath();
    } else {
        banner.addRect(QRectF(1.5, 1.5, 9.0, 6.0));
    }
    painter.setPen(QPen(colours.outline, 1.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter.setBrush(colours.fill);
    painter.drawPath(banner);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x44, 0x44, 0x44));
    painter.drawRect(QRectF(1.0, 0.0, 1.0, 12.0));
}

// `pixelsPerUnit` is how many device pixels one drawing unit covers.
void drawImage(QPainter& painter, int number, qreal pixelsPerUnit)
{
    if (number == Padlock)
        drawPadlock(painter);
    else if (number == Exclamation)
        drawExclamation(painter);
    else if (number >= FirstFlag && number <= LastFlag)
        drawFlag(painter, flagColours(number), pixelsPerUnit >= 1.5);
    // Empty draws nothing.
}

// Draws `number` into `target`, a square in the painter's logical coordinates.
void drawScaled(QPainter& painter, const QRectF& target, int number)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(target.topLeft());
    painter.scale(target.width() / ImageSize, target.height() / ImageSize);
    drawImage(painter, number, std::sqrt(std::abs(painter.deviceTransform().determinant())));
    painter.restore();
}

// Draws one image as vectors at whatever size and device pixel ratio it is
// asked for, so that it stays sharp on high-DPI screens.
class MemoIconEngine final : public QIconEngine
{
public:
    explicit MemoIconEngine(int number) : m_number(number) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const QSize side = actualSize(rect.size(), mode, state);
        if (side.isEmpty())
            return;
        const QRect square(rect.topLeft() +
                               QPoint((rect.width() - side.width()) / 2, (rect.height() - side.height()) / 2),
                           side);
        if (mode == QIcon::Disabled) {
            // The style's greyed version of the sharp drawing.
            const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
            painter->drawPixmap(square, render(side * ratio, ratio, mode));
            return;
        }
        drawScaled(*painter, square, m_number);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return render(actualSize(size, mode, state), 1.0, mode);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        // Qt before 6.8 asks with the size in device pixels, later versions
        // with the size in logical pixels.
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
        return render(actualSize(size, mode, state) * scale, scale, mode);
#else
        return render(actualSize(size, mode, state), scale, mode);
#endif
    }

    // Scalable: any square that fits.
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const int side = std::max(0, std::min(size.width(), size.height()));
        return {side, side};
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {QSize(ImageSize, ImageSize)};
    }
    QString key() const override
    {
        return QStringLiteral("QuilletMemoListIcon");
    }
    QIconEngine* clone() const override
    {
        return new MemoIconEngine(m_number);
    }

private:
    // The image drawn on `deviceSize` pixels, tagged with `scale` as its
    // device pixel ratio.
    QPixmap render(const QSize& deviceSize, qreal scale, QIcon::Mode mode) const
    {
        QImage image(deviceSize, QImage::Format_ARGB32_Premultiplied);
        if (image.isNull())
            return {};
        image.fill(Qt::transparent);
        image.setDevicePixelRatio(scale);
        {
            QPainter painter(&image);
            drawScaled(painter, QRectF(QPointF(0, 0), QSizeF(deviceSize) / scale), m_number);
        }
        QPixmap drawn = QPixmap::fromImage(std::move(image));
        if (mode == QIcon::Disabled && qobject_cast<QApplication*>(QCoreApplication::instance())) {
            QStyleOption option;
            option.palette = QApplication::palette();
            drawn = QApplication::style()->generatedIconPixmap(QIcon::Disabled, drawn, &option);
            drawn.setDevicePixelRatio(scale);
        }
        return drawn;
    }

    int m_number;
};

} // namespace

QIcon MemoListIcons::icon(int number)
{
    if (number < 1 || number > Count)
        return {};
    static const std::array<QIcon, Count> icons = [] {
        std::array<QIcon, Count> built;
        for (int i = 0; i < Count; ++i)
            built[i] = QIcon(new MemoIconEngine(i + 1));
        return built;
    }();
    return icons[number - 1];
}
