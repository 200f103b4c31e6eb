#include "camera/camera_presence.h"

#include <algorithm>

void CameraPresence::updateList(const QList<Listed> &cameras)
{
    const auto listedIn = [](const QList<Listed> &list, const QByteArray &id) {
        return std::any_of(list.begin(), list.end(), [&id](const Listed &c) { return c.id == id; });
    };
    for (const Listed &before : std::as_const(m_listed)) {
        if (listedIn(cameras, before.id))
            continue;
        if (before.id == m_inUse)
            m_inUseLeft = true;
        // A camera left: its twins that stay are stale. A stale entry that
        // finally leaves says nothing about the others of its name.
        if (m_stale.contains(before.id))
            continue;
        for (const Listed &twin : std::as_const(m_listed)) {
            if (twin.id != before.id && twin.name == before.name && listedIn(cameras, twin.id)
                && !m_stale.contains(twin.id))
                m_stale.append(twin.id);
        }
    }
    m_stale.removeIf([&](const QByteArray &id) { return !listedIn(cameras, id); });
    if (!m_inUse.isEmpty() && m_stale.contains(m_inUse))
        m_inUseLeft = true;
    m_listed = cameras;
}

void CameraPresence::started(const QByteArray &id, std::int64_t now)
{
    m_inUse = id;
    m_inUseLeft = false;
    m_lastFrame = now;
}

bool CameraPresence::isGone(std::int64_t now) const
{
    return !m_inUse.isEmpty() && m_inUseLeft && now - m_lastFrame >= kGoneAfterMilliseconds;
}
