#pragma once

#include <cstddef>
#include <cstdint>

// Turning camera frames into 32-bit opaque 0xFFRRGGBB words on the CPU (the
// memory layout of QImage::Format_ARGB32_Premultiplied: bytes B G R A on a
// little-endian machine). The frame is described by plain plane pointers with
// their strides and sizes, so every claim the camera makes about its buffers
// is checked before a single byte is read; the pixel work itself is libyuv's.

enum class FramePixelFormat {
    Unsupported,
    YUYV,  // packed 4:2:2, bytes Y0 U Y1 V
    UYVY,  // packed 4:2:2, bytes U Y0 V Y1
    NV12,  // Y plane, then one plane of interleaved U V at half size
    NV21,  // the same with V U
    I420,  // Y, U, V planes, chroma at half size (decoded MJPEG)
    YV12,  // Y, V, U planes
    BGRA,  // 4 bytes per pixel in memory order B G R A (or X)
    RGBA,  // R G B A
    ARGB,  // A R G B
    ABGR,  // A B G R
    I422,  // Y, U, V planes, chroma at half width and full height
    AYUV,  // packed 4:4:4, bytes A Y U V per pixel; the alpha is ignored
    GRAY8, // one byte of luma per pixel
    Y16,   // 16-bit little-endian luma; the high byte is used
    P010,  // Y plane, then interleaved U V at half size; 16-bit little-endian
           // words holding 10 bits in their high bits
    P016,  // the same with all 16 bits used
};

enum class YuvMatrix { Bt601, Bt709 };

struct YuvColors
{
    YuvMatrix matrix = YuvMatrix::Bt601;
    bool fullRange = false; // Y 0..255 instead of 16..235 (also for the grey formats)
};

struct FramePlanes
{
    const std::uint8_t *data[3] = {nullptr, nullptr, nullptr};
    std::ptrdiff_t stride[3] = {0, 0, 0}; // bytes from one row to the next
    std::ptrdiff_t size[3] = {0, 0, 0};   // bytes readable from data[i]
};

// How many planes a frame of that format has (0 for Unsupported).
int framePlaneCount(FramePixelFormat format);

// Whether the planes hold a whole width x height frame of that format: every
// plane the format uses has a pointer, a stride of at least one row, and
// enough bytes for all its rows (the last row needs only its own bytes, not a
// whole stride). Chroma of an odd width or height is rounded up, as cameras
// store it. 16-bit formats also need 2-byte aligned pointers and even strides.
// Sizes are computed without any chance of wrapping; anything that libyuv's
// int arithmetic could not hold (a stride above INT_MAX, more than 2^29
// pixels) is refused too.
bool framePlanesAreComplete(FramePixelFormat format, const FramePlanes &planes, int width, int height);

// Converts the frame into `destination` (width x height words, rows
// `destinationStride` bytes apart, at least width * 4). Every written word
// is opaque, whatever an X or A byte of the source holds. Returns false,
// writing nothing, when the format is unsupported, the planes are incomplete
// or the destination is null or too narrow.
bool convertFrame(FramePixelFormat format, const FramePlanes &planes, int width, int height, YuvColors colors,
                  std::uint8_t *destination, std::ptrdiff_t destinationStride);

// How a camera's frame must be turned to stand upright: a left-to-right
// mirror, then a clockwise rotation by a multiple of 90 degrees.
enum class FrameRotation { None = 0, Clockwise90 = 90, Clockwise180 = 180, Clockwise270 = 270 };

// Writes the width x height 32-bit `source` mirrored (when asked) and then
// rotated into `destination`, which must hold the turned frame: height x width
// words for a quarter turn, width x height otherwise, rows
// `destinationStride` bytes apart. `scratch` (width x height words, rows
// `scratchStride` apart) is needed only when both a mirror and a rotation are
// asked for. Any stride of at least a row works, whole pixels or not (rows
// need not start on a 4-byte boundary). Returns false, writing nothing, on a
// null pointer, a size of 0 or a stride too small for its rows.
bool orientFrame(const std::uint8_t *source, std::ptrdiff_t sourceStride, int width, int height, bool mirrored,
                 FrameRotation rotation, std::uint8_t *scratch, std::ptrdiff_t scratchStride, std::uint8_t *destination,
                 std::ptrdiff_t destinationStride);
