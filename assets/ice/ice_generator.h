#pragma once

#include "assets/ice/ice_canvas.h"

#include <cstddef>
#include <cstdint>

namespace art {

// Turns a photograph into the same scene seen through a frozen window pane:
// warped and blurred glass, whiter towards the edges, frost feathers growing
// in from the border and small glittering crystals. The centre stays clear
// enough to guess the picture.
//
// `photo` is width x height RGBA bytes, `stride` bytes from row to row (its
// alpha is not looked at); `ice` receives as many opaque RGBA bytes, rows
// packed. The feathers and the glitter are drawn on two layers that
// `makeCanvas` makes. Same photograph, seed and canvas give the same pixels.
// False, and `ice` untouched, for a photograph smaller than 2 x 2.
bool makeIcePixels(const std::uint8_t *photo, int width, int height, std::size_t stride, std::uint32_t seed,
                   const IceCanvasMaker &makeCanvas, std::uint8_t *ice);

} // namespace art
