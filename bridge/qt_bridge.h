#pragma once

#include "core/geometry.h"
#include "core/image.h"

#include <QImage>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>

#include <string>

// Between Qt's types and the core's, without copying pixels: the desktop
// hands the rules Qt's images and takes their answers back as Qt types.

// `image`'s pixels as premultiplied 0xAARRGGBB words (converted first when
// it has another format), kept alive by the returned image. The game only
// reads pictures: no pixel of a shared QImage is ever written through this.
Image imageFromQImage(const QImage &image);

// A QImage over the pixels of `view` (no copy), valid while they are.
QImage qImageOver(ImageView view);

inline Size toSize(QSize size)
{
    return {size.width(), size.height()};
}
inline QSize toQSize(Size size)
{
    return {size.width, size.height};
}
inline Point toPoint(QPointF point)
{
    return {point.x(), point.y()};
}
inline QPointF toQPointF(Point point)
{
    return {point.x, point.y};
}
inline Rect toRect(const QRect &rect)
{
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}
inline QRect toQRect(const Rect &rect)
{
    return {rect.x, rect.y, rect.width, rect.height};
}
inline QRectF toQRectF(const Rect &rect)
{
    return QRectF(toQRect(rect));
}
inline QString toQString(const std::string &text)
{
    return QString::fromStdString(text);
}
