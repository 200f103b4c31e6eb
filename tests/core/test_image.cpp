// The core's images: owned or borrowed pixels of any stride.

#include "core/image.h"
#include "tests/core/core_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

using namespace testimages;

namespace {

TEST(Image, aNewImageIsPackedAndZeroed)
{
    const Image image({3, 2});
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.stride(), 12);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(pixelAt(image.constView(), x, y), 0u);
}

TEST(Image, emptyOrAbsurdSizesGiveANullImage)
{
    EXPECT_TRUE(Image({0, 5}).isNull());
    EXPECT_TRUE(Image({5, -1}).isNull());
    EXPECT_TRUE(Image({65536, 65536}).isNull()); // 2^34 bytes
    EXPECT_TRUE(Image().isNull());
}

TEST(Image, copiesSharePixelsAndCopyMakesThemOwn)
{
    Image a = flatImage({4, 4}, argb(1, 2, 3));
    const Image shared = a;
    const Image own = a.copy();
    setPixel(a.view(), 1, 1, argb(9, 9, 9));
    EXPECT_EQ(pixelAt(shared.constView(), 1, 1), argb(9, 9, 9));
    EXPECT_EQ(pixelAt(own.constView(), 1, 1), argb(1, 2, 3));
    EXPECT_EQ(own.stride(), 16);
}

TEST(Image, aMovedFromImageIsNull)
{
    Image a = flatImage({4, 4}, argb(1, 2, 3));
    Image b = std::move(a);
    EXPECT_TRUE(a.isNull()); // NOLINT(bugprone-use-after-move): what is left must not view b's pixels
    EXPECT_EQ(a.bits(), nullptr);
    EXPECT_EQ(pixelAt(b.constView(), 3, 3), argb(1, 2, 3));
    Image c;
    c = std::move(b);
    EXPECT_TRUE(b.isNull());
    EXPECT_EQ(pixelAt(c.constView(), 0, 0), argb(1, 2, 3));
}

TEST(Image, ensureSizeKeepsPixelsOnlyWhenItOwnsThemAlone)
{
    Image a = flatImage({4, 4}, argb(1, 2, 3));
    const std::uint8_t *bits = a.bits();
    a.ensureSize({4, 4});
    EXPECT_EQ(a.bits(), bits);
    EXPECT_EQ(pixelAt(a.constView(), 2, 2), argb(1, 2, 3));
    // Shared: a fresh zeroed buffer, the other holder keeps its pixels.
    const Image other = a;
    a.ensureSize({4, 4});
    EXPECT_NE(a.bits(), bits);
    EXPECT_EQ(pixelAt(a.constView(), 2, 2), 0u);
    EXPECT_EQ(pixelAt(other.constView(), 2, 2), argb(1, 2, 3));
    a.ensureSize({2, 3});
    EXPECT_EQ(a.size(), (Size{2, 3}));
}

TEST(Image, borrowedPixelsOfAnyStride)
{
    // Rows of 2 pixels, 3 bytes of padding between them.
    auto bytes = std::make_shared<std::vector<std::uint8_t>>(2 * 11 + 8, 0xEE);
    const Image borrowed(ImageView{bytes->data(), 2, 3, 11}, bytes);
    EXPECT_EQ(borrowed.stride(), 11);
    setPixel(ImageView{bytes->data(), 2, 3, 11}, 1, 2, argb(4, 5, 6));
    const Image packed = borrowed.copy();
    EXPECT_EQ(packed.stride(), 8);
    EXPECT_EQ(pixelAt(packed.constView(), 1, 2), argb(4, 5, 6));
    EXPECT_EQ(pixelAt(packed.constView(), 0, 0), 0xEEEEEEEEu);
}

// Widths odd and even, and one pixel: the middle pixel stays, the others
// swap whole (all four bytes), every row alike.
class ImageMirror : public testing::TestWithParam<int>
{ };

TEST_P(ImageMirror, mirrorSwapsWholePixelsLeftToRight)
{
    const int width = GetParam();
    Image image(Size{width, 3});
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint8_t bytes[4] = {std::uint8_t(x), std::uint8_t(y), std::uint8_t(x + 100), 255};
            std::memcpy(image.view().pixel(x, y), bytes, 4);
        }
    }
    image.mirror();
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint8_t *p = image.view().pixel(x, y);
            const int from = width - 1 - x;
            EXPECT_EQ(p[0], std::uint8_t(from)) << x << "," << y;
            EXPECT_EQ(p[1], y);
            EXPECT_EQ(p[2], std::uint8_t(from + 100));
            EXPECT_EQ(p[3], 255);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Widths, ImageMirror, testing::Values(1, 2, 5, 640));

} // namespace
