#pragma once

#include <array>

// Where the window layout puts the settings sliders and the tool icons. Every
// place is a fraction of the usable window size; icons are sized from the
// window's longer side. Arithmetic is done in double and each result is
// stored as the control's single-precision value, exactly as the controls
// hold them.

enum class SliderGroup { CameraResolutions, CameraSensitivity, FreezingSpeed };
enum class ToolIcon { SwitchCamera, Eye, About, Camera, Settings, PreviousImage, NextImage };

struct SliderSlot
{
    SliderGroup group;
    double centreY; // fraction of the window height at the track bar's centre
};

struct IconSlot
{
    ToolIcon icon;
    double centreX; // fractions of the window size at the icon's centre
    double centreY;
};

// Top to bottom: resolution, sensitivity, freezing speed.
inline constexpr std::array<SliderSlot, 3> kSliderSlots = {{
    {SliderGroup::CameraResolutions, 0.1},
    {SliderGroup::CameraSensitivity, 0.25},
    {SliderGroup::FreezingSpeed, 0.55},
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

SliderGroupPlace placeSliderGroup(double screenWidth, double screenHeight, double centreY,
                                  float trackWidth, float trackHeight, float labelX, float labelY,
                                  float labelHeight);

// The OK box, centred, 10 below the lowest track bar.
struct Point { float x, y; };
Point placeOkBox(double screenWidth, float boxWidth, float lowestTrackY, float lowestTrackHeight);

// A tool icon and its rest place (whole pixels, centre from the cut corner).
struct IconPlace
{
    float x, y, width, height;
    int homeLeft, homeTop, homeCenterX, homeCenterY;
};

IconPlace placeIcon(double screenWidth, double screenHeight, double longSide, double sizeFactor,
                    int pictureWidth, int pictureHeight, double centreX, double centreY);

// The longer side of the window; on a tie the height.
double longSide(double screenWidth, double screenHeight);
