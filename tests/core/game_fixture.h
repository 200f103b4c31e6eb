#pragma once

// A game on six flat pictures, as the core's and the drawing's tests play it.

#include "core/game.h"
#include "tests/core/core_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace testgame {

using testimages::argb;

constexpr Size kPicture{640, 480};
constexpr int kPixels = 640 * 480;
constexpr std::uint32_t kIce = 0xFFC8DCFFu;
constexpr Size kBanner{1024, 280};
constexpr Color kBlue{0x0D, 0x0A, 0x57};
constexpr Color kRed{0x6A, 0x08, 0x17};

// Picture n is a flat photograph whose red channel tells its number.
inline std::uint32_t photoColor(int number)
{
    return argb(number * 30, 120, 60);
}

// A still grey frame in which the first `changed` pixels (row by row) turned
// white: each of them moves by 3 x 200 = 600.
inline Image frameWithChangedPixels(int changed)
{
    Image frame = testimages::flatImage(kPicture, argb(50, 50, 50));
    for (int i = 0; i < changed; ++i)
        testimages::setPixel(frame.view(), i % kPicture.width, i / kPicture.width, argb(250, 250, 250));
    return frame;
}

inline int frozenCount(const Game &game)
{
    const auto &levels = game.meltLevels();
    return int(std::count_if(levels.begin(), levels.end(), [](int level) { return level < 300; }));
}

// A game on six flat pictures, with `brokenIce` giving picture 2 an ice
// overlay of the wrong size.
struct Fixture
{
    explicit Fixture(Size output = kPicture, bool brokenIce = false)
        : game(
            6,
            [brokenIce](int number) {
                const Size iceSize = brokenIce && number == 2 ? Size{10, 10} : kPicture;
                return Picture{testimages::flatImage(kPicture, photoColor(number)),
                               testimages::flatImage(iceSize, kIce)};
            },
            kBanner, output)
    { }
    // Feeds a frame as the desktop hands it over, fitted to the picture;
    // something must change.
    void step(Image frame, Size cameraSize = kPicture) { EXPECT_FALSE(game.step(frame, cameraSize).isEmpty()); }
    // A still frame, then the same frame with `changed` pixels moved: exactly
    // `changed` pixels are wiped.
    void wipe(int changed)
    {
        step(frameWithChangedPixels(0));
        step(frameWithChangedPixels(changed));
    }
    Game game;
};

} // namespace testgame
