#include "core/clock.h"

#include <chrono>

namespace {

class SteadyClock final : public Clock
{
public:
    std::int64_t nowMilliseconds() const override
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - m_start)
            .count();
    }

private:
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
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

std::int64_t Stopwatch::elapsedMilliseconds() const
{
    if (!m_running)
        return m_heldMilliseconds;
    return m_heldMilliseconds + (m_clock->nowMilliseconds() - m_startedAt);
}
