#include "core/tool_fade.h"

void ToolFade::show()
{
    m_opacity = 1.0f;
}

bool ToolFade::tick()
{
    m_idleTicks += 1;
    // Stepped in long double and stored as float, the way the icons hold it:
    // the ninth step leaves 0.19999993, the tenth a value under 0.1.
    if (m_idleTicks > kIdleTicks)
        m_opacity = float(static_cast<long double>(m_opacity) - 0.1L);
    if (m_opacity < 0.1f) {
        m_idleTicks = 0;
        return true;
    }
    return false;
}
