#pragma once

#include <cstddef>
#include <cstdint>

// Turning camera frames into 32-bit opaque 0xFFRRGGBB words on the CPU. The
// frame is described by plain plane pointers with their strides and sizes, so
// the conversion can check that every read stays inside the buffers that the
// camera handed over, whatever it claims about itself.

enum class FramePixelFormat {
    Unsupported,
    YUYV, // packed 4:2:2, bytes Y0 U Y1 V
    UYVY, // packed 4:2:2, bytes U Y0 V Y1
    NV12, // Y plane, then one plane of interleaved U V at half size
    NV21, // the same with V U
    I420, // Y, U, V planes, chroma at half size (decoded MJPEG)
    YV12, // Y, V, U planes
    BGRA, // 4 bytes per pixel in memory order B G R A (or X)
    RGBA, // R G B A
    ARGB, // A R G B
    ABGR, // A B G R
};

enum class YuvMatrix { Bt601, Bt709 };

struct YuvColors
{
    YuvMatrix matrix = YuvMatrix::Bt601;
    bool fullRange = false; // Y 0..255 instead of 16..235
};

struct FramePlanes
{
    const std::uint8_t *data[3] = {nullptr, nullptr, nullptr};
    std::ptrdiff_t stride[3] = {0, 0, 0}; // bytes from one row to the next
    std::ptrdiff_t size[3] = {0, 0, 0};   // bytes readable from data[i]
};

// Whether the planes hold a whole width x height frame of that format.
bool framePlanesAreComplete(FramePixelFormat format, const FramePlanes &planes, int width,
                            int height);

// Converts the frame into `destination` (width x height words, rows
// `destinationStride` bytes apart). Returns false, writing nothing, when the
// format is unsupported or the planes are incomplete.
bool convertFrame(FramePixelFormat format, const FramePlanes &planes, int width, int height,
                  YuvColors colors, std::uint8_t *destination, std::ptrdiff_t destinationStride);
