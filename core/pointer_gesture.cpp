#include "core/pointer_gesture.h"

void PointerGesture::down(int id, Point at)
{
    if (m_pointers.empty())
        m_stroked = false;
    m_pointers.insert_or_assign(id, PointerTrack(at));
}

std::optional<PointerGesture::Segment> PointerGesture::move(int id, Point at)
{
    const auto found = m_pointers.find(id);
    if (found == m_pointers.end())
        return std::nullopt;
    std::optional<Segment> segment = found->second.moveTo(at);
    if (segment)
        m_stroked = true;
    return segment;
}

PointerGesture::Lift PointerGesture::up(int id, Point at)
{
    if (!m_pointers.contains(id))
        return {};
    Lift lift{move(id, at), false};
    m_pointers.erase(id);
    lift.endsTap = m_pointers.empty() && !m_stroked;
    return lift;
}

void PointerGesture::cancel(int id)
{
    if (m_pointers.erase(id) > 0)
        m_stroked = true;
}

void PointerGesture::cancelAll()
{
    if (!m_pointers.empty())
        m_stroked = true;
    m_pointers.clear();
}
