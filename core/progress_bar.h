#pragma once

#include "core/geometry.h"

#include <cstdint>

// The bar under the picture that shows how much of the window is clean. Its
// top is 90 % of the picture's height below the picture's top;
// it starts 20 right of the picture's left edge and, when all is clean, ends
// 20 before its right edge; it is 20 high. The 20s are logical units, so many
// pixels each as `pixelRatio` says (2 on a screen of twice the density).
Rect progressBarRect(const Rect &pictureRect, double cleanedFraction, double pixelRatio = 1.0);

struct Color
{
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    // 0xAARRGGBB, opaque.
    constexpr std::uint32_t argb() const
    {
        return 0xFF000000u | std::uint32_t(red) << 16 | std::uint32_t(green) << 8 | blue;
    }
    friend constexpr bool operator==(Color a, Color b)
    {
        return a.red == b.red && a.green == b.green && a.blue == b.blue;
    }
};

// Dark blue past half clean, dark red up to and including half.
Color progressBarColor(double cleanedFraction);
