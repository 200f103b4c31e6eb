#include "core/wipe_mask.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The part of the segment a..b inside 0..w x 0..h (Liang-Barsky); false when
// none is.
bool clipToRect(Point &a, Point &b, double w, double h)
{
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    double t0 = 0.0, t1 = 1.0;
    // p * t <= q for each edge.
    const double p[] = {-dx, dx, -dy, dy};
    const double q[] = {a.x, w - a.x, a.y, h - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0)
                return false; // parallel to this edge and outside it
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
    }
    if (t0 > t1 || !std::isfinite(t0) || !std::isfinite(t1))
        return false;
    const Point start = a;
    a = Point{start.x + t0 * dx, start.y + t0 * dy};
    b = Point{start.x + t1 * dx, start.y + t1 * dy};
    return true;
}

// Squared distance of (px, py) from the segment a..b.
double distanceSquared(double px, double py, Point a, Point b)
{
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    double t = 0.0;
    if (length2 > 0.0)
        t = std::clamp(((px - a.x) * dx + (py - a.y) * dy) / length2, 0.0, 1.0);
    const double ex = px - (a.x + t * dx);
    const double ey = py - (a.y + t * dy);
    return ex * ex + ey * ey;
}

} // namespace

void WipeMask::resize(Size size)
{
    m_size = {std::max(size.width, 0), std::max(size.height, 0)};
    m_bits.assign(std::size_t(m_size.width) * std::size_t(m_size.height), 0);
    m_top = 0;
    m_bottom = -1;
}

void WipeMask::addSegment(Point from, Point to, double radius)
{
    const int width = m_size.width;
    const int height = m_size.height;
    if (width <= 0 || height <= 0 || !(radius >= 0.0))
        return;
    if (!std::isfinite(from.x) || !std::isfinite(from.y) || !std::isfinite(to.x) || !std::isfinite(to.y))
        return;
    Point a = from, b = to;
    if (!clipToRect(a, b, width, height))
        return;

    const double r2 = radius * radius;
    const double minY = std::min(a.y, b.y) - radius;
    const double maxY = std::max(a.y, b.y) + radius;
    // Rows whose centre y + 0.5 can lie within the radius.
    const int firstRow = std::max(0, int(std::floor(minY - 0.5)));
    const int lastRow = std::min(height - 1, int(std::ceil(maxY - 0.5)));
    const double dy = b.y - a.y;
    bool marked = false;
    for (int y = firstRow; y <= lastRow; ++y) {
        const double cy = y + 0.5;
        // The segment's points within the radius of this row in y, and so
        // the x range any point of the capsule on it can have: a little
        // wider than the capsule's chord, never narrower.
        double t0 = 0.0, t1 = 1.0;
        if (dy != 0.0) {
            const double ta = (cy - radius - a.y) / dy;
            const double tb = (cy + radius - a.y) / dy;
            t0 = std::max(t0, std::min(ta, tb));
            t1 = std::min(t1, std::max(ta, tb));
            if (t0 > t1)
                continue;
        } else if (std::abs(cy - a.y) > radius) {
            continue;
        }
        const double x0 = a.x + t0 * (b.x - a.x);
        const double x1 = a.x + t1 * (b.x - a.x);
        int left = std::max(0, int(std::floor(std::min(x0, x1) - radius - 0.5)));
        int right = std::min(width - 1, int(std::ceil(std::max(x0, x1) + radius - 0.5)));
        // The chord of a convex shape is one run: find its ends exactly.
        while (left <= right && distanceSquared(left + 0.5, cy, a, b) > r2)
            ++left;
        while (right >= left && distanceSquared(right + 0.5, cy, a, b) > r2)
            --right;
        if (left > right)
            continue;
        std::memset(m_bits.data() + std::size_t(y) * std::size_t(width) + std::size_t(left), 1,
                    std::size_t(right - left + 1));
        if (!marked) {
            m_top = isEmpty() ? y : std::min(m_top, y);
            marked = true;
        }
        m_bottom = std::max(m_bottom, y);
    }
}

void WipeMask::clear()
{
    if (isEmpty())
        return;
    const std::size_t rowBytes = std::size_t(m_size.width);
    std::memset(m_bits.data() + std::size_t(m_top) * rowBytes, 0, std::size_t(m_bottom - m_top + 1) * rowBytes);
    m_top = 0;
    m_bottom = -1;
}
