#include "game/geometry.h"

RectF fitRect(int sourceWidth, int sourceHeight, double screenWidth, double screenHeight)
{
    // 64-bit products: a 4K source times a 4K window must not overflow.
    const qint64 sw = sourceWidth == 0 ? 1 : sourceWidth;
    const qint64 sh = sourceHeight == 0 ? 1 : sourceHeight;
    const qint64 W = qint64(int(screenWidth));
    const qint64 H = qint64(int(screenHeight));

    qint64 w = W;
    qint64 h = (sh * W) / sw;
    if (h > H) {
        w = (sw * H) / sh;
        h = H;
    }
    const qint64 x0 = (W - w) / 2;
    const qint64 y0 = (H - h) / 2;
    return {float(x0), float(y0), float(x0 + w), float(y0 + h)};
}

double usableScreenHeight(int clientHeight, double titleBarHeight, double screenScale,
                          bool maximized)
{
    const double scale = screenScale > 0.0 ? screenScale : 1.0;
    const long double k = maximized ? 2.0L : 1.0L;
    return double(static_cast<long double>(clientHeight) + (k * titleBarHeight) / scale);
}
