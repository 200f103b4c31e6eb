#include "core/geometry.h"
#include "core/progress_bar.h"
#include "tests/core/core_fixture.h"

#include <gtest/gtest.h>

namespace {

struct FitCase
{
    const char *name;
    int sourceWidth, sourceHeight;
    double screenWidth, screenHeight;
    Rect expected;
    friend void PrintTo(const FitCase &c, std::ostream *os) { *os << c.name; }
};

class FitRect : public testing::TestWithParam<FitCase>
{ };

TEST_P(FitRect, fitsWholeCentredInWholePixels)
{
    const FitCase &c = GetParam();
    EXPECT_EQ(fitRect(c.sourceWidth, c.sourceHeight, c.screenWidth, c.screenHeight), c.expected);
}

// The supplied 640 x 480 photographs and the 1024 x 280 banner.
INSTANTIATE_TEST_SUITE_P(
    Sizes, FitRect,
    testing::Values(
        FitCase{"photo in 640x480: fills", 640, 480, 640.0, 480.0, {0, 0, 640, 480}},
        FitCase{"banner in 640x480", 1024, 280, 640.0, 480.0, {0, 152, 640, 175}},
        FitCase{"photo in 1280x720: bars left and right", 640, 480, 1280.0, 720.0, {160, 0, 960, 720}},
        FitCase{"banner in 1280x720", 1024, 280, 1280.0, 720.0, {0, 185, 1280, 350}},
        FitCase{"photo in 801x600: 600.75 cuts to 600, full width stays", 640, 480, 801.0, 600.0, {0, 0, 801, 600}},
        FitCase{"banner in 801x600: odd margin goes to the bottom", 1024, 280, 801.0, 600.0, {0, 190, 801, 219}},
        FitCase{"photo in 640x800: bars top and bottom", 640, 480, 640.0, 800.0, {0, 160, 640, 480}},
        FitCase{"banner in 640x800", 1024, 280, 640.0, 800.0, {0, 312, 640, 175}},
        FitCase{"portrait camera 480x640 in 640x480", 480, 640, 640.0, 480.0, {140, 0, 360, 480}},
        FitCase{"fractional screen width 800.9 counts as 800", 640, 480, 800.9, 600.0, {0, 0, 800, 600}},
        FitCase{"zero source width counts as 1", 0, 480, 640.0, 480.0, {319, 0, 1, 480}},
        FitCase{"zero source height counts as 1", 640, 0, 640.0, 480.0, {0, 239, 640, 1}},
        FitCase{"zero both: a 1x1 source fills a square", 0, 0, 300.0, 300.0, {0, 0, 300, 300}},
        FitCase{"empty screen", 640, 480, 0.0, 0.0, {0, 0, 0, 0}},
        FitCase{"4K source in 4K window does not overflow", 3840, 2160, 3840.0, 2160.0, {0, 0, 3840, 2160}}),
    testnames::ByName());

// The part of a camera frame that reaches the game: the middle, with the
// picture's shape.
struct MiddleCase
{
    const char *name;
    Size frame, picture;
    Rect expected;
    friend void PrintTo(const MiddleCase &c, std::ostream *os) { *os << c.name; }
};

class MiddlePart : public testing::TestWithParam<MiddleCase>
{ };

TEST_P(MiddlePart, cutsTheFrameToThePicturesShape)
{
    const MiddleCase &c = GetParam();
    const Rect crop = middlePart(c.frame, c.picture);
    EXPECT_EQ(crop, c.expected);
    // Always inside the frame.
    EXPECT_EQ(crop.intersected({0, 0, c.frame.width, c.frame.height}), crop.isEmpty() ? Rect{} : crop);
}

constexpr Size k43{640, 480};

INSTANTIATE_TEST_SUITE_P(
    Frames, MiddlePart,
    testing::Values(MiddleCase{"same size: all of it", {640, 480}, k43, {0, 0, 640, 480}},
                    MiddleCase{"1280x720: the middle 960 columns", {1280, 720}, k43, {160, 0, 960, 720}},
                    MiddleCase{"1920x1080: the middle 1440 columns", {1920, 1080}, k43, {240, 0, 1440, 1080}},
                    MiddleCase{"320x240: the same shape, all of it", {320, 240}, k43, {0, 0, 320, 240}},
                    MiddleCase{"portrait 480x640: the middle 360 rows", {480, 640}, k43, {0, 140, 480, 360}},
                    // 3 x 480 / 640 = 2.25 rows, cut to 2, centred in 7 (odd margin below).
                    MiddleCase{"odd 3x7: two rows in the middle", {3, 7}, k43, {0, 2, 3, 2}},
                    MiddleCase{"one pixel: that pixel", {1, 1}, k43, {0, 0, 1, 1}},
                    MiddleCase{"one row: at least one column", {1000, 1}, k43, {499, 0, 1, 1}},
                    MiddleCase{"one column: at least one row", {1, 1000}, k43, {0, 499, 1, 1}},
                    MiddleCase{"odd margin: the extra column on the right", {5, 3}, k43, {0, 0, 4, 3}},
                    MiddleCase{"a square picture from a wide frame", {1280, 720}, {100, 100}, {280, 0, 720, 720}},
                    MiddleCase{"16384x16384 does not overflow", {16384, 16384}, {16384, 9216}, {0, 3584, 16384, 9216}},
                    MiddleCase{"empty frame: nothing", {0, 0}, k43, {0, 0, 0, 0}},
                    MiddleCase{"empty picture: the whole frame", {640, 480}, {0, 0}, {0, 0, 640, 480}}),
    testnames::ByName());

struct BarCase
{
    const char *name;
    Rect picture;
    double fraction;
    Rect bar;
    Color color;
    double ratio;
    friend void PrintTo(const BarCase &c, std::ostream *os) { *os << c.name; }
};

class ProgressBar : public testing::TestWithParam<BarCase>
{ };

TEST_P(ProgressBar, placeAndColor)
{
    const BarCase &c = GetParam();
    EXPECT_EQ(progressBarRect(c.picture, c.fraction, c.ratio), c.bar);
    EXPECT_EQ(progressBarColor(c.fraction), c.color);
}

constexpr Color kBlue{0x0D, 0x0A, 0x57};
constexpr Color kRed{0x6A, 0x08, 0x17};

INSTANTIATE_TEST_SUITE_P(
    Fractions, ProgressBar,
    testing::Values(
        BarCase{"clean at 640x480", {0, 0, 640, 480}, 1.0, {20, 432, 600, 20}, kBlue, 1.0},
        BarCase{"nothing clean: no width, red", {0, 0, 640, 480}, 0.0, {20, 432, 0, 20}, kRed, 1.0},
        BarCase{"exactly half: red", {0, 0, 640, 480}, 0.5, {20, 432, 300, 20}, kRed, 1.0},
        BarCase{"just past half: blue", {0, 0, 640, 480}, 0.5000001, {20, 432, 300, 20}, kBlue, 1.0},
        BarCase{"bars above and below: 90 % below the picture's top",
                {0, 200, 600, 450},
                0.5,
                {20, 605, 280, 20},
                kRed,
                1.0},
        BarCase{
            "bars left and right: from the picture's left", {160, 0, 960, 720}, 0.25, {180, 648, 230, 20}, kRed, 1.0},
        BarCase{"a fraction of a pixel is cut", {0, 0, 640, 480}, 0.999, {20, 432, 599, 20}, kBlue, 1.0},
        // On denser screens the margins and the height keep their logical size.
        BarCase{"twice the density", {0, 0, 1280, 960}, 1.0, {40, 864, 1200, 40}, kBlue, 2.0},
        BarCase{"one and a half times, bars left and right", {240, 0, 1440, 1080}, 0.5, {270, 972, 690, 30}, kRed, 1.5},
        BarCase{"a ratio of 1.25 rounds the 25 pixels", {0, 0, 800, 600}, 1.0, {25, 540, 750, 25}, kBlue, 1.25}),
    testnames::ByName());

TEST(ProgressBar, colorsAsOpaqueWords)
{
    EXPECT_EQ(kBlue.argb(), 0xFF0D0A57u);
    EXPECT_EQ(kRed.argb(), 0xFF6A0817u);
}

TEST(Rect, rectanglesOfWholePixels)
{
    const Rect r{10, 20, 30, 40};
    EXPECT_EQ(r.right(), 40);
    EXPECT_EQ(r.bottom(), 60);
    EXPECT_TRUE(r.contains(10, 20));
    EXPECT_TRUE(r.contains(39, 59));
    EXPECT_FALSE(r.contains(40, 59)); // right() is past the last column
    EXPECT_FALSE(r.contains(39, 60));
    EXPECT_EQ(r.intersected({35, 55, 100, 100}), (Rect{35, 55, 5, 5}));
    EXPECT_EQ(r.intersected({40, 20, 10, 10}), Rect{}); // touching is not overlapping
    EXPECT_EQ(r.united({0, 0, 5, 5}), (Rect{0, 0, 40, 60}));
    EXPECT_EQ(r.united({}), r); // an empty one adds nothing
    EXPECT_EQ(Rect{}.united(r), r);
    EXPECT_EQ(Rect::fromEdges(10, 20, 40, 60), r);
    EXPECT_EQ(r.translated(-10, 5), (Rect{0, 25, 30, 40}));
    EXPECT_TRUE((Rect{5, 5, 0, 10}).isEmpty());
    EXPECT_EQ((Size{-3, 5}).area(), 0);
    EXPECT_EQ((Size{65536, 65536}).area(), std::int64_t(1) << 32);
}

} // namespace
