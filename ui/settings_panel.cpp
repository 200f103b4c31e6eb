// The settings panel: camera sensitivity, freezing speed and the capture
// resolution, confirmed with OK or cancelled by a tap on the picture.
#include "app/frostpane_main_form.h"
#include "camera/capture_resolutions.h"
#include "ui/settings_mapping.h"

QList<QWidget *> TFrostpaneMainForm::settingsControls() const
{
    return {CameraResolutionsRectangle, CameraResolutionsLabel,    CameraResolutionsTrackBar,
            CameraSensitivityRectangle, CameraSensitivityLabel,    CameraSensitivityTrackBar,
            FreezingSpeedRectangle,     FreezingSpeedLabel,        FreezingSpeedTrackBar,
            OkButtonRectangle,          OKButton};
}

void TFrostpaneMainForm::SettingsIconRectangleClick()
{
    if (!isIconTap())
        return;
    CameraSensitivityTrackBar->setValue(sensitivitySliderValue(CameraSensitivity));
    FreezingSpeedTrackBar->setValue(FreezingSpeed);

    if (!AvailableCaptureSettings.isEmpty()) {
        CameraResolutionsTrackBar->setEnabled(true);
        SavedCaptureSetting = CameraComponent->captureSetting();
        SavedCameraActive = CameraComponent->isActive();
        SetCameraResolutionsTrackBarAndlabel();
    } else {
        CameraResolutionsTrackBar->setEnabled(false);
        CameraResolutionsLabel->setText(QStringLiteral("Camera not available"));
    }
    CameraResolutionsLabel->setVisible(true);
    // The chooser's box and slider show too: without them the resolution
    // could never be changed.
    CameraResolutionsRectangle->setVisible(true);
    CameraResolutionsTrackBar->setVisible(true);

    ButtonsVisibleTimer->stop();
    ToolsIdleTicks = 0;
    setControlsVisible({EyeIconRectangle, CameraIconRectangle, SettingsIconRectangle,
                        SwitchFrontAndBackCameraIconRectangle, AboutIconRectangle,
                        NextImageIconRectangle, PreviousImageIconRectangle},
                       false);
    setControlsVisible({CameraSensitivityRectangle, CameraSensitivityLabel, CameraSensitivityTrackBar,
                        FreezingSpeedRectangle, FreezingSpeedLabel, FreezingSpeedTrackBar,
                        OkButtonRectangle, OKButton},
                       true);
}

void TFrostpaneMainForm::OKButtonClick()
{
    CameraSensitivity = sensitivityFromSlider(CameraSensitivityTrackBar->value());
    FreezingSpeed = freezingSpeedFromSlider(FreezingSpeedTrackBar->value());
    ToolsIdleTicks = 0;
    if (CameraResolutionsLabel->isHidden())
        return;

    ButtonsVisibleTimer->stop();
    for (QWidget *control : settingsControls())
        control->setVisible(false);

    // Once the user has moved the resolution slider, every OK applies it.
    if (!ResolutionTrackBarChanged)
        return;
    CameraWasActive = CameraComponent->isActive();
    CameraComponent->setActive(false);
    ClearOutputPending = true;
    if (!AvailableCaptureSettings.isEmpty()) {
        const int j = resolutionIndexOfPosition(CameraResolutionsTrackBar->value(), CameraResolutionsLast);
        if (j < CameraResolutions.size())
            CameraComponent->requestCaptureSetting(CameraResolutions[j]);
        if (j < CameraResolutionsList.size())
            CameraResolutionsLabel->setText(CameraResolutionsList[j]);
        CustomCaptureSetting = CameraComponent->captureSetting();
        UseDefaultResolution = false;
    }
    CameraComponent->setActive(CameraWasActive);
    GetCameraRectSize();
    showCameraState();
}
