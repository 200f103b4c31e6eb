#include "bridge/qt_bridge.h"

#include <memory>

Image imageFromQImage(const QImage &image)
{
    if (image.isNull())
        return {};
    auto held = std::make_shared<QImage>(image.format() == QImage::Format_ARGB32_Premultiplied
                                             ? image
                                             : image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    // Read-only use (see the header): the const bits spare a deep copy of a
    // picture the catalogue shares.
    const ImageView view{const_cast<std::uint8_t *>(held->constBits()), held->width(), held->height(),
                         std::ptrdiff_t(held->bytesPerLine())};
    return Image(view, std::move(held));
}

QImage qImageOver(ImageView view)
{
    if (view.isNull())
        return {};
    return QImage(view.bits, view.width, view.height, qsizetype(view.stride), QImage::Format_ARGB32_Premultiplied);
}
