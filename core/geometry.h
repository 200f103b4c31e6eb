#pragma once

#include <algorithm>
#include <cstdint>

// Small value types for sizes, points and rectangles, so that the rules need
// no UI framework. Rectangles are in whole pixels: x, y is the top-left pixel,
// right() and bottom() are one past the last column and row.

struct Size
{
    int width = 0;
    int height = 0;

    constexpr bool isEmpty() const { return width <= 0 || height <= 0; }
    constexpr std::int64_t area() const { return isEmpty() ? 0 : std::int64_t(width) * height; }
    friend constexpr bool operator==(Size a, Size b) { return a.width == b.width && a.height == b.height; }
    friend constexpr bool operator!=(Size a, Size b) { return !(a == b); }
};

// A point in a continuous plane (pointer positions, picture coordinates).
struct Point
{
    double x = 0.0;
    double y = 0.0;

    friend constexpr bool operator==(Point a, Point b) { return a.x == b.x && a.y == b.y; }
    friend constexpr bool operator!=(Point a, Point b) { return !(a == b); }
};

struct Rect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    constexpr int left() const { return x; }
    constexpr int top() const { return y; }
    constexpr int right() const { return x + width; }
    constexpr int bottom() const { return y + height; }
    constexpr Size size() const { return {width, height}; }
    constexpr bool isEmpty() const { return width <= 0 || height <= 0; }
    constexpr Rect translated(int dx, int dy) const { return {x + dx, y + dy, width, height}; }
    constexpr bool contains(int px, int py) const { return px >= x && px < right() && py >= y && py < bottom(); }

    // The common part; empty (0, 0, 0, 0) when there is none.
    constexpr Rect intersected(const Rect &o) const
    {
        const int l = std::max(x, o.x), t = std::max(y, o.y);
        const int r = std::min(right(), o.right()), b = std::min(bottom(), o.bottom());
        if (r <= l || b <= t)
            return {};
        return {l, t, r - l, b - t};
    }
    // The smallest rectangle holding both; an empty one adds nothing.
    constexpr Rect united(const Rect &o) const
    {
        if (o.isEmpty())
            return isEmpty() ? Rect{} : *this;
        if (isEmpty())
            return o;
        const int l = std::min(x, o.x), t = std::min(y, o.y);
        return {l, t, std::max(right(), o.right()) - l, std::max(bottom(), o.bottom()) - t};
    }

    static constexpr Rect fromEdges(int left, int top, int right, int bottom)
    {
        return {left, top, right - left, bottom - top};
    }

    friend constexpr bool operator==(const Rect &a, const Rect &b)
    {
        return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
    }
    friend constexpr bool operator!=(const Rect &a, const Rect &b) { return !(a == b); }
};

// Fits a source of sourceWidth x sourceHeight whole into the output, keeping
// its aspect ratio, centered, in whole pixels. The output size is cut toward
// zero first; a zero source dimension counts as 1. An odd margin leaves the
// extra pixel on the right or bottom.
Rect fitRect(int sourceWidth, int sourceHeight, double outputWidth, double outputHeight);

// The middle part of a frame with the picture's aspect ratio: a frame of
// another shape is cut to it, so that the picture is never distorted. At
// least one pixel wide and high for a frame that is not empty.
Rect middlePart(Size frame, Size picture);
