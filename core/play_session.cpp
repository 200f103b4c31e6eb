#include "core/play_session.h"

#include <algorithm>

PlaySession::PlaySession(const Clock &clock, int pictureCount, Game::PictureLoader loadPicture, Size bannerSize,
                         Size outputSize, const StoredSettings &settings)
    : m_clock(clock)
    , m_game(pictureCount, std::move(loadPicture), bannerSize, outputSize)
    , m_controls(clock)
{
    useSettings(settings);
}

void PlaySession::useSettings(const StoredSettings &settings)
{
    m_settings = settings;
    m_game.setCameraSensitivity(settings.cameraSensitivity);
    m_game.setFreezingSpeed(settings.freezingSpeed);
}

bool PlaySession::takeSettings(std::int32_t cameraSensitivity, std::int32_t freezingSpeed, bool sound)
{
    const StoredSettings before = m_settings;
    m_settings.cameraSensitivity = std::clamp(cameraSensitivity, kMinimumCameraSensitivity, kMaximumCameraSensitivity);
    m_settings.freezingSpeed = std::clamp(freezingSpeed, kMinimumFreezingSpeed, kMaximumFreezingSpeed);
    m_settings.sound = sound;
    m_game.setCameraSensitivity(m_settings.cameraSensitivity);
    m_game.setFreezingSpeed(m_settings.freezingSpeed);
    m_controls.confirmSettings();
    return !(m_settings == before);
}

void PlaySession::rememberResolution(const std::string &cameraId, std::optional<VideoCaptureSetting> resolution)
{
    if (!cameraId.empty())
        m_settings.resolutions[cameraId] = resolution;
}

void PlaySession::cameraStarted()
{
    // Frames of a new stream are never compared with the old stream's.
    m_game.requestNewReference();
}

void PlaySession::cameraStopped()
{
    m_pace.cameraStopped();
    m_silenced = true;
}

Controls::Action PlaySession::clickTool(ToolIcon tool)
{
    const Controls::Action action = m_controls.click(tool);
    switch (action) {
    case Controls::Action::NextPicture:
        m_game.nextPicture();
        break;
    case Controls::Action::PreviousPicture:
        m_game.previousPicture();
        break;
    case Controls::Action::ToggleView:
        m_game.toggleView();
        // The camera view pauses the game: nothing is wiped there.
        if (!m_game.isIceView())
            m_silenced = true;
        break;
    default:
        break;
    }
    return action;
}

Point PlaySession::toOutput(Point logical) const
{
    const double ratio = m_game.pixelRatio();
    return Point{logical.x * ratio, logical.y * ratio};
}

void PlaySession::pointerDown(int id, Point at)
{
    m_pointers.down(id, at);
}

bool PlaySession::pointerMove(int id, Point at)
{
    const std::optional<PointerGesture::Segment> segment = m_pointers.move(id, at);
    if (!segment)
        return false;
    wipeAlong(toOutput(segment->from), toOutput(segment->to));
    return true;
}

bool PlaySession::pointerUp(int id, Point at)
{
    const PointerGesture::Lift lift = m_pointers.up(id, at);
    if (lift.segment)
        wipeAlong(toOutput(lift.segment->from), toOutput(lift.segment->to));
    return lift.endsTap;
}

void PlaySession::wipeAlong(Point fromOutput, Point toOutput)
{
    // Over an open panel a stroke wipes nothing; the game drops strokes in
    // the camera view itself.
    if (m_controls.openPanel() != Controls::Panel::None)
        return;
    m_game.addStroke(m_game.toPicture(fromOutput), m_game.toPicture(toOutput));
}

Rect PlaySession::stepFrame(Image &frame, Size cameraSize, bool mirrored)
{
    m_pace.frameArrived(m_clock.nowMilliseconds());
    if (frame.size() != m_game.pictureSize())
        return {};
    if (mirrorsFrames() && !mirrored)
        frame.mirror();
    m_silenced = false;
    return m_game.step(frame, cameraSize);
}

bool PlaySession::stepWithoutFrameDue() const
{
    return m_pace.stepsWithoutFrame(m_game, m_clock.nowMilliseconds());
}

Rect PlaySession::stepWithoutFrame()
{
    m_silenced = false;
    return m_game.stepWithoutFrame();
}
