#pragma once

#include "core/geometry.h"

#include <cstdint>
#include <vector>

// The pixels that strokes of a finger or the mouse went over since the last
// melt pass: one byte per pixel, packed, width per row, as the melt pass
// takes its wipe mask. A pixel (x, y) covers x..x+1, y..y+1 in picture
// coordinates; it is marked when its centre (x + 0.5, y + 0.5) lies within
// the brush's radius of a stroke's segment (a capsule).
class WipeMask
{
public:
    // Every pixel unmarked, at that size.
    void resize(Size size);
    Size size() const { return m_size; }

    // Marks the capsule of the part of the segment from..to that lies on the
    // picture (0..width, 0..height): the part beyond the picture's edges
    // marks nothing, however close to the edge it runs. A zero-length
    // segment on the picture marks a disc. Costs about one test per pixel on
    // the capsule's rows plus a few at each row's ends; allocates nothing.
    void addSegment(Point from, Point to, double radius);

    bool isEmpty() const { return m_top > m_bottom; }
    // The first and last rows with a marked pixel (top() > bottom() when
    // none is).
    int top() const { return m_top; }
    int bottom() const { return m_bottom; }
    const std::uint8_t *bits() const { return m_bits.data(); }

    // Unmarks every pixel, writing only the rows that had a mark.
    void clear();

private:
    Size m_size;
    std::vector<std::uint8_t> m_bits;
    int m_top = 0;
    int m_bottom = -1;
};
