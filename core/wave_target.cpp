#include "core/wave_target.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

bool WaveTarget::Circle::contains(Point p) const
{
    const double dx = p.x - centerX;
    const double dy = p.y - centerY;
    return radius > 0.0 && dx * dx + dy * dy <= radius * radius;
}

Rect WaveTarget::Circle::bounds() const
{
    if (radius <= 0.0)
        return {};
    // Pixel (x, y) has its centre at (x + 0.5, y + 0.5).
    const int left = int(std::floor(centerX - radius - 0.5)) + 1;
    const int top = int(std::floor(centerY - radius - 0.5)) + 1;
    const int right = int(std::ceil(centerX + radius - 0.5));
    const int bottom = int(std::ceil(centerY + radius - 0.5));
    return {left, top, std::max(right - left, 0), std::max(bottom - top, 0)};
}

WaveTarget::Circle WaveTarget::placeOn(Size picture)
{
    if (picture.isEmpty())
        return {};
    const double radius = picture.height / 10.0;
    // A sixth of the radius from the top and right edges, so the ring stays
    // whole.
    const double inset = radius * 7.0 / 6.0;
    return {picture.width - inset, inset, radius};
}

Rect WaveTarget::areaAround(double centerX, double centerY, double radius)
{
    const int diameter = int(std::ceil(2.0 * radius)) + 2;
    const int left = int(std::floor(centerX - diameter / 2.0));
    const int top = int(std::floor(centerY - diameter / 2.0));
    return {left, top, diameter, diameter};
}

namespace {

bool moved(const std::uint8_t *a, const std::uint8_t *b, std::int32_t sensitivity)
{
    const int change = std::abs(int(a[0]) - int(b[0])) + std::abs(int(a[1]) - int(b[1]))
                       + std::abs(int(a[2]) - int(b[2]));
    return change > sensitivity;
}

} // namespace

namespace {

// The pixels of row y whose centres lie in the circle: [first, end), empty
// when none. The same test as Circle::contains, found from the row's
// half-width and settled at both ends with the test itself, so the span is
// exactly the pixels contains() takes.
struct Span
{
    int first = 0;
    int end = 0;
};

Span spanOf(const WaveTarget::Circle &circle, int y)
{
    const double dy = y + 0.5 - circle.centerY;
    const double squared = circle.radius * circle.radius - dy * dy;
    if (circle.radius <= 0.0 || squared < 0.0)
        return {};
    const double half = std::sqrt(squared);
    int first = int(std::ceil(circle.centerX - half - 0.5));
    int last = int(std::floor(circle.centerX + half - 0.5));
    const auto inside = [&](int x) { return circle.contains(Point{x + 0.5, y + 0.5}); };
    while (!inside(first) && first <= last)
        ++first;
    while (first > std::numeric_limits<int>::min() && inside(first - 1))
        --first;
    while (!inside(last) && last >= first)
        --last;
    while (last < std::numeric_limits<int>::max() && inside(last + 1))
        ++last;
    return first <= last ? Span{first, last + 1} : Span{};
}

} // namespace

WaveTarget::Motion WaveTarget::motionOf(ConstImageView frame, ConstImageView previous, const Circle &circle,
                                        std::int32_t sensitivity)
{
    Motion motion;
    if (frame.bits == nullptr || previous.bits == nullptr || frame.width != previous.width
        || frame.height != previous.height)
        return motion;
    // Row by row over the circle's span, the cost of the pixels counted
    // alone: this runs on every camera frame while the target shows.
    const Rect box = circle.bounds().intersected({0, 0, frame.width, frame.height});
    int inside = 0;
    int insideMoved = 0;
    for (int y = box.top(); y < box.bottom(); ++y) {
        const Span span = spanOf(circle, y);
        const int first = std::max(span.first, 0);
        const int end = std::min(span.end, frame.width);
        for (int x = first; x < end; ++x)
            insideMoved += moved(frame.pixel(x, y), previous.pixel(x, y), sensitivity) ? 1 : 0;
        inside += std::max(end - first, 0);
    }
    int rest = 0;
    int restMoved = 0;
    for (int y = 0; y < frame.height; y += 4) {
        const Span span = spanOf(circle, y);
        for (int x = 0; x < frame.width; x += 4) {
            if (x >= span.first && x < span.end)
                continue;
            ++rest;
            restMoved += moved(frame.pixel(x, y), previous.pixel(x, y), sensitivity) ? 1 : 0;
        }
    }
    motion.inside = inside > 0 ? double(insideMoved) / inside : 0.0;
    motion.rest = rest > 0 ? double(restMoved) / rest : 0.0;
    return motion;
}

void WaveTarget::show()
{
    m_shown = true;
    m_fill = 0;
}

void WaveTarget::hide()
{
    m_shown = false;
    m_fill = 0;
}

bool WaveTarget::frameSeen(Motion motion)
{
    if (!m_shown)
        return false;
    const bool waving = motion.inside >= kMinMovingInside && motion.inside >= kOverRest * motion.rest;
    m_fill = waving ? std::min(m_fill + kFullUnits / kFramesToFill, kFullUnits)
                    : std::max(m_fill - kFullUnits / kFramesToDrain, 0);
    return m_fill >= kFullUnits;
}
