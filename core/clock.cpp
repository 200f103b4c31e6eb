#include "core/clock.h"

#include <QElapsedTimer>

namespace {

class SteadyClock final : public Clock
{
public:
    SteadyClock() { m_timer.start(); }
    qint64 nowMilliseconds() const override { return m_timer.elapsed(); }

private:
    QElapsedTimer m_timer;
};

} // namespace

const Clock &Clock::system()
{
    static const SteadyClock clock;
    return clock;
}

void Stopwatch::start()
{
    if (m_running)
        return;
    m_startedAt = m_clock->nowMilliseconds();
    m_running = true;
}

void Stopwatch::stop()
{
    if (!m_running)
        return;
    m_heldMilliseconds += m_clock->nowMilliseconds() - m_startedAt;
    m_running = false;
}

void Stopwatch::reset()
{
    m_heldMilliseconds = 0;
    m_running = false;
}

qint64 Stopwatch::elapsedMilliseconds() const
{
    if (!m_running)
        return m_heldMilliseconds;
    return m_heldMilliseconds + (m_clock->nowMilliseconds() - m_startedAt);
}
