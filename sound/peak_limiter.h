#pragma once

#include <algorithm>
#include <cmath>

// Keeps a signal's peaks at or below a threshold: the gain drops at once to
// whatever the loudest recent sample needs and recovers with an exponential
// release. Below the threshold the signal passes untouched.
class PeakLimiter
{
public:
    PeakLimiter(float threshold, float releaseSeconds, float sampleRate)
        : m_threshold(threshold)
        , m_release(std::exp(-1.0f / (releaseSeconds * sampleRate)))
    { }

    float process(float x)
    {
        m_envelope = std::max(std::fabs(x), m_envelope * m_release);
        if (m_envelope <= m_threshold)
            return x;
        // The clamp only catches the last bit of rounding of the division.
        return std::clamp(x * (m_threshold / m_envelope), -m_threshold, m_threshold);
    }

    // Called now and then: an envelope long decayed is set to zero before it
    // becomes a denormal.
    void flushTiny()
    {
        if (m_envelope < 1e-9f)
            m_envelope = 0.0f;
    }

    void reset() { m_envelope = 0.0f; }

private:
    float m_threshold;
    float m_release;
    float m_envelope = 0.0f;
};
