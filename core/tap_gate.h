#pragma once

#include "core/clock.h"

// Decides which pointer presses and clicks on the tool icons count, so that a
// child pressing everything at once, or leaning on an icon, does no harm.
//  - At most one press is accepted per limit, across all icons; the first
//    one only a limit after the gate was made.
//  - A click acts only when the accepted press that led to it lasted at most
//    the limit (exactly the limit still counts).
class TapGate
{
public:
    static constexpr std::int64_t kLimitMilliseconds = 500;

    explicit TapGate(const Clock &clock);

    // Whether a press now is accepted; an accepted press starts its timing.
    bool acceptPress();
    // The accepted press ended (released, or the pointer left the icon).
    void endPress();
    // Whether the last accepted press was short enough to count as a tap.
    bool isTap() const;

private:
    Stopwatch m_sincePress;
    Stopwatch m_pressDuration;
};

// Ignores a repeat of the same action within the limit and restarts the
// window on every ignored repeat, so drumming on the camera icon does not
// flicker the camera on and off.
class RepeatGuard
{
public:
    explicit RepeatGuard(const Clock &clock);

    bool accept();

private:
    Stopwatch m_sinceLast;
    bool m_acceptedBefore = false;
};
