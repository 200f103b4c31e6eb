#pragma once

#include "assets/ice/frost_canvas.h"

#include <QImage>
#include <QPainter>

namespace art {

// The frost generator's layers on the desktop: QPainter, antialiased, on a
// premultiplied ARGB image.
class QtFrostCanvas final : public FrostCanvas
{
public:
    QtFrostCanvas(int width, int height);

    void line(FrostPoint from, FrostPoint to, double width, FrostColor color) override;
    void ellipse(FrostPoint centre, double radiusX, double radiusY, FrostColor color) override;
    void glow(FrostPoint centre, double radius, const std::vector<GradientStop> &stops) override;
    void polygons(const std::vector<FrostPolygon> &shape, FrostColor color) override;
    void save() override;
    void restore() override;
    void translate(double dx, double dy) override;
    void rotate(double degrees) override;
    std::vector<std::uint8_t> pixels() override;

    // A maker for makeIcePixels().
    static FrostCanvasMaker maker();

private:
    QImage m_image;
    QPainter m_painter;
};

} // namespace art
