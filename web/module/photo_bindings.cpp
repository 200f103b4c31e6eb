// The module's part in a parent's own photos: which photo can be used and
// how it is cut, and its ice from the desktop's frost generator drawing on
// the page's canvas. The page decodes the files (the browser has the
// decoders and applies the EXIF orientation) and keeps the results.

#include "assets/ice/ice_generator.h"
#include "assets/photo_rules.h"
#include "core/geometry.h"
#include "web/module/canvas_frost_canvas.h"

#include <emscripten/emscripten.h>

#include <array>
#include <cstdint>
#include <vector>

namespace {

std::array<double, 4> g_photoNumbers{};

// The photo whose ice is made, and its ice: kWidth x kHeight RGBA each.
std::vector<std::uint8_t> &photoBytes()
{
    static std::vector<std::uint8_t> bytes;
    return bytes;
}

std::vector<std::uint8_t> &iceBytes()
{
    static std::vector<std::uint8_t> bytes;
    return bytes;
}

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
// be used, with the part of it to keep (x, y, width, height in the numbers)
// and the size to scale that to (kWidth x kHeight, the last two numbers);
// otherwise why not: 1 too small, 2 too large, 3 too long a strip.
EMSCRIPTEN_KEEPALIVE int fp_photoCut(int width, int height)
{
    const PhotoRules::Problem problem = PhotoRules::problemOf(width, height);
    if (problem != PhotoRules::Problem::None)
        return problem == PhotoRules::Problem::TooSmall ? 1 : problem == PhotoRules::Problem::TooLarge ? 2 : 3;
    const Rect r = middlePart(Size{width, height}, Size{PhotoRules::kWidth, PhotoRules::kHeight});
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

// Room for a cut photo's RGBA bytes, kWidth x kHeight, packed rows.
EMSCRIPTEN_KEEPALIVE std::uint8_t *fp_icePhoto()
{
    photoBytes().resize(std::size_t(PhotoRules::kWidth) * PhotoRules::kHeight * 4);
    return photoBytes().data();
}

// The ice of the photo in fp_icePhoto()'s bytes as picture `number`: as many
// RGBA bytes, or null when there is no photo there. Both buffers stay until
// the next photo.
EMSCRIPTEN_KEEPALIVE std::uint8_t *fp_makeIce(int number)
{
    const std::size_t size = std::size_t(PhotoRules::kWidth) * PhotoRules::kHeight * 4;
    if (photoBytes().size() != size)
        return nullptr;
    iceBytes().resize(size);
    if (!art::makeIcePixels(photoBytes().data(), PhotoRules::kWidth, PhotoRules::kHeight,
                            std::size_t(PhotoRules::kWidth) * 4, PhotoRules::iceSeed(number),
                            art::CanvasFrostCanvas::maker(), iceBytes().data()))
        return nullptr;
    return iceBytes().data();
}

} // extern "C"
