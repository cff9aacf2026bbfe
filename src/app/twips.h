// Window geometry is given in twips (1/1440 inch). The program lays its
// windows out at 96 dots per inch, 15 twips to the pixel; this is the one
// place that converts.
#pragma once

#include <QRect>

#include <cmath>

namespace vindrel {

inline constexpr int kTwipsPerPixel = 15;

// Nearest pixel, halves away from zero (every figure of the layout is a
// whole number of pixels, so the rounding only matters for computed edges).
inline int PixelsFromTwips(int twips)
{
    return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}
inline int TwipsFromPixels(int pixels)
{
    return pixels * kTwipsPerPixel;
}

inline QRect RectFromTwips(int left, int top, int width, int height)
{
    return QRect(
        PixelsFromTwips(left), PixelsFromTwips(top), PixelsFromTwips(width), PixelsFromTwips(height));
}

} // namespace vindrel
