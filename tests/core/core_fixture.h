#pragma once

// Plain helpers for the core's tests: images of the core's own kind, pixels
// as 0xAARRGGBB words, and readable names for GoogleTest's table cases. The
// standard library only, so that the same tests run natively and as
// WebAssembly.

#include "core/geometry.h"
#include "core/image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <ostream>
#include <random>
#include <string>

namespace testimages {

// A pixel as the game's images hold it on a little-endian machine: the word
// 0xAARRGGBB, stored as bytes blue, green, red, alpha.
constexpr std::uint32_t argb(int red, int green, int blue, int alpha = 255)
{
    return std::uint32_t(alpha) << 24 | std::uint32_t(red) << 16 | std::uint32_t(green) << 8 | std::uint32_t(blue);
}
constexpr int redOf(std::uint32_t pixel)
{
    return int(pixel >> 16 & 0xFF);
}
constexpr int greenOf(std::uint32_t pixel)
{
    return int(pixel >> 8 & 0xFF);
}
constexpr int blueOf(std::uint32_t pixel)
{
    return int(pixel & 0xFF);
}

inline std::uint32_t pixelAt(ConstImageView image, int x, int y)
{
    const std::uint8_t *p = image.pixel(x, y);
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

inline void setPixel(ImageView image, int x, int y, std::uint32_t word)
{
    std::uint8_t *p = image.pixel(x, y);
    p[0] = std::uint8_t(word);
    p[1] = std::uint8_t(word >> 8);
    p[2] = std::uint8_t(word >> 16);
    p[3] = std::uint8_t(word >> 24);
}

// Paints the part of `area` inside the image.
inline void fillRect(Image &image, const Rect &area, std::uint32_t word)
{
    const Rect part = area.intersected({0, 0, image.width(), image.height()});
    for (int y = part.top(); y < part.bottom(); ++y)
        for (int x = part.left(); x < part.right(); ++x)
            setPixel(image.view(), x, y, word);
}

// One color all over.
inline Image flatImage(Size size, std::uint32_t word)
{
    Image image(size);
    fillRect(image, {0, 0, size.width, size.height}, word);
    return image;
}

// Opaque noise: from one seed to the next, nearly every pixel moves. The
// same seed gives the same image on every platform.
inline Image noiseImage(Size size, std::uint32_t seed)
{
    Image image(size);
    std::mt19937 random(seed);
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x)
            setPixel(image.view(), x, y, 0xFF000000u | (std::uint32_t(random()) & 0xFFFFFFu));
    return image;
}

// Whether every color channel of a and b is within `tolerance`.
inline bool near(std::uint32_t a, std::uint32_t b, int tolerance = 3)
{
    const auto close = [tolerance](int u, int v) { return u - v <= tolerance && v - u <= tolerance; };
    return close(redOf(a), redOf(b)) && close(greenOf(a), greenOf(b)) && close(blueOf(a), blueOf(b));
}

} // namespace testimages

inline void PrintTo(const Size &size, std::ostream *os)
{
    *os << size.width << 'x' << size.height;
}

inline void PrintTo(const Rect &rect, std::ostream *os)
{
    *os << "Rect{" << rect.x << ", " << rect.y << ", " << rect.width << ", " << rect.height << '}';
}

inline void PrintTo(const Point &point, std::ostream *os)
{
    *os << '(' << point.x << ", " << point.y << ')';
}

namespace testnames {

// A case's name as GoogleTest takes it (letters, digits and underscores):
// "640x480: bars above" becomes "640x480_bars_above".
inline std::string identifier(const std::string &name)
{
    std::string result;
    for (const char c : name) {
        const bool word = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (word)
            result += c;
        else if (!result.empty() && result.back() != '_')
            result += '_';
    }
    while (!result.empty() && result.back() == '_')
        result.pop_back();
    return result.empty() ? "unnamed" : result;
}

// The name generator for rows that carry a `name`.
struct ByName
{
    template <class Case> std::string operator()(const testing::TestParamInfo<Case> &info) const
    {
        return identifier(info.param.name);
    }
};

} // namespace testnames
