#pragma once

#include "assets/ice/ice_canvas.h"

#include <QImage>
#include <QPainter>

namespace art {

// The ice generator's layers on the desktop: QPainter, antialiased, on a
// premultiplied ARGB image.
class QtIceCanvas final : public IceCanvas
{
public:
    QtIceCanvas(int width, int height);

    void line(IcePoint from, IcePoint to, double width, IceColor color) override;
    void ellipse(IcePoint centre, double radiusX, double radiusY, IceColor color) override;
    void glow(IcePoint centre, double radius, const std::vector<GradientStop> &stops) override;
    void polygons(const std::vector<IcePolygon> &shape, IceColor color) override;
    void save() override;
    void restore() override;
    void translate(double dx, double dy) override;
    void rotate(double degrees) override;
    std::vector<std::uint8_t> pixels() override;

    // A maker for makeIcePixels().
    static IceCanvasMaker maker();

private:
    QImage m_image;
    QPainter m_painter;
};

} // namespace art
