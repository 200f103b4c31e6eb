#pragma once

// When the tool icons fade out: after kIdleTicks ticks without use they lose
// a tenth of their opacity per tick and are hidden once it drops below 0.1.
// All icons share one opacity. Time is counted in ticks of the window's
// 20 ms timer, so tests drive it tick by tick.
class ToolFade
{
public:
    static constexpr int kIntervalMilliseconds = 20;
    static constexpr int kIdleTicks = 200;

    float opacity() const { return m_opacity; }
    int idleTicks() const { return m_idleTicks; }

    // The tools are shown afresh: full opacity.
    void show();
    // A tool was used: the idle count starts again; an ongoing fade pauses.
    void stayAwake() { m_idleTicks = 0; }
    // One tick; returns true when this tick hides the tools.
    bool tick();

private:
    float m_opacity = 1.0f;
    int m_idleTicks = 0;
};
