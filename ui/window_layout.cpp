#include "ui/window_layout.h"

SliderGroupPlace placeSliderGroup(double screenWidth, double screenHeight, double centreY,
                                  float trackWidth, float trackHeight, float labelX, float labelY,
                                  float labelHeight)
{
    SliderGroupPlace p{};
    p.trackX = float(screenWidth * 0.5 - double(trackWidth) * 0.5);
    p.trackY = float(screenHeight * centreY - double(trackHeight) * 0.5);
    p.boxWidth = trackWidth;
    p.labelWidth = float(double(trackWidth) - double(labelX));
    p.boxHeight = float(double(labelHeight) + double(labelY));
    p.boxX = p.trackX;
    p.boxY = float(double(p.trackY) - double(trackHeight) - 10.0);
    return p;
}

Point placeOkBox(double screenWidth, float boxWidth, float lowestTrackY, float lowestTrackHeight)
{
    return {float(screenWidth * 0.5 - double(boxWidth) * 0.5),
            float(double(lowestTrackY) + double(lowestTrackHeight) + 10.0)};
}

IconPlace placeIcon(double screenWidth, double screenHeight, double longSide, double sizeFactor,
                    int pictureWidth, int pictureHeight, double centreX, double centreY)
{
    IconPlace p{};
    p.height = float(longSide * sizeFactor);
    // A picture of height 0 has no aspect ratio: keep the icon square.
    p.width = pictureHeight > 0 ? float(double(p.height) * pictureWidth / pictureHeight) : p.height;
    p.x = float(screenWidth * centreX - double(p.width) * 0.5);
    p.y = float(screenHeight * centreY - double(p.height) * 0.5);
    p.homeLeft = int(p.x);
    p.homeTop = int(p.y);
    p.homeCenterX = int(double(p.width) * 0.5 + p.homeLeft);
    p.homeCenterY = int(double(p.height) * 0.5 + p.homeTop);
    return p;
}

double longSide(double screenWidth, double screenHeight)
{
    return screenWidth > screenHeight ? screenWidth : screenHeight;
}
