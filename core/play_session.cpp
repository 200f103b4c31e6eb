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
    if (!isWaveToGoOnEnabled())
        m_wave.hide();
}

bool PlaySession::takeSettings(std::int32_t cameraSensitivity, std::int32_t freezingSpeed, bool sound, bool waveToGoOn)
{
    const StoredSettings before = m_settings;
    m_settings.cameraSensitivity = std::clamp(cameraSensitivity, kMinimumCameraSensitivity, kMaximumCameraSensitivity);
    m_settings.freezingSpeed = std::clamp(freezingSpeed, kMinimumFreezingSpeed, kMaximumFreezingSpeed);
    m_settings.sound = sound;
    setWaveToGoOn(waveToGoOn);
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

void PlaySession::useCamera(const std::string &cameraId, const std::vector<VideoCaptureSetting> &offered)
{
    m_cameraId = cameraId;
    m_offered = offered;
    m_resolutions = reduceCaptureSettings(offered);
    // A camera that no longer offers what was remembered for it gets the
    // default.
    const std::optional<VideoCaptureSetting> remembered = m_settings.resolutionFor(cameraId);
    const bool offeredStill = remembered && std::find(offered.begin(), offered.end(), *remembered) != offered.end();
    m_chosenResolution = offeredStill ? remembered : std::nullopt;
}

std::optional<VideoCaptureSetting> PlaySession::resolutionToRequest() const
{
    if (m_offered.empty())
        return std::nullopt;
    if (m_chosenResolution)
        return m_chosenResolution;
    // Without a 640 x 480 setting the camera keeps whatever it has.
    if (m_resolutions.defaultSetting.frameRate == 0.0)
        return std::nullopt;
    return m_resolutions.defaultSetting;
}

int PlaySession::resolutionInUse(const VideoCaptureSetting &delivered) const
{
    const int entries = std::min(m_resolutions.last + 1, int(m_resolutions.entries.size()));
    const auto find = [&](auto matches) {
        for (int j = 0; j < entries; ++j) {
            if (matches(m_resolutions.entries[std::size_t(j)]))
                return j;
        }
        return -1;
    };
    // The user's own setting is looked for whole first; a camera that
    // reports no frame rate (a browser's track) is found by its size.
    if (m_chosenResolution) {
        if (const int j = find([&](const VideoCaptureSetting &e) { return e == delivered; }); j >= 0)
            return j;
    }
    return find([&](const VideoCaptureSetting &e) { return e.sameSize(delivered); });
}

std::optional<VideoCaptureSetting> PlaySession::chooseResolution(double position)
{
    if (!m_resolutionSliderMoved || m_offered.empty())
        return std::nullopt;
    const int j = resolutionIndexOfPosition(m_resolutions, position);
    if (j < 0 || std::size_t(j) >= m_resolutions.entries.size())
        return std::nullopt;
    m_chosenResolution = m_resolutions.entries[std::size_t(j)];
    rememberResolution(m_cameraId, m_chosenResolution);
    return m_chosenResolution;
}

void PlaySession::resolutionSettled(const VideoCaptureSetting &delivered)
{
    if (!m_chosenResolution || *m_chosenResolution == delivered || delivered.width <= 0 || delivered.height <= 0)
        return;
    m_chosenResolution = delivered;
    rememberResolution(m_cameraId, delivered);
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
    return carryOut(m_controls.click(tool));
}

Controls::Action PlaySession::activateTool(ToolIcon tool)
{
    return carryOut(m_controls.activate(tool));
}

Controls::Action PlaySession::carryOut(Controls::Action action)
{
    switch (action) {
    case Controls::Action::NextPicture:
        m_game.nextPicture();
        m_wave.hide();
        break;
    case Controls::Action::PreviousPicture:
        m_game.previousPicture();
        m_wave.hide();
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
    if (lift.endsTap && tapWaveTarget(at))
        return false;
    return lift.endsTap;
}

bool PlaySession::tapWaveTarget(Point at)
{
    if (!m_wave.isShown() || m_controls.openPanel() != Controls::Panel::None
        || !WaveTarget::placeOn(m_game.pictureSize()).contains(m_game.toPicture(toOutput(at))))
        return false;
    goOn();
    return true;
}

bool PlaySession::activateWaveTarget()
{
    if (!m_wave.isShown() || m_controls.openPanel() != Controls::Panel::None)
        return false;
    goOn();
    return true;
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
    m_changedParts.clear();
    if (frame.size() != m_game.pictureSize())
        return {};
    if (mirrorsFrames() && !mirrored)
        frame.mirror();
    m_silenced = false;
    // The target counts the frame's motion against the reference the game
    // compares it with, while the game plays.
    WaveTarget::Motion motion;
    const ConstImageView reference = m_game.motionReference();
    const bool compared = m_wave.isShown() && m_game.isIceView() && reference.size() == frame.size();
    if (compared)
        motion = WaveTarget::motionOf(frame.view(), reference, WaveTarget::placeOn(frame.size()),
                                      m_game.cameraSensitivity());
    const Rect changed = m_game.step(frame, cameraSize);
    return noteChangedParts(changed, followWave(compared ? &motion : nullptr));
}

bool PlaySession::stepWithoutFrameDue() const
{
    return m_pace.stepsWithoutFrame(m_game, m_clock.nowMilliseconds());
}

Rect PlaySession::stepWithoutFrame()
{
    m_silenced = false;
    const Rect changed = m_game.stepWithoutFrame();
    return noteChangedParts(changed, followWave(nullptr));
}

Rect PlaySession::noteChangedParts(const Rect &game, const Rect &wave)
{
    m_changedParts = m_game.changedParts();
    if (!wave.isEmpty())
        m_changedParts.push_back(wave);
    return game.united(wave);
}

void PlaySession::setWaveToGoOn(bool on)
{
    m_settings.waveToGoOn = on;
    if (!isWaveToGoOnEnabled())
        m_wave.hide();
}

void PlaySession::setWaveTargetDrawn(bool drawn)
{
    m_waveTargetDrawn = drawn;
    if (!isWaveToGoOnEnabled())
        m_wave.hide();
}

PlaySession::Placed PlaySession::waveTargetPlace() const
{
    const WaveTarget::Circle circle = WaveTarget::placeOn(m_game.pictureSize());
    const Rect r = m_game.pictureRect();
    const Size picture = m_game.pictureSize();
    if (picture.isEmpty() || r.isEmpty())
        return {0.0, 0.0, 0.0};
    const double scale = double(r.width) / picture.width;
    return {r.x + circle.centerX * scale, r.y + circle.centerY * scale, circle.radius * scale};
}

Rect PlaySession::followWave(const WaveTarget::Motion *motion)
{
    if (m_wave.isShown() && m_wavePicture != m_game.pictureNumber())
        m_wave.hide();
    // The target comes with a win: the step that brings the banner. The
    // melt levels carry over to the next picture, so its banner may show at
    // once; that is no win of its own.
    const bool won = m_game.bannerShown() && !m_bannerWasShown;
    m_bannerWasShown = m_game.bannerShown();
    if (!m_wave.isShown() && isWaveToGoOnEnabled() && won) {
        m_wave.show();
        m_wavePicture = m_game.pictureNumber();
    }
    if (!motion)
        return {};
    const double fillBefore = m_wave.fill();
    if (m_wave.frameSeen(*motion)) {
        goOn();
        return {0, 0, m_game.outputSize().width, m_game.outputSize().height};
    }
    // The ring grew or shrank: its place is drawn again, whatever the
    // picture under it did.
    if (m_wave.fill() == fillBefore)
        return {};
    const Placed place = waveTargetPlace();
    return WaveTarget::areaAround(place.centerX, place.centerY, place.radius)
        .intersected({0, 0, m_game.outputSize().width, m_game.outputSize().height});
}

void PlaySession::goOn()
{
    // As the next-picture tool does it: the next picture, under its ice.
    m_game.nextPicture();
    m_wave.hide();
    m_wentOn = true;
}
