#include "tags/MemoListIcons.h"

#include <QColor>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

using namespace MemoListIcons;

QImage imageOf(int number, qreal devicePixelRatio = 1.0)
{
    return icon(number)
        .pixmap(QSize(ImageSize, ImageSize), devicePixelRatio)
        .toImage()
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

int countPixels(const QImage& image, int alpha)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) == alpha;
    return count;
}

// Neighbouring pixels (premultiplied, so transparency counts) that differ by
// more than 160 in some channel: hard edges. Smoothing an image up to twice its
// size splits every hard edge into softer steps, so a blurred upscale has far
// fewer of them than a drawing made at full resolution.
int hardEdges(const QImage& image)
{
    auto differ = [](QRgb a, QRgb b) {
        return std::abs(qAlpha(a) - qAlpha(b)) > 160 || std::abs(qRed(a) - qRed(b)) > 160 ||
               std::abs(qGreen(a) - qGreen(b)) > 160 || std::abs(qBlue(a) - qBlue(b)) > 160;
    };
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (x + 1 < image.width())
                count += differ(image.pixel(x, y), image.pixel(x + 1, y));
            if (y + 1 < image.height())
                count += differ(image.pixel(x, y), image.pixel(x, y + 1));
        }
    return count;
}

// The most common fully opaque colour in the right part of the image, where
// every flag's banner flies (the pole stands at the left edge).
QColor bannerColour(int number)
{
    const QImage image = imageOf(number);
    QHash<QRgb, int> counts;
    for (int y = 0; y < ImageSize; ++y)
        for (int x = 3; x < ImageSize; ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) == 255)
                ++counts[pixel];
        }
    QRgb best = 0;
    int bestCount = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > bestCount) {
            best = it.key();
            bestCount = it.value();
        }
    return QColor::fromRgb(best);
}

TEST(MemoListIconsTest, EveryNumberDrawsItsImageAndTheLastIsEmpty)
{
    for (int number = 1; number <= Count; ++number) {
        SCOPED_TRACE(number);
        const QIcon image = icon(number);
        ASSERT_FALSE(image.isNull());
        const QImage drawn = imageOf(number);
        ASSERT_EQ(drawn.size(), QSize(ImageSize, ImageSize));
        const int transparent = countPixels(drawn, 0);
        if (number == Empty) {
            EXPECT_EQ(transparent, ImageSize * ImageSize);
        } else {
            // A shape, not a filled square: solid pixels and a transparent surround.
            EXPECT_GE(countPixels(drawn, 255), 12);
            EXPECT_GE(transparent, 12);
        }
        // The icons are built once and shared.
        EXPECT_EQ(icon(number).cacheKey(), image.cacheKey());
    }
}

TEST(MemoListIconsTest, NumbersOutsideTheListGiveNullIcons)
{
    for (int number : {0, 14, -1, 100})
        EXPECT_TRUE(icon(number).isNull()) << number;
}

TEST(MemoListIconsTest, EachFlagFliesItsNamedColour)
{
    struct Expected
    {
        const char* name;
        int hueFrom, hueTo; // degrees, -1 for a colour without hue
        double minSaturation, maxSaturation, minValue, maxValue;
    };
    const Expected expected[] = {
        {"red", 350, 10, 0.6, 1, 0.65, 1},           {"blue", 205, 240, 0.6, 1, 0.5, 1},
        {"light blue", 180, 200, 0.5, 1, 0.75, 1},   {"yellow", 45, 60, 0.6, 1, 0.85, 1},
        {"dark green", 100, 150, 0.5, 1, 0.25, 0.6}, {"yellow-green", 70, 95, 0.5, 1, 0.65, 1},
        {"purple", 265, 300, 0.4, 1, 0.4, 0.9},      {"brown", 15, 40, 0.4, 1, 0.3, 0.65},
        {"gray", -1, -1, 0, 0.1, 0.4, 0.75},         {"white", -1, -1, 0, 0.05, 0.95, 1},
    };
    QList<QColor> seen;
    for (int number = FirstFlag; number <= LastFlag; ++number) {
        const Expected& want = expected[number - FirstFlag];
        const QColor colour = bannerColour(number);
        SCOPED_TRACE(testing::Message() << number << " " << want.name << " " << qPrintable(colour.name()));
        if (want.hueFrom >= 0) {
            const int hue = colour.hsvHue();
            ASSERT_GE(hue, 0);
            if (want.hueFrom <= want.hueTo)
                EXPECT_TRUE(hue >= want.hueFrom && hue <= want.hueTo) << hue;
            else
                EXPECT_TRUE(hue >= want.hueFrom || hue <= want.hueTo) << hue;
        }
        EXPECT_GE(colour.hsvSaturationF(), want.minSaturation);
        EXPECT_LE(colour.hsvSaturationF(), want.maxSaturation);
        EXPECT_GE(colour.valueF(), want.minValue);
        EXPECT_LE(colour.valueF(), want.maxValue);
        for (const QColor& other : seen) {
            const int distance = std::abs(colour.red() - other.red()) +
                                 std::abs(colour.green() - other.green()) +
                                 std::abs(colour.blue() - other.blue());
            EXPECT_GE(distance, 60) << qPrintable(other.name());
        }
        seen.append(colour);
    }
}

TEST(MemoListIconsTest, HighDpiImagesAreDrawnAtDeviceResolution)
{
    for (qreal ratio : {1.5, 2.0, 3.0}) {
        const QPixmap pixmap = icon(FirstFlag).pixmap(QSize(ImageSize, ImageSize), ratio);
        EXPECT_EQ(pixmap.size(), QSize(qRound(ImageSize * ratio), qRound(ImageSize * ratio))) << ratio;
        EXPECT_DOUBLE_EQ(pixmap.devicePixelRatio(), ratio);
    }

    for (int number = 1; number < Empty; ++number) {
        SCOPED_TRACE(number);
        const QImage sharp = imageOf(number, 2.0);
        ASSERT_EQ(sharp.size(), QSize(2 * ImageSize, 2 * ImageSize));
        const QImage small = imageOf(number);
        const QImage blurred = small.scaled(sharp.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QImage blocky = small.scaled(sharp.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation)
                            .convertToFormat(sharp.format());
        blocky.setDevicePixelRatio(sharp.devicePixelRatio());
        EXPECT_GT(hardEdges(sharp), hardEdges(blurred) + 8);
        EXPECT_NE(sharp, blocky);

        // Painting the icon straight onto a high-DPI surface (as a list view
        // does) gives the same sharp drawing as the pixmap.
        QImage painted(sharp.size(), QImage::Format_ARGB32_Premultiplied);
        painted.setDevicePixelRatio(2.0);
        painted.fill(Qt::transparent);
        {
            QPainter painter(&painted);
            icon(number).paint(&painter, QRect(0, 0, ImageSize, ImageSize));
        }
        painted.setDevicePixelRatio(sharp.devicePixelRatio());
        EXPECT_EQ(painted, sharp);
    }
}

TEST(MemoListIconsTest, DisabledImagesAreGreyed)
{
    for (qreal ratio : {1.0, 2.0}) {
        const QImage disabled =
            icon(FirstFlag).pixmap(QSize(ImageSize, ImageSize), ratio, QIcon::Disabled).toImage();
        ASSERT_EQ(disabled.size(), QSize(qRound(ImageSize * ratio), qRound(ImageSize * ratio)));
        // The middle of the red banner.
        const QColor banner = disabled.pixelColor(qRound(6 * ratio), qRound(4 * ratio));
        EXPECT_GT(banner.alpha(), 0) << ratio;
        EXPECT_LT(banner.hsvSaturationF(), 0.2) << ratio << " " << qPrintable(banner.name());
    }
}

} // namespace
