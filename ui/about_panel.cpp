// The About panel: the game's description over the picture.
#include "app/frostpane_main_form.h"

void TFrostpaneMainForm::AboutIconRectangleClick()
{
    if (!isIconTap())
        return;
    ButtonsVisibleTimer->stop();
    ToolsIdleTicks = 0;
    ToolsVisible = false;
    CameraIconRectangle->setVisible(false);
    for (QWidget *control : {static_cast<QWidget *>(SwitchFrontAndBackCameraIconRectangle),
                             static_cast<QWidget *>(CameraResolutionsRectangle),
                             static_cast<QWidget *>(CameraResolutionsLabel),
                             static_cast<QWidget *>(CameraResolutionsTrackBar),
                             static_cast<QWidget *>(SettingsIconRectangle),
                             static_cast<QWidget *>(AboutIconRectangle),
                             static_cast<QWidget *>(EyeIconRectangle),
                             static_cast<QWidget *>(NextImageIconRectangle),
                             static_cast<QWidget *>(PreviousImageIconRectangle)})
        control->setVisible(ToolsVisible);
    AboutMemo->setVisible(true);
    AboutMemo->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}
