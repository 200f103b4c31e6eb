#pragma once

#include <QRectF>
#include <QRgb>

// The bar under the picture that shows how much of the window is clean. Its
// top is 90 % of the picture's height below the picture's top;
// it starts 20 right of the picture's left edge and, when all is clean, ends
// 20 before its right edge; it is 20 high. The 20s are logical units, so many
// pixels each as `pixelRatio` says (2 on a screen of twice the density). All
// edges are whole pixels.
QRectF progressBarRect(const QRectF &pictureRect, double cleanedFraction, double pixelRatio = 1.0);

// Dark blue past half clean, dark red up to and including half.
QRgb progressBarColor(double cleanedFraction);
