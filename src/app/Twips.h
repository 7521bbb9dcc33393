#pragma once

#include <cmath>

// Sizes in settings are in twips (1/1440 inch); the screen works in pixels.
namespace Twips {

inline int toPixels(double twips, double dpi)
{
    return int(std::lround(twips * dpi / 1440.0));
}

inline double fromPixels(int pixels, double dpi)
{
    return std::round(pixels * 1440.0 / dpi);
}

// The value to store for a size now `pixels` wide that was read as `previous`
// twips: the previous value when it still gives the same pixels, so that sizes
// do not drift by rounding at every start and close.
inline double toStore(int pixels, double previous, double dpi)
{
    if (previous >= 0 && toPixels(previous, dpi) == pixels)
        return previous;
    return fromPixels(pixels, dpi);
}

} // namespace Twips
