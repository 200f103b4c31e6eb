// What the ice generator draws with: antialiased vector shapes on a
// transparent layer the size of the photograph, read back as pixels. The
// generator itself is plain C++; each edition brings its own canvas (QPainter
// on the desktop, the browser's Canvas 2D in the page), so both draw the same
// shapes from the same random numbers.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace art {

struct IcePoint
{
    double x = 0.0;
    double y = 0.0;
};

// Straight (not premultiplied) 8-bit channels.
struct IceColor
{
    int red = 0;
    int green = 0;
    int blue = 0;
    int alpha = 255;
};

// A colour at `at` (0 the centre, 1 the rim) of a radial gradient.
struct GradientStop
{
    double at = 0.0;
    IceColor color;
};

// A closed polygon's corners; a shape may be made of several.
using IcePolygon = std::vector<IcePoint>;

// One transparent layer. Coordinates are pixels, (0, 0) the top left corner
// of the top left pixel; every shape goes through the current transform.
class IceCanvas
{
public:
    virtual ~IceCanvas() = default;

    // A straight stroke `width` wide with round ends.
    virtual void line(IcePoint from, IcePoint to, double width, IceColor color) = 0;
    // An ellipse filled with one colour.
    virtual void ellipse(IcePoint centre, double radiusX, double radiusY, IceColor color) = 0;
    // A circle filled with a radial gradient around its centre, `stops` in
    // rising order of `at`.
    virtual void glow(IcePoint centre, double radius, const std::vector<GradientStop> &stops) = 0;
    // Closed polygons filled together by the even-odd rule: where two of
    // them overlap, the layer stays empty.
    virtual void polygons(const std::vector<IcePolygon> &shape, IceColor color) = 0;

    // The transform: save() keeps it, restore() brings the last kept one
    // back; translate() and rotate() apply before the current transform
    // (to the shapes drawn after them), as in QPainter and Canvas 2D.
    virtual void save() = 0;
    virtual void restore() = 0;
    virtual void translate(double dx, double dy) = 0;
    virtual void rotate(double degrees) = 0;

    // Everything drawn so far as premultiplied RGBA bytes, rows packed.
    // Drawing may go on afterwards, with the transform back to none.
    virtual std::vector<std::uint8_t> pixels() = 0;
};

// Makes an empty layer of `width` x `height` pixels. The generator may call
// it from a thread of its own.
using IceCanvasMaker = std::function<std::unique_ptr<IceCanvas>(int width, int height)>;

} // namespace art
