// Camera frames brought to the picture's size: the middle part with the
// picture's shape, scaled, mirrored for a front camera; then played.

#include "camera/frame_fitter.h"
#include "tests/core/core_fixture.h"
#include "tests/core/game_fixture.h"

#include <gtest/gtest.h>

using namespace testimages;
using namespace testgame;

namespace {

constexpr std::uint32_t kGrey = 0xFF5A5A5Au;
constexpr std::uint32_t kSide = 0xFFC80000u;

// Whether every pixel is `color`, within the scaler's rounding.
testing::AssertionResult allOf(const Image &image, std::uint32_t color)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!near(pixelAt(image.constView(), x, y), color))
                return testing::AssertionFailure()
                       << "(" << x << ", " << y << ") is " << std::hex << pixelAt(image.constView(), x, y);
    return testing::AssertionSuccess();
}

// A camera frame of another size than the picture: only its middle part with
// the picture's shape (middlePart) reaches the game.
struct CropCase
{
    const char *name;
    Size frame;
    Rect middle; // what the crop decides
    friend void PrintTo(const CropCase &c, std::ostream *os) { *os << c.name; }
};

class FrameFitterCrop : public testing::TestWithParam<CropCase>
{ };

TEST_P(FrameFitterCrop, framesOfOtherSizesAreCroppedToThePicturesShape)
{
    const CropCase &c = GetParam();
    ASSERT_EQ(middlePart(c.frame, kPicture), c.middle);
    // Grey in the middle part, red around it: no red may reach the game.
    Image frame = flatImage(c.frame, kSide);
    fillRect(frame, c.middle, kGrey);
    FrameFitter fitter;
    Fixture f;
    Image &fitted = fitter.fit(frame, kPicture, false);
    ASSERT_EQ(fitted.size(), kPicture);
    EXPECT_TRUE(allOf(fitted, kGrey));
    f.step(fitted.copy(), c.frame);

    // Every pixel moves from grey to white: all wiped (d = 495).
    Image white = flatImage(c.frame, 0xFFFFFFFFu);
    f.step(fitter.fit(white, kPicture, false).copy(), c.frame);
    EXPECT_EQ(f.game.pictureRect(), (Rect{0, 0, 640, 480}));
    EXPECT_EQ(frozenCount(f.game), 0);
}

INSTANTIATE_TEST_SUITE_P(Frames, FrameFitterCrop,
                         testing::Values(CropCase{"1280x720", {1280, 720}, {160, 0, 960, 720}},
                                         CropCase{"1920x1080", {1920, 1080}, {240, 0, 1440, 1080}},
                                         CropCase{"320x240", {320, 240}, {0, 0, 320, 240}},
                                         CropCase{"portrait 480x640", {480, 640}, {0, 140, 480, 360}},
                                         CropCase{"odd 3x7", {3, 7}, {0, 2, 3, 2}},
                                         CropCase{"one pixel", {1, 1}, {0, 0, 1, 1}},
                                         CropCase{"one row", {1000, 1}, {499, 0, 1, 1}}),
                         testnames::ByName());

TEST(FrameFitter, aFrameOfThePicturesSizeIsTakenAsItIs)
{
    FrameFitter fitter;
    Image frame = noiseImage(kPicture, 1);
    EXPECT_EQ(&fitter.fit(frame, kPicture, false), &frame); // no copy
}

TEST(FrameFitter, nothingToFit)
{
    FrameFitter fitter;
    Image none;
    EXPECT_TRUE(fitter.fit(none, kPicture, true).isNull());
    Image frame = noiseImage(kPicture, 1);
    EXPECT_TRUE(fitter.fit(frame, {0, 0}, false).isNull());
}

struct MirrorCase
{
    const char *name;
    Size frame;
    friend void PrintTo(const MirrorCase &c, std::ostream *os) { *os << c.name; }
};

class FrameFitterMirror : public testing::TestWithParam<MirrorCase>
{ };

TEST_P(FrameFitterMirror, aFrontCameraIsMirroredLeftToRight)
{
    const Size size = GetParam().frame;
    Image frame = noiseImage(size, 2);
    FrameFitter plain, mirror;
    const Image asSeen = plain.fit(frame, kPicture, false).copy();
    const Image &mirrored = mirror.fit(frame, kPicture, true);
    ASSERT_EQ(mirrored.size(), kPicture);
    for (int y = 0; y < kPicture.height; ++y)
        for (int x = 0; x < kPicture.width; ++x)
            ASSERT_EQ(pixelAt(mirrored.constView(), x, y), pixelAt(asSeen.constView(), kPicture.width - 1 - x, y))
                << "(" << x << ", " << y << ")";
    // The frame itself is left as it was.
    EXPECT_EQ(pixelAt(frame.constView(), 0, 0), pixelAt(noiseImage(size, 2).constView(), 0, 0));
}

INSTANTIATE_TEST_SUITE_P(Frames, FrameFitterMirror,
                         testing::Values(MirrorCase{"the picture's size", {640, 480}},
                                         MirrorCase{"1280x720, cropped and scaled", {1280, 720}},
                                         MirrorCase{"odd 3x7", {3, 7}}),
                         testnames::ByName());

// The camera's motion wipes where the child sees it: mirrored for a front
// camera, as seen for a back camera.
struct MotionCase
{
    const char *name;
    bool mirrored;
    Rect wiped;
    friend void PrintTo(const MotionCase &c, std::ostream *os) { *os << c.name; }
};

class FrameFitterMotion : public testing::TestWithParam<MotionCase>
{ };

TEST_P(FrameFitterMotion, motionWipesExactlyTheMovingPixels)
{
    const MotionCase &c = GetParam();
    Fixture f;
    FrameFitter fitter;
    Image still = flatImage(kPicture, argb(10, 10, 10));
    Image moved = still.copy();
    fillRect(moved, {100, 50, 40, 30}, argb(250, 250, 250)); // d = 720
    f.step(fitter.fit(still, kPicture, c.mirrored).copy());
    f.step(fitter.fit(moved, kPicture, c.mirrored).copy());

    const auto &levels = f.game.meltLevels();
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            ASSERT_EQ(levels[std::size_t(y * 640 + x)], c.wiped.contains(x, y) ? 720 : 0)
                << "at (" << x << ", " << y << ')';
    // The frame just seen, mirrored alike, is the next reference: seeing it
    // again wipes nothing more and the ice grows back by the speed.
    Image again = moved.copy();
    f.step(fitter.fit(again, kPicture, c.mirrored).copy());
    EXPECT_EQ(levels[std::size_t((c.wiped.y + 15) * 640 + c.wiped.x + 20)], 710);
}

INSTANTIATE_TEST_SUITE_P(Cameras, FrameFitterMotion,
                         testing::Values(MotionCase{"front camera: mirrored", true, {640 - 140, 50, 40, 30}},
                                         MotionCase{"back camera: as seen", false, {100, 50, 40, 30}}),
                         testnames::ByName());

} // namespace
