#include "assets/ice/ice_overlay.h"

#include "assets/ice/ice_generator.h"
#include "assets/ice/qt_ice_canvas.h"

namespace art {

QImage makeIce(const QImage &photo, uint32_t seed)
{
    const QImage src = photo.convertToFormat(QImage::Format_RGBA8888);
    QImage ice(src.size(), QImage::Format_RGBA8888);
    if (ice.isNull()
        || !makeIcePixels(src.constBits(), src.width(), src.height(), std::size_t(src.bytesPerLine()), seed,
                          QtIceCanvas::maker(), ice.bits()))
        return {};
    // Opaque: the same pixels as ARGB32, only the byte order differs.
    return ice.convertToFormat(QImage::Format_ARGB32);
}

} // namespace art
