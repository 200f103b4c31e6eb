#include "app/frame_stepper.h"

#include "app/camera_controller.h"
#include "app/picture_view.h"
#include "bridge/qt_bridge.h"
#include "core/game.h"
#include "core/step_pace.h"

#include <QLoggingCategory>
#include <QTimer>

// Off unless asked for: QT_LOGGING_RULES="frostpane.stats.info=true".
Q_LOGGING_CATEGORY(lcStats, "frostpane.stats", QtWarningMsg)

namespace {

constexpr int kStepWithoutCameraMilliseconds = StepPace::kStepWithoutCameraMilliseconds;
constexpr std::int64_t kCameraQuietMilliseconds = StepPace::kCameraQuietMilliseconds;

} // namespace

FrameStepper::FrameStepper(Game &game, CameraController &camera, PictureView &view, const Clock &clock, QObject *parent)
    : QObject(parent)
    , m_game(game)
    , m_camera(camera)
    , m_view(view)
    , m_sinceFrame(clock)
{
    setObjectName(QStringLiteral("frameStepper"));
    m_stepTimer = new QTimer(this);
    m_stepTimer->setObjectName(QStringLiteral("stepTimer"));
    m_stepTimer->setInterval(kStepWithoutCameraMilliseconds);
    connect(m_stepTimer, &QTimer::timeout, this, &FrameStepper::stepWithoutCamera);

    connect(&m_camera.camera(), &VideoCamera::frameArrived, this, &FrameStepper::stepFrame);
    // Frames of a new stream are never compared with the old stream's.
    connect(&m_camera.camera(), &VideoCamera::streamStarted, this, [this] { m_game.requestNewReference(); });
    connect(&m_view, &PictureView::painted, this, &FrameStepper::measureShownFrame);
}

// ---- Steps -----------------------------------------------------------------------

void FrameStepper::stepFrame()
{
    VideoCamera &camera = m_camera.camera();
    if (!camera.isActive())
        return;
    const bool measuring = lcStats().isInfoEnabled();
    const std::int64_t start = measuring ? steadyMicroseconds() : 0;
    if (!camera.takeFrame(m_takenFrame))
        return;
    m_sinceFrame.restart();
    const bool mirrored = m_camera.kind() == CameraKind::Front;
    const QRect changed = toQRect(
        m_game.step(m_frameFitter.fit(m_takenFrame, m_game.pictureSize(), mirrored), m_takenFrame.size()));
    showStep(changed);
    if (!measuring)
        return;
    const std::int64_t now = steadyMicroseconds();
    if (!m_statistics)
        m_statistics.emplace(now);
    m_statistics->stepped(now - start);
    const VideoCamera::FrameCounts counts = camera.frameCounts();
    m_statistics->countFrames(counts.received, counts.replaced);
    if (!changed.isEmpty())
        m_unshownArrival = camera.takenFrameArrival();
    if (const std::optional<std::string> report = m_statistics->takeReport(now))
        qCInfo(lcStats).noquote() << toQString(*report);
}

void FrameStepper::measureShownFrame()
{
    if (!m_statistics || m_unshownArrival == 0)
        return;
    m_statistics->shown(steadyMicroseconds() - m_unshownArrival);
    m_unshownArrival = 0;
}

void FrameStepper::wipeAlong(QPointF from, QPointF to)
{
    // The game drops strokes in the camera view itself.
    m_game.addStroke(m_game.toPicture(toPoint(from)), m_game.toPicture(toPoint(to)));
    if (m_game.hasPendingStrokes() && !m_stepTimer->isActive())
        m_stepTimer->start();
}

bool FrameStepper::cameraDelivers() const
{
    return m_camera.isActive() && m_sinceFrame.isRunning()
           && m_sinceFrame.elapsedMilliseconds() < kCameraQuietMilliseconds;
}

void FrameStepper::stepWithoutCamera()
{
    // While frames come, they step the game, strokes included; the camera
    // view pauses it.
    if (cameraDelivers() || !m_game.isIceView()) {
        m_stepTimer->stop();
        return;
    }
    showStep(toQRect(m_game.stepWithoutFrame()));
    // At rest nothing ticks.
    if (m_game.isSettled())
        m_stepTimer->stop();
}

void FrameStepper::showStep(const QRect &changed)
{
    tellSoundsAboutStep();
    if (!changed.isEmpty())
        m_view.updateOutput(changed); // the black bars stay as they are
}

// ---- Sound: everything the game's sounds are told -------------------------------

void FrameStepper::setSounds(std::unique_ptr<GameSounds> sounds, bool enabled)
{
    m_sounds = std::move(sounds);
    setSoundEnabled(enabled);
}

void FrameStepper::tellSoundsAboutStep()
{
    if (!m_sounds)
        return;
    m_sounds->setWipeAmount(m_game.iceWipedFraction());
    m_sounds->setBannerShown(m_game.bannerShown());
}

void FrameStepper::setSoundEnabled(bool enabled)
{
    if (m_sounds)
        m_sounds->setEnabled(enabled);
}

void FrameStepper::tap()
{
    if (m_sounds)
        m_sounds->tap();
}

void FrameStepper::cameraStateChanged(bool running)
{
    // A stopped camera steps the game no more: the crackle must not hang on.
    if (!running)
        silence();
}

void FrameStepper::viewChanged()
{
    // The camera view pauses the game: nothing is wiped there.
    if (!m_game.isIceView())
        silence();
}

void FrameStepper::silence()
{
    if (m_sounds)
        m_sounds->setWipeAmount(0.0);
}
