#include "core/frame_statistics.h"

#include <algorithm>
#include <chrono>

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

QString milliseconds(std::int64_t microseconds)
{
    return QString::number(double(microseconds) / 1000.0, 'f', 1) + QStringLiteral(" ms");
}

} // namespace

std::int64_t steadyMicroseconds()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
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

std::optional<QString> FrameStatistics::takeReport(std::int64_t now)
{
    if (now - m_spellStart < kIntervalMicroseconds)
        return std::nullopt;
    const std::int64_t stepMax =
        m_stepTimes.empty() ? 0 : *std::max_element(m_stepTimes.begin(), m_stepTimes.end());
    const QString report =
        QStringLiteral("%1 s: frames received %2, stepped %3, replaced before taken %4; "
                       "step median %5, max %6; capture to screen median %7, p99 %8")
            .arg(QString::number(double(now - m_spellStart) / 1e6, 'f', 1))
            .arg(m_received - m_receivedBefore)
            .arg(m_stepped)
            .arg(m_replaced - m_replacedBefore)
            .arg(milliseconds(percentile(m_stepTimes, 0.5)), milliseconds(stepMax),
                 milliseconds(percentile(m_latencies, 0.5)), milliseconds(percentile(m_latencies, 0.99)));
    m_spellStart = now;
    m_receivedBefore = m_received;
    m_replacedBefore = m_replaced;
    m_stepped = 0;
    m_stepTimes.clear();
    m_latencies.clear();
    return report;
}
