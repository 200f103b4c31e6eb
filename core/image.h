#pragma once

#include "core/geometry.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>

// Pixels of four bytes each, rows top to bottom, row y starting `stride`
// bytes after row y - 1. The rules never look at the byte order of a pixel
// beyond "the fourth byte is alpha": the desktop hands them B, G, R, A (Qt's
// 32-bit formats on little-endian machines), a browser R, G, B, A; the only
// colors the rules name come as separate red, green and blue.
struct ImageView
{
    std::uint8_t *bits = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;

    Size size() const { return {width, height}; }
    bool isNull() const { return bits == nullptr || width <= 0 || height <= 0; }
    std::uint8_t *pixel(int x, int y) const { return bits + stride * y + std::ptrdiff_t(x) * 4; }
};

struct ConstImageView
{
    const std::uint8_t *bits = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;

    ConstImageView() = default;
    ConstImageView(const std::uint8_t *b, int w, int h, std::ptrdiff_t s)
        : bits(b)
        , width(w)
        , height(h)
        , stride(s)
    { }
    ConstImageView(const ImageView &v)
        : bits(v.bits)
        , width(v.width)
        , height(v.height)
        , stride(v.stride)
    { }

    Size size() const { return {width, height}; }
    bool isNull() const { return bits == nullptr || width <= 0 || height <= 0; }
    const std::uint8_t *pixel(int x, int y) const { return bits + stride * y + std::ptrdiff_t(x) * 4; }
};

// An image of four-byte pixels that owns its pixels or keeps alive whoever
// does (a decoded picture of the UI toolkit, a buffer of the page). Copies
// share the pixels, as the pictures of a game do; a buffer that is written
// to is only ever held by one Image.
class Image
{
public:
    Image() = default;
    // size.width x size.height pixels, packed rows, all bytes zero. An empty
    // or absurd size (more than 2^31 bytes) gives a null image.
    explicit Image(Size size);
    // Pixels that live elsewhere: `owner` keeps them alive.
    Image(ImageView pixels, std::shared_ptr<void> owner)
        : m_view(pixels)
        , m_owner(std::move(owner))
    { }
    Image(const Image &) = default;
    Image &operator=(const Image &) = default;
    // A moved-from image is null: it must not go on viewing pixels that it
    // no longer keeps alive.
    Image(Image &&other) noexcept
        : m_view(std::exchange(other.m_view, {}))
        , m_owner(std::move(other.m_owner))
    { }
    Image &operator=(Image &&other) noexcept
    {
        m_view = std::exchange(other.m_view, {});
        m_owner = std::move(other.m_owner);
        return *this;
    }

    bool isNull() const { return m_view.isNull(); }
    Size size() const { return m_view.size(); }
    int width() const { return m_view.width; }
    int height() const { return m_view.height; }
    std::ptrdiff_t stride() const { return m_view.stride; }
    std::uint8_t *bits() { return m_view.bits; }
    const std::uint8_t *bits() const { return m_view.bits; }
    ImageView view() { return m_view; }
    ConstImageView view() const { return m_view; }
    ConstImageView constView() const { return m_view; }

    // Makes this an image of that size, keeping its pixels (unchanged) when
    // it already is one and owns them alone; otherwise a fresh zeroed one.
    void ensureSize(Size size);

    // The same pixels, copied into a packed image of this program's own.
    Image copy() const;

    // Mirrors the pixels left to right, in place. (The desktop mirrors camera
    // frames with libyuv while it scales them; this is for where no such
    // library runs, as in the browser's module.)
    void mirror();

private:
    ImageView m_view;
    std::shared_ptr<void> m_owner;
};
