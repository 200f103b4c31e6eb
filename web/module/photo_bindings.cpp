// The game module's part in a parent's own photos: which photo can be used
// and how it is cut. The page decodes the files (the browser has the
// decoders and applies the EXIF orientation) and keeps the results; their
// ice comes from the frost module (ice_bindings.cpp).

#include "core/geometry.h"
#include "core/photo_rules.h"

#include <emscripten/emscripten.h>

#include <array>

namespace {

std::array<double, 4> g_photoNumbers{};

} // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE double *fp_photoNumbers()
{
    return g_photoNumbers.data();
}

EMSCRIPTEN_KEEPALIVE int fp_maxPhotos()
{
    return PhotoRules::kMaxPhotos;
}

// A decoded photo of `width` x `height`, as it stands upright: 0 when it can
// be used, with the part of it to keep (x, y, width, height in the numbers),
// to be scaled to fp_photoWidth() x fp_photoHeight(); otherwise why not:
// 1 too small, 2 too large (above the browser's own limit), 3 too long a
// strip.
EMSCRIPTEN_KEEPALIVE int fp_photoCut(int width, int height)
{
    const PhotoRules::Problem problem = PhotoRules::problemOf(width, height, PhotoRules::kMaxBrowserPixels);
    if (problem != PhotoRules::Problem::None)
        return problem == PhotoRules::Problem::TooSmall ? 1 : problem == PhotoRules::Problem::TooLarge ? 2 : 3;
    const Rect r = PhotoRules::cutOf(width, height);
    g_photoNumbers = {double(r.x), double(r.y), double(r.width), double(r.height)};
    return 0;
}

EMSCRIPTEN_KEEPALIVE int fp_photoWidth()
{
    return PhotoRules::kWidth;
}

EMSCRIPTEN_KEEPALIVE int fp_photoHeight()
{
    return PhotoRules::kHeight;
}

} // extern "C"
