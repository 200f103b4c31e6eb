#pragma once

#include "camera/video_camera.h"
#include "core/capture_resolutions.h"
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

    // The selected device's capture settings as the resolution chooser
    // offers them.
    bool hasCaptureSettings() const { return !m_captureSettings.isEmpty(); }
    const CaptureResolutions &resolutions() const { return m_resolutions; }
    // The index of the entry in use: the default by its size alone, the
    // user's own setting whole; -1 when no entry is.
    int resolutionInUse() const;
    // Requests the entry of that index and from now on uses what the camera
    // settled on as the user's own resolution.
    void useResolution(int index);
    // The resolution in use is remembered for this camera alone, in the
    // session's settings.
    void keepResolutionInUse();
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
    std::optional<VideoCaptureSetting> rememberedResolution() const;
    void readCaptureSettings();

    VideoCamera *m_camera; // owned as a child
    PlaySession &m_session;

    QList<VideoCaptureSetting> m_captureSettings; // as the device reports them
    CaptureResolutions m_resolutions;             // one entry per size
    // The resolution the selected camera uses: the user's own, or nullopt
    // for the default.
    std::optional<VideoCaptureSetting> m_chosenResolution;
    // What returnToNoted() goes back to.
    VideoCaptureSetting m_notedSetting;
    bool m_notedActive = false;
};
