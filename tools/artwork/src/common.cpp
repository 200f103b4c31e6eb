#include "common.h"

#include <QImageWriter>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace art {

QImage canvas(int width, int height, double scale)
{
    QImage image(int(std::lround(width * scale)), int(std::lround(height * scale)),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    return image;
}

QImage blurred(const QImage &premultiplied, float sigma)
{
    const QImage src = premultiplied.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    sigma *= float(premultiplied.devicePixelRatio());
    const int w = src.width();
    const int h = src.height();
    Plane ch[4] = {Plane(w, h), Plane(w, h), Plane(w, h), Plane(w, h)};
    for (int y = 0; y < h; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(src.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            ch[0].at(x, y) = float(qAlpha(line[x]));
            ch[1].at(x, y) = float(qRed(line[x]));
            ch[2].at(x, y) = float(qGreen(line[x]));
            ch[3].at(x, y) = float(qBlue(line[x]));
        }
    }
    // Transparent surroundings must stay exactly transparent, so blur with
    // zero outside the image instead of clamp-to-edge: pad, blur, crop.
    const int pad = int(std::ceil(sigma * 3.0f)) + 1;
    QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
    Plane padded[4];
    for (int c = 0; c < 4; ++c) {
        padded[c] = Plane(w + 2 * pad, h + 2 * pad);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                padded[c].at(x + pad, y + pad) = ch[c].at(x, y);
        gaussianBlur(padded[c], sigma);
    }
    for (int y = 0; y < h; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            auto q = [&](int c) { return std::clamp(int(std::lround(padded[c].at(x + pad, y + pad))), 0, 255); };
            const int a = q(0);
            line[x] = qRgba(std::min(q(1), a), std::min(q(2), a), std::min(q(3), a), a);
        }
    }
    out.setDevicePixelRatio(premultiplied.devicePixelRatio());
    return out;
}

bool savePng(const QImage &image, const QString &path)
{
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    QImageWriter writer(path, "png");
    // Smallest files; the time it costs does not matter here.
    writer.setQuality(0);
    if (!writer.write(rgba)) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qPrintable(writer.errorString()));
        return false;
    }
    return true;
}

} // namespace art
