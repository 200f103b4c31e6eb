#pragma once

#include "assets/ice/frost_canvas.h"

namespace art {

// The frost generator's layers in the browser: a Canvas 2D context of the
// page's (an OffscreenCanvas where there is one), drawn by calls out to
// JavaScript and read back with getImageData().
class CanvasFrostCanvas final : public FrostCanvas
{
public:
    CanvasFrostCanvas(int width, int height);
    ~CanvasFrostCanvas() override;
    CanvasFrostCanvas(const CanvasFrostCanvas &) = delete;
    CanvasFrostCanvas &operator=(const CanvasFrostCanvas &) = delete;

    void line(FrostPoint from, FrostPoint to, double width, FrostColor color) override;
    void ellipse(FrostPoint centre, double radiusX, double radiusY, FrostColor color) override;
    void glow(FrostPoint centre, double radius, const std::vector<GradientStop> &stops) override;
    void polygons(const std::vector<FrostPolygon> &shape, FrostColor color) override;
    void save() override;
    void restore() override;
    void translate(double dx, double dy) override;
    void rotate(double degrees) override;
    std::vector<std::uint8_t> pixels() override;

    static FrostCanvasMaker maker();

private:
    int m_id;
    int m_width;
    int m_height;
};

} // namespace art
