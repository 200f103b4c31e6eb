#pragma once

// Ending the game while the camera runs. The close request is the first
// tick: it tells the camera to stop, and a camera that stops when told (as
// cameras do) lets the window close at once. One that still runs shows its
// icon "off" at once and is waited for on the window's 100 ms exit timer; the
// window closes on the first tick at which it has stopped. A camera is never
// cut off mid-frame.
class ExitSequence
{
public:
    static constexpr int kIntervalMilliseconds = 100;

    enum class Action { None, StopCamera, ShowCameraOff, Close };

    // Starts counting from the first tick again.
    void restart() { m_ticks = 0; }
    // One tick, given whether the camera still runs. The window takes the
    // first one with the request and, after StopCamera, the second at once.
    Action tick(bool cameraActive);

private:
    int m_ticks = 0;
};
