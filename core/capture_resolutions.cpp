#include "core/capture_resolutions.h"

#include <algorithm>
#include <cmath>

CaptureResolutions reduceCaptureSettings(const std::vector<VideoCaptureSetting> &available)
{
    CaptureResolutions result;
    result.entries.assign(available.size(), VideoCaptureSetting{});
    if (available.empty())
        return result;

    result.entries[0] = available[0];
    for (const VideoCaptureSetting &setting : available) {
        if (setting.height > 1080)
            continue;
        if (setting.width == 640 && setting.height == 480 && setting.frameRate > result.defaultSetting.frameRate)
            result.defaultSetting = setting;

        const auto begin = result.entries.begin();
        const auto end = begin + result.last + 1;
        const auto same = std::find_if(begin, end,
                                       [&](const VideoCaptureSetting &entry) { return entry.sameSize(setting); });
        if (same != end) {
            if (setting.frameRate > same->frameRate)
                *same = setting;
        } else {
            ++result.last;
            result.entries[result.last] = setting;
        }
    }
    return result;
}

int resolutionIndexOfPosition(double position, int last)
{
    const double index = double(last) - std::trunc(position);
    return int(std::clamp(index, 0.0, double(std::max(last, 0))));
}

int resolutionPositionOfIndex(int index, int last)
{
    return std::clamp(last - index, 0, std::max(last, 0));
}
