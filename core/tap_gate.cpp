#include "core/tap_gate.h"

TapGate::TapGate(const Clock &clock)
    : m_sincePress(clock)
    , m_pressDuration(clock)
{
    m_sincePress.start();
}

bool TapGate::acceptPress()
{
    if (m_sincePress.elapsedMilliseconds() < kLimitMilliseconds)
        return false;
    m_sincePress.restart();
    m_pressDuration.restart();
    return true;
}

void TapGate::endPress()
{
    m_pressDuration.stop();
}

bool TapGate::isTap() const
{
    return m_pressDuration.elapsedMilliseconds() <= kLimitMilliseconds;
}

RepeatGuard::RepeatGuard(const Clock &clock)
    : m_sinceLast(clock)
{ }

bool RepeatGuard::accept()
{
    const bool repeat = m_acceptedBefore && m_sinceLast.elapsedMilliseconds() < TapGate::kLimitMilliseconds;
    m_sinceLast.restart();
    if (repeat)
        return false;
    m_acceptedBefore = true;
    return true;
}
