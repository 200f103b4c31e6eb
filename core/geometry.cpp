#include "core/geometry.h"

QRectF fitRect(int sourceWidth, int sourceHeight, double outputWidth, double outputHeight)
{
    // 64-bit products: a 4K source times a 4K window must not overflow.
    const qint64 sw = sourceWidth == 0 ? 1 : sourceWidth;
    const qint64 sh = sourceHeight == 0 ? 1 : sourceHeight;
    const qint64 W = qint64(int(outputWidth));
    const qint64 H = qint64(int(outputHeight));

    qint64 w = W;
    qint64 h = (sh * W) / sw;
    if (h > H) {
        w = (sw * H) / sh;
        h = H;
    }
    const qint64 x0 = (W - w) / 2;
    const qint64 y0 = (H - h) / 2;
    return QRectF(QPointF(double(x0), double(y0)), QPointF(double(x0 + w), double(y0 + h)));
}
