// Wave to go on: the target a won picture offers, which a child fills by
// waving at it. Its fill over frames, the motion it counts, when it shows,
// and what full means.

#include "core/play_session.h"
#include "core/wave_target.h"
#include "tests/core/game_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

using testgame::kPicture;
using testimages::argb;
using Circle = WaveTarget::Circle;

StoredSettings storedWith(bool waveToGoOn)
{
    StoredSettings settings;
    settings.waveToGoOn = waveToGoOn;
    return settings;
}

constexpr std::uint32_t kGrey = argb(50, 50, 50);
constexpr std::uint32_t kWhite = argb(250, 250, 250);

// A still grey frame with the pixels whose centres lie within `circle`
// painted `inside`, and every other pixel `outside`.
Image frameOf(const Circle &circle, std::uint32_t inside, std::uint32_t outside = kGrey)
{
    Image frame = testimages::flatImage(kPicture, outside);
    const Rect box = circle.bounds().intersected({0, 0, kPicture.width, kPicture.height});
    for (int y = box.top(); y < box.bottom(); ++y)
        for (int x = box.left(); x < box.right(); ++x)
            if (circle.contains(Point{x + 0.5, y + 0.5}))
                testimages::setPixel(frame.view(), x, y, inside);
    return frame;
}

// ---- Fill and drain ----------------------------------------------------------------

struct FillCase
{
    const char *name;
    std::string frames; // 'w' a frame of waving at the target, '.' a frame without
    double fill;
    bool filled; // the last frame filled it
    friend void PrintTo(const FillCase &c, std::ostream *os) { *os << c.name; }
};

class TargetFill : public testing::TestWithParam<FillCase>
{ };

TEST_P(TargetFill, aboutASecondOfWavingFillsItAndStillnessDrainsItTwiceAsFast)
{
    const FillCase &c = GetParam();
    WaveTarget target;
    target.show();
    bool filled = false;
    for (const char frame : c.frames)
        filled = target.frameSeen(frame == 'w' ? WaveTarget::Motion{0.3, 0.0} : WaveTarget::Motion{});
    EXPECT_DOUBLE_EQ(target.fill(), c.fill);
    EXPECT_EQ(filled, c.filled);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, TargetFill,
    testing::Values(FillCase{"nothing yet", "", 0.0, false},
                    FillCase{"29 frames of waving are not quite enough", std::string(29, 'w'), 29.0 / 30.0, false},
                    FillCase{"30 frames fill it", std::string(30, 'w'), 1.0, true},
                    FillCase{"a hand passing by drains away", std::string(8, 'w') + std::string(8, '.'), 0.0, false},
                    FillCase{"a pause costs two frames of waving each",
                             std::string(20, 'w') + std::string(3, '.') + std::string(10, 'w'), 24.0 / 30.0, false},
                    FillCase{"stillness never goes below empty", std::string(5, '.'), 0.0, false}),
    testnames::ByName{});

TEST(TargetFill, aHiddenTargetTakesNoFrames)
{
    WaveTarget target;
    EXPECT_FALSE(target.frameSeen({1.0, 0.0}));
    EXPECT_EQ(target.fill(), 0.0);
    target.show();
    target.frameSeen({1.0, 0.0});
    target.hide();
    target.show(); // afresh, empty
    EXPECT_EQ(target.fill(), 0.0);
}

// ---- The motion it counts -----------------------------------------------------------

struct MotionCase
{
    const char *name;
    WaveTarget::Motion motion;
    bool waving;
    friend void PrintTo(const MotionCase &c, std::ostream *os) { *os << c.name; }
};

class TargetMotion : public testing::TestWithParam<MotionCase>
{ };

TEST_P(TargetMotion, itFillsOnlyWhileTheMotionInsideClearlyExceedsTheRest)
{
    const MotionCase &c = GetParam();
    WaveTarget target;
    target.show();
    target.frameSeen(c.motion);
    EXPECT_EQ(target.fill() > 0.0, c.waving);
}

INSTANTIATE_TEST_SUITE_P(Shares, TargetMotion,
                         testing::Values(MotionCase{"a hand over the target alone", {0.3, 0.0}, true},
                                         MotionCase{"a hand over it while a little moves elsewhere", {0.3, 0.05}, true},
                                         MotionCase{"a few pixels of noise", {0.02, 0.0}, false},
                                         MotionCase{"a light switched on: everything changes", {1.0, 1.0}, false},
                                         MotionCase{"a child dancing before the whole picture", {0.4, 0.2}, false},
                                         MotionCase{"just four times the rest", {0.2, 0.05}, true}),
                         testnames::ByName{});

TEST(TargetMotion, motionOfCountsTheCircleAgainstTheRestOfThePicture)
{
    const Circle circle = WaveTarget::placeOn(kPicture);
    EXPECT_DOUBLE_EQ(circle.radius, 48.0);
    EXPECT_DOUBLE_EQ(circle.centerY, 56.0);  // inside the top edge
    EXPECT_DOUBLE_EQ(circle.centerX, 584.0); // inside the right edge
    const Image still = frameOf(circle, kGrey);
    struct Case
    {
        const char *name;
        Image frame;
        double inside, rest;
    };
    const Case cases[] = {
        {"nothing moves", frameOf(circle, kGrey), 0.0, 0.0},
        {"the target alone changes", frameOf(circle, kWhite), 1.0, 0.0},
        {"everything changes", frameOf(circle, kWhite, kWhite), 1.0, 1.0},
        {"a change at the sensitivity is no motion", frameOf(circle, argb(57, 57, 56), argb(57, 57, 56)), 0.0, 0.0},
        {"one more step is", frameOf(circle, argb(57, 57, 57), kGrey), 1.0, 0.0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const WaveTarget::Motion motion = WaveTarget::motionOf(c.frame.view(), still.view(), circle, 20);
        EXPECT_DOUBLE_EQ(motion.inside, c.inside);
        EXPECT_DOUBLE_EQ(motion.rest, c.rest);
    }
    // Images of other sizes are not compared.
    const Image small = testimages::flatImage(Size{10, 10}, kWhite);
    EXPECT_EQ(WaveTarget::motionOf(small.view(), still.view(), circle, 20).inside, 0.0);
}

// motionOf walks the circle row by row; a plain count over every pixel with
// Circle::contains is the reference, for circles of any place and size,
// inside the picture, across its edges and off it.
TEST(TargetMotion, motionOfCountsWhatAPixelByPixelCountDoes)
{
    std::mt19937 random(5);
    Image a = testimages::flatImage(kPicture, kGrey);
    Image b = testimages::flatImage(kPicture, kGrey);
    for (int y = 0; y < kPicture.height; ++y)
        for (int x = 0; x < kPicture.width; ++x)
            if (random() % 3 == 0)
                testimages::setPixel(b.view(), x, y, kWhite);
    std::uniform_real_distribution<double> place(-80.0, 720.0), size(0.0, 90.0);
    for (int i = 0; i < 200; ++i) {
        const Circle circle{place(random), place(random) * 0.75, i == 0 ? 0.0 : size(random)};
        int inside = 0, insideMoved = 0, rest = 0, restMoved = 0;
        for (int y = 0; y < kPicture.height; ++y)
            for (int x = 0; x < kPicture.width; ++x) {
                const bool moved = testimages::pixelAt(a.constView(), x, y) != testimages::pixelAt(b.constView(), x, y);
                if (circle.contains(Point{x + 0.5, y + 0.5})) {
                    ++inside;
                    insideMoved += moved ? 1 : 0;
                } else if (x % 4 == 0 && y % 4 == 0) {
                    ++rest;
                    restMoved += moved ? 1 : 0;
                }
            }
        const WaveTarget::Motion motion = WaveTarget::motionOf(b.view(), a.view(), circle, 20);
        SCOPED_TRACE(testing::Message() << "circle " << circle.centerX << ", " << circle.centerY << " r "
                                        << circle.radius);
        EXPECT_DOUBLE_EQ(motion.inside, inside > 0 ? double(insideMoved) / inside : 0.0);
        EXPECT_DOUBLE_EQ(motion.rest, rest > 0 ? double(restMoved) / rest : 0.0);
    }
}

// ---- In play ---------------------------------------------------------------------------

class WaveToGoOn : public testing::Test
{
protected:
    WaveToGoOn() { session.setWaveTargetDrawn(true); }

    void step(Image frame) { session.stepFrame(frame, kPicture, true); }
    // A still frame, then one where every pixel moved: the whole picture is
    // wiped, and the banner shows.
    void win()
    {
        step(testimages::flatImage(kPicture, kGrey));
        step(testimages::flatImage(kPicture, kWhite));
        ASSERT_TRUE(session.game().bannerShown());
    }
    // Frames that move only inside the target: it turns grey and white by
    // turns over a white picture, each frame unlike the one before.
    void waveAtTheTarget(int frames)
    {
        const Circle circle = WaveTarget::placeOn(kPicture);
        for (int i = 0; i < frames; ++i) {
            m_waveWhite = !m_waveWhite;
            step(frameOf(circle, m_waveWhite ? kWhite : kGrey, kWhite));
        }
    }
    // The last frame of win() and of the snow below is white everywhere.
    bool m_waveWhite = true;

    ManualClock clock;
    PlaySession session{clock, 6,
                        [](int number) {
                            return Picture{testimages::flatImage(kPicture, testgame::photoColor(number)),
                                           testimages::flatImage(kPicture, testgame::kIce)};
                        },
                        testgame::kBanner, kPicture};
};

TEST_F(WaveToGoOn, theTargetShowsOnceThePictureIsWonAndStaysUntilItChanges)
{
    EXPECT_FALSE(session.waveTarget().isShown());
    win();
    EXPECT_TRUE(session.waveTarget().isShown());
    // The ice grows back and the banner goes; the target stays.
    session.takeSettings(20, 100, true);
    for (int i = 0; i < 10; ++i)
        step(testimages::flatImage(kPicture, kWhite));
    ASSERT_FALSE(session.game().bannerShown());
    EXPECT_TRUE(session.waveTarget().isShown());

    // A step of the pictures with the tools takes it away.
    session.tapPicture();
    clock.advance(TapGate::kLimitMilliseconds);
    session.controls().place(640, 480, 512, 512);
    session.controls().press(ToolIcon::NextImage);
    session.controls().release(ToolIcon::NextImage);
    ASSERT_EQ(session.clickTool(ToolIcon::NextImage), Controls::Action::NextPicture);
    EXPECT_FALSE(session.waveTarget().isShown());
    EXPECT_FALSE(session.takeWentOn());
}

TEST_F(WaveToGoOn, wavingAtTheTargetBringsTheNextPictureAndMotionEverywhereDoesNot)
{
    win();
    // Snow over the whole picture: everything moves, nothing fills.
    for (int i = 0; i < 60; ++i)
        step(testimages::flatImage(kPicture, i % 2 == 0 ? kGrey : kWhite));
    EXPECT_EQ(session.waveTarget().fill(), 0.0);
    EXPECT_EQ(session.game().pictureNumber(), 1);

    waveAtTheTarget(29);
    EXPECT_EQ(session.game().pictureNumber(), 1);
    waveAtTheTarget(1);
    EXPECT_EQ(session.game().pictureNumber(), 2);
    EXPECT_EQ(session.game().scene(), Game::Scene::IceOnBlack); // as the tool shows it
    EXPECT_TRUE(session.takeWentOn());
    EXPECT_FALSE(session.takeWentOn()); // told once
    EXPECT_FALSE(session.waveTarget().isShown());
    // The wiped levels carry over and the banner still shows on picture 2:
    // no target, and more waving changes nothing, until it is won anew.
    waveAtTheTarget(40);
    EXPECT_EQ(session.game().pictureNumber(), 2);
    EXPECT_FALSE(session.waveTarget().isShown());
}

// A window draws again only the parts a step changed: the ring that grows
// is one of them, whatever the picture under it did.
TEST_F(WaveToGoOn, aFillingRingIsAPartTheStepChanged)
{
    win();
    const PlaySession::Placed place = session.waveTargetPlace();
    const Rect ring = WaveTarget::areaAround(place.centerX, place.centerY, place.radius)
                          .intersected({0, 0, kPicture.width, kPicture.height});
    waveAtTheTarget(1);
    ASSERT_GT(session.waveTarget().fill(), 0.0);
    const std::vector<Rect> &parts = session.changedParts();
    EXPECT_NE(std::find(parts.begin(), parts.end(), ring), parts.end());
}

TEST_F(WaveToGoOn, aTapOnTheTargetGoesOnAndATapBesideItShowsTheTools)
{
    win();
    const PlaySession::Placed place = session.waveTargetPlace();
    EXPECT_DOUBLE_EQ(place.centerX, 584.0);
    session.pointerDown(1, Point{place.centerX - 200, place.centerY});
    EXPECT_TRUE(session.pointerUp(1, Point{place.centerX - 200, place.centerY}));
    session.pointerDown(1, Point{place.centerX, place.centerY});
    EXPECT_FALSE(session.pointerUp(1, Point{place.centerX, place.centerY}));
    EXPECT_EQ(session.game().pictureNumber(), 2);
    EXPECT_TRUE(session.takeWentOn());
}

TEST_F(WaveToGoOn, switchedOffTheTargetNeverShows)
{
    session.setWaveToGoOn(false);
    win();
    EXPECT_FALSE(session.waveTarget().isShown());
    waveAtTheTarget(40);
    EXPECT_EQ(session.game().pictureNumber(), 1);
}

// "Wave to go on" in the settings: on by default, taken from remembered
// settings and from the panel's OK; a target no edition draws is never
// offered.
TEST_F(WaveToGoOn, theSettingSwitchesItAndIsOnByDefault)
{
    EXPECT_TRUE(StoredSettings{}.waveToGoOn);
    EXPECT_TRUE(session.isWaveToGoOnEnabled());

    struct Case
    {
        const char *name;
        std::function<void(PlaySession &)> change;
        bool offered;
    };
    const Case cases[] = {
        {"remembered off", [](PlaySession &s) { s.useSettings(storedWith(false)); }, false},
        {"remembered on", [](PlaySession &s) { s.useSettings(storedWith(true)); }, true},
        {"OK with the switch off", [](PlaySession &s) { s.takeSettings(20, 10, true, false); }, false},
        {"OK from a panel without the switch keeps it",
         [](PlaySession &s) {
             s.setWaveToGoOn(false);
             s.takeSettings(20, 10, true);
         },
         false},
        {"an edition that does not draw it", [](PlaySession &s) { s.setWaveTargetDrawn(false); }, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ManualClock caseClock;
        PlaySession s{caseClock, 6,
                      [](int number) {
                          return Picture{testimages::flatImage(kPicture, testgame::photoColor(number)),
                                         testimages::flatImage(kPicture, testgame::kIce)};
                      },
                      testgame::kBanner, kPicture};
        s.setWaveTargetDrawn(true);
        c.change(s);
        Image still = testimages::flatImage(kPicture, kGrey);
        Image moved = testimages::flatImage(kPicture, kWhite);
        s.stepFrame(still, kPicture, true);
        s.stepFrame(moved, kPicture, true);
        ASSERT_TRUE(s.game().bannerShown());
        EXPECT_EQ(s.waveTarget().isShown(), c.offered);
    }
}

TEST_F(WaveToGoOn, switchingItOffInThePanelTakesAShownTargetAway)
{
    win();
    ASSERT_TRUE(session.waveTarget().isShown());
    EXPECT_TRUE(session.takeSettings(20, 10, true, false)); // a stored value changed
    EXPECT_FALSE(session.waveTarget().isShown());
    EXPECT_FALSE(session.settings().waveToGoOn);
    EXPECT_FALSE(session.activateWaveTarget());
    EXPECT_EQ(session.game().pictureNumber(), 1);
}

TEST_F(WaveToGoOn, aScreenReaderPressGoesOnOnlyWhileItShows)
{
    EXPECT_FALSE(session.activateWaveTarget());
    EXPECT_EQ(session.game().pictureNumber(), 1);
    win();
    EXPECT_TRUE(session.activateWaveTarget());
    EXPECT_EQ(session.game().pictureNumber(), 2);
    EXPECT_TRUE(session.takeWentOn());
    EXPECT_FALSE(session.activateWaveTarget()); // gone with the picture
}

TEST_F(WaveToGoOn, aTapFromAnEditionThatTracksItsOwnPointers)
{
    win();
    const PlaySession::Placed place = session.waveTargetPlace();
    // Just outside the ring, and with a panel open: no going on.
    EXPECT_FALSE(session.tapWaveTarget(Point{place.centerX - place.radius - 2, place.centerY}));
    session.tapPicture(); // the tools
    clock.advance(TapGate::kLimitMilliseconds);
    session.controls().place(640, 480, 512, 512);
    session.controls().press(ToolIcon::Settings);
    session.controls().release(ToolIcon::Settings);
    ASSERT_EQ(session.clickTool(ToolIcon::Settings), Controls::Action::OpenSettings);
    EXPECT_FALSE(session.tapWaveTarget(Point{place.centerX, place.centerY}));
    session.closeOpenPanel();
    EXPECT_TRUE(session.tapWaveTarget(Point{place.centerX - place.radius + 2, place.centerY}));
    EXPECT_EQ(session.game().pictureNumber(), 2);
}

} // namespace
