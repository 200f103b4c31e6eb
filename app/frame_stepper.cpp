#include "app/frame_stepper.h"

#include "app/camera_controller.h"
#include "app/picture_view.h"
#include "bridge/qt_bridge.h"
#include "core/play_session.h"

#include <QLoggingCategory>
#include <QRegion>
#include <QTimer>

// Off unless asked for: QT_LOGGING_RULES="frostpane.stats.info=true".
Q_LOGGING_CATEGORY(lcStats, "frostpane.stats", QtWarningMsg)

FrameStepper::FrameStepper(PlaySession &session, CameraController &camera, PictureView &view, QObject *parent)
    : QObject(parent)
    , m_session(session)
    , m_camera(camera)
    , m_view(view)
{
    setObjectName(QStringLiteral("frameStepper"));
    m_stepTimer = new QTimer(this);
    m_stepTimer->setObjectName(QStringLiteral("stepTimer"));
    m_stepTimer->setInterval(StepPace::kStepWithoutCameraMilliseconds);
    connect(m_stepTimer, &QTimer::timeout, this, &FrameStepper::stepWithoutCamera);

    connect(&m_camera.camera(), &VideoCamera::frameArrived, this, &FrameStepper::stepFrame);
    connect(&m_camera.camera(), &VideoCamera::streamStarted, this, [this] { m_session.cameraStarted(); });
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
    // The scaler mirrors a front camera's frame on its way, as the session
    // asks; the session then leaves it as it is.
    const bool mirrored = m_session.mirrorsFrames();
    Image &fitted = m_frameFitter.fit(m_takenFrame, m_session.game().pictureSize(), mirrored);
    const QRect changed = toQRect(m_session.stepFrame(fitted, m_takenFrame.size(), mirrored));
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
    m_session.wipeAlong(toPoint(from), toPoint(to));
    if (m_session.game().hasPendingStrokes() && !m_stepTimer->isActive())
        m_stepTimer->start();
}

void FrameStepper::stepWithoutCamera()
{
    // While frames come they step the game, strokes included; the camera
    // view pauses it; at rest nothing ticks.
    if (!m_session.stepWithoutFrameDue()) {
        m_stepTimer->stop();
        return;
    }
    showStep(toQRect(m_session.stepWithoutFrame()));
    if (!m_session.stepWithoutFrameDue())
        m_stepTimer->stop();
}

void FrameStepper::showStep(const QRect &changed)
{
    tellSounds();
    if (!changed.isEmpty()) {
        // Only the parts that changed are drawn again (scaling the picture
        // into the window is the most a frame costs); the black bars stay as
        // they are.
        QRegion parts;
        for (const Rect &part : m_session.changedParts())
            parts += toQRect(part);
        m_view.updateOutput(parts);
    }
    followWentOn();
}

void FrameStepper::followWentOn()
{
    if (m_session.takeWentOn()) {
        if (m_sounds)
            m_sounds->wentOn();
        m_view.update();
        Q_EMIT wentOn();
    }
    const bool shown = m_session.waveTarget().isShown();
    if (shown != m_waveTargetShown) {
        m_waveTargetShown = shown;
        Q_EMIT waveTargetShown(shown);
    }
}

// ---- Sound: everything the game's sounds are told -------------------------------

void FrameStepper::setSounds(std::unique_ptr<GameSounds> sounds, bool enabled)
{
    m_sounds = std::move(sounds);
    setSoundEnabled(enabled);
}

void FrameStepper::tellSounds()
{
    if (!m_sounds)
        return;
    m_sounds->setWipeAmount(m_session.wipeSound());
    m_sounds->setBannerShown(m_session.game().bannerShown());
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
    if (running)
        return;
    // Steps without frames take over at once, and the crackle stops.
    m_session.cameraStopped();
    tellSounds();
    if (m_session.stepWithoutFrameDue() && !m_stepTimer->isActive())
        m_stepTimer->start();
}

void FrameStepper::viewChanged()
{
    tellSounds();
    if (m_session.stepWithoutFrameDue() && !m_stepTimer->isActive())
        m_stepTimer->start();
}
