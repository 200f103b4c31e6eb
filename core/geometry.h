#pragma once

#include <QRectF>

// Fits a source of sourceWidth x sourceHeight whole into the output, keeping
// its aspect ratio, centered, in whole pixels. The output size is cut toward
// zero first; a zero source dimension counts as 1. An odd margin leaves the
// extra pixel on the right or bottom.
QRectF fitRect(int sourceWidth, int sourceHeight, double outputWidth, double outputHeight);
