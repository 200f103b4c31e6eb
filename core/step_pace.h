#pragma once

#include "core/game.h"

#include <cstdint>

// When the game steps without a camera frame. While a camera delivers, its
// frames step the game, strokes included; otherwise the game is stepped
// about 30 times a second in the ice view until it has settled, and nothing
// ticks at rest. Times are milliseconds of any steady clock.
class StepPace
{
public:
    static constexpr int kStepWithoutCameraMilliseconds = 33;
    // A camera counts as delivering while its last frame is younger than this.
    static constexpr std::int64_t kCameraQuietMilliseconds = 300;

    void frameArrived(std::int64_t now) { m_lastFrame = now; }
    void cameraStopped() { m_lastFrame = kNever; }
    bool cameraDelivers(std::int64_t now) const
    {
        return m_lastFrame != kNever && now - m_lastFrame < kCameraQuietMilliseconds;
    }
    // Whether a step without a frame is due now; when it is not, the ticking
    // may stop until a stroke or a change asks for it again.
    bool stepsWithoutFrame(const Game &game, std::int64_t now) const
    {
        return !cameraDelivers(now) && game.isIceView() && !game.isSettled();
    }

private:
    static constexpr std::int64_t kNever = INT64_MIN;
    std::int64_t m_lastFrame = kNever;
};
