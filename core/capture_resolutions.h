#pragma once

#include "core/video_capture_setting.h"

#include <vector>

// What the resolution chooser offers for one device: one entry per frame size,
// in order of first appearance, and the default 640 x 480 setting.
struct CaptureResolutions
{
    // As many entries as the device reported; entries past `last` are zero.
    std::vector<VideoCaptureSetting> entries;
    // Index of the last valid entry; 0 also when there is none.
    int last = 0;
    // 640 x 480 at the highest frame rate offered; FrameRate 0 when the device
    // offers no 640 x 480 setting.
    VideoCaptureSetting defaultSetting{640, 480, 0.0};
};

// Reduces the settings a device reports to one entry per size, keeping the
// fastest of each size. Settings taller than 1080 lines are left out, except
// the first reported one, which always seeds the list.
CaptureResolutions reduceCaptureSettings(const std::vector<VideoCaptureSetting> &available);

// The resolution slider runs from 0 to `last`, from the smallest picture on
// the left to the largest on the right, whatever order the device listed the
// sizes in (sizes of one area keep that order). Fractions are cut toward
// zero; positions and indexes are clamped to 0..last.
int resolutionIndexOfPosition(const CaptureResolutions &resolutions, double position);
int resolutionPositionOfIndex(const CaptureResolutions &resolutions, int index);
