#pragma once

#include <QRect>

namespace kalvor {

// Design sizes are in twips; the screen is laid out at 15 twips to a logical
// pixel (96 dots per inch).
inline constexpr int twipsPerPixel = 15;

// Twips to logical pixels, rounded to the nearest pixel (halves up).
constexpr int twipsToPixels(int twips)
{
    return twips >= 0 ? (twips + twipsPerPixel / 2) / twipsPerPixel : -((-twips + twipsPerPixel / 2) / twipsPerPixel);
}

// Logical pixels to twips (exact).
constexpr int pixelsToTwips(int pixels)
{
    return pixels * twipsPerPixel;
}

// A design rectangle (left, top, width, height in twips) in logical pixels.
inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

}  // namespace kalvor
