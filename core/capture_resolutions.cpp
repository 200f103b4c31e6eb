#include "core/capture_resolutions.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

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

namespace {

// The entries' indexes from the smallest area to the largest.
std::vector<int> bySize(const CaptureResolutions &resolutions)
{
    const int count = std::min(std::max(resolutions.last, 0) + 1, int(resolutions.entries.size()));
    std::vector<int> order;
    for (int index = 0; index < count; ++index)
        order.push_back(index);
    const auto area = [&](int index) {
        const VideoCaptureSetting &entry = resolutions.entries[std::size_t(index)];
        return std::int64_t(entry.width) * entry.height;
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return area(a) < area(b); });
    return order;
}

} // namespace

int resolutionIndexOfPosition(const CaptureResolutions &resolutions, double position)
{
    const std::vector<int> order = bySize(resolutions);
    if (order.empty())
        return 0;
    const double clamped = std::clamp(std::trunc(position), 0.0, double(order.size() - 1));
    return order[std::size_t(clamped)];
}

int resolutionPositionOfIndex(const CaptureResolutions &resolutions, int index)
{
    const std::vector<int> order = bySize(resolutions);
    if (order.empty())
        return 0;
    const int clamped = std::clamp(index, 0, int(order.size()) - 1);
    return int(std::find(order.begin(), order.end(), clamped) - order.begin());
}
