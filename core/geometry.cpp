#include "core/geometry.h"

Rect fitRect(int sourceWidth, int sourceHeight, double outputWidth, double outputHeight)
{
    // 64-bit products: a 4K source times a 4K window must not overflow.
    const std::int64_t sw = sourceWidth == 0 ? 1 : sourceWidth;
    const std::int64_t sh = sourceHeight == 0 ? 1 : sourceHeight;
    const std::int64_t W = std::int64_t(int(outputWidth));
    const std::int64_t H = std::int64_t(int(outputHeight));

    std::int64_t w = W;
    std::int64_t h = (sh * W) / sw;
    if (h > H) {
        w = (sw * H) / sh;
        h = H;
    }
    const std::int64_t x0 = (W - w) / 2;
    const std::int64_t y0 = (H - h) / 2;
    return {int(x0), int(y0), int(w), int(h)};
}

Rect middlePart(Size frame, Size picture)
{
    const std::int64_t fw = frame.width, fh = frame.height;
    const std::int64_t pw = picture.width, ph = picture.height;
    Rect crop{0, 0, int(fw), int(fh)};
    if (frame.isEmpty() || picture.isEmpty())
        return crop;
    if (fw * ph > fh * pw) {
        crop.width = int(std::max<std::int64_t>(1, fh * pw / ph));
        crop.x = int((fw - crop.width) / 2);
    } else {
        crop.height = int(std::max<std::int64_t>(1, fw * ph / pw));
        crop.y = int((fh - crop.height) / 2);
    }
    return crop;
}
