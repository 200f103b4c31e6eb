#pragma once

#include "camera/video_camera.h"
#include "core/play_session.h"

#include <QList>
#include <QObject>

#include <memory>
#include <optional>

// The one owner of the camera: it starts and stops it, selects the front or
// back device, and requests its capture setting, the default or the one the
// user chose for that very camera. The camera is always stopped while its
// device or setting changes, and runs again afterwards as it ran before.
// The side and the resolutions chosen per camera are the play session's,
// read and told here. Everything runs on the GUI thread.
class CameraController final : public QObject
{
    Q_OBJECT

public:
    // Takes the camera. `session` must outlive the controller.
    CameraController(std::unique_ptr<VideoCamera> camera, PlaySession &session, QObject *parent = nullptr);

    // For its frames and what it reports; nothing else starts, stops or sets
    // up the camera.
    VideoCamera &camera() const { return *m_camera; }
    bool isActive() const { return m_camera->isActive(); }
    CameraKind kind() const { return m_session.isBackCamera() ? CameraKind::Back : CameraKind::Front; }

    // Selects the remembered side if that camera is there, the front one
    // otherwise, and requests its resolution; the camera stays off.
    void selectRememberedCamera();
    // Starts a stopped camera (the other one if the selected one will not
    // start) or stops a running one. Does nothing, and returns false, when
    // there is no camera. (The tools let a repeat through no sooner than the
    // tap limit.)
    bool toggle();
    // The other device, running as this one ran; false, changing nothing,
    // when there is no other camera.
    bool switchSide();
    void stop() { m_camera->setActive(false); }
    // Sends stateChanged() with whether the camera runs now.
    void reportState();

    // Whether the selected device offers capture settings to choose from;
    // the choice itself is the session's.
    bool hasCaptureSettings() const { return m_session.offersResolutions(); }
    // The index of the entry in use (PlaySession::resolutionInUse()).
    int resolutionInUse() const { return m_session.resolutionInUse(m_camera->captureSetting()); }
    // The settings panel's OK with the resolution slider at `position`:
    // once the slider was moved, the camera is asked for that entry, and
    // what it settled on is remembered for this camera alone.
    void takeResolution(double position);
    // Notes the running state and the setting; returnToNoted() goes back to
    // them, reading the capture settings again first.
    void noteState();
    void returnToNoted();

Q_SIGNALS:
    // The camera may have started or stopped (asked, or by itself).
    void stateChanged(bool running);
    // The front or back camera was selected.
    void sideChanged(CameraKind kind);
    // The selected device's capture settings were read and its resolution
    // requested again.
    void captureSettingsRead();
    // Another camera side was selected: worth saving at once.
    void settingsChanged();

private:
    CameraKind otherKind() const { return kind() == CameraKind::Front ? CameraKind::Back : CameraKind::Front; }
    void useCamera(CameraKind kind, bool notify = true);
    void readCaptureSettings();

    VideoCamera *m_camera; // owned as a child
    PlaySession &m_session;

    // What returnToNoted() goes back to.
    VideoCaptureSetting m_notedSetting;
    bool m_notedActive = false;
};
