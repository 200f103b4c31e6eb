#pragma once

// One capture mode of a camera. Copied whole; two settings are the same size
// when width and height are both equal.
struct VideoCaptureSetting
{
    int width = 0;
    int height = 0;
    double frameRate = 0.0;

    bool sameSize(const VideoCaptureSetting &other) const { return width == other.width && height == other.height; }
    friend bool operator==(const VideoCaptureSetting &a, const VideoCaptureSetting &b)
    {
        return a.width == b.width && a.height == b.height && a.frameRate == b.frameRate;
    }
    friend bool operator!=(const VideoCaptureSetting &a, const VideoCaptureSetting &b) { return !(a == b); }
};
