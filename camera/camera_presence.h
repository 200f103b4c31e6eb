#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>

// Tells when the camera in use has been pulled out, from what the system's
// camera list and the frames say; times are milliseconds on any steady clock.
//
// The list is not to be trusted alone: a camera that was there at start is
// listed twice (under two ids, one name), and when it is pulled out only one
// of the two leaves; the other stays, stale, and a stream opened through it
// delivers nothing. So an entry counts as stale once another entry of its
// name has left the list while both were listed, until it leaves itself. A
// camera that is plugged in later is new, never stale.
//
// Nor is the list enough to stop a camera: the camera in use is called gone
// only when it left the list (or only its stale twin is left) and its frames
// have also stopped for kGoneAfterMilliseconds. A camera whose list entry
// changes while its frames keep coming plays on.
class CameraPresence
{
public:
    static constexpr std::int64_t kGoneAfterMilliseconds = 500;

    struct Listed
    {
        QByteArray id;
        QString name;
    };

    // The list as the system reports it now.
    void updateList(const QList<Listed> &cameras);
    bool isStale(const QByteArray &id) const { return m_stale.contains(id); }

    // Capture from `id` started (counts as a frame), a frame came, capture
    // stopped.
    void started(const QByteArray &id, std::int64_t now);
    void frameArrived(std::int64_t now) { m_lastFrame = now; }
    void stopped()
    {
        m_inUse.clear();
        m_inUseLeft = false;
    }

    // Whether the camera in use is gone: it left the list, or is listed only
    // as a stale twin, and no frame came for kGoneAfterMilliseconds.
    bool isGone(std::int64_t now) const;

private:
    QList<Listed> m_listed;
    QList<QByteArray> m_stale;
    QByteArray m_inUse;
    bool m_inUseLeft = false;
    std::int64_t m_lastFrame = 0;
};
