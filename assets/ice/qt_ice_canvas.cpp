#include "assets/ice/qt_ice_canvas.h"

#include <QPainterPath>
#include <QPen>
#include <QRadialGradient>

#include <cstring>

namespace art {

namespace {

QColor toQColor(IceColor c)
{
    return QColor(c.red, c.green, c.blue, c.alpha);
}

QPointF toQPoint(IcePoint p)
{
    return QPointF(p.x, p.y);
}

} // namespace

QtIceCanvas::QtIceCanvas(int width, int height)
    : m_image(width, height, QImage::Format_ARGB32_Premultiplied)
{
    m_image.fill(Qt::transparent);
    m_painter.begin(&m_image);
    m_painter.setRenderHint(QPainter::Antialiasing, true);
}

void QtIceCanvas::line(IcePoint from, IcePoint to, double width, IceColor color)
{
    QPen pen(toQColor(color));
    pen.setWidthF(width);
    pen.setCapStyle(Qt::RoundCap);
    m_painter.setPen(pen);
    m_painter.drawLine(toQPoint(from), toQPoint(to));
}

void QtIceCanvas::ellipse(IcePoint centre, double radiusX, double radiusY, IceColor color)
{
    m_painter.setPen(Qt::NoPen);
    m_painter.setBrush(toQColor(color));
    m_painter.drawEllipse(toQPoint(centre), radiusX, radiusY);
}

void QtIceCanvas::glow(IcePoint centre, double radius, const std::vector<GradientStop> &stops)
{
    QRadialGradient gradient(toQPoint(centre), radius);
    for (const GradientStop &stop : stops)
        gradient.setColorAt(stop.at, toQColor(stop.color));
    m_painter.setPen(Qt::NoPen);
    m_painter.setBrush(gradient);
    m_painter.drawEllipse(toQPoint(centre), radius, radius);
}

void QtIceCanvas::polygons(const std::vector<IcePolygon> &shape, IceColor color)
{
    QPainterPath path; // odd-even fill by default
    for (const IcePolygon &polygon : shape) {
        if (polygon.empty())
            continue;
        path.moveTo(toQPoint(polygon.front()));
        for (std::size_t i = 1; i < polygon.size(); ++i)
            path.lineTo(toQPoint(polygon[i]));
        path.closeSubpath();
    }
    m_painter.setPen(Qt::NoPen);
    m_painter.setBrush(toQColor(color));
    m_painter.drawPath(path);
}

void QtIceCanvas::save()
{
    m_painter.save();
}

void QtIceCanvas::restore()
{
    m_painter.restore();
}

void QtIceCanvas::translate(double dx, double dy)
{
    m_painter.translate(dx, dy);
}

void QtIceCanvas::rotate(double degrees)
{
    m_painter.rotate(degrees);
}

std::vector<std::uint8_t> QtIceCanvas::pixels()
{
    m_painter.end();
    const QImage bytes = m_image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    std::vector<std::uint8_t> out(std::size_t(bytes.width()) * std::size_t(bytes.height()) * 4);
    const std::size_t row = std::size_t(bytes.width()) * 4;
    for (int y = 0; y < bytes.height(); ++y)
        std::memcpy(out.data() + std::size_t(y) * row, bytes.constScanLine(y), row);
    m_painter.begin(&m_image);
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    return out;
}

IceCanvasMaker QtIceCanvas::maker()
{
    return [](int width, int height) { return std::make_unique<QtIceCanvas>(width, height); };
}

} // namespace art
