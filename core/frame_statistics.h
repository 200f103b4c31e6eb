#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Microseconds of the monotonic clock the statistics are taken with.
std::int64_t steadyMicroseconds();

// What happened to the camera's frames over a spell of play, for people who
// ask why the game is slow on their machine: frames received and stepped,
// frames replaced by a newer one before the game took them, the step's time
// and the latency from a frame's arrival to the end of the paint that shows
// it. Time is handed in, in microseconds of one monotonic clock.
class FrameStatistics
{
public:
    static constexpr std::int64_t kIntervalMicroseconds = 5'000'000;

    explicit FrameStatistics(std::int64_t now)
        : m_spellStart(now)
    { }

    // The camera's running totals since it was made.
    void countFrames(std::int64_t received, std::int64_t replaced);
    void stepped(std::int64_t stepMicroseconds);
    void shown(std::int64_t latencyMicroseconds);

    // The report of the spell that ended, once an interval has passed since
    // it began; a new spell begins.
    std::optional<std::string> takeReport(std::int64_t now);

private:
    std::int64_t m_spellStart;
    std::int64_t m_received = 0, m_replaced = 0;             // totals at the spell's end so far
    std::int64_t m_receivedBefore = 0, m_replacedBefore = 0; // totals when it began
    std::int64_t m_stepped = 0;
    std::vector<std::int64_t> m_stepTimes;
    std::vector<std::int64_t> m_latencies;
};
