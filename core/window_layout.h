#pragma once

#include <array>

// Where the window layout puts the settings sliders and the tool icons. Every
// place is a fraction of the usable window size; icons are sized from the
// window's longer side. Arithmetic is done in double and each result is
// stored as the control's single-precision value, exactly as the controls
// hold them.

enum class SettingsSlider { CameraResolutions, CameraSensitivity, FreezingSpeed };
enum class ToolIcon { SwitchCamera, Eye, About, Camera, Settings, PreviousImage, NextImage };

// Whether a click on the tool acts only when its press was a short tap.
// Stepping through the pictures harms nothing, so any press does for those.
constexpr bool needsShortTap(ToolIcon tool)
{
    return tool != ToolIcon::NextImage && tool != ToolIcon::PreviousImage;
}

struct SliderSlot
{
    SettingsSlider slider;
    double centerY; // fraction of the window height at the track bar's center
};

struct IconSlot
{
    ToolIcon icon;
    double centerX; // fractions of the window size at the icon's center
    double centerY;
};

// Top to bottom: resolution, sensitivity, freezing speed.
inline constexpr std::array<SliderSlot, 3> kSliderSlots = {{
    {SettingsSlider::CameraResolutions, 0.1},
    {SettingsSlider::CameraSensitivity, 0.25},
    {SettingsSlider::FreezingSpeed, 0.6},
}};

// Three rows around the middle: switch and eye; about, camera, settings;
// previous and next.
inline constexpr std::array<IconSlot, 7> kIconSlots = {{
    {ToolIcon::SwitchCamera, 0.4, 0.2},
    {ToolIcon::Eye, 0.6, 0.2},
    {ToolIcon::About, 0.3, 0.4},
    {ToolIcon::Camera, 0.5, 0.4},
    {ToolIcon::Settings, 0.7, 0.4},
    {ToolIcon::PreviousImage, 0.4, 0.6},
    {ToolIcon::NextImage, 0.6, 0.6},
}};

// A track bar with its label box above it and the label inside the box.
struct SliderGroupPlace
{
    float trackX, trackY;
    float boxX, boxY, boxWidth, boxHeight;
    float labelWidth;
};

SliderGroupPlace placeSliderGroup(double screenWidth, double screenHeight, double centerY, float trackWidth,
                                  float trackHeight, float labelX, float labelY, float labelHeight);

// A control's top-left corner, in the controls' single precision.
struct ControlPlace
{
    float x, y;
};

// The OK box, centered, 10 below the lowest track bar.
ControlPlace placeOkBox(double screenWidth, float boxWidth, float lowestTrackY, float lowestTrackHeight);

// The settings panel's on/off switches each sit in a box centered across
// the window, one under the other between the sensitivity and
// freezing-speed sliders: Sound, then "Wave to go on". At 480 pixels high
// 24-pixel boxes keep 9 pixels apart, and 24 above the freezing speed's label.
inline constexpr double kSoundSwitchCenterY = 0.37;
inline constexpr double kWaveSwitchCenterY = 0.44;
ControlPlace placeSwitchBox(double screenWidth, double screenHeight, double centerY, float boxWidth, float boxHeight);

// Rest place of one tool icon, in whole logical pixels; the center is taken
// from the cut corner.
struct IconHome
{
    int left = 0;
    int top = 0;
    int centerX = 0;
    int centerY = 0;
};

// A tool icon: its size from the window's longer side, keeping its picture's
// shape, and its place and rest place.
struct IconPlace
{
    float x, y, width, height;
    IconHome home;
};

inline constexpr double kIconSizeFactor = 0.08;

IconPlace placeIcon(double screenWidth, double screenHeight, double longSide, double sizeFactor, int pictureWidth,
                    int pictureHeight, double centerX, double centerY);

// A pressed icon grows by this factor about its center; its rest place is
// where it stood, cut to whole pixels.
inline constexpr double kIconPressScale = 1.3;

struct PressedIconPlace
{
    float x, y; // the scaled icon's top-left corner
    IconHome home;
};

PressedIconPlace placePressedIcon(float x, float y, float width, float height, float scale);

// The longer side of the window; on a tie the height.
double longSide(double screenWidth, double screenHeight);
