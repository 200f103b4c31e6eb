#pragma once

#include <QImage>

#include <cstdint>

namespace art {

// Turns a photograph into the same scene seen through a frozen window pane:
// warped and blurred glass, whiter towards the edges, frost feathers growing
// in from the border and small glittering crystals. The centre stays clear
// enough to guess the picture. Same input and seed give the same pixels; the
// result is opaque ARGB32 of the photograph's size. Safe to call on any
// thread (it paints only into its own QImages).
QImage makeIce(const QImage &photo, uint32_t seed);

} // namespace art
