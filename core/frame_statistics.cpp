#include "core/frame_statistics.h"

#include <algorithm>
#include <chrono>
#include <string>

namespace {

// The value below which `share` of the samples lie (nearest rank); 0 for none.
std::int64_t percentile(std::vector<std::int64_t> &samples, double share)
{
    if (samples.empty())
        return 0;
    const auto rank = std::size_t(share * double(samples.size() - 1) + 0.5);
    std::nth_element(samples.begin(), samples.begin() + std::ptrdiff_t(rank), samples.end());
    return samples[rank];
}

// "12.3": a count of `unit`s with one decimal, rounded half up, written
// without the C library so that no locale can turn the point into a comma.
std::string tenths(std::int64_t value, std::int64_t unit)
{
    const std::int64_t sign = value < 0 ? -1 : 1;
    const std::int64_t t = (sign * value * 10 + unit / 2) / unit;
    std::string text = sign < 0 && t != 0 ? "-" : "";
    text += std::to_string(t / 10);
    text += '.';
    text += std::to_string(t % 10);
    return text;
}

std::string milliseconds(std::int64_t microseconds)
{
    return tenths(microseconds, 1000) + " ms";
}

} // namespace

std::int64_t steadyMicroseconds()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void FrameStatistics::countFrames(std::int64_t received, std::int64_t replaced)
{
    m_received = received;
    m_replaced = replaced;
}

void FrameStatistics::stepped(std::int64_t stepMicroseconds)
{
    ++m_stepped;
    m_stepTimes.push_back(stepMicroseconds);
}

void FrameStatistics::shown(std::int64_t latencyMicroseconds)
{
    m_latencies.push_back(latencyMicroseconds);
}

std::optional<std::string> FrameStatistics::takeReport(std::int64_t now)
{
    if (now - m_spellStart < kIntervalMicroseconds)
        return std::nullopt;
    const std::int64_t stepMax = m_stepTimes.empty() ? 0 : *std::max_element(m_stepTimes.begin(), m_stepTimes.end());
    std::string report = tenths(now - m_spellStart, 1'000'000) + " s: frames received "
                         + std::to_string(m_received - m_receivedBefore) + ", stepped " + std::to_string(m_stepped)
                         + ", replaced before taken " + std::to_string(m_replaced - m_replacedBefore) + "; step median "
                         + milliseconds(percentile(m_stepTimes, 0.5)) + ", max " + milliseconds(stepMax)
                         + "; capture to screen median " + milliseconds(percentile(m_latencies, 0.5)) + ", p99 "
                         + milliseconds(percentile(m_latencies, 0.99));
    m_spellStart = now;
    m_receivedBefore = m_received;
    m_replacedBefore = m_replaced;
    m_stepped = 0;
    m_stepTimes.clear();
    m_latencies.clear();
    return report;
}
