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

struct SliderCase
{
    const char *name;
    double position;
    int last, index;
    friend void PrintTo(const SliderCase &c, std::ostream *os) { *os << c.name; }
};

class CaptureResolutionsSlider : public testing::TestWithParam<SliderCase>
{ };

TEST_P(CaptureResolutionsSlider, sliderMapping)
{
    const SliderCase &c = GetParam();
    EXPECT_EQ(resolutionIndexOfPosition(c.position, c.last), c.index);
}

INSTANTIATE_TEST_SUITE_P(Positions, CaptureResolutionsSlider,
                         testing::Values(SliderCase{"leftmost is the last entry", 0.0, 2, 2},
                                         SliderCase{"rightmost is the first entry", 2.0, 2, 0},
                                         SliderCase{"1.9 counts as 1", 1.9, 2, 1},
                                         SliderCase{"below range clamps to last", -3.0, 2, 2},
                                         SliderCase{"above range clamps to first", 7.0, 2, 0},
                                         SliderCase{"single entry", 0.0, 0, 0}),
                         testnames::ByName());

TEST(CaptureResolutions, positionOfIndexIsTheMirror)
{
    EXPECT_EQ(resolutionPositionOfIndex(1, 2), 1); // 640x480 of the typical webcam
    EXPECT_EQ(resolutionPositionOfIndex(2, 2), 0);
    EXPECT_EQ(resolutionPositionOfIndex(0, 2), 2);
    EXPECT_EQ(resolutionPositionOfIndex(5, 2), 0);
    EXPECT_EQ(resolutionPositionOfIndex(-1, 2), 2);
    for (int last = 0; last < 5; ++last)
        for (int j = 0; j <= last; ++j)
            EXPECT_EQ(resolutionIndexOfPosition(resolutionPositionOfIndex(j, last), last), j)
                << "entry " << j << " of " << last + 1;
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

TEST(SettingsMapping, slidersShowTheSettings)
{
    EXPECT_EQ(sensitivitySliderValue(20), 249);
    EXPECT_EQ(sensitivitySliderValue(-135), 300);
    EXPECT_EQ(freezingSpeedFromSlider(10.9), 10);
}

} // namespace
