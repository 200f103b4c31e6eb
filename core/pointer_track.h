#pragma once

#include "core/geometry.h"

#include <optional>

// One finger, pen or mouse button held on the picture. While it stays within
// kTapDistance of where it went down it is a tap; once it goes that far it
// is a stroke for good, whose path, from the first point on, comes segment by
// segment. Positions are in whatever unit the caller reports (the desktop's
// logical pixels, the page's CSS pixels): the rule is in those units.
class PointerTrack
{
public:
    static constexpr double kTapDistance = 10.0;

    struct Segment
    {
        Point from;
        Point to;
    };

    explicit PointerTrack(Point down)
        : m_start(down)
        , m_last(down)
    { }

    // The pointer is at `position` now: the part of its path to wipe along,
    // if it is a stroke.
    std::optional<Segment> moveTo(Point position);
    bool isStroke() const { return m_stroke; }

private:
    Point m_start;
    Point m_last;
    bool m_stroke = false;
};
