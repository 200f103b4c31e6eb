#include "core/window_layout.h"
#include "tests/core/core_fixture.h"

#include <gtest/gtest.h>

namespace {

// Where an icon stands, in the controls' single precision, and its rest
// place in whole pixels.
struct Place
{
    float x, y, width, height;
};

struct IconCase
{
    const char *name;
    double screenWidth, screenHeight;
    int slot;
    Place expected;
    IconHome home;
    friend void PrintTo(const IconCase &c, std::ostream *os) { *os << c.name; }
};

class WindowLayoutIcons : public testing::TestWithParam<IconCase>
{ };

TEST_P(WindowLayoutIcons, icons)
{
    const IconCase &c = GetParam();
    const IconSlot s = kIconSlots[std::size_t(c.slot)];
    const IconPlace p = placeIcon(c.screenWidth, c.screenHeight, longSide(c.screenWidth, c.screenHeight), 0.08, 128,
                                  128, s.centerX, s.centerY);
    EXPECT_FLOAT_EQ(p.x, c.expected.x);
    EXPECT_FLOAT_EQ(p.y, c.expected.y);
    EXPECT_FLOAT_EQ(p.width, c.expected.width);
    EXPECT_FLOAT_EQ(p.height, c.expected.height);
    EXPECT_EQ(p.home.left, c.home.left);
    EXPECT_EQ(p.home.top, c.home.top);
    EXPECT_EQ(p.home.centerX, c.home.centerX);
    EXPECT_EQ(p.home.centerY, c.home.centerY);
}

// 1000 x 600: every icon 80 x 80.
INSTANTIATE_TEST_SUITE_P(
    Windows, WindowLayoutIcons,
    testing::Values(
        IconCase{"1000x600 switch camera", 1000, 600, 0, {360, 80, 80, 80}, {360, 80, 400, 120}},
        IconCase{"1000x600 eye", 1000, 600, 1, {560, 80, 80, 80}, {560, 80, 600, 120}},
        IconCase{"1000x600 about", 1000, 600, 2, {260, 200, 80, 80}, {260, 200, 300, 240}},
        IconCase{"1000x600 camera", 1000, 600, 3, {460, 200, 80, 80}, {460, 200, 500, 240}},
        IconCase{"1000x600 settings", 1000, 600, 4, {660, 200, 80, 80}, {660, 200, 700, 240}},
        IconCase{"1000x600 previous", 1000, 600, 5, {360, 320, 80, 80}, {360, 320, 400, 360}},
        IconCase{"1000x600 next", 1000, 600, 6, {560, 320, 80, 80}, {560, 320, 600, 360}},
        // A tall window: the same 80 x 80 icons, the longer side is the height.
        IconCase{"600x1000 camera", 600, 1000, 3, {260, 360, 80, 80}, {260, 360, 300, 400}},
        // A square window uses the height; same value.
        IconCase{"500x500 camera", 500, 500, 3, {230, 180, 40, 40}, {230, 180, 250, 200}},
        // 640 x 480: 51.2 wide icons at fractional places; homes are cut.
        IconCase{"640x480 about: fractional place", 640, 480, 2, {166.4f, 166.4f, 51.2f, 51.2f}, {166, 166, 191, 191}},
        IconCase{"30x20 about: tiny window", 30, 20, 2, {7.8f, 6.8f, 2.4f, 2.4f}, {7, 6, 8, 7}}),
    testnames::ByName());

TEST(WindowLayout, homeCenterComesFromTheCutCorner)
{
    // An icon at X 294.4 with width 51.2: CenterX = trunc(25.6 + 294) = 319.
    const IconPlace p = placeIcon(640.0, 480.0, 640.0, 0.08, 128, 128, (294.4 + 25.6) / 640.0, 0.5);
    EXPECT_EQ(p.home.left, 294);
    EXPECT_EQ(p.home.centerX, 319);
}

TEST(WindowLayout, negativeHomeCutsTowardZero)
{
    // A 10 x 10 window: icon 0.8 high, X = 10 * 0.3 - 0.4 = 2.6; a center
    // at -0.3 of the width gives X = -3.4 and home -3.
    const IconPlace p = placeIcon(10.0, 10.0, 10.0, 0.08, 128, 128, -0.3, 0.5);
    EXPECT_LT(p.x, -3.0f);
    EXPECT_GT(p.x, -4.0f);
    EXPECT_EQ(p.home.left, -3);
}

struct SliderCase
{
    const char *name;
    int slot;
    float labelX;
    float trackX, trackY;
    Place box;
    float labelWidth;
    friend void PrintTo(const SliderCase &c, std::ostream *os) { *os << c.name; }
};

class WindowLayoutSliders : public testing::TestWithParam<SliderCase>
{ };

TEST_P(WindowLayoutSliders, sliderGroups)
{
    const SliderCase &c = GetParam();
    // 1000 x 600, 280 x 20 track bars, 20 high labels at Y 0.
    const SliderGroupPlace p = placeSliderGroup(1000.0, 600.0, kSliderSlots[std::size_t(c.slot)].centerY, 280.0f, 20.0f,
                                                c.labelX, 0.0f, 20.0f);
    EXPECT_FLOAT_EQ(p.trackX, c.trackX);
    EXPECT_FLOAT_EQ(p.trackY, c.trackY);
    EXPECT_FLOAT_EQ(p.boxX, c.box.x);
    EXPECT_FLOAT_EQ(p.boxY, c.box.y);
    EXPECT_FLOAT_EQ(p.boxWidth, c.box.width);
    EXPECT_FLOAT_EQ(p.boxHeight, c.box.height);
    EXPECT_FLOAT_EQ(p.labelWidth, c.labelWidth);
}

INSTANTIATE_TEST_SUITE_P(Slots, WindowLayoutSliders,
                         testing::Values(SliderCase{"resolution", 0, 8.0f, 360, 50, {360, 20, 280, 20}, 272.0f},
                                         SliderCase{"sensitivity", 1, 9.0f, 360, 140, {360, 110, 280, 20}, 271.0f},
                                         SliderCase{"freezing speed", 2, 9.0f, 360, 350, {360, 320, 280, 20}, 271.0f}),
                         testnames::ByName());

TEST(WindowLayout, okBoxSitsUnderTheFreezingSpeedSlider)
{
    const ControlPlace ok = placeOkBox(1000.0, 97.0f, 320.0f, 20.0f);
    EXPECT_EQ(ok.x, 451.5f);
    EXPECT_EQ(ok.y, 350.0f);
}

TEST(WindowLayout, switchBoxIsCentredBetweenTheSliders)
{
    const ControlPlace box = placeSwitchBox(1000.0, 600.0, kSoundSwitchCenterY, 120.0f, 30.0f);
    EXPECT_EQ(box.x, 440.0f);
    EXPECT_EQ(box.y, 207.0f); // 0.37 x 600 - 15
}

// The panel's rows from top to bottom, with the desktop's control sizes
// (280 x 20 tracks under 20-pixel labels, 280 x 24 switches, a 97 x 50 OK
// box): none overlaps the next, and all fit the window, from the start size
// to a portrait and a full HD window.
TEST(WindowLayout, thePanelsRowsKeepApartAndInsideTheWindow)
{
    for (const Size window : {Size{640, 480}, Size{600, 900}, Size{1920, 1080}}) {
        SCOPED_TRACE(testing::Message() << window.width << " x " << window.height);
        const auto slider = [&](int slot) {
            return placeSliderGroup(window.width, window.height, kSliderSlots[std::size_t(slot)].centerY, 280.0f, 20.0f,
                                    8.0f, 0.0f, 20.0f);
        };
        const SliderGroupPlace freezing = slider(2);
        const ControlPlace sound = placeSwitchBox(window.width, window.height, kSoundSwitchCenterY, 280.0f, 24.0f);
        const ControlPlace wave = placeSwitchBox(window.width, window.height, kWaveSwitchCenterY, 280.0f, 24.0f);
        const ControlPlace ok = placeOkBox(window.width, 97.0f, freezing.trackY, 20.0f);
        struct Row
        {
            const char *name;
            float top, bottom;
        };
        const Row rows[] = {
            {"resolution", slider(0).boxY, slider(0).trackY + 20.0f},
            {"sensitivity", slider(1).boxY, slider(1).trackY + 20.0f},
            {"sound", sound.y, sound.y + 24.0f},
            {"wave to go on", wave.y, wave.y + 24.0f},
            {"freezing speed", freezing.boxY, freezing.trackY + 20.0f},
            {"OK", ok.y, ok.y + 50.0f},
        };
        EXPECT_GE(rows[0].top, 0.0f);
        EXPECT_LE(rows[std::size(rows) - 1].bottom, float(window.height));
        for (std::size_t i = 1; i < std::size(rows); ++i)
            EXPECT_GT(rows[i].top, rows[i - 1].bottom) << rows[i].name << " under " << rows[i - 1].name;
    }
}

struct PressCase
{
    const char *name;
    Place icon;
    double pressedX, pressedY;
    IconHome home;
    friend void PrintTo(const PressCase &c, std::ostream *os) { *os << c.name; }
};

class WindowLayoutPressed : public testing::TestWithParam<PressCase>
{ };

TEST_P(WindowLayoutPressed, pressedIconGrowsAboutItsCenter)
{
    const PressCase &c = GetParam();
    const PressedIconPlace p = placePressedIcon(c.icon.x, c.icon.y, c.icon.width, c.icon.height,
                                                float(kIconPressScale));
    EXPECT_FLOAT_EQ(p.x, float(c.pressedX));
    EXPECT_FLOAT_EQ(p.y, float(c.pressedY));
    EXPECT_EQ(p.home.left, c.home.left);
    EXPECT_EQ(p.home.top, c.home.top);
    EXPECT_EQ(p.home.centerX, c.home.centerX);
    EXPECT_EQ(p.home.centerY, c.home.centerY);
}

INSTANTIATE_TEST_SUITE_P(
    Icons, WindowLayoutPressed,
    testing::Values(PressCase{"80x80 at (460, 200)", {460, 200, 80, 80}, 448, 188, {460, 200, 500, 240}},
                    PressCase{"fractional place: the home is cut",
                              {294.4f, 175.2f, 51.2f, 51.2f},
                              319 - 25.6 * double(1.3f),
                              200 - 25.6 * double(1.3f),
                              {294, 175, 319, 200}},
                    PressCase{"negative place cuts toward zero",
                              {-3.4f, -0.5f, 10, 10},
                              1 - 5 * double(1.3f),
                              4 - 5 * double(1.3f),
                              {-3, 0, 1, 4}}),
    testnames::ByName());

TEST(WindowLayout, longSideTiesGoToTheHeight)
{
    EXPECT_EQ(longSide(1000, 600), 1000.0);
    EXPECT_EQ(longSide(600, 1000), 1000.0);
    EXPECT_EQ(longSide(502.5, 502.5), 502.5);
}

} // namespace
