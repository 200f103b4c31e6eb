#pragma once

// Ending the game while the camera runs: the camera is stopped on the first
// tick of the window's 100 ms exit timer, its icon shows "off" on the second,
// and the window closes on the first tick after the third at which the camera
// has really stopped. A camera is never cut off mid-frame.
class ExitSequence
{
public:
    static constexpr int kIntervalMilliseconds = 100;

    enum class Action { None, StopCamera, ShowCameraOff, Close };

    // Starts counting from the first tick again.
    void restart() { m_ticks = 0; }
    // One tick, given whether the camera still runs.
    Action tick(bool cameraActive);

private:
    int m_ticks = 0;
};
