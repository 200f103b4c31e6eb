#include "game/progress_bar.h"

#include <cmath>

RectF progressBarRect(const RectF &outputRect, int photoLeft, double cleanedFraction)
{
    const int top = int(std::floor(0.9 * double(outputRect.Bottom - outputRect.Top)));
    const int left = photoLeft + 20;
    const int right =
        left + int(std::floor(double(outputRect.Right - outputRect.Left - 40.0f) * cleanedFraction));
    return {float(left), float(top), float(right), float(top + 20)};
}

QRgb progressBarColour(double cleanedFraction)
{
    return cleanedFraction > 0.5 ? 0xFF0D0A57u : 0xFF6A0817u;
}
