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
    setControlsVisible({SwitchFrontAndBackCameraIconRectangle, CameraResolutionsRectangle,
                        CameraResolutionsLabel, CameraResolutionsTrackBar, SettingsIconRectangle,
                        AboutIconRectangle, EyeIconRectangle, NextImageIconRectangle,
                        PreviousImageIconRectangle},
                       ToolsVisible);
    AboutMemo->setVisible(true);
    AboutMemo->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}
