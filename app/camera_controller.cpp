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
    readCaptureSettings();
    Q_EMIT sideChanged(kind);
    if (notify && sideChanges)
        Q_EMIT settingsChanged();
}

// ---- Capture settings ------------------------------------------------------------

void CameraController::readCaptureSettings()
{
    const QList<VideoCaptureSetting> offered = m_camera->availableCaptureSettings();
    const std::string cameraId = m_camera->deviceId().toStdString();
    m_session.useCamera(cameraId, {offered.cbegin(), offered.cend()});
    const std::optional<VideoCaptureSetting> remembered = m_session.settings().resolutionFor(cameraId);
    if (remembered && !offered.isEmpty() && !m_session.usesOwnResolution())
        qCInfo(lcCameraChoice).noquote() << "the camera does not offer" << toQString(captureSettingText(*remembered))
                                         << "; the default resolution is used";
    if (const std::optional<VideoCaptureSetting> request = m_session.resolutionToRequest())
        m_camera->requestCaptureSetting(*request);
    Q_EMIT captureSettingsRead();
}

void CameraController::takeResolution(double position)
{
    const std::optional<VideoCaptureSetting> chosen = m_session.chooseResolution(position);
    if (!chosen)
        return;
    const bool wasActive = m_camera->isActive();
    m_camera->setActive(false);
    m_camera->requestCaptureSetting(*chosen);
    // The camera may have settled on another setting: that one is kept.
    m_session.resolutionSettled(m_camera->captureSetting());
    m_camera->setActive(wasActive);
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
