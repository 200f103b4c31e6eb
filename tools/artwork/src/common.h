// Helpers of the artwork generator beside the shared frost arithmetic:
// blurring whole images and PNG output.
#pragma once

#include "assets/ice/frost_math.h"

#include <QImage>
#include <QString>

namespace art {

// Gaussian blur of a premultiplied ARGB32 image (all four channels).
QImage blurred(const QImage &premultiplied, float sigma);

// Writes an 8-bit-per-channel RGBA PNG. Returns false (and prints why) on error.
bool savePng(const QImage &image, const QString &path);

} // namespace art
