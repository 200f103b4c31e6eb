#include "core/pointer_track.h"

#include <cmath>

std::optional<PointerTrack::Segment> PointerTrack::moveTo(Point position)
{
    if (!m_stroke) {
        if (std::hypot(position.x - m_start.x, position.y - m_start.y) < kTapDistance)
            return std::nullopt;
        m_stroke = true;
    }
    const Segment segment{m_last, position};
    m_last = position;
    return segment;
}
