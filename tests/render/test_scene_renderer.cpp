// Drawing what the game tells: the picture in its place, black around it,
// the bar and the banner in play, and only the part asked for.

#include "render/scene_renderer.h"
#include "tests/core/core_fixture.h"
#include "tests/core/game_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

using namespace testimages;
using namespace testgame;

namespace {

constexpr std::uint32_t kBannerColor = 0xFFFFD700u;
constexpr std::uint32_t kBlack = 0xFF000000u;
// What no drawing writes: a pixel left alone shows up.
constexpr std::uint32_t kUnwritten = 0xFF010203u;

struct Drawing
{
    SceneRenderer renderer{flatImage(kBanner, kBannerColor)};

    // The whole output, as the window shows it.
    Image rendered(const Game &game)
    {
        Image output = flatImage(game.outputSize(), kUnwritten);
        renderer.render(game, output.view(), 0, 0, {0, 0, output.width(), output.height()});
        return output;
    }
    std::uint32_t at(const Game &game, int x, int y) { return pixelAt(rendered(game).constView(), x, y); }
};

// No pixel of the output is left unwritten.
testing::AssertionResult everyPixelWritten(const Image &output)
{
    for (int y = 0; y < output.height(); ++y)
        for (int x = 0; x < output.width(); ++x)
            if (pixelAt(output.constView(), x, y) == kUnwritten)
                return testing::AssertionFailure() << "(" << x << ", " << y << ") unwritten";
    return testing::AssertionSuccess();
}

struct StartCase
{
    const char *name;
    Size output;
    Rect picture;
    friend void PrintTo(const StartCase &c, std::ostream *os) { *os << c.name; }
};

class SceneRendererStart : public testing::TestWithParam<StartCase>
{ };

TEST_P(SceneRendererStart, theIceOfPictureOneOnBlack)
{
    const StartCase &c = GetParam();
    Fixture f(c.output);
    Drawing d;
    const Image output = d.rendered(f.game);
    EXPECT_TRUE(everyPixelWritten(output));
    const auto at = [&](int x, int y) { return pixelAt(output.constView(), x, y); };
    EXPECT_TRUE(near(at(c.picture.x + c.picture.width / 2, c.picture.y + c.picture.height / 2), kIce));
    EXPECT_TRUE(near(at(c.picture.x, c.picture.y), kIce));
    EXPECT_TRUE(near(at(c.picture.right() - 1, c.picture.bottom() - 1), kIce));
    if (c.picture.left() > 0) {
        EXPECT_EQ(at(5, c.output.height / 2), kBlack);
        EXPECT_EQ(at(c.picture.left() - 1, c.output.height / 2), kBlack);
        EXPECT_EQ(at(c.picture.right(), c.output.height / 2), kBlack);
    }
    if (c.picture.top() > 0) {
        EXPECT_EQ(at(c.output.width / 2, 5), kBlack);
        EXPECT_EQ(at(c.output.width / 2, c.picture.top() - 1), kBlack);
        EXPECT_EQ(at(c.output.width / 2, c.picture.bottom()), kBlack);
    }
}

INSTANTIATE_TEST_SUITE_P(Outputs, SceneRendererStart,
                         testing::Values(StartCase{"640x480: fills", {640, 480}, {0, 0, 640, 480}},
                                         StartCase{"1280x720: bars left and right", {1280, 720}, {160, 0, 960, 720}},
                                         StartCase{"600x1000: bars above and below", {600, 1000}, {0, 275, 600, 450}}),
                         testnames::ByName());

struct BannerCase
{
    const char *name;
    int frozen;
    bool banner;
    std::uint32_t barColor;
    friend void PrintTo(const BannerCase &c, std::ostream *os) { *os << c.name; }
};

class SceneRendererBanner : public testing::TestWithParam<BannerCase>
{ };

TEST_P(SceneRendererBanner, bannerAndBar)
{
    const BannerCase &c = GetParam();
    Fixture f;
    f.wipe(kPixels - c.frozen);
    ASSERT_EQ(f.game.bannerShown(), c.banner);
    Drawing d;
    const Image output = d.rendered(f.game);
    EXPECT_TRUE(everyPixelWritten(output));
    const auto at = [&](int x, int y) { return pixelAt(output.constView(), x, y); };
    const Rect bar = f.game.progressBarRect();
    EXPECT_EQ(at(30, 440), c.barColor);
    EXPECT_EQ(at(bar.right() - 1, 451), c.barColor);
    EXPECT_NE(at(bar.right(), 440), c.barColor); // the bar ends there
    EXPECT_NE(at(30, 452), c.barColor);
    EXPECT_EQ(near(at(320, 240), kBannerColor), c.banner);
}

INSTANTIATE_TEST_SUITE_P(Thresholds, SceneRendererBanner,
                         testing::Values(BannerCase{"15,359 frozen: the banner shows", 15359, true, 0xFF0D0A57u},
                                         BannerCase{"15,360 frozen is exactly 0.95: no banner", 15360, false,
                                                    0xFF0D0A57u},
                                         BannerCase{"153,599 frozen: just past half, blue", 153599, false, 0xFF0D0A57u},
                                         BannerCase{"153,600 frozen is half: red", 153600, false, 0xFF6A0817u}),
                         testnames::ByName());

TEST(SceneRenderer, theBannerGoesWithOneFrameOfPlainIce)
{
    Fixture f;
    Drawing d;
    f.wipe(kPixels);
    ASSERT_TRUE(f.game.bannerShown());
    f.game.setFreezingSpeed(500);
    f.step(frameWithChangedPixels(kPixels));
    ASSERT_FALSE(f.game.bannerShown());
    // The ice on black, without the bar.
    for (const auto &[x, y] : {std::pair{30, 440}, std::pair{320, 240}, std::pair{5, 5}})
        EXPECT_EQ(d.at(f.game, x, y), kIce) << x << ", " << y;

    // The next frame draws the game again, bar included.
    f.step(frameWithChangedPixels(0));
    EXPECT_EQ(d.at(f.game, 20, 440), 0xFF0D0A57u);
}

TEST(SceneRenderer, theCameraViewShowsThePlainFrame)
{
    Fixture f;
    Drawing d;
    f.wipe(1000);
    f.game.toggleView();
    f.step(flatImage(kPicture, argb(200, 100, 50)));
    EXPECT_EQ(d.at(f.game, 320, 440), argb(200, 100, 50)); // no bar
}

TEST(SceneRenderer, theBarsAreBlackUnlessTheBannerCoversThem)
{
    Fixture f({1280, 720});
    Drawing d;
    f.wipe(kPixels); // the banner reaches over the black bars
    EXPECT_TRUE(near(d.at(f.game, 5, 360), kBannerColor));
    EXPECT_EQ(d.at(f.game, 5, 5), kBlack);
    f.game.toggleView();
    f.step(flatImage(kPicture, argb(0, 0, 255)));
    EXPECT_EQ(d.at(f.game, 5, 360), kBlack);
    EXPECT_TRUE(near(d.at(f.game, 640, 360), argb(0, 0, 255)));
}

TEST(SceneRenderer, theFirstStrokeShowsTheGame)
{
    Fixture f({1280, 720});
    Drawing d;
    // Before: the plain ice, no bar.
    EXPECT_TRUE(near(d.at(f.game, 200, 660), kIce));
    f.game.stepWithoutFrame();
    f.game.addStroke(f.game.toPicture({640, 360}), f.game.toPicture({700, 360}));
    f.game.stepWithoutFrame();
    const Image output = d.rendered(f.game);
    const auto at = [&](int x, int y) { return pixelAt(output.constView(), x, y); };
    EXPECT_TRUE(near(at(660, 360), photoColor(1)));
    EXPECT_TRUE(near(at(660, 200), kIce));
    EXPECT_EQ(at(181, 655), 0xFF6A0817u); // the bar, red and short
    EXPECT_EQ(at(50, 360), kBlack);
}

TEST(SceneRenderer, renderWritesOnlyTheClipAndEveryPixelOfIt)
{
    // The window's own pixels, with the output at (10, 20) in them and only
    // a part asked for: nothing else may change.
    Fixture f({1280, 720});
    Drawing d;
    f.wipe(kPixels);
    Image window = flatImage({1400, 800}, argb(9, 9, 9));
    const Rect clip{100, 300, 300, 200}; // black bar, picture, banner
    d.renderer.render(f.game, window.view(), 10, 20, clip);
    const Image whole = d.rendered(f.game);
    for (int y = 0; y < window.height(); ++y)
        for (int x = 0; x < window.width(); ++x) {
            const int ox = x - 10, oy = y - 20;
            const std::uint32_t expected = clip.contains(ox, oy) ? pixelAt(whole.constView(), ox, oy) : argb(9, 9, 9);
            ASSERT_EQ(pixelAt(window.constView(), x, y), expected) << "(" << x << ", " << y << ")";
        }
    // A clip reaching past the output or the target is cut to both.
    Image small = flatImage({50, 50}, argb(9, 9, 9));
    d.renderer.render(f.game, small.view(), -1230, -670, {-100, -100, 5000, 5000});
    EXPECT_EQ(pixelAt(small.constView(), 49, 49), pixelAt(whole.constView(), 1279, 719));
    EXPECT_EQ(pixelAt(small.constView(), 0, 0), pixelAt(whole.constView(), 1230, 670));
    EXPECT_TRUE(everyPixelWritten(small));
}

TEST(SceneRenderer, aTargetOfAnyStride)
{
    // A window whose rows are padded: the same pixels, the padding untouched.
    Fixture f({640, 480});
    Drawing d;
    f.wipe(kPixels);
    const Image packed = d.rendered(f.game);
    const std::ptrdiff_t stride = 640 * 4 + 12;
    std::vector<std::uint8_t> bytes(std::size_t(stride) * 480, 0xAB);
    const ImageView padded{bytes.data(), 640, 480, stride};
    d.renderer.render(f.game, padded, 0, 0, {0, 0, 640, 480});
    for (int y = 0; y < 480; ++y) {
        ASSERT_EQ(std::memcmp(padded.pixel(0, y), packed.view().pixel(0, y), 640 * 4), 0) << "row " << y;
        for (int k = 0; k < 12; ++k)
            ASSERT_EQ(padded.pixel(640, y)[k], 0xAB) << "row " << y;
    }
}

} // namespace

// ---- The wave target ----------------------------------------------------------------

namespace {

constexpr std::uint32_t kArrowColor = 0xFFFFFFFFu;

// The target at the top right of a 640 x 480 output, a quarter full, and a
// plain white square for the arrow.
struct TargetDrawing
{
    SceneRenderer renderer{flatImage(kBanner, kBannerColor), flatImage({64, 64}, kArrowColor)};
    SceneRenderer::WaveTargetLook look{584.0, 56.0, 48.0, 0.25};

    Image rendered(const Game &game, const std::optional<SceneRenderer::WaveTargetLook> &wave)
    {
        Image output = flatImage(game.outputSize(), kUnwritten);
        renderer.render(game, output.view(), 0, 0, {0, 0, output.width(), output.height()}, wave);
        return output;
    }
};

} // namespace

TEST(SceneRendererWaveTarget, aDiscWithTheArrowAndTheFillAsARingFromTheTopClockwise)
{
    Fixture f;
    f.wipe(1000); // in play, no banner
    TargetDrawing d;
    const Image without = d.rendered(f.game, std::nullopt);
    const Image with = d.rendered(f.game, d.look);
    const auto at = [&](const Image &image, double x, double y) { return pixelAt(image.constView(), int(x), int(y)); };
    const double cx = d.look.centerX, cy = d.look.centerY;
    const double ring = d.look.radius * 0.91; // the middle of the ring
    // The arrow in the middle, as its picture is.
    EXPECT_EQ(at(with, cx, cy), kArrowColor);
    // The disc lightens the picture and keeps it seen through.
    const std::uint32_t under = at(without, cx - 30, cy);
    const std::uint32_t disc = at(with, cx - 30, cy);
    // A third of the way to white.
    const auto lighter = [](int channel) { return channel + int(std::lround(0.35 * (255 - channel))); };
    EXPECT_TRUE(near(disc, argb(lighter(redOf(under)), lighter(greenOf(under)), lighter(blueOf(under))), 4))
        << std::hex << disc << " over " << under;
    EXPECT_NE(disc, under);
    // A quarter: from the top to three o'clock the ring is green, beyond it
    // the dark track.
    const auto green = [](std::uint32_t p) { return ((p >> 8) & 0xFFu) > 180u && ((p >> 16) & 0xFFu) < 120u; };
    EXPECT_TRUE(green(at(with, cx + ring * std::sin(0.3), cy - ring * std::cos(0.3)))); // just past the top
    EXPECT_TRUE(green(at(with, cx + ring * std::sin(1.3), cy - ring * std::cos(1.3))));
    EXPECT_FALSE(green(at(with, cx + ring, cy + 10))); // past three o'clock
    EXPECT_FALSE(green(at(with, cx - ring, cy)));      // nine o'clock
    EXPECT_FALSE(green(at(with, cx - 10, cy - ring))); // just before the top
    // Outside its square nothing changed: not the bar, not the picture.
    const Rect area = SceneRenderer::waveTargetArea(d.look);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            if (!area.contains(x, y)) {
                ASSERT_EQ(pixelAt(with.constView(), x, y), pixelAt(without.constView(), x, y)) << x << ", " << y;
            }
        }
    }
    EXPECT_TRUE(everyPixelWritten(with));

    // Full: all round green; empty: none.
    d.look.fill = 1.0;
    const Image full = d.rendered(f.game, d.look);
    EXPECT_TRUE(green(at(full, cx - ring, cy)));
    EXPECT_TRUE(green(at(full, cx - 10, cy - ring)));
    d.look.fill = 0.0;
    const Image empty = d.rendered(f.game, d.look);
    EXPECT_FALSE(green(at(empty, cx + ring * std::sin(0.3), cy - ring * std::cos(0.3))));
}

TEST(SceneRendererWaveTarget, onlyTheClipIsWrittenAndTheBannerStaysOnTop)
{
    Fixture f;
    f.wipe(kPixels); // the banner
    TargetDrawing d;
    const Image whole = d.rendered(f.game, d.look);
    // Half of the target asked for, at an offset in a bigger window.
    Image window = flatImage({700, 500}, argb(9, 9, 9));
    const Rect clip{560, 0, 80, 56};
    d.renderer.render(f.game, window.view(), 30, 10, clip, d.look);
    for (int y = 0; y < 500; ++y)
        for (int x = 0; x < 700; ++x) {
            const int ox = x - 30, oy = y - 10;
            const std::uint32_t expected = clip.contains(ox, oy) ? pixelAt(whole.constView(), ox, oy) : argb(9, 9, 9);
            ASSERT_EQ(pixelAt(window.constView(), x, y), expected) << "(" << x << ", " << y << ")";
        }
    // A target placed under the banner (which the game never does) is covered.
    d.look = {320.0, 240.0, 48.0, 1.0};
    EXPECT_TRUE(near(pixelAt(d.rendered(f.game, d.look).constView(), 320, 240), kBannerColor));
}
