#include "camera/capture_resolutions.h"

#include <algorithm>
#include <cmath>

CaptureResolutions reduceCaptureSettings(const QList<VideoCaptureSetting> &available)
{
    CaptureResolutions result;
    result.entries.fill(VideoCaptureSetting{}, available.size());
    if (available.isEmpty())
        return result;

    result.entries[0] = available[0];
    for (const VideoCaptureSetting &setting : available) {
        if (setting.Height > 1080)
            continue;
        if (setting.Width == 640 && setting.Height == 480
            && setting.FrameRate > result.defaultSetting.FrameRate)
            result.defaultSetting = setting;

        const auto begin = result.entries.begin();
        const auto end = begin + result.last + 1;
        const auto same = std::find_if(begin, end, [&](const VideoCaptureSetting &entry) {
            return entry.sameSize(setting);
        });
        if (same != end) {
            if (setting.FrameRate > same->FrameRate)
                *same = setting;
        } else {
            ++result.last;
            result.entries[result.last] = setting;
        }
    }
    return result;
}

QString resolutionLabel(const VideoCaptureSetting &setting)
{
    return QStringLiteral("Camera width = ") + QString::number(setting.Width)
           + QStringLiteral(", height = ") + QString::number(setting.Height);
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
