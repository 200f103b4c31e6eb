#pragma once

#include "camera/frame_fitter.h"
#include "core/frame_statistics.h"
#include "core/image.h"
#include "sound/game_sounds.h"

#include <QObject>
#include <QPointF>

#include <cstdint>
#include <memory>
#include <optional>

class CameraController;
class PictureView;
class PlaySession;
class QTimer;

// Steps the play session: on every camera frame while the camera runs, and
// whenever the session says a step without a frame is due (strokes wipe or
// the ice grows back with no frames to do it); shows what each step changed
// and tells the game's sounds what the session says they follow. The frame
// statistics are kept here while the frostpane.stats logging category is
// on. Everything runs on the GUI thread.
class FrameStepper final : public QObject
{
    Q_OBJECT

public:
    // `session`, `camera` and `view` must outlive the stepper.
    FrameStepper(PlaySession &session, CameraController &camera, PictureView &view, QObject *parent = nullptr);

    // The sounds from now on, on or off; without any the game is silent.
    void setSounds(std::unique_ptr<GameSounds> sounds, bool enabled);
    void setSoundEnabled(bool enabled);
    // A tool acted: a soft tick.
    void tap();
    // Whether the session went on to the next picture by its wave target
    // (filled on a step, or tapped or pressed just now): then the whoosh
    // sounds and wentOn() is sent.
    void followWentOn();

    // A stroke from `from` to `to` in the game's output pixels; the next
    // step wipes along it.
    void wipeAlong(QPointF from, QPointF to);
    // The camera may have stopped, or the game went to the camera view:
    // nothing is wiped until the next step says otherwise.
    void cameraStateChanged(bool running);
    void viewChanged();

Q_SIGNALS:
    // The wave target brought the next picture.
    void wentOn();
    // The wave target came or went.
    void waveTargetShown(bool shown);

private:
    void stepFrame();
    void stepWithoutCamera();
    void measureShownFrame();
    void showStep(const QRect &changed);
    void tellSounds();

    PlaySession &m_session;
    CameraController &m_camera;
    PictureView &m_view;
    Image m_takenFrame; // reused from frame to frame
    FrameFitter m_frameFitter;
    // Steps the game while strokes wipe and the ice grows back with no
    // camera frames to do it.
    QTimer *m_stepTimer = nullptr;

    // Only while the frostpane.stats logging category is on.
    std::optional<FrameStatistics> m_statistics;
    std::int64_t m_unshownArrival = 0; // of the frame stepped but not yet painted

    std::unique_ptr<GameSounds> m_sounds;
    bool m_waveTargetShown = false;
};
