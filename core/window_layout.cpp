#include "core/window_layout.h"

SliderGroupPlace placeSliderGroup(double screenWidth, double screenHeight, double centerY, float trackWidth,
                                  float trackHeight, float labelX, float labelY, float labelHeight)
{
    SliderGroupPlace p{};
    p.trackX = float(screenWidth * 0.5 - double(trackWidth) * 0.5);
    p.trackY = float(screenHeight * centerY - double(trackHeight) * 0.5);
    p.boxWidth = trackWidth;
    p.labelWidth = float(double(trackWidth) - double(labelX));
    p.boxHeight = float(double(labelHeight) + double(labelY));
    p.boxX = p.trackX;
    p.boxY = float(double(p.trackY) - double(trackHeight) - 10.0);
    return p;
}

ControlPlace placeOkBox(double screenWidth, float boxWidth, float lowestTrackY, float lowestTrackHeight)
{
    return {float(screenWidth * 0.5 - double(boxWidth) * 0.5),
            float(double(lowestTrackY) + double(lowestTrackHeight) + 10.0)};
}

ControlPlace placeSwitchBox(double screenWidth, double screenHeight, double centerY, float boxWidth, float boxHeight)
{
    return {float(screenWidth * 0.5 - double(boxWidth) * 0.5), float(screenHeight * centerY - double(boxHeight) * 0.5)};
}

IconPlace placeIcon(double screenWidth, double screenHeight, double longSide, double sizeFactor, int pictureWidth,
                    int pictureHeight, double centerX, double centerY)
{
    IconPlace p{};
    p.height = float(longSide * sizeFactor);
    // A picture of height 0 has no aspect ratio: keep the icon square.
    p.width = pictureHeight > 0 ? float(double(p.height) * pictureWidth / pictureHeight) : p.height;
    p.x = float(screenWidth * centerX - double(p.width) * 0.5);
    p.y = float(screenHeight * centerY - double(p.height) * 0.5);
    p.home.left = int(p.x);
    p.home.top = int(p.y);
    p.home.centerX = int(double(p.width) * 0.5 + p.home.left);
    p.home.centerY = int(double(p.height) * 0.5 + p.home.top);
    return p;
}

PressedIconPlace placePressedIcon(float x, float y, float width, float height, float scale)
{
    // The scale grows the drawing from the top-left corner, so the corner
    // moves out by half the growth.
    PressedIconPlace p{};
    p.home.centerX = int(double(width) * 0.5 + double(x));
    p.home.centerY = int(double(height) * 0.5 + double(y));
    p.home.left = int(x);
    p.home.top = int(y);
    p.x = float(p.home.centerX - double(width) * 0.5 * double(scale));
    p.y = float(p.home.centerY - double(height) * 0.5 * double(scale));
    return p;
}

double longSide(double screenWidth, double screenHeight)
{
    return screenWidth > screenHeight ? screenWidth : screenHeight;
}
