// Reading the device's capture settings and keeping the resolution chooser in
// step with the setting in use.
#include "app/frostpane_main_form.h"
#include "camera/capture_resolutions.h"

#include <QSignalBlocker>

void TFrostpaneMainForm::GetCameraAllResolutions()
{
    AvailableCaptureSettings = CameraComponent->availableCaptureSettings();
    const CaptureResolutions reduced = reduceCaptureSettings(AvailableCaptureSettings);
    CameraResolutions = reduced.entries;
    CameraResolutionsLast = reduced.last;
    DefaultCaptureSetting = reduced.defaultSetting;

    // With no device the old label texts stay.
    if (!AvailableCaptureSettings.isEmpty()) {
        CameraResolutionsList.clear();
        for (int k = 0; k <= CameraResolutionsLast; ++k)
            CameraResolutionsList.append(resolutionLabel(CameraResolutions[k]));
    }
    {
        const QSignalBlocker detached(CameraResolutionsTrackBar);
        CameraResolutionsTrackBar->setMinimum(0);
        CameraResolutionsTrackBar->setMaximum(CameraResolutionsLast);
    }
    SetDefaultOrCustomCameraResolution();
}

void TFrostpaneMainForm::SetDefaultOrCustomCameraResolution()
{
    if (AvailableCaptureSettings.isEmpty())
        return;
    if (UseDefaultResolution) {
        // Without a 640 x 480 setting the camera keeps whatever it has.
        if (DefaultCaptureSetting.FrameRate != 0.0)
            CameraComponent->requestCaptureSetting(DefaultCaptureSetting);
    } else {
        CameraComponent->requestCaptureSetting(CustomCaptureSetting);
    }
    SetCameraResolutionsTrackBarAndlabel();
    if (CameraComponent->isActive())
        GetCameraRectSize();
}

void TFrostpaneMainForm::SetCameraResolutionsTrackBarAndlabel()
{
    const VideoCaptureSetting inUse =
        UseDefaultResolution ? VideoCaptureSetting{640, 480, 0.0} : CameraComponent->captureSetting();
    for (int j = 0; j <= CameraResolutionsLast && j < CameraResolutions.size(); ++j) {
        const VideoCaptureSetting &entry = CameraResolutions[j];
        const bool match = UseDefaultResolution ? entry.sameSize(inUse) : entry == inUse;
        if (!match)
            continue;
        if (j < CameraResolutionsList.size())
            CameraResolutionsLabel->setText(CameraResolutionsList[j]);
        const QSignalBlocker detached(CameraResolutionsTrackBar);
        CameraResolutionsTrackBar->setValue(resolutionPositionOfIndex(j, CameraResolutionsLast));
        return;
    }
}

void TFrostpaneMainForm::CameraResolutionsTrackBarTracking()
{
    const int j = resolutionIndexOfPosition(CameraResolutionsTrackBar->value(), CameraResolutionsLast);
    if (j < CameraResolutionsList.size())
        CameraResolutionsLabel->setText(CameraResolutionsList[j]);
}

void TFrostpaneMainForm::CameraResolutionsTrackBarChange()
{
    ResolutionTrackBarChanged = true;
    CameraResolutionsTrackBarTracking();
}
