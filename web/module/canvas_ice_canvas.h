#pragma once

#include "assets/ice/ice_canvas.h"

namespace art {

// The ice generator's layers in the browser: a Canvas 2D context of the
// page's (an OffscreenCanvas where there is one), drawn by calls out to
// JavaScript and read back with getImageData().
class CanvasIceCanvas final : public IceCanvas
{
public:
    CanvasIceCanvas(int width, int height);
    ~CanvasIceCanvas() override;
    CanvasIceCanvas(const CanvasIceCanvas &) = delete;
    CanvasIceCanvas &operator=(const CanvasIceCanvas &) = delete;

    void line(IcePoint from, IcePoint to, double width, IceColor color) override;
    void ellipse(IcePoint centre, double radiusX, double radiusY, IceColor color) override;
    void glow(IcePoint centre, double radius, const std::vector<GradientStop> &stops) override;
    void polygons(const std::vector<IcePolygon> &shape, IceColor color) override;
    void save() override;
    void restore() override;
    void translate(double dx, double dy) override;
    void rotate(double degrees) override;
    std::vector<std::uint8_t> pixels() override;

    static IceCanvasMaker maker();

private:
    int m_id;
    int m_width;
    int m_height;
};

} // namespace art
