#pragma once

#include <cstdint>

// A source of monotonic milliseconds. The game reads time only through this,
// so tests can drive every press and tap timing without sleeping.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual std::int64_t nowMilliseconds() const = 0;

    // The process-wide monotonic clock.
    static const Clock &system();
};

// A clock that only moves when told to.
class ManualClock final : public Clock
{
public:
    std::int64_t nowMilliseconds() const override { return m_now; }
    void advance(std::int64_t milliseconds) { m_now += milliseconds; }

private:
    std::int64_t m_now = 0;
};

// Monotonic stopwatch: keeps its elapsed time while stopped; reset() stops it
// and clears the time; start() continues from the time held.
class Stopwatch
{
public:
    explicit Stopwatch(const Clock &clock = Clock::system())
        : m_clock(&clock)
    { }

    void start();
    void stop();
    void reset();
    void restart()
    {
        reset();
        start();
    }
    bool isRunning() const { return m_running; }
    std::int64_t elapsedMilliseconds() const;

private:
    const Clock *m_clock;
    std::int64_t m_heldMilliseconds = 0;
    std::int64_t m_startedAt = 0;
    bool m_running = false;
};
