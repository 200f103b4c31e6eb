#include "core/progress_bar.h"

#include <cmath>

Rect progressBarRect(const Rect &pictureRect, double cleanedFraction, double pixelRatio)
{
    const int unit = int(std::lround(20.0 * pixelRatio));
    const int top = pictureRect.top() + int(std::floor(0.9 * pictureRect.height));
    const int left = pictureRect.left() + unit;
    const int width = int(std::floor((pictureRect.width - 2.0 * unit) * cleanedFraction));
    return {left, top, width, unit};
}

Color progressBarColor(double cleanedFraction)
{
    return cleanedFraction > 0.5 ? Color{0x0D, 0x0A, 0x57} : Color{0x6A, 0x08, 0x17};
}
