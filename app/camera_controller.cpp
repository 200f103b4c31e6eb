#include "app/camera_controller.h"

#include "bridge/qt_bridge.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcCameraChoice, "frostpane.window")

CameraController::CameraController(std::unique_ptr<VideoCamera> camera, PlaySession &session, QObject *parent)
    : QObject(parent)
    , m_camera(camera.release())
    , m_session(session)
{
    setObjectName(QStringLiteral("cameraController"));
    m_camera->setParent(this);
    // A camera that dies or is pulled out must not be shown as running.
    connect(m_camera, &VideoCamera::stoppedByItself, this, &CameraController::reportState);
    connect(m_camera, &VideoCamera::camerasChanged, this, [this] {
        readCaptureSettings();
        reportState();
    });
}

void CameraController::selectRememberedCamera()
{
    // Not a change worth saving: the settings file already says so, or
    // names a camera that is not there.
    useCamera(m_session.isBackCamera() && m_camera->hasCamera(CameraKind::Back) ? CameraKind::Back : CameraKind::Front,
              false);
}

bool CameraController::toggle()
{
    if (!hasCaptureSettings())
        return false;
    const bool starting = !m_camera->isActive();
    m_camera->setActive(starting);
    // The chosen camera would not start: the other one, if there is one,
    // is the camera that is there.
    if (starting && !m_camera->isActive() && m_camera->hasCamera(otherKind())) {
        qCInfo(lcCameraChoice) << "the selected camera did not start; trying the other one";
        useCamera(otherKind());
        m_camera->setActive(true);
    }
    reportState();
    return true;
}

bool CameraController::switchSide()
{
    // Nothing to switch to is no reason to stop the camera that plays.
    if (!m_camera->hasCamera(otherKind())) {
        qCInfo(lcCameraChoice) << "no other camera to switch to";
        return false;
    }
    const bool wasActive = m_camera->isActive();
    m_camera->setActive(false);
    useCamera(otherKind());
    m_camera->setActive(wasActive);
    // Off at once if the other camera would not start.
    reportState();
    return true;
}

void CameraController::reportState()
{
    Q_EMIT stateChanged(m_camera->isActive());
}

void CameraController::useCamera(CameraKind kind, bool notify)
{
    const bool sideChanges = kind != this->kind();
    m_session.setBackCamera(kind == CameraKind::Back);
    m_camera->setKind(kind);
    // Each camera comes with the resolution remembered for it.
    m_chosenResolution = rememberedResolution();
    readCaptureSettings();
    Q_EMIT sideChanged(kind);
    if (notify && sideChanges)
        Q_EMIT settingsChanged();
}

std::optional<VideoCaptureSetting> CameraController::rememberedResolution() const
{
    const std::optional<VideoCaptureSetting> remembered = m_session.settings().resolutionFor(
        m_camera->deviceId().toStdString());
    // A camera that no longer offers it gets the default.
    if (remembered && !m_camera->availableCaptureSettings().contains(*remembered)) {
        qCInfo(lcCameraChoice).noquote() << "the camera does not offer" << toQString(captureSettingText(*remembered))
                                         << "; the default resolution is used";
        return std::nullopt;
    }
    return remembered;
}

// ---- Capture settings ------------------------------------------------------------

void CameraController::readCaptureSettings()
{
    m_captureSettings = m_camera->availableCaptureSettings();
    m_resolutions = reduceCaptureSettings({m_captureSettings.cbegin(), m_captureSettings.cend()});
    if (!m_captureSettings.isEmpty()) {
        if (!m_chosenResolution) {
            // Without a 640 x 480 setting the camera keeps whatever it has.
            if (m_resolutions.defaultSetting.frameRate != 0.0)
                m_camera->requestCaptureSetting(m_resolutions.defaultSetting);
        } else {
            m_camera->requestCaptureSetting(*m_chosenResolution);
        }
    }
    Q_EMIT captureSettingsRead();
}

int CameraController::resolutionInUse() const
{
    // The default is found by its size alone; the user's own setting must
    // match whole, frame rate included.
    const VideoCaptureSetting inUse = m_chosenResolution ? m_camera->captureSetting()
                                                         : VideoCaptureSetting{640, 480, 0.0};
    for (int j = 0; j <= m_resolutions.last && j < int(m_resolutions.entries.size()); ++j) {
        const VideoCaptureSetting &entry = m_resolutions.entries[std::size_t(j)];
        if (m_chosenResolution ? entry == inUse : entry.sameSize(inUse))
            return j;
    }
    return -1;
}

void CameraController::useResolution(int index)
{
    const bool wasActive = m_camera->isActive();
    m_camera->setActive(false);
    if (!m_captureSettings.isEmpty()) {
        if (index >= 0 && index < int(m_resolutions.entries.size()))
            m_camera->requestCaptureSetting(m_resolutions.entries[std::size_t(index)]);
        // The camera may have settled on another setting: that one is kept.
        m_chosenResolution = m_camera->captureSetting();
    }
    m_camera->setActive(wasActive);
}

void CameraController::keepResolutionInUse()
{
    // A camera with no id cannot be told apart from the next one.
    const std::string cameraId = m_camera->deviceId().toStdString();
    if (!cameraId.empty() && hasCaptureSettings() && m_chosenResolution != m_session.settings().resolutionFor(cameraId))
        m_session.rememberResolution(cameraId, m_chosenResolution);
}

void CameraController::noteState()
{
    m_notedSetting = m_camera->captureSetting();
    m_notedActive = m_camera->isActive();
}

void CameraController::returnToNoted()
{
    readCaptureSettings();
    m_camera->setActive(m_notedActive);
    m_camera->requestCaptureSetting(m_notedSetting);
    reportState();
}
