#include "core/exit_sequence.h"

ExitSequence::Action ExitSequence::tick(bool cameraActive)
{
    const int tick = m_ticks++;
    if (!cameraActive) {
        m_ticks = 0;
        return Action::Close;
    }
    if (tick == 0)
        return Action::StopCamera;
    if (tick == 1)
        return Action::ShowCameraOff;
    return Action::None;
}
