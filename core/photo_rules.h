// What a parent's own photo must be, and what it becomes, in both editions:
// the desktop reads the photos from a folder, the browser from the files a
// parent picks; and which pictures stay decoded while one is on show.
#pragma once

#include "core/geometry.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace PhotoRules {

// At most this many photos are used; any after them are ignored.
constexpr int kMaxPhotos = 100;
// Every photo is cropped to 4:3 around its middle and scaled to this size.
constexpr int kWidth = 640;
constexpr int kHeight = 480;
// Photos outside these bounds are skipped: too few pixels to show, more than
// a decoder should ever be asked for, or too long a strip to crop to 4:3.
constexpr int kMinSide = 32;
constexpr std::int64_t kMaxPixels = 120'000'000;
constexpr double kMaxAspect = 4.0;
// The browser edition takes fewer: a browser decodes a PNG whole before it
// can scale it, whatever it is asked (Chromium 156 held about 5 bytes a pixel
// at the peak, 530 MB for 10950 x 10950, even with createImageBitmap's resize
// options; web/tools/measure_photo_memory.mjs). 25 million pixels still take
// a 24-megapixel camera's 6000 x 4000 photos.
constexpr std::int64_t kMaxBrowserPixels = 25'000'000;

enum class Problem { None, TooSmall, TooLarge, TooLong };

// Why a photo of `width` x `height` (upright) cannot be used, if it cannot,
// with at most `maxPixels` pixels.
constexpr Problem problemOf(int width, int height, std::int64_t maxPixels = kMaxPixels)
{
    const std::int64_t w = width;
    const std::int64_t h = height;
    if (w * h > maxPixels)
        return Problem::TooLarge;
    if (std::min(w, h) < kMinSide)
        return Problem::TooSmall;
    if (double(std::max(w, h)) / double(std::min(w, h)) > kMaxAspect)
        return Problem::TooLong;
    return Problem::None;
}

// The part of an upright photo of `width` x `height` that becomes the
// picture: its middle, in the picture's shape, to be scaled to kWidth x
// kHeight.
inline Rect cutOf(int width, int height)
{
    return middlePart(Size{width, height}, Size{kWidth, kHeight});
}

// The pictures to keep decoded while picture `shown` of `total` is on show:
// it, the next and the previous one, wrapping around, each once. The last
// picture counts as the previous of the first only once the whole list is
// known (`listComplete`): until then the last one may still change.
std::vector<int> picturesToKeep(int shown, int total, bool listComplete);

// The picture that shows after a parent removed photos. Pictures are
// numbered from 1, the `builtIn` ones first, the photos after them in their
// order; once one is removed, those after it move down one, so that the
// `remainingPhotos` are numbered builtIn + 1 on without a gap. `removed` is
// the number the removed photo had, or 0 (any number of no photo) when all of
// them went. The photo after the removed one takes its place; after the last
// photo the one before it does (the last built-in picture when none is left);
// with all gone, the first picture shows.
constexpr int pictureAfterRemoval(int removed, int builtIn, int remainingPhotos)
{
    if (removed <= builtIn)
        return 1;
    return std::max(1, std::min(removed, builtIn + std::max(remainingPhotos, 0)));
}

// The seed of the ice overlay of picture `number`, as the built-in pictures'
// seeds go (1001 for picture 1).
constexpr std::uint32_t iceSeed(int number)
{
    return std::uint32_t(1000 + number);
}

} // namespace PhotoRules
