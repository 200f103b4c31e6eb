// Stepping through the pictures, the eye icon's two views, and a tap on the
// picture itself.
#include "app/frostpane_main_form.h"

QString TFrostpaneMainForm::pictureName(std::int32_t number)
{
    return QStringLiteral("frostpane_00") + QString::number(number);
}

QString TFrostpaneMainForm::iceName(std::int32_t number)
{
    return pictureName(number) + QStringLiteral("_ice");
}

void TFrostpaneMainForm::showPicture()
{
    LoadPhotoFromImageBook(PhotoBitmap, pictureName(PictureNumber));
    LoadPhotoFromImageBook(IceBitmap, iceName(PictureNumber));
    RedrawIce();
}

void TFrostpaneMainForm::NextImageIconRectangleClick()
{
    ToolsIdleTicks = 0;
    PictureNumber += 1;
    if (PictureNumber > PictureCount)
        PictureNumber = 1;
    showPicture(); // the wiped areas stay: the melt levels are the child's, not the picture's
}

void TFrostpaneMainForm::PreviousImageIconRectangleClick()
{
    ToolsIdleTicks = 0;
    PictureNumber -= 1;
    if (PictureNumber < 1)
        PictureNumber = PictureCount;
    showPicture();
}

void TFrostpaneMainForm::EyeIconRectangleClick()
{
    if (!isIconTap())
        return;
    ToolsIdleTicks = 0;
    IsIceView = !IsIceView;
    LoadBitmapFromImageBook(EyeIconRectangle, IsIceView ? QStringLiteral("view_snowflake")
                                                        : QStringLiteral("view_man"));
}

void TFrostpaneMainForm::OutputRectangleClick()
{
    ToolsIdleTicks = 0;
    const bool settingsOpen = !CameraResolutionsLabel->isHidden();
    if (settingsOpen || !AboutMemo->isHidden()) {
        if (settingsOpen) {
            // Cancel: the camera goes back to how it was when the panel opened.
            GetCameraAllResolutions();
            CameraComponent->setActive(SavedCameraActive);
            CameraComponent->requestCaptureSetting(SavedCaptureSetting);
            GetCameraRectSize();
            showCameraState();
        }
        ButtonsVisibleTimer->stop();
        for (QWidget *control : settingsControls())
            control->setVisible(false);
        AboutMemo->setVisible(false);
        return;
    }

    ToolsVisible = true;
    for (BitmapRectangle *icon : {SettingsIconRectangle, CameraIconRectangle, EyeIconRectangle,
                                  SwitchFrontAndBackCameraIconRectangle, AboutIconRectangle,
                                  NextImageIconRectangle, PreviousImageIconRectangle})
        icon->setVisible(true);
    // Undo any fade. (The resolution chooser never fades, so only icons need it.)
    for (BitmapRectangle *icon : {SettingsIconRectangle, CameraIconRectangle, EyeIconRectangle,
                                  SwitchFrontAndBackCameraIconRectangle, AboutIconRectangle,
                                  NextImageIconRectangle, PreviousImageIconRectangle})
        icon->setOpacity(1.0f);
    ButtonsVisibleTimer->start();
}
