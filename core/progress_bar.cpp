#include "core/progress_bar.h"

#include <cmath>

QRectF progressBarRect(const QRectF &pictureRect, double cleanedFraction, double pixelRatio)
{
    const int unit = int(std::lround(20.0 * pixelRatio));
    const int top = int(pictureRect.top()) + int(std::floor(0.9 * pictureRect.height()));
    const int left = int(pictureRect.left()) + unit;
    const int right = left + int(std::floor((pictureRect.width() - 2.0 * unit) * cleanedFraction));
    return QRectF(QPointF(left, top), QPointF(right, top + unit));
}

QRgb progressBarColor(double cleanedFraction)
{
    return cleanedFraction > 0.5 ? 0xFF0D0A57u : 0xFF6A0817u;
}
