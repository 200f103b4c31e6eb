#include "core/progress_bar.h"

#include <cmath>

QRectF progressBarRect(const QRectF &pictureRect, double cleanedFraction)
{
    const int top = int(pictureRect.top()) + int(std::floor(0.9 * pictureRect.height()));
    const int left = int(pictureRect.left()) + 20;
    const int right = left + int(std::floor((pictureRect.width() - 40.0) * cleanedFraction));
    return QRectF(QPointF(left, top), QPointF(right, top + 20));
}

QRgb progressBarColor(double cleanedFraction)
{
    return cleanedFraction > 0.5 ? 0xFF0D0A57u : 0xFF6A0817u;
}
