#pragma once

#include <QtGlobal>

// A source of monotonic milliseconds. The game reads time only through this,
// so tests can drive every press and tap timing without sleeping.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual qint64 nowMilliseconds() const = 0;

    // The process-wide monotonic clock.
    static const Clock &system();
};

// A clock that only moves when told to.
class ManualClock final : public Clock
{
public:
    qint64 nowMilliseconds() const override { return m_now; }
    void advance(qint64 milliseconds) { m_now += milliseconds; }

private:
    qint64 m_now = 0;
};

// Monotonic stopwatch: keeps its elapsed time while stopped; reset() stops it
// and clears the time; start() continues from the time held.
class Stopwatch
{
public:
    explicit Stopwatch(const Clock &clock = Clock::system()) : m_clock(&clock) {}

    void start();
    void stop();
    void reset();
    void restart() { reset(); start(); }
    bool isRunning() const { return m_running; }
    qint64 elapsedMilliseconds() const;

private:
    const Clock *m_clock;
    qint64 m_heldMilliseconds = 0;
    qint64 m_startedAt = 0;
    bool m_running = false;
};
