// Helpers of the artwork generator beside the shared frost arithmetic:
// blurring whole images and PNG output.
#pragma once

#include "assets/ice/ice_math.h"

#include <QImage>
#include <QString>

namespace art {

// Gaussian blur of a premultiplied ARGB32 image (all four channels). Sigma is
// in drawing units: an image with a device pixel ratio (drawn at a finer
// resolution) is blurred by as many more pixels, and keeps its ratio.
QImage blurred(const QImage &premultiplied, float sigma);

// A transparent premultiplied canvas of width x height drawing units at
// `scale` pixels per unit: QPainter draws on it in units, so one design is
// rendered at any resolution.
QImage canvas(int width, int height, double scale);

// Writes an 8-bit-per-channel RGBA PNG. Returns false (and prints why) on error.
bool savePng(const QImage &image, const QString &path);

} // namespace art
