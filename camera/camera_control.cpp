// Turning the camera on and off and switching between front and back.
#include "app/frostpane_main_form.h"

bool TFrostpaneMainForm::isIconTap() const
{
    // A click counts only when the press that led to it was short; exactly
    // the limit still counts.
    return IconPressStopwatch.elapsedMilliseconds() <= IconTapMilliseconds;
}

void TFrostpaneMainForm::showCameraState()
{
    LoadBitmapFromImageBook(CameraIconRectangle, CameraComponent->isActive()
                                                     ? QStringLiteral("camera_on")
                                                     : QStringLiteral("camera_off"));
}

void TFrostpaneMainForm::CameraIconRectangleClick()
{
    if (!isIconTap())
        return;
    ToolsIdleTicks = 0;
    ButtonsVisibleTimer->start();
    if (AvailableCaptureSettings.isEmpty())
        return;

    // A second tap within the limit is ignored and restarts the window, so a
    // child drumming on the icon does not flicker the camera on and off.
    CameraToggleStopwatch.stop();
    const qint64 sinceLastToggle = CameraToggleStopwatch.elapsedMilliseconds();
    if (sinceLastToggle < IconTapMilliseconds && CameraToggled) {
        CameraToggleStopwatch.restart();
        return;
    }
    CameraToggled = true;
    CameraToggleStopwatch.restart();

    CameraComponent->setActive(!CameraComponent->isActive());
    if (CameraComponent->isActive())
        GetCameraRectSize();
    // The icon shows what the device really did.
    showCameraState();
}

void TFrostpaneMainForm::SwitchFrontAndBackCameraIconRectangleClick()
{
    if (!isIconTap())
        return;
    ToolsIdleTicks = 0;
    IsFrontCamera = !IsFrontCamera;
    ClearOutputPending = true;
    UseDefaultResolution = true; // a resolution chosen for the other camera is not carried over
    if (IsFrontCamera) {
        SwitchToFrontCamera();
        LoadBitmapFromImageBook(SwitchFrontAndBackCameraIconRectangle, QStringLiteral("camera_front"));
    } else {
        SwitchToBackCamera();
        LoadBitmapFromImageBook(SwitchFrontAndBackCameraIconRectangle, QStringLiteral("camera_back"));
    }
}

void TFrostpaneMainForm::switchCamera(CameraKind kind)
{
    // The camera is always stopped while its device changes.
    const bool wasActive = CameraComponent->isActive();
    CameraComponent->setActive(false);
    CameraComponent->setKind(kind);
    IsFrontCamera = kind == CameraKind::Front;
    GetCameraAllResolutions();
    CameraComponent->setActive(wasActive);
    GetCameraRectSize();
}

void TFrostpaneMainForm::SwitchToFrontCamera()
{
    switchCamera(CameraKind::Front);
}

void TFrostpaneMainForm::SwitchToBackCamera()
{
    switchCamera(CameraKind::Back);
}
