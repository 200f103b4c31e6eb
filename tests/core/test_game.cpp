// What the game decides: the scene, where the picture, the bar and the banner
// go, which picture is shown, the melt levels and the cleaned fraction. How
// it is drawn is tested in tests/render.

#include "core/game.h"
#include "tests/core/core_fixture.h"
#include "tests/core/game_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

using namespace testimages;
using namespace testgame;

namespace {

// The squared distance of (px, py) from the segment a..b.
double distanceSquared(double px, double py, Point a, Point b)
{
    const double abx = b.x - a.x, aby = b.y - a.y;
    const double length2 = abx * abx + aby * aby;
    const double t = length2 > 0.0 ? std::clamp(((px - a.x) * abx + (py - a.y) * aby) / length2, 0.0, 1.0) : 0.0;
    const double nx = a.x + t * abx, ny = a.y + t * aby;
    return (px - nx) * (px - nx) + (py - ny) * (py - ny);
}

// Pixels the brush of radius r covers along a..b: those whose centre lies
// within r of the segment.
std::vector<bool> capsule(Point a, Point b, double r)
{
    std::vector<bool> inside(kPixels, false);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            inside[std::size_t(y * 640 + x)] = distanceSquared(x + 0.5, y + 0.5, a, b) <= r * r;
    return inside;
}

// The pixel the game shows at (x, y) of its picture.
std::uint32_t shownAt(const Game &game, int x, int y)
{
    const ConstImageView shown = game.shownPicture();
    EXPECT_FALSE(shown.isNull());
    if (shown.isNull())
        return 0;
    EXPECT_EQ(shown.size(), kPicture);
    return pixelAt(shown, x, y);
}

bool sameShownPicture(const Game &a, const Game &b)
{
    const ConstImageView pa = a.shownPicture(), pb = b.shownPicture();
    if (pa.size() != pb.size())
        return false;
    for (int y = 0; y < pa.height; ++y)
        if (std::memcmp(pa.pixel(0, y), pb.pixel(0, y), std::size_t(pa.width) * 4) != 0)
            return false;
    return true;
}

void expectLevels(const Game &game, const std::function<int(int x, int y)> &expected)
{
    const auto &levels = game.meltLevels();
    ASSERT_EQ(levels.size(), std::size_t(kPixels));
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            ASSERT_EQ(levels[std::size_t(y * 640 + x)], expected(x, y)) << "at (" << x << ", " << y << ')';
}

// ---- A new game ---------------------------------------------------------------

struct StartCase
{
    const char *name;
    Size output;
    Rect picture;
    friend void PrintTo(const StartCase &c, std::ostream *os) { *os << c.name; }
};

class GameStart : public testing::TestWithParam<StartCase>
{ };

TEST_P(GameStart, startsWithTheIceOfPictureOneOnBlack)
{
    const StartCase &c = GetParam();
    Fixture f(c.output);
    const Game &game = f.game;
    EXPECT_EQ(game.pictureNumber(), 1);
    EXPECT_EQ(game.pictureCount(), 6);
    EXPECT_TRUE(game.isIceView());
    EXPECT_EQ(game.cameraSensitivity(), 20);
    EXPECT_EQ(game.freezingSpeed(), 10);
    EXPECT_EQ(game.cleanedFraction(), 0.0);
    EXPECT_FALSE(game.bannerShown());
    EXPECT_EQ(int(game.meltLevels().size()), kPixels);
    EXPECT_EQ(frozenCount(game), kPixels);

    EXPECT_EQ(game.outputSize(), c.output);
    EXPECT_EQ(game.pictureRect(), c.picture);
    EXPECT_EQ(game.pictureSize(), kPicture);
    EXPECT_EQ(game.scene(), Game::Scene::IceOnBlack);
    EXPECT_EQ(shownAt(game, 320, 240), kIce);
}

INSTANTIATE_TEST_SUITE_P(Outputs, GameStart,
                         testing::Values(StartCase{"640x480: fills", {640, 480}, {0, 0, 640, 480}},
                                         StartCase{"1280x720: bars left and right", {1280, 720}, {160, 0, 960, 720}},
                                         StartCase{"600x1000: bars above and below", {600, 1000}, {0, 275, 600, 450}}),
                         testnames::ByName());

// ---- Frames ---------------------------------------------------------------------

TEST(Game, theFirstFrameIsOnlyAReference)
{
    Fixture f;
    f.step(noiseImage(kPicture, 1));
    EXPECT_EQ(f.game.cleanedFraction(), 0.0);
    EXPECT_EQ(frozenCount(f.game), kPixels);
    // The game is on show: an empty bar, and the ice.
    EXPECT_EQ(f.game.scene(), Game::Scene::Play);
    EXPECT_EQ(f.game.progressBarRect(), (Rect{20, 432, 0, 20}));
    EXPECT_EQ(shownAt(f.game, 300, 200), kIce);
}

TEST(Game, motionWipesExactlyTheMovingPixels)
{
    Fixture f;
    const Image still = flatImage(kPicture, argb(10, 10, 10));
    Image moved = still.copy();
    const Rect wiped{100, 50, 40, 30};
    fillRect(moved, wiped, argb(250, 250, 250)); // d = 720
    f.step(still.copy());
    f.step(moved.copy());

    expectLevels(f.game, [&](int x, int y) { return wiped.contains(x, y) ? 720 : 0; });
    EXPECT_EQ(f.game.cleanedFraction(), 1.0 - (307200.0 - 1200.0) / 307200.0);
    // The photograph shows through where the hand moved.
    EXPECT_EQ(shownAt(f.game, 120, 65), photoColor(1));
    EXPECT_EQ(shownAt(f.game, 320, 300), kIce);

    // The frame just seen is the next reference: seeing it again wipes
    // nothing more and the ice grows back by the speed.
    f.step(moved.copy());
    EXPECT_EQ(f.game.meltLevels()[std::size_t(65 * 640 + 120)], 710);
}

struct BannerCase
{
    const char *name;
    int frozen;
    bool banner;
    Color barColor;
    friend void PrintTo(const BannerCase &c, std::ostream *os) { *os << c.name; }
};

class GameBanner : public testing::TestWithParam<BannerCase>
{ };

TEST_P(GameBanner, bannerAndBar)
{
    const BannerCase &c = GetParam();
    Fixture f;
    f.wipe(kPixels - c.frozen);
    EXPECT_EQ(frozenCount(f.game), c.frozen);
    EXPECT_EQ(f.game.cleanedFraction(), 1.0 - c.frozen / 307200.0);
    EXPECT_EQ(f.game.bannerShown(), c.banner);
    EXPECT_EQ(f.game.scene(), Game::Scene::Play);

    const Rect bar = f.game.progressBarRect();
    EXPECT_EQ(bar.left(), 20);
    EXPECT_EQ(bar.top(), 432);
    EXPECT_EQ(bar.bottom(), 452);
    EXPECT_EQ(bar.right(), 20 + int(std::floor(600.0 * (1.0 - c.frozen / 307200.0))));
    EXPECT_EQ(f.game.progressBarColor(), c.barColor);
    // The banner sits centred over the picture.
    EXPECT_EQ(f.game.bannerRect(), (Rect{0, 152, 640, 175}));
}

INSTANTIATE_TEST_SUITE_P(Thresholds, GameBanner,
                         testing::Values(BannerCase{"15,359 frozen: the banner shows", 15359, true, kBlue},
                                         BannerCase{"15,360 frozen is exactly 0.95: no banner", 15360, false, kBlue},
                                         BannerCase{"153,599 frozen: just past half, blue", 153599, false, kBlue},
                                         BannerCase{"153,600 frozen is half: red", 153600, false, kRed}),
                         testnames::ByName());

TEST(Game, theBannerGoesWithOneFrameOfPlainIce)
{
    Fixture f;
    f.wipe(kPixels);
    ASSERT_TRUE(f.game.bannerShown());

    // A speed that refreezes everything at the next frame.
    f.game.setFreezingSpeed(500);
    f.step(frameWithChangedPixels(kPixels));
    EXPECT_EQ(frozenCount(f.game), kPixels);
    EXPECT_FALSE(f.game.bannerShown());
    // The ice on black, without the bar.
    EXPECT_EQ(f.game.scene(), Game::Scene::IceOnBlack);
    EXPECT_EQ(shownAt(f.game, 320, 240), kIce);

    // The next frame shows the game again, bar included.
    f.step(frameWithChangedPixels(0));
    EXPECT_EQ(f.game.scene(), Game::Scene::Play);
    EXPECT_EQ(f.game.progressBarColor(), kBlue);
}

TEST(Game, theCameraViewShowsThePlainFrameAndPausesTheGame)
{
    Fixture f;
    f.wipe(1000);
    const std::vector<std::int32_t> before = f.game.meltLevels();
    f.game.toggleView();
    EXPECT_FALSE(f.game.isIceView());
    f.step(flatImage(kPicture, argb(200, 100, 50)));
    EXPECT_EQ(f.game.scene(), Game::Scene::CameraFrame);
    EXPECT_EQ(shownAt(f.game, 320, 440), argb(200, 100, 50));
    EXPECT_EQ(f.game.meltLevels(), before);

    // Back in the ice view, the last camera frame is the reference.
    f.game.toggleView();
    f.step(flatImage(kPicture, argb(200, 100, 50)));
    EXPECT_EQ(f.game.scene(), Game::Scene::Play);
    EXPECT_EQ(frozenCount(f.game), kPixels - 1000);
}

// The game takes frames already fitted to the picture (FrameFitter on the
// desktop, the canvas in a browser); anything else is skipped whole.
struct SkippedFrameCase
{
    const char *name;
    Size size;
    friend void PrintTo(const SkippedFrameCase &c, std::ostream *os) { *os << c.name; }
};

class GameSkippedFrame : public testing::TestWithParam<SkippedFrameCase>
{ };

TEST_P(GameSkippedFrame, aFrameNotOfThePicturesSizeChangesNothing)
{
    Fixture f;
    f.wipe(1000);
    const std::vector<std::int32_t> levels = f.game.meltLevels();
    const double cleaned = f.game.cleanedFraction();
    Image frame = GetParam().size.isEmpty() ? Image() : noiseImage(GetParam().size, 3);
    const std::uint8_t *const bits = frame.bits();
    EXPECT_TRUE(f.game.step(frame, GetParam().size).isEmpty());
    EXPECT_EQ(frame.bits(), bits); // not taken
    EXPECT_EQ(f.game.meltLevels(), levels);
    EXPECT_EQ(f.game.cleanedFraction(), cleaned);
    EXPECT_EQ(f.game.scene(), Game::Scene::Play);
    // The next fitted frame goes on from the last reference.
    f.step(frameWithChangedPixels(1000));
    EXPECT_EQ(frozenCount(f.game), kPixels - 1000);
}

INSTANTIATE_TEST_SUITE_P(Sizes, GameSkippedFrame,
                         testing::Values(SkippedFrameCase{"null", {0, 0}},
                                         SkippedFrameCase{"1280x720 unfitted", {1280, 720}},
                                         SkippedFrameCase{"one row short", {640, 479}},
                                         SkippedFrameCase{"one pixel", {1, 1}}),
                         testnames::ByName());

TEST(Game, aFrameHandsBackASpareBufferOfItsSize)
{
    Fixture f;
    Image frame = noiseImage(kPicture, 1);
    const std::uint8_t *const first = frame.bits();
    f.game.step(frame, kPicture);
    ASSERT_FALSE(frame.isNull());
    EXPECT_EQ(frame.size(), kPicture);
    EXPECT_NE(frame.bits(), first); // the game kept the frame itself
}

struct TinyOutputCase
{
    const char *name;
    Size output;
    friend void PrintTo(const TinyOutputCase &c, std::ostream *os) { *os << c.name; }
};

class GameTinyOutput : public testing::TestWithParam<TinyOutputCase>
{ };

TEST_P(GameTinyOutput, aTinyOutputStillPlays)
{
    const Size output = GetParam().output;
    Fixture f;
    f.game.setOutputSize(output);
    for (std::uint32_t seed : {8u, 9u}) {
        Image frame = noiseImage(kPicture, seed);
        const Rect changed = f.game.step(frame, kPicture);
        EXPECT_TRUE(changed.isEmpty() || changed.intersected({0, 0, output.width, output.height}) == changed)
            << changed.x << ',' << changed.y << ' ' << changed.width << 'x' << changed.height;
    }
    EXPECT_EQ(f.game.outputSize(), output);
    EXPECT_GT(f.game.cleanedFraction(), 0.0); // the game went on underneath
}

INSTANTIATE_TEST_SUITE_P(Outputs, GameTinyOutput,
                         testing::Values(TinyOutputCase{"1x1", {1, 1}}, TinyOutputCase{"3x200", {3, 200}},
                                         TinyOutputCase{"200x3", {200, 3}}, TinyOutputCase{"0x0", {0, 0}}),
                         testnames::ByName());

TEST(Game, aStepChangesThePictureAndWhereTheBannerComesOrGoes)
{
    Fixture f({1280, 720});
    const Rect picture{160, 0, 960, 720};
    const Rect banner{0, 185, 1280, 350};
    EXPECT_EQ(f.game.bannerRect(), banner);
    Image frame = frameWithChangedPixels(0);
    EXPECT_EQ(f.game.step(frame, kPicture), picture);
    // The banner comes: its place reaches over the black bars.
    frame = frameWithChangedPixels(kPixels);
    EXPECT_EQ(f.game.step(frame, kPicture), picture.united(banner));
    frame = frameWithChangedPixels(kPixels);
    EXPECT_EQ(f.game.step(frame, kPicture), picture); // it stays
    f.game.setFreezingSpeed(500);                     // everything refreezes: the banner goes
    frame = frameWithChangedPixels(kPixels);
    EXPECT_EQ(f.game.step(frame, kPicture), picture.united(banner));
}

// An output that draws the step's whole rectangle (the page's canvas) has
// the steps skip the comparison: the picture is then the part that changed.
TEST(Game, withoutTheComparisonTheWholePictureIsThePartThatChanged)
{
    Fixture f({1280, 720});
    const Rect picture{160, 0, 960, 720};
    f.game.setFreezingSpeed(0);
    f.game.setFindsChangedParts(false);
    const Image still = flatImage(kPicture, argb(10, 10, 10));
    Image frame = still.copy();
    f.game.step(frame, kPicture);
    frame = still.copy();
    EXPECT_EQ(f.game.step(frame, kPicture), picture);
    ASSERT_FALSE(f.game.changedParts().empty());
    EXPECT_EQ(f.game.changedParts().front(), picture);
}

// What a window need draw again after a step: only the picture rows whose
// pixels changed (a source row either side, as scaling reads them) and the
// bar, unless the output showed something else before.
TEST(Game, aStepNamesOnlyThePartsItChanged)
{
    Fixture f({1280, 720}); // the picture at 1.5 x: 960 x 720 at x 160
    const Rect picture{160, 0, 960, 720};
    f.game.setFreezingSpeed(0); // nothing refreezes: only motion changes pixels
    const Image still = flatImage(kPicture, argb(10, 10, 10));
    Image frame = still.copy();
    f.game.step(frame, kPicture);
    EXPECT_EQ(f.game.changedParts(), (std::vector<Rect>{picture})) << "the ice on black was on show";

    frame = still.copy();
    EXPECT_EQ(f.game.step(frame, kPicture), picture) << "the step's rectangle is as before";
    EXPECT_TRUE(f.game.changedParts().empty()) << "no pixel and no bar changed";

    // Rows 50 to 79 of columns 100 to 139 move: output pixels from source
    // pixel 49 to the end of 80 down, from 99 to the end of 140 across.
    Image moved = still.copy();
    fillRect(moved, {100, 50, 40, 30}, argb(250, 250, 250));
    const Rect barBefore = f.game.progressBarRect();
    f.game.step(moved, kPicture);
    const Rect band{160 + 148, 73, 212 - 148, 122 - 73};
    EXPECT_TRUE(barBefore.isEmpty());
    EXPECT_EQ(f.game.changedParts(), (std::vector<Rect>{band, f.game.progressBarRect()}));

    // Two moving places far apart are two bands; the bar stays as it is.
    Image twoPlaces = still.copy();
    fillRect(twoPlaces, {300, 10, 10, 2}, argb(250, 250, 250));
    fillRect(twoPlaces, {300, 400, 10, 2}, argb(250, 250, 250));
    frame = still.copy();
    f.game.step(frame, kPicture); // the first place is wiped already: nothing new shows
    EXPECT_TRUE(f.game.changedParts().empty());
    f.game.step(twoPlaces, kPicture);
    EXPECT_EQ(f.game.changedParts(),
              (std::vector<Rect>{{160 + 448, 13, 467 - 448, 20 - 13}, {160 + 448, 598, 467 - 448, 605 - 598}}));

    // The camera view shows the frame: all of it. Back in the ice view, the
    // first step draws the whole picture again.
    f.game.toggleView();
    frame = still.copy();
    f.game.step(frame, kPicture);
    EXPECT_EQ(f.game.changedParts(), (std::vector<Rect>{picture}));
    f.game.toggleView();
    frame = still.copy();
    f.game.step(frame, kPicture);
    EXPECT_EQ(f.game.changedParts(), (std::vector<Rect>{picture}));
    frame = still.copy();
    f.game.step(frame, kPicture);
    EXPECT_TRUE(f.game.changedParts().empty());
}

TEST(Game, aNewFrameSizeIsANewStream)
{
    // A camera that changed its resolution: its first frame of the new size
    // is only a reference, however different it looks.
    Fixture f;
    f.game.setFreezingSpeed(0); // nothing refreezes: only wiping changes the count
    f.step(noiseImage(kPicture, 5));
    for (const Size cameraSize : {Size{1280, 720}, Size{160, 120}}) {
        const int frozen = frozenCount(f.game);
        f.step(noiseImage(kPicture, 6), cameraSize);
        EXPECT_EQ(frozenCount(f.game), frozen);
        f.step(noiseImage(kPicture, 7), cameraSize);
        EXPECT_LT(frozenCount(f.game), frozen);
    }
    EXPECT_EQ(int(f.game.meltLevels().size()), kPixels);
}

TEST(Game, aPassThatCannotRunLeavesTheCleanedFractionAlone)
{
    Fixture f(kPicture, true);
    f.wipe(kPixels);
    EXPECT_EQ(f.game.cleanedFraction(), 1.0);
    f.game.nextPicture(); // its ice overlay has the wrong size
    f.game.setFreezingSpeed(500);
    Image frame = frameWithChangedPixels(kPixels);
    EXPECT_TRUE(f.game.step(frame, kPicture).isEmpty()); // nothing new to show
    EXPECT_EQ(f.game.cleanedFraction(), 1.0);
    const auto &levels = f.game.meltLevels();
    EXPECT_TRUE(std::all_of(levels.begin(), levels.end(), [](int level) { return level == 600; }));
}

TEST(Game, aNewReferenceIsOnlyCompared)
{
    Fixture f;
    f.step(noiseImage(kPicture, 4));
    f.game.requestNewReference();
    f.step(noiseImage(kPicture, 5));
    EXPECT_EQ(frozenCount(f.game), kPixels);
    f.step(noiseImage(kPicture, 6));
    EXPECT_LT(frozenCount(f.game), kPixels);
}

TEST(Game, aNewOutputSizeStartsAfresh)
{
    Fixture f;
    f.wipe(1000);
    f.game.setOutputSize({1280, 720});
    // The ice of the current picture, centred on black, and the levels kept.
    EXPECT_EQ(f.game.scene(), Game::Scene::IceOnBlack);
    EXPECT_EQ(f.game.pictureRect(), (Rect{160, 0, 960, 720}));
    EXPECT_EQ(shownAt(f.game, 320, 240), kIce);
    EXPECT_EQ(frozenCount(f.game), kPixels - 1000);
    // The next frame is only a reference, however different it is.
    f.step(noiseImage(kPicture, 3));
    EXPECT_EQ(frozenCount(f.game), kPixels - 1000);
}

// ---- Pictures -------------------------------------------------------------------

struct CycleCase
{
    const char *name;
    int forward, backward, expected;
    friend void PrintTo(const CycleCase &c, std::ostream *os) { *os << c.name; }
};

class GameCycle : public testing::TestWithParam<CycleCase>
{ };

TEST_P(GameCycle, picturesCycleBothWays)
{
    const CycleCase &c = GetParam();
    Fixture f;
    for (int i = 0; i < c.forward; ++i)
        f.game.nextPicture();
    for (int i = 0; i < c.backward; ++i)
        f.game.previousPicture();
    EXPECT_EQ(f.game.pictureNumber(), c.expected);
    // The new picture's ice on black at once; its photograph under the wiped parts.
    EXPECT_EQ(f.game.scene(), Game::Scene::IceOnBlack);
    EXPECT_EQ(shownAt(f.game, 320, 240), kIce);
    f.wipe(kPixels);
    EXPECT_EQ(shownAt(f.game, 320, 470), photoColor(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Steps, GameCycle,
                         testing::Values(CycleCase{"next from 1", 1, 0, 2},
                                         CycleCase{"next from 6 wraps to 1", 6, 0, 1},
                                         CycleCase{"previous from 1 wraps to 6", 0, 1, 6},
                                         CycleCase{"previous from 2", 1, 1, 1},
                                         CycleCase{"twelve steps back", 0, 12, 1}),
                         testnames::ByName());

// Pictures joining while the game runs (the user's own photos).
struct JoinCase
{
    const char *name;
    int firstCount, shown, laterCount, expectedCount, afterNext, afterPrevious;
    friend void PrintTo(const JoinCase &c, std::ostream *os) { *os << c.name; }
};

class GameJoin : public testing::TestWithParam<JoinCase>
{ };

TEST_P(GameJoin, morePicturesJoinTheCycle)
{
    const JoinCase &c = GetParam();
    Fixture f;
    f.wipe(1000);
    const std::vector<std::int32_t> levels = f.game.meltLevels();
    f.game.setPictureCount(c.firstCount);
    while (f.game.pictureNumber() != c.shown)
        f.game.nextPicture();
    f.game.setPictureCount(c.laterCount);
    EXPECT_EQ(f.game.pictureCount(), c.expectedCount);
    EXPECT_EQ(f.game.pictureNumber(), c.shown);

    f.game.nextPicture();
    EXPECT_EQ(f.game.pictureNumber(), c.afterNext);
    f.game.previousPicture();
    f.game.previousPicture();
    EXPECT_EQ(f.game.pictureNumber(), c.afterPrevious);
    // The melt levels carry over to the pictures that joined as well.
    EXPECT_EQ(f.game.meltLevels(), levels);
    f.step(frameWithChangedPixels(1000));
    EXPECT_EQ(shownAt(f.game, 10, 0), photoColor(c.afterPrevious));
}

INSTANTIATE_TEST_SUITE_P(Counts, GameJoin,
                         testing::Values(JoinCase{"grown to 8 at picture 1: previous wraps to 8", 8, 1, 8, 8, 2, 8},
                                         JoinCase{"grown to 8 at picture 6: next goes on to 7", 8, 6, 8, 8, 7, 5},
                                         JoinCase{"fewer than the picture on show is refused", 8, 8, 3, 8, 1, 7},
                                         JoinCase{"none at all is refused", 6, 1, 0, 1, 1, 1}),
                         testnames::ByName());

// A picture that could not be had when stepped to (a photo still being made)
// keeps the one on screen; once it arrives it is shown, and one that arrives
// while another is on show changes nothing.
TEST(Game, aPictureThatArrivesLateIsShownIfStillOnShow)
{
    bool late = true;
    Game game(
        3,
        [&late](int number) {
            if (number == 2 && late)
                return Picture();
            return Picture{flatImage(kPicture, photoColor(number)), flatImage(kPicture, kIce)};
        },
        kBanner, kPicture);
    Image still = frameWithChangedPixels(0);
    Image moved = frameWithChangedPixels(1000);
    game.step(still, kPicture);
    game.step(moved, kPicture);
    game.nextPicture();
    EXPECT_EQ(game.pictureNumber(), 2);
    Image again = frameWithChangedPixels(1000);
    game.step(again, kPicture);
    EXPECT_EQ(shownAt(game, 10, 0), photoColor(1)); // still the old photo

    game.pictureArrived(3); // not on show: nothing changes
    EXPECT_EQ(game.scene(), Game::Scene::Play);
    EXPECT_EQ(shownAt(game, 10, 0), photoColor(1));
    late = false;
    game.pictureArrived(2);
    EXPECT_EQ(game.scene(), Game::Scene::IceOnBlack); // the new picture's ice on black, as after a step
    EXPECT_EQ(shownAt(game, 10, 0), kIce);
    Image next = frameWithChangedPixels(1000);
    game.step(next, kPicture);
    EXPECT_EQ(shownAt(game, 10, 0), photoColor(2));
}

// The browser decodes its pictures after the game has started: the first
// one may come only later, and play starts then.
TEST(Game, aFirstPictureThatArrivesAfterTheStartIsFittedAndPlayed)
{
    bool arrived = false;
    Game game(
        2,
        [&arrived](int number) {
            return arrived ? Picture{flatImage(kPicture, photoColor(number)), flatImage(kPicture, kIce)} : Picture();
        },
        kBanner, Size{2 * kPicture.width, 2 * kPicture.height});
    EXPECT_TRUE(game.shownPicture().isNull());
    game.addStroke(Point{0, 0}, Point{10, 10}); // nothing to wipe yet
    game.stepWithoutFrame();
    EXPECT_EQ(game.scene(), Game::Scene::IceOnBlack);

    arrived = true;
    game.pictureArrived(1);
    EXPECT_EQ(game.pictureRect(), (Rect{0, 0, 2 * kPicture.width, 2 * kPicture.height}));
    EXPECT_EQ(game.pictureSize(), kPicture);
    EXPECT_EQ(game.meltLevels().size(), std::size_t(kPicture.area()));
    EXPECT_EQ(shownAt(game, 10, 0), kIce);
    game.addStroke(game.toPicture(Point{0, 20}), game.toPicture(Point{2.0 * kPicture.width, 20}));
    game.stepWithoutFrame();
    EXPECT_EQ(game.scene(), Game::Scene::Play);
    EXPECT_GT(game.cleanedFraction(), 0.0);
    EXPECT_EQ(shownAt(game, 10, 10), photoColor(1));
}

TEST(Game, wipedPartsSurviveAPictureChange)
{
    Fixture f;
    f.wipe(1000);
    const std::vector<std::int32_t> before = f.game.meltLevels();
    f.game.nextPicture();
    EXPECT_EQ(f.game.meltLevels(), before);
    f.step(frameWithChangedPixels(1000));
    EXPECT_EQ(shownAt(f.game, 10, 0), photoColor(2));
}

// ---- Strokes of a finger or the mouse ----------------------------------------------

struct BrushCase
{
    const char *name;
    Point from, to;
    bool wipes;
    // The part of the stroke over the picture, which alone wipes.
    Point partFrom, partTo;
    friend void PrintTo(const BrushCase &c, std::ostream *os) { *os << c.name; }
};

BrushCase onPicture(const char *name, Point from, Point to)
{
    return {name, from, to, true, from, to};
}

class GameBrush : public testing::TestWithParam<BrushCase>
{ };

TEST_P(GameBrush, aStrokeWipesExactlyTheBrushsPixels)
{
    const BrushCase &c = GetParam();
    Fixture f;
    EXPECT_EQ(f.game.brushRadius(), 12.0); // 2.5 % of 480
    f.game.addStroke(c.from, c.to);
    EXPECT_EQ(f.game.hasPendingStrokes(), c.wipes);
    f.game.stepWithoutFrame();
    EXPECT_FALSE(f.game.hasPendingStrokes());

    const std::vector<bool> brush = c.wipes ? capsule(c.partFrom, c.partTo, 12.0) : std::vector<bool>(kPixels, false);
    // As motion of the largest change would: 765 at once.
    expectLevels(f.game, [&](int x, int y) { return brush[std::size_t(y * 640 + x)] ? 765 : 0; });
    const int wiped = int(std::count(brush.begin(), brush.end(), true));
    EXPECT_EQ(wiped > 0, c.wipes);
    EXPECT_EQ(f.game.cleanedFraction(), 1.0 - (307200.0 - wiped) / 307200.0);
    EXPECT_EQ(f.game.iceWipedFraction(), wiped / 307200.0);
}

INSTANTIATE_TEST_SUITE_P(
    Strokes, GameBrush,
    testing::Values(
        onPicture("zero length: a disc", {320, 240}, {320, 240}),
        onPicture("zero length between pixel centres", {100.3, 200.8}, {100.3, 200.8}),
        onPicture("short", {100.3, 200.7}, {108.9, 201.2}), onPicture("long, steep", {400.5, 10}, {405, 470}),
        onPicture("long diagonal, corner to corner", {0, 0}, {640, 480}),
        onPicture("along the left edge: half the brush is off the picture", {0.5, 100}, {0.5, 300}),
        BrushCase{"from the black bar onto the picture", {-40, 240}, {40, 240}, true, {0, 240}, {40, 240}},
        BrushCase{"across the whole picture and beyond", {-100, 400}, {740, 400}, true, {0, 400}, {640, 400}},
        BrushCase{
            "out over the bottom right corner", {630, 470}, {660, 490}, true, {630, 470}, {640, 476.6666666666667}},
        BrushCase{"beside the picture, within a brush of its edge: nothing", {-2, 100}, {-2, 300}, false, {}, {}},
        BrushCase{"off the picture entirely: nothing", {-100, -100}, {-50, -20}, false, {}, {}},
        BrushCase{"a dot below the picture: nothing", {320, 481}, {320, 481}, false, {}, {}}),
    testnames::ByName());

// A stroke and the camera's motion over the same pixels give the same game,
// step after step: levels, cleaned fraction, picture, bar and banner.
struct StrokeAsMotionCase
{
    const char *name;
    Point from, to;
    int sensitivity;
    bool wide; // enough strokes to wipe all but a strip: the banner comes
    friend void PrintTo(const StrokeAsMotionCase &c, std::ostream *os) { *os << c.name; }
};

class GameStrokeAsMotion : public testing::TestWithParam<StrokeAsMotionCase>
{ };

TEST_P(GameStrokeAsMotion, aStrokeWipesExactlyAsMotionWould)
{
    const StrokeAsMotionCase &c = GetParam();
    Fixture byStroke, byMotion;
    byStroke.game.setCameraSensitivity(c.sensitivity);
    byMotion.game.setCameraSensitivity(c.sensitivity);
    const Image black = flatImage(kPicture, argb(0, 0, 0));
    byStroke.step(black.copy());
    byMotion.step(black.copy());

    if (c.wide) {
        for (int y = 0; y < 480; y += 8)
            byStroke.game.addStroke({0, double(y)}, {620, double(y)});
    } else {
        byStroke.game.addStroke(c.from, c.to);
    }
    byStroke.step(black.copy());
    // The same pixels turn white in front of the camera: d = 765.
    Image moved = black.copy();
    const auto &wipedLevels = byStroke.game.meltLevels();
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            if (wipedLevels[std::size_t(y * 640 + x)] == 765)
                setPixel(moved.view(), x, y, argb(255, 255, 255));
    byMotion.step(moved.copy());
    EXPECT_EQ(byStroke.game.bannerShown(), c.wide);

    for (int frame = 0; frame < 60; ++frame) {
        SCOPED_TRACE(frame);
        ASSERT_EQ(byStroke.game.meltLevels(), byMotion.game.meltLevels());
        EXPECT_EQ(byStroke.game.cleanedFraction(), byMotion.game.cleanedFraction());
        EXPECT_EQ(byStroke.game.iceWipedFraction(), byMotion.game.iceWipedFraction());
        EXPECT_EQ(byStroke.game.bannerShown(), byMotion.game.bannerShown());
        EXPECT_EQ(byStroke.game.progressBarRect(), byMotion.game.progressBarRect());
        EXPECT_EQ(byStroke.game.scene(), byMotion.game.scene());
        ASSERT_TRUE(sameShownPicture(byStroke.game, byMotion.game));
        // Then nothing moves: the ice grows back alike.
        byStroke.step(black.copy());
        byMotion.step(moved.copy());
    }
}

INSTANTIATE_TEST_SUITE_P(Strokes, GameStrokeAsMotion,
                         testing::Values(StrokeAsMotionCase{"a small wipe", {100, 100}, {300, 200}, 20, false},
                                         StrokeAsMotionCase{"a wide wipe, past the banner's line", {}, {}, 20, true},
                                         StrokeAsMotionCase{"sensitivity 764", {600, 20}, {20, 460}, 764, false}),
                         testnames::ByName());

TEST(Game, strokesAndMotionWipeInTheSameStep)
{
    Fixture f;
    const Image still = flatImage(kPicture, argb(10, 10, 10));
    Image moved = still.copy();
    const Rect patch{100, 50, 40, 30};
    fillRect(moved, patch, argb(110, 110, 110)); // d = 300
    f.step(still.copy());
    // One stroke across the moving patch, one far from it.
    f.game.addStroke({80, 65}, {80, 65});
    f.game.addStroke({500, 400}, {560, 400});
    f.step(moved.copy());

    const std::vector<bool> dot = capsule({80, 65}, {80, 65}, 12.0);
    const std::vector<bool> line = capsule({500, 400}, {560, 400}, 12.0);
    int wiped = 0;
    expectLevels(f.game, [&](int x, int y) {
        const std::size_t i = std::size_t(y * 640 + x);
        const int expected = dot[i] || line[i] ? 765 : patch.contains(x, y) ? 300 : 0;
        wiped += expected > 0;
        return expected;
    });
    EXPECT_EQ(f.game.iceWipedFraction(), wiped / 307200.0);
    EXPECT_NEAR(f.game.cleanedFraction(), wiped / 307200.0, 1e-12); // 1 - frozen share
    // The strokes were taken: the next frame wipes only what moves.
    EXPECT_FALSE(f.game.hasPendingStrokes());
    f.step(moved.copy());
    EXPECT_EQ(f.game.iceWipedFraction(), 0.0);
    EXPECT_EQ(f.game.meltLevels()[std::size_t(400 * 640 + 530)], 755);
}

TEST(Game, onlyIceCountsAsWipedIce)
{
    Fixture f;
    f.game.addStroke({320, 240}, {320, 240});
    f.game.stepWithoutFrame();
    const double disc = f.game.iceWipedFraction();
    EXPECT_GT(disc, 0.0);
    // The same place again while it is still clean: no ice was wiped.
    f.game.addStroke({320, 240}, {320, 240});
    f.game.stepWithoutFrame();
    EXPECT_EQ(f.game.iceWipedFraction(), 0.0);
    // A step that wipes nothing.
    f.game.stepWithoutFrame();
    EXPECT_EQ(f.game.iceWipedFraction(), 0.0);
    // The disc again, once it has grown back to ice (765 - 10 * 47 = 295
    // after the 47 steps that follow the wipe).
    for (int i = 0; i < 45; ++i)
        f.game.stepWithoutFrame();
    f.game.addStroke({320, 240}, {320, 240});
    f.game.stepWithoutFrame();
    EXPECT_EQ(f.game.iceWipedFraction(), disc);
}

struct SettleCase
{
    const char *name;
    int speed;
    bool settledAtStart;
    int stepsToSettle; // after the step that wipes
    friend void PrintTo(const SettleCase &c, std::ostream *os) { *os << c.name; }
};

class GameSettle : public testing::TestWithParam<SettleCase>
{ };

TEST_P(GameSettle, theIceGrowsBackWithoutFramesUntilSettled)
{
    const SettleCase &c = GetParam();
    Fixture f;
    f.game.setFreezingSpeed(c.speed);
    EXPECT_EQ(f.game.isSettled(), c.settledAtStart);
    f.game.addStroke({100, 100}, {200, 100});
    EXPECT_FALSE(f.game.isSettled()); // a stroke waits
    EXPECT_FALSE(f.game.stepWithoutFrame().isEmpty());
    EXPECT_EQ(f.game.meltLevels()[std::size_t(100 * 640 + 150)], 765);
    int steps = 0;
    while (!f.game.isSettled() && steps < 1000) {
        f.game.stepWithoutFrame();
        ++steps;
    }
    EXPECT_EQ(steps, c.stepsToSettle);
    // Settled means a further step changes nothing.
    const std::vector<std::int32_t> levels = f.game.meltLevels();
    f.game.stepWithoutFrame();
    EXPECT_EQ(f.game.meltLevels(), levels);
}

INSTANTIATE_TEST_SUITE_P(Speeds, GameSettle,
                         testing::Values(SettleCase{"speed 10: 765 down to 5", 10, true, 76},
                                         SettleCase{"speed 0: never grows back", 0, true, 0},
                                         SettleCase{"speed 500: once, to 265", 500, true, 1},
                                         SettleCase{"speed 765: a level at the speed stays", 765, true, 0},
                                         SettleCase{"negative speed: all melts, up to 765", -10, false, 76}),
                         testnames::ByName());

TEST(Game, theStepAfterTheBannerWentStillComes)
{
    Fixture f;
    // The top part wiped first, the rest 28 steps later: the banner comes.
    for (int y = 0; y <= 200; y += 8)
        f.game.addStroke({0, double(y)}, {640, double(y)});
    for (int i = 0; i < 28; ++i)
        f.game.stepWithoutFrame();
    for (int y = 216; y <= 480; y += 8)
        f.game.addStroke({0, double(y)}, {640, double(y)});
    f.game.stepWithoutFrame();
    ASSERT_TRUE(f.game.bannerShown());
    // Now the top part (485) stays clean for good and the rest (765) freezes
    // at once (265), to stay: the banner goes.
    f.game.setFreezingSpeed(500);
    f.game.stepWithoutFrame();
    EXPECT_FALSE(f.game.bannerShown());
    EXPECT_EQ(f.game.scene(), Game::Scene::IceOnBlack); // the plain ice for this step, no bar
    EXPECT_FALSE(f.game.isSettled());
    f.game.stepWithoutFrame();
    EXPECT_EQ(f.game.scene(), Game::Scene::Play); // the game again, with its bar
    EXPECT_EQ(f.game.progressBarColor(), kRed);
    EXPECT_EQ(shownAt(f.game, 320, 100), photoColor(1));
    EXPECT_EQ(shownAt(f.game, 320, 400), kIce);
    EXPECT_TRUE(f.game.isSettled());
}

TEST(Game, aWipedPixelRefreezesWithoutFramesAsWithFrames)
{
    Fixture f;
    f.game.addStroke({320, 240}, {320, 240});
    f.game.stepWithoutFrame();
    EXPECT_EQ(shownAt(f.game, 320, 240), photoColor(1));
    for (int i = 1; i <= 46; ++i)
        f.game.stepWithoutFrame();
    EXPECT_EQ(shownAt(f.game, 320, 240), photoColor(1));
    f.game.stepWithoutFrame();
    EXPECT_EQ(shownAt(f.game, 320, 240), kIce);
    EXPECT_EQ(f.game.meltLevels()[std::size_t(240 * 640 + 320)], 295);
}

TEST(Game, theFirstStrokeShowsTheGameInPlaceOfTheIceOnBlack)
{
    Fixture f({1280, 720});
    const Rect picture{160, 0, 960, 720};
    EXPECT_EQ(f.game.scene(), Game::Scene::IceOnBlack); // before: the plain ice, no bar
    EXPECT_EQ(f.game.stepWithoutFrame(), picture);      // nothing wiped, yet the game is on show
    EXPECT_EQ(f.game.scene(), Game::Scene::Play);
    EXPECT_TRUE(f.game.isSettled());
    f.game.addStroke(f.game.toPicture({640, 360}), f.game.toPicture({700, 360}));
    EXPECT_EQ(f.game.stepWithoutFrame(), picture);
    const Point wiped = f.game.toPicture({660, 360}), untouched = f.game.toPicture({660, 200});
    EXPECT_EQ(shownAt(f.game, int(wiped.x), int(wiped.y)), photoColor(1));
    EXPECT_EQ(shownAt(f.game, int(untouched.x), int(untouched.y)), kIce);
    // The bar, red and short, at the picture's bottom left.
    EXPECT_EQ(f.game.progressBarColor(), kRed);
    EXPECT_EQ(f.game.progressBarRect().left(), 180);
    EXPECT_EQ(f.game.progressBarRect().top(), 648);
    EXPECT_GT(f.game.progressBarRect().width, 1);
    EXPECT_LT(f.game.progressBarRect().width, 920 / 10);
}

struct MapCase
{
    const char *name;
    Size output;
    Point point, expected;
    friend void PrintTo(const MapCase &c, std::ostream *os) { *os << c.name; }
};

class GameMap : public testing::TestWithParam<MapCase>
{ };

TEST_P(GameMap, outputPointsMapOntoThePicture)
{
    const MapCase &c = GetParam();
    Fixture f(c.output);
    const Point p = f.game.toPicture(c.point);
    EXPECT_DOUBLE_EQ(p.x, c.expected.x);
    EXPECT_DOUBLE_EQ(p.y, c.expected.y);
}

INSTANTIATE_TEST_SUITE_P(
    Points, GameMap,
    testing::Values(MapCase{"640x480: a pixel's centre", {640, 480}, {10, 20}, {10.5, 20.5}},
                    MapCase{"640x480: the last pixel", {640, 480}, {639, 479}, {639.5, 479.5}},
                    MapCase{"1280x720: the picture's first pixel", {1280, 720}, {160, 0}, {1.0 / 3, 1.0 / 3}},
                    MapCase{"1280x720: its last", {1280, 720}, {1119, 719}, {959.5 * 2 / 3, 719.5 * 2 / 3}},
                    MapCase{"1280x720: the left bar", {1280, 720}, {159, 360}, {-0.5 * 2 / 3, 360.5 * 2 / 3}},
                    MapCase{"1280x720: the right bar", {1280, 720}, {1120, 0}, {960.5 * 2 / 3, 0.5 * 2 / 3}},
                    MapCase{"600x1000: the bar above", {600, 1000}, {300, 274}, {300.5 * 16 / 15, -0.5 * 16 / 15}},
                    MapCase{"600x1000: the picture's top", {600, 1000}, {300, 275}, {300.5 * 16 / 15, 0.5 * 16 / 15}},
                    MapCase{"0x0: off any picture", {0, 0}, {0, 0}, {-1, -1}}),
    testnames::ByName());

TEST(Game, strokesOnTheBlackBarsWipeNothing)
{
    Fixture f({1280, 720});
    f.game.addStroke(f.game.toPicture({10, 360}), f.game.toPicture({159, 360}));
    f.game.addStroke(f.game.toPicture({1120, 0}), f.game.toPicture({1279, 719}));
    EXPECT_FALSE(f.game.hasPendingStrokes());
    EXPECT_TRUE(f.game.isSettled());
}

TEST(Game, strokesInTheCameraViewAreDropped)
{
    Fixture f;
    f.game.toggleView();
    f.game.addStroke({320, 240}, {400, 240});
    EXPECT_FALSE(f.game.hasPendingStrokes());
    EXPECT_TRUE(f.game.stepWithoutFrame().isEmpty());
    EXPECT_EQ(frozenCount(f.game), kPixels);
    // Strokes made before the view changed go with the next step.
    f.game.toggleView();
    f.game.addStroke({320, 240}, {400, 240});
    f.game.toggleView();
    f.step(flatImage(kPicture, argb(1, 2, 3)));
    f.game.toggleView();
    EXPECT_FALSE(f.game.hasPendingStrokes());
    f.game.stepWithoutFrame();
    EXPECT_EQ(frozenCount(f.game), kPixels);
}

// ---- Settings -------------------------------------------------------------------------

// Values far outside what any slider gives (a settings file could carry
// them) are held where the rule cannot overflow; the game plays on.
struct BoundsCase
{
    const char *name;
    std::int64_t sensitivity, speed;
    int expectedSensitivity, expectedSpeed;
    int levelAfterwards; // of a pixel left alone
    friend void PrintTo(const BoundsCase &c, std::ostream *os) { *os << c.name; }
};

class GameBounds : public testing::TestWithParam<BoundsCase>
{ };

TEST_P(GameBounds, settingsAreHeldWithinTheRulesBounds)
{
    const BoundsCase &c = GetParam();
    Fixture f;
    f.game.setCameraSensitivity(std::int32_t(c.sensitivity));
    f.game.setFreezingSpeed(std::int32_t(c.speed));
    EXPECT_EQ(f.game.cameraSensitivity(), c.expectedSensitivity);
    EXPECT_EQ(f.game.freezingSpeed(), c.expectedSpeed);
    // Many steps, with frames and without, at these values.
    f.game.addStroke({10, 10}, {10, 10});
    for (int i = 0; i < 50; ++i) {
        f.step(noiseImage(kPicture, std::uint32_t(i)));
        f.game.stepWithoutFrame();
    }
    const auto &levels = f.game.meltLevels();
    EXPECT_TRUE(std::all_of(levels.begin(), levels.end(), [](int level) { return level >= 0 && level <= 765; }));
    if (c.expectedSensitivity == kMaxMeltRuleValue) { // nothing moves enough: only regrowth
        EXPECT_EQ(levels[std::size_t(300 * 640 + 300)], c.levelAfterwards);
    }
}

constexpr std::int64_t kBound = kMaxMeltRuleValue;
constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

INSTANTIATE_TEST_SUITE_P(
    Values, GameBounds,
    testing::Values(BoundsCase{"INT32_MIN both", kInt32Min, kInt32Min, -int(kBound), -int(kBound), 765},
                    BoundsCase{"INT32_MAX both", kInt32Max, kInt32Max, int(kBound), int(kBound), 0},
                    BoundsCase{"just past the bound", -kBound - 1, kBound + 1, -int(kBound), int(kBound), 0},
                    BoundsCase{"at the bound", kBound, -kBound, int(kBound), -int(kBound), 765},
                    BoundsCase{"ordinary values stay", -1530, 37, -1530, 37, 0}),
    testnames::ByName());

} // namespace

TEST(GameBannerSize, aBannerThatArrivesLaterIsPlacedByItsOwnSize)
{
    Game game(
        1,
        [](int) {
            return Picture{testimages::flatImage(testgame::kPicture, testgame::photoColor(1)),
                           testimages::flatImage(testgame::kPicture, testgame::kIce)};
        },
        Size{}, testgame::kPicture);
    EXPECT_TRUE(game.bannerRect().isEmpty());
    game.setBannerSize(Size{2048, 560}); // the page's banner picture
    EXPECT_EQ(game.bannerRect(), (Rect{0, 152, 640, 175}));
    game.setOutputSize(Size{1280, 960});
    EXPECT_EQ(game.bannerRect(), (Rect{0, 305, 1280, 350}));
}
