// What a parent's photo must be to be played, the part of it that becomes the
// picture, and which pictures stay decoded around the one on show: the same
// rules for the desktop's folder and the browser's photos.

#include "core/photo_rules.h"
#include "tests/core/core_fixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using PhotoRules::Problem;

struct SizeCase
{
    const char *name;
    int width, height;
    Problem problem;
    Rect cut; // when it can be used
    friend void PrintTo(const SizeCase &c, std::ostream *os) { *os << c.name; }
};

class PhotoSizes : public testing::TestWithParam<SizeCase>
{ };

TEST_P(PhotoSizes, aPhotoIsJudgedByItsUprightSizeAndCutAroundItsMiddle)
{
    const SizeCase &c = GetParam();
    EXPECT_EQ(PhotoRules::problemOf(c.width, c.height), c.problem);
    if (c.problem == Problem::None) {
        EXPECT_EQ(PhotoRules::cutOf(c.width, c.height), c.cut);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, PhotoSizes,
    testing::Values(SizeCase{"640 x 480 is kept whole", 640, 480, Problem::None, {0, 0, 640, 480}},
                    SizeCase{"a wide phone photo loses its sides", 4032, 2268, Problem::None, {504, 0, 3024, 2268}},
                    SizeCase{"an upright photo loses top and bottom", 3000, 4000, Problem::None, {0, 875, 3000, 2250}},
                    SizeCase{"32 x 32 is the smallest", 32, 32, Problem::None, {0, 4, 32, 24}},
                    SizeCase{"31 pixels high is too small", 640, 31, Problem::TooSmall, {}},
                    SizeCase{"four times as long still counts", 4000, 1000, Problem::None, {1333, 0, 1333, 1000}},
                    SizeCase{"a longer strip cannot be cut to 4:3", 4001, 1000, Problem::TooLong, {}},
                    SizeCase{"120 million pixels is the most", 12000, 10000, Problem::None, {0, 500, 12000, 9000}},
                    SizeCase{"one more row is too large", 12000, 10001, Problem::TooLarge, {}},
                    SizeCase{
                        "a size whose product overflows 32 bits is too large", 70000, 70000, Problem::TooLarge, {}}),
    testnames::ByName{});

TEST(PhotoSizes, theBrowserTakesAtMost25MillionPixels)
{
    EXPECT_EQ(PhotoRules::problemOf(6000, 4000, PhotoRules::kMaxBrowserPixels), Problem::None);
    EXPECT_EQ(PhotoRules::problemOf(5000, 5000, PhotoRules::kMaxBrowserPixels), Problem::None);
    EXPECT_EQ(PhotoRules::problemOf(5001, 5000, PhotoRules::kMaxBrowserPixels), Problem::TooLarge);
    EXPECT_EQ(PhotoRules::problemOf(10950, 10950, PhotoRules::kMaxBrowserPixels), Problem::TooLarge);
    EXPECT_EQ(PhotoRules::problemOf(10950, 10950), Problem::None); // the desktop reads it scaled
}

struct KeepCase
{
    const char *name;
    int shown, total;
    bool listComplete;
    std::vector<int> kept;
    friend void PrintTo(const KeepCase &c, std::ostream *os) { *os << c.name; }
};

class PicturesKept : public testing::TestWithParam<KeepCase>
{ };

TEST_P(PicturesKept, theOneOnShowAndItsNeighboursWrappingAround)
{
    const KeepCase &c = GetParam();
    EXPECT_EQ(PhotoRules::picturesToKeep(c.shown, c.total, c.listComplete), c.kept);
}

INSTANTIATE_TEST_SUITE_P(
    Window, PicturesKept,
    testing::Values(KeepCase{"in the middle", 7, 10, true, {7, 8, 6}},
                    KeepCase{"the last wraps to the first", 10, 10, true, {10, 1, 9}},
                    KeepCase{"the first wraps to the last once all are listed", 1, 10, true, {1, 2, 10}},
                    KeepCase{"the first has no previous while the list may grow", 1, 10, false, {1, 2}},
                    KeepCase{"two pictures are each other's neighbours", 2, 2, true, {2, 1}},
                    KeepCase{"one picture alone", 1, 1, true, {1}}, KeepCase{"no pictures", 1, 0, true, {}},
                    KeepCase{"a number past the end", 12, 10, true, {}}),
    testnames::ByName{});

struct RemovalCase
{
    const char *name;
    int removed, builtIn, remaining;
    int shown;
    friend void PrintTo(const RemovalCase &c, std::ostream *os) { *os << c.name; }
};

class PictureAfterRemoval : public testing::TestWithParam<RemovalCase>
{ };

TEST_P(PictureAfterRemoval, theNextPhotoTakesThePlaceOfTheRemovedOne)
{
    const RemovalCase &c = GetParam();
    EXPECT_EQ(PhotoRules::pictureAfterRemoval(c.removed, c.builtIn, c.remaining), c.shown);
}

INSTANTIATE_TEST_SUITE_P(Removal, PictureAfterRemoval,
                         testing::Values(RemovalCase{"a photo in the middle: the next moves into its number", 8, 6, 3,
                                                     8},
                                         RemovalCase{"the first photo: the second takes its number", 7, 6, 2, 7},
                                         RemovalCase{"the last photo: the one before it", 10, 6, 3, 9},
                                         RemovalCase{"the only photo: the last built-in picture", 7, 6, 0, 6},
                                         RemovalCase{"all photos: the first picture", 0, 6, 0, 1},
                                         RemovalCase{"a built-in number counts as all", 3, 6, 0, 1},
                                         RemovalCase{"no built-in pictures and none left", 1, 0, 0, 1},
                                         RemovalCase{"a number past the end: the last photo", 40, 6, 3, 9}),
                         testnames::ByName{});

} // namespace
