// The ice module (module/ice.js): the desktop's ice generator, drawing
// its feathers and glitter on the browser's Canvas 2D, for the ice of a
// parent's photos. A module of its own, so that a worker can run it while
// the page plays, and the game's module stays small.

#include "assets/ice/ice_generator.h"
#include "core/photo_rules.h"
#include "ice_boundary.h"
#include "web/module/canvas_ice_canvas.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

constexpr std::size_t kBytes = std::size_t(PhotoRules::kWidth) * PhotoRules::kHeight * 4;

// The photo whose ice is made, and its ice.
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

// Room for a cut photo's RGBA bytes in packed rows, or null unless it is of
// the size every photo is cut to.
std::uint8_t *fp_icePhoto(int width, int height)
{
    if (width != PhotoRules::kWidth || height != PhotoRules::kHeight)
        return nullptr;
    photoBytes().resize(kBytes);
    return photoBytes().data();
}

// The ice of the photo in fp_icePhoto()'s bytes as picture `number`: as many
// RGBA bytes, or null when no photo was put there. Both stay until the next
// photo.
std::uint8_t *fp_makeIce(int number)
{
    if (photoBytes().size() != kBytes)
        return nullptr;
    iceBytes().resize(kBytes);
    if (!art::makeIcePixels(photoBytes().data(), PhotoRules::kWidth, PhotoRules::kHeight,
                            std::size_t(PhotoRules::kWidth) * 4, PhotoRules::iceSeed(number),
                            art::CanvasIceCanvas::maker(), iceBytes().data()))
        return nullptr;
    return iceBytes().data();
}

} // extern "C"
