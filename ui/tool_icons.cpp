// What the seven tool icons share: press feedback, press timing, auto-hide.
#include "app/frostpane_main_form.h"

namespace {

struct ToolIconFamily
{
    ToolIcon icon;
    std::int32_t toolId; // tells which icon holds the current press
};

constexpr ToolIconFamily kToolIcons[] = {
    {ToolIcon::About, 1},    {ToolIcon::Camera, 2},     {ToolIcon::Eye, 3},
    {ToolIcon::SwitchCamera, 4}, {ToolIcon::Settings, 5}, {ToolIcon::NextImage, 11},
    {ToolIcon::PreviousImage, 12},
};

std::int32_t toolIdOf(ToolIcon icon)
{
    for (const ToolIconFamily &member : kToolIcons)
        if (member.icon == icon)
            return member.toolId;
    return 0;
}

} // namespace

void TFrostpaneMainForm::connectToolIcons()
{
    for (const ToolIconFamily &member : kToolIcons) {
        BitmapRectangle *icon = toolIcon(member.icon);
        const ToolIcon which = member.icon;
        connect(icon, &BitmapRectangle::pressed, this, [this, which] { ToolIconMouseDown(which); });
        // A release and the pointer leaving both end the press.
        connect(icon, &BitmapRectangle::released, this, [this, which] { ToolIconMouseUp(which); });
        connect(icon, &BitmapRectangle::left, this, [this, which] { ToolIconMouseUp(which); });
    }
}

void TFrostpaneMainForm::ToolIconMouseDown(ToolIcon which)
{
    // At most one accepted press per limit, across all icons.
    if (IconDebounceStopwatch.elapsedMilliseconds() < IconTapMilliseconds)
        return;
    IconDebounceStopwatch.restart();
    PressedTool = toolIdOf(which);
    IconPressStopwatch.restart();

    BitmapRectangle *icon = toolIcon(which);
    IconHome &home = toolIconHome(which);
    icon->raise();
    EnableAllToolsHitTest(icon, false);

    // Grow about the centre: the scale grows the drawing from the top-left
    // corner, so move the corner out by half the growth.
    home.CenterX = int(double(icon->widthF()) * 0.5 + double(icon->xF()));
    home.CenterY = int(double(icon->heightF()) * 0.5 + double(icon->yF()));
    icon->setScaleX(float(IconPressScale));
    icon->setScaleY(float(IconPressScale));
    home.Left = int(icon->xF());
    home.Top = int(icon->yF());
    icon->setPositionF(float(home.CenterX - double(icon->widthF()) * 0.5 * double(icon->scaleX())),
                       float(home.CenterY - double(icon->heightF()) * 0.5 * double(icon->scaleY())));
}

void TFrostpaneMainForm::ToolIconMouseUp(ToolIcon which)
{
    if (PressedTool != toolIdOf(which))
        return;
    IconPressStopwatch.stop();
    BitmapRectangle *icon = toolIcon(which);
    const IconHome &home = toolIconHome(which);
    EnableAllToolsHitTest(icon, true);
    icon->setScaleX(1.0f);
    icon->setScaleY(1.0f);
    icon->setPositionF(float(home.Left), float(home.Top));
}

void TFrostpaneMainForm::EnableAllToolsHitTest(QObject *sender, bool enabled)
{
    // Only the form's own rectangles; their children and other controls keep
    // theirs.
    for (QObject *child : children()) {
        if (auto *rectangle = qobject_cast<BitmapRectangle *>(child))
            rectangle->setHitTest(rectangle == sender ? true : enabled);
    }
}

void TFrostpaneMainForm::ButtonsVisibleTimerTimer()
{
    ToolsIdleTicks += 1;
    const QList<BitmapRectangle *> fadeOrder = {
        SettingsIconRectangle, CameraIconRectangle,    EyeIconRectangle,
        SwitchFrontAndBackCameraIconRectangle, AboutIconRectangle, NextImageIconRectangle,
        PreviousImageIconRectangle};
    if (ToolsIdleTicks > ToolsHideTicks) {
        for (BitmapRectangle *icon : fadeOrder)
            icon->setOpacity(float(static_cast<long double>(icon->opacity()) - 0.1L));
    }
    // The settings icon alone decides when the fade ends.
    if (SettingsIconRectangle->opacity() < 0.1f) {
        ToolsIdleTicks = 0;
        ToolsVisible = false;
        for (BitmapRectangle *icon : fadeOrder)
            icon->setVisible(ToolsVisible);
        ButtonsVisibleTimer->stop();
    }
}
