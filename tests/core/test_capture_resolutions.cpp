#include "core/capture_resolutions.h"
#include "core/settings_mapping.h"
#include "tests/core/core_fixture.h"

#include <gtest/gtest.h>

#include <vector>

using Settings = std::vector<VideoCaptureSetting>;

inline void PrintTo(const VideoCaptureSetting &s, std::ostream *os)
{
    *os << s.width << 'x' << s.height << '@' << s.frameRate;
}

namespace {

struct ReduceCase
{
    const char *name;
    Settings available;
    Settings expectedEntries; // the valid ones, 0..last
    VideoCaptureSetting expectedDefault;
    friend void PrintTo(const ReduceCase &c, std::ostream *os) { *os << c.name; }
};

class CaptureResolutionsReduce : public testing::TestWithParam<ReduceCase>
{ };

TEST_P(CaptureResolutionsReduce, reduce)
{
    const ReduceCase &c = GetParam();
    const CaptureResolutions r = reduceCaptureSettings(c.available);
    EXPECT_EQ(r.defaultSetting, c.expectedDefault);
    ASSERT_EQ(r.entries.size(), c.available.size());
    EXPECT_EQ(r.last, std::max<int>(0, int(c.expectedEntries.size()) - 1));
    EXPECT_EQ(Settings(r.entries.begin(), r.entries.begin() + std::ptrdiff_t(c.expectedEntries.size())),
              c.expectedEntries);
    for (std::size_t k = c.expectedEntries.size(); k < r.entries.size(); ++k)
        EXPECT_EQ(r.entries[k], VideoCaptureSetting{}) << "entry " << k;
}

constexpr VideoCaptureSetting kNone{640, 480, 0.0};

INSTANTIATE_TEST_SUITE_P(
    Devices, CaptureResolutionsReduce,
    testing::Values(ReduceCase{"typical webcam: fastest 640x480 wins, sizes in order of appearance",
                               {{1280, 720, 30}, {640, 480, 15}, {640, 480, 30}, {1920, 1080, 30}},
                               {{1280, 720, 30}, {640, 480, 30}, {1920, 1080, 30}},
                               {640, 480, 30}},
                    ReduceCase{"2560x1440 not first is left out, 1080 lines pass",
                               {{640, 480, 30}, {2560, 1440, 30}, {1920, 1080, 30}},
                               {{640, 480, 30}, {1920, 1080, 30}},
                               {640, 480, 30}},
                    ReduceCase{"2560x1440 first seeds the list and stays",
                               {{2560, 1440, 30}, {640, 480, 30}},
                               {{2560, 1440, 30}, {640, 480, 30}},
                               {640, 480, 30}},
                    ReduceCase{"no 640x480: default has frame rate 0",
                               {{1280, 720, 30}, {320, 240, 30}},
                               {{1280, 720, 30}, {320, 240, 30}},
                               kNone},
                    ReduceCase{"one setting", {{640, 480, 25}}, {{640, 480, 25}}, {640, 480, 25}},
                    ReduceCase{"equal rates: the earlier stays",
                               {{800, 600, 20}, {800, 600, 20}, {640, 480, 10}, {640, 480, 10}},
                               {{800, 600, 20}, {640, 480, 10}},
                               {640, 480, 10}},
                    ReduceCase{"640x480 last in the list",
                               {{1280, 720, 30}, {800, 600, 30}, {640, 480, 30}},
                               {{1280, 720, 30}, {800, 600, 30}, {640, 480, 30}},
                               {640, 480, 30}},
                    ReduceCase{"a slower duplicate does not replace a faster entry",
                               {{1280, 720, 30}, {1280, 720, 10}},
                               {{1280, 720, 30}},
                               kNone},
                    ReduceCase{"no device", {}, {}, kNone}),
    testnames::ByName());

// A device that lists its largest size first, as many webcams do, and one
// that lists the smallest first, as the page's browser list does.
const Settings kLargestFirst = {{1280, 720, 30}, {640, 480, 30}, {320, 240, 30}};
const Settings kSmallestFirst = {{320, 240, 30}, {640, 480, 30}, {1280, 720, 30}};

struct SliderCase
{
    const char *name;
    Settings listed;
    double position;
    VideoCaptureSetting shown;
    friend void PrintTo(const SliderCase &c, std::ostream *os) { *os << c.name; }
};

class CaptureResolutionsSlider : public testing::TestWithParam<SliderCase>
{ };

TEST_P(CaptureResolutionsSlider, theSliderRunsFromSmallToLarge)
{
    const SliderCase &c = GetParam();
    const CaptureResolutions resolutions = reduceCaptureSettings(c.listed);
    const int index = resolutionIndexOfPosition(resolutions, c.position);
    ASSERT_GE(index, 0);
    ASSERT_LE(index, resolutions.last);
    EXPECT_EQ(resolutions.entries[std::size_t(index)], c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, CaptureResolutionsSlider,
    testing::Values(SliderCase{"largest first, leftmost is the smallest", kLargestFirst, 0.0, {320, 240, 30}},
                    SliderCase{"largest first, rightmost is the largest", kLargestFirst, 2.0, {1280, 720, 30}},
                    SliderCase{"smallest first, leftmost is the smallest", kSmallestFirst, 0.0, {320, 240, 30}},
                    SliderCase{"smallest first, rightmost is the largest", kSmallestFirst, 2.0, {1280, 720, 30}},
                    SliderCase{"1.9 counts as 1", kLargestFirst, 1.9, {640, 480, 30}},
                    SliderCase{"below the range is the smallest", kLargestFirst, -3.0, {320, 240, 30}},
                    SliderCase{"above the range is the largest", kSmallestFirst, 7.0, {1280, 720, 30}},
                    SliderCase{"mixed order", {{640, 480, 30}, {1920, 1080, 30}, {320, 240, 30}}, 1.0, {640, 480, 30}},
                    SliderCase{"single entry", {{640, 480, 30}}, 0.0, {640, 480, 30}}),
    testnames::ByName());

TEST(CaptureResolutions, positionOfIndexIsTheInverse)
{
    for (const Settings &listed : {kLargestFirst, kSmallestFirst, Settings{{800, 600, 30}}}) {
        const CaptureResolutions resolutions = reduceCaptureSettings(listed);
        for (int j = 0; j <= resolutions.last; ++j)
            EXPECT_EQ(resolutionIndexOfPosition(resolutions, resolutionPositionOfIndex(resolutions, j)), j)
                << "entry " << j << " of " << resolutions.last + 1;
    }
    const CaptureResolutions largestFirst = reduceCaptureSettings(kLargestFirst);
    EXPECT_EQ(resolutionPositionOfIndex(largestFirst, 0), 2);
    EXPECT_EQ(resolutionPositionOfIndex(largestFirst, 5), 0);  // clamped to the last entry, the smallest
    EXPECT_EQ(resolutionPositionOfIndex(largestFirst, -1), 2); // clamped to the first, the largest
}

TEST(CaptureResolutions, aDeviceWithNoSizesGivesPositionAndIndexZero)
{
    const CaptureResolutions none = reduceCaptureSettings({});
    EXPECT_EQ(resolutionIndexOfPosition(none, 3.0), 0);
    EXPECT_EQ(resolutionPositionOfIndex(none, 3), 0);
}

struct SensitivityCase
{
    const char *name;
    double slider;
    int sensitivity;
    friend void PrintTo(const SensitivityCase &c, std::ostream *os) { *os << c.name; }
};

class SensitivitySlider : public testing::TestWithParam<SensitivityCase>
{ };

TEST_P(SensitivitySlider, sensitivityMapping)
{
    EXPECT_EQ(sensitivityFromSlider(GetParam().slider), GetParam().sensitivity);
}

INSTANTIATE_TEST_SUITE_P(Positions, SensitivitySlider,
                         testing::Values(SensitivityCase{"0 -> 765", 0.0, 765}, SensitivityCase{"255 -> 0", 255.0, 0},
                                         SensitivityCase{"300 -> -135", 300.0, -135},
                                         SensitivityCase{"100.4 -> trunc(463.8)", 100.4, 463},
                                         SensitivityCase{"765 -> -1530", 765.0, -1530}),
                         testnames::ByName());

struct UnchangedCase
{
    const char *name;
    int before;
    friend void PrintTo(const UnchangedCase &c, std::ostream *os) { *os << c.name; }
};

class SensitivityUnchanged : public testing::TestWithParam<UnchangedCase>
{ };

// OK with the slider where opening put it keeps the stored sensitivity,
// though the slider cannot show it exactly (20 shows as 249, which reads
// back as 18).
TEST_P(SensitivityUnchanged, anUnmovedSliderKeepsTheSensitivity)
{
    const int before = GetParam().before;
    EXPECT_EQ(sensitivityTaken(sensitivitySliderValue(before), before), before);
}

INSTANTIATE_TEST_SUITE_P(Stored, SensitivityUnchanged,
                         testing::Values(UnchangedCase{"the default 20", 20}, UnchangedCase{"one above a step", 31},
                                         UnchangedCase{"negative", -137}, UnchangedCase{"the highest", 765},
                                         UnchangedCase{"the lowest", -1530}),
                         testnames::ByName());

TEST(SettingsMapping, aMovedSliderIsTakenAsItReads)
{
    EXPECT_EQ(sensitivityTaken(248.0, 20), 21);
    EXPECT_EQ(sensitivityTaken(250.0, 20), 15);
    EXPECT_EQ(sensitivityTaken(0.0, 20), 765);
}

TEST(SettingsMapping, slidersShowTheSettings)
{
    EXPECT_EQ(sensitivitySliderValue(20), 249);
    EXPECT_EQ(sensitivitySliderValue(-135), 300);
    EXPECT_EQ(freezingSpeedFromSlider(10.9), 10);
}

} // namespace
