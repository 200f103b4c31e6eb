#include "web/module/canvas_ice_canvas.h"

#include <emscripten/emscripten.h>

#include <cstddef>

// The page side: canvases by number in the module object, so that the
// generator's calls carry only numbers. A colour goes as four 0..255 numbers.
// clang-format off
EM_JS(int, ice_canvas_create, (int width, int height), {
    if (!Module.iceCanvases)
        Module.iceCanvases = {
            next: 1,
            byId: new Map(),
            color: (r, g, b, a) => 'rgba(' + r + ',' + g + ',' + b + ',' + a / 255 + ')',
        };
    const canvases = Module.iceCanvases;
    const canvas = typeof OffscreenCanvas === 'function'
        ? new OffscreenCanvas(width, height)
        : Object.assign(document.createElement('canvas'), { width, height });
    const g = canvas.getContext('2d', { willReadFrequently: true });
    g.clearRect(0, 0, width, height);
    const id = canvases.next++;
    canvases.byId.set(id, g);
    return id;
});

EM_JS(void, ice_canvas_destroy, (int id), {
    Module.iceCanvases.byId.delete(id);
});

EM_JS(void, ice_canvas_line, (int id, double x0, double y0, double x1, double y1, double width,
                                int r, int g, int b, int a), {
    const c = Module.iceCanvases.byId.get(id);
    c.strokeStyle = Module.iceCanvases.color(r, g, b, a);
    c.lineWidth = width;
    c.lineCap = 'round';
    c.beginPath();
    c.moveTo(x0, y0);
    c.lineTo(x1, y1);
    c.stroke();
});

EM_JS(void, ice_canvas_ellipse, (int id, double x, double y, double rx, double ry, int r, int g, int b, int a), {
    const c = Module.iceCanvases.byId.get(id);
    c.fillStyle = Module.iceCanvases.color(r, g, b, a);
    c.beginPath();
    c.ellipse(x, y, rx, ry, 0, 0, 2 * Math.PI);
    c.fill();
});

// `stops`: `count` runs of five doubles (at, red, green, blue, alpha).
EM_JS(void, ice_canvas_glow, (int id, double x, double y, double radius, const double *stops, int count), {
    const c = Module.iceCanvases.byId.get(id);
    const gradient = c.createRadialGradient(x, y, 0, x, y, radius);
    for (let i = 0; i < count; ++i) {
        const s = HEAPF64.subarray(stops / 8 + 5 * i, stops / 8 + 5 * i + 5);
        gradient.addColorStop(s[0], Module.iceCanvases.color(s[1], s[2], s[3], s[4]));
    }
    c.fillStyle = gradient;
    c.beginPath();
    c.arc(x, y, radius, 0, 2 * Math.PI);
    c.fill();
});

// `points`: x and y of every corner, polygon after polygon; `sizes`: the
// corners of each polygon.
EM_JS(void, ice_canvas_polygons, (int id, const double *points, const int *sizes, int count,
                                    int r, int g, int b, int a), {
    const c = Module.iceCanvases.byId.get(id);
    c.fillStyle = Module.iceCanvases.color(r, g, b, a);
    c.beginPath();
    let at = points / 8;
    for (let i = 0; i < count; ++i) {
        const n = HEAP32[sizes / 4 + i];
        for (let k = 0; k < n; ++k, at += 2) {
            if (k === 0)
                c.moveTo(HEAPF64[at], HEAPF64[at + 1]);
            else
                c.lineTo(HEAPF64[at], HEAPF64[at + 1]);
        }
        c.closePath();
    }
    c.fill('evenodd');
});

EM_JS(void, ice_canvas_save, (int id), { Module.iceCanvases.byId.get(id).save(); });
EM_JS(void, ice_canvas_restore, (int id), { Module.iceCanvases.byId.get(id).restore(); });
EM_JS(void, ice_canvas_translate, (int id, double dx, double dy), {
    Module.iceCanvases.byId.get(id).translate(dx, dy);
});
EM_JS(void, ice_canvas_rotate, (int id, double degrees), {
    Module.iceCanvases.byId.get(id).rotate(degrees * Math.PI / 180);
});

// The canvas's pixels, premultiplied, into `width` x `height` x 4 bytes at `out`.
EM_JS(void, ice_canvas_pixels, (int id, int width, int height, unsigned char *out), {
    const c = Module.iceCanvases.byId.get(id);
    c.setTransform(1, 0, 0, 1, 0, 0);
    const data = c.getImageData(0, 0, width, height).data;
    const bytes = HEAPU8.subarray(out, out + width * height * 4);
    for (let i = 0; i < data.length; i += 4) {
        const alpha = data[i + 3];
        bytes[i] = Math.round(data[i] * alpha / 255);
        bytes[i + 1] = Math.round(data[i + 1] * alpha / 255);
        bytes[i + 2] = Math.round(data[i + 2] * alpha / 255);
        bytes[i + 3] = alpha;
    }
});
// clang-format on

namespace art {

CanvasIceCanvas::CanvasIceCanvas(int width, int height)
    : m_id(ice_canvas_create(width, height))
    , m_width(width)
    , m_height(height)
{ }

CanvasIceCanvas::~CanvasIceCanvas()
{
    ice_canvas_destroy(m_id);
}

void CanvasIceCanvas::line(IcePoint from, IcePoint to, double width, IceColor color)
{
    ice_canvas_line(m_id, from.x, from.y, to.x, to.y, width, color.red, color.green, color.blue, color.alpha);
}

void CanvasIceCanvas::ellipse(IcePoint centre, double radiusX, double radiusY, IceColor color)
{
    ice_canvas_ellipse(m_id, centre.x, centre.y, radiusX, radiusY, color.red, color.green, color.blue, color.alpha);
}

void CanvasIceCanvas::glow(IcePoint centre, double radius, const std::vector<GradientStop> &stops)
{
    std::vector<double> flat;
    flat.reserve(stops.size() * 5);
    for (const GradientStop &s : stops)
        flat.insert(flat.end(),
                    {s.at, double(s.color.red), double(s.color.green), double(s.color.blue), double(s.color.alpha)});
    ice_canvas_glow(m_id, centre.x, centre.y, radius, flat.data(), int(stops.size()));
}

void CanvasIceCanvas::polygons(const std::vector<IcePolygon> &shape, IceColor color)
{
    std::vector<double> points;
    std::vector<int> sizes;
    for (const IcePolygon &polygon : shape) {
        sizes.push_back(int(polygon.size()));
        for (const IcePoint &p : polygon)
            points.insert(points.end(), {p.x, p.y});
    }
    ice_canvas_polygons(m_id, points.data(), sizes.data(), int(sizes.size()), color.red, color.green, color.blue,
                        color.alpha);
}

void CanvasIceCanvas::save()
{
    ice_canvas_save(m_id);
}

void CanvasIceCanvas::restore()
{
    ice_canvas_restore(m_id);
}

void CanvasIceCanvas::translate(double dx, double dy)
{
    ice_canvas_translate(m_id, dx, dy);
}

void CanvasIceCanvas::rotate(double degrees)
{
    ice_canvas_rotate(m_id, degrees);
}

std::vector<std::uint8_t> CanvasIceCanvas::pixels()
{
    std::vector<std::uint8_t> out(std::size_t(m_width) * std::size_t(m_height) * 4);
    ice_canvas_pixels(m_id, m_width, m_height, out.data());
    return out;
}

IceCanvasMaker CanvasIceCanvas::maker()
{
    return [](int width, int height) { return std::make_unique<CanvasIceCanvas>(width, height); };
}

} // namespace art
