#include "core/exit_sequence.h"

ExitSequence::Action ExitSequence::tick(bool cameraActive)
{
    Action action = Action::None;
    if (cameraActive && m_ticks == 0) {
        action = Action::StopCamera;
    } else if (cameraActive && m_ticks == 1) {
        action = Action::ShowCameraOff;
    } else if (!cameraActive && m_ticks > 2) {
        m_ticks = 0;
        return Action::Close;
    }
    m_ticks += 1;
    return action;
}
