// Placing everything again when the window changes size.
#include "app/frostpane_main_form.h"
#include "ui/window_layout.h"

void TFrostpaneMainForm::FormResize()
{
    // The next frame starts afresh: cleared output, new motion reference.
    ClearOutputAfterResize = true;
    ResetPreviousFrame = true;

    GetScreenSize();
    const QSize outputSize{int(ScreenWidth), int(ScreenHeight)};
    if (outputBitmap().size() != outputSize)
        outputBitmap() = QImage(outputSize, QImage::Format_ARGB32_Premultiplied);
    ScreenLongSide = longSide(ScreenWidth, ScreenHeight);

    GetBackgroundRect_for_PhotoSize();
    GetBackgroundRect_for_congratulationsSize();
    GetCameraRectSize();

    LoadPhotoFromImageBook(IceBitmap, iceName(PictureNumber));
    RedrawIce();

    for (const SliderSlot &slot : kSliderSlots) {
        FloatTrackBar *track = nullptr;
        BitmapRectangle *box = nullptr;
        FloatLabel *label = nullptr;
        switch (slot.group) {
        case SliderGroup::CameraResolutions:
            track = CameraResolutionsTrackBar, box = CameraResolutionsRectangle, label = CameraResolutionsLabel;
            break;
        case SliderGroup::CameraSensitivity:
            track = CameraSensitivityTrackBar, box = CameraSensitivityRectangle, label = CameraSensitivityLabel;
            break;
        case SliderGroup::FreezingSpeed:
            track = FreezingSpeedTrackBar, box = FreezingSpeedRectangle, label = FreezingSpeedLabel;
            break;
        }
        const SliderGroupPlace p =
            placeSliderGroup(ScreenWidth, ScreenHeight, slot.centreY, track->widthF(),
                             track->heightF(), label->xF(), label->yF(), label->heightF());
        track->setPositionF(p.trackX, p.trackY);
        box->setWidthF(p.boxWidth);
        label->setWidthF(p.labelWidth);
        box->setHeightF(p.boxHeight);
        box->setPositionF(p.boxX, p.boxY);
    }

    const Point ok = placeOkBox(ScreenWidth, OkButtonRectangle->widthF(), FreezingSpeedTrackBar->yF(),
                                FreezingSpeedTrackBar->heightF());
    OkButtonRectangle->setPositionF(ok.x, ok.y);

    for (const IconSlot &slot : kIconSlots) {
        BitmapRectangle *icon = toolIcon(slot.icon);
        IconHome &home = toolIconHome(slot.icon);
        const IconPlace p = placeIcon(ScreenWidth, ScreenHeight, ScreenLongSide, IconSizeFactor,
                                      icon->fillBitmap().width(), icon->fillBitmap().height(),
                                      slot.centreX, slot.centreY);
        icon->setHeightF(p.height);
        icon->setWidthF(p.width);
        icon->setPositionF(p.x, p.y);
        home = {p.homeLeft, p.homeTop, p.homeCenterX, p.homeCenterY};
    }
}

BitmapRectangle *TFrostpaneMainForm::toolIcon(ToolIcon icon) const
{
    switch (icon) {
    case ToolIcon::SwitchCamera: return SwitchFrontAndBackCameraIconRectangle;
    case ToolIcon::Eye: return EyeIconRectangle;
    case ToolIcon::About: return AboutIconRectangle;
    case ToolIcon::Camera: return CameraIconRectangle;
    case ToolIcon::Settings: return SettingsIconRectangle;
    case ToolIcon::PreviousImage: return PreviousImageIconRectangle;
    case ToolIcon::NextImage: return NextImageIconRectangle;
    }
    return nullptr;
}

IconHome &TFrostpaneMainForm::toolIconHome(ToolIcon icon)
{
    switch (icon) {
    case ToolIcon::SwitchCamera: return SwitchFrontAndBackCameraIconHome;
    case ToolIcon::Eye: return EyeIconHome;
    case ToolIcon::About: return AboutIconHome;
    case ToolIcon::Camera: return CameraIconHome;
    case ToolIcon::Settings: return SettingsIconHome;
    case ToolIcon::PreviousImage: return PreviousImageIconHome;
    case ToolIcon::NextImage: return NextImageIconHome;
    }
    return CameraIconHome;
}
