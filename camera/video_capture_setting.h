#pragma once

#include <QMetaType>
#include <QString>

// One capture mode of a camera. Copied whole; two settings are the same size
// when Width and Height are both equal.
struct VideoCaptureSetting
{
    int Width = 0;
    int Height = 0;
    double FrameRate = 0.0;

    bool sameSize(const VideoCaptureSetting &other) const
    {
        return Width == other.Width && Height == other.Height;
    }
    friend bool operator==(const VideoCaptureSetting &a, const VideoCaptureSetting &b)
    {
        return a.Width == b.Width && a.Height == b.Height && a.FrameRate == b.FrameRate;
    }
    friend bool operator!=(const VideoCaptureSetting &a, const VideoCaptureSetting &b)
    {
        return !(a == b);
    }
};

Q_DECLARE_METATYPE(VideoCaptureSetting)
