#include "camera/frame_conversion.h"

#include <libyuv/convert_argb.h>
#include <libyuv/planar_functions.h>
#include <libyuv/rotate_argb.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#if !defined(__BYTE_ORDER__) || __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "Y16, P010 and P016 are read as native 16-bit words: a little-endian machine is assumed"
#endif

namespace {

using Size = std::int64_t;

// libyuv walks rows with int strides and, when rows are contiguous, folds a
// whole frame into one row of width * height pixels whose byte count it keeps
// in an int. Capping the pixel count keeps that below INT_MAX.
constexpr Size kMaxPixels = Size(1) << 29;

// Rows converted per step where a frame goes through a scratch buffer or a
// second pass: small enough to stay in cache, large enough to amortise calls.
constexpr int kBandRows = 16;

struct PlaneShape
{
    Size rowBytes = 0;
    Size rows = 0;
};

struct Layout
{
    int planes = 0;
    int sampleBytes = 1; // 2 for formats made of 16-bit words
    PlaneShape shape[3];
};

bool multiply(Size a, Size b, Size &result)
{
    return !__builtin_mul_overflow(a, b, &result);
}

bool add(Size a, Size b, Size &result)
{
    return !__builtin_add_overflow(a, b, &result);
}

// Plane sizes for a frame with positive width and height (both ints, so none
// of these products can overflow 64 bits).
Layout layoutOf(FramePixelFormat format, int width, int height)
{
    const Size w = width, h = height;
    const Size halfW = (w + 1) / 2, halfH = (h + 1) / 2;
    Layout l;
    switch (format) {
    case FramePixelFormat::YUYV:
    case FramePixelFormat::UYVY:
        l.planes = 1;
        l.shape[0] = {halfW * 4, h};
        break;
    case FramePixelFormat::NV12:
    case FramePixelFormat::NV21:
        l.planes = 2;
        l.shape[0] = {w, h};
        l.shape[1] = {halfW * 2, halfH};
        break;
    case FramePixelFormat::I420:
    case FramePixelFormat::YV12:
        l.planes = 3;
        l.shape[0] = {w, h};
        l.shape[1] = l.shape[2] = {halfW, halfH};
        break;
    case FramePixelFormat::I422:
        l.planes = 3;
        l.shape[0] = {w, h};
        l.shape[1] = l.shape[2] = {halfW, h};
        break;
    case FramePixelFormat::BGRA:
    case FramePixelFormat::RGBA:
    case FramePixelFormat::ARGB:
    case FramePixelFormat::ABGR:
    case FramePixelFormat::AYUV:
        l.planes = 1;
        l.shape[0] = {w * 4, h};
        break;
    case FramePixelFormat::GRAY8:
        l.planes = 1;
        l.shape[0] = {w, h};
        break;
    case FramePixelFormat::Y16:
        l.planes = 1;
        l.sampleBytes = 2;
        l.shape[0] = {w * 2, h};
        break;
    case FramePixelFormat::P010:
    case FramePixelFormat::P016:
        l.planes = 2;
        l.sampleBytes = 2;
        l.shape[0] = {w * 2, h};
        l.shape[1] = {halfW * 4, halfH};
        break;
    case FramePixelFormat::Unsupported:
        break;
    }
    return l;
}

bool planeIsComplete(const std::uint8_t *data, std::ptrdiff_t stride, std::ptrdiff_t size, const PlaneShape &shape,
                     int sampleBytes)
{
    if (!data || stride < shape.rowBytes || stride > INT_MAX || size < 0)
        return false;
    if (sampleBytes == 2 && (stride % 2 != 0 || reinterpret_cast<std::uintptr_t>(data) % 2 != 0))
        return false;
    Size required = 0;
    if (!multiply(stride, shape.rows - 1, required) || !add(required, shape.rowBytes, required))
        return false;
    return size >= required;
}

const libyuv::YuvConstants *constantsFor(YuvColors colors)
{
    if (colors.matrix == YuvMatrix::Bt709)
        return colors.fullRange ? &libyuv::kYuvF709Constants : &libyuv::kYuvH709Constants;
    return colors.fullRange ? &libyuv::kYuvJPEGConstants : &libyuv::kYuvI601Constants;
}

const std::uint16_t *words(const std::uint8_t *data)
{
    // Alignment was checked by framePlanesAreComplete.
    return reinterpret_cast<const std::uint16_t *>(static_cast<const void *>(data));
}

int wordStride(std::ptrdiff_t byteStride)
{
    return int(byteStride / 2);
}

// Sets the alpha byte of every word in `rows` rows, for sources whose fourth
// byte may hold anything.
void makeOpaque(std::uint8_t *destination, std::ptrdiff_t stride, int width, int rows)
{
    for (int y = 0; y < rows; ++y) {
        std::uint8_t *row = destination + stride * y;
        for (int x = 0; x < width; ++x)
            row[std::ptrdiff_t(x) * 4 + 3] = 0xFF;
    }
}

template <typename Step> void forEachBand(int height, Step step)
{
    for (int y = 0; y < height; y += kBandRows)
        step(y, std::min(kBandRows, height - y));
}

// Packed RGB in any byte order: libyuv reorders into B G R A, then the alpha
// byte is forced while the band is still in cache.
template <typename Reorder>
void convertPackedRgb(Reorder reorder, const FramePlanes &planes, int width, int height, std::uint8_t *destination,
                      std::ptrdiff_t destinationStride)
{
    const int srcStride = int(planes.stride[0]);
    const int dstStride = int(destinationStride);
    forEachBand(height, [&](int y, int rows) {
        std::uint8_t *dst = destination + destinationStride * y;
        reorder(planes.data[0] + planes.stride[0] * y, srcStride, dst, dstStride, width, rows);
        makeOpaque(dst, destinationStride, width, rows);
    });
}

// Packed 4:2:2 in a matrix other than limited-range BT.601 (the only one
// libyuv's direct YUY2/UYVY functions know): split a band into planes, then
// convert those with the matrix.
template <typename Split>
void convertPacked422WithMatrix(Split split, const FramePlanes &planes, int width, int height,
                                const libyuv::YuvConstants *constants, std::uint8_t *destination,
                                std::ptrdiff_t destinationStride)
{
    const int halfWidth = (width + 1) / 2;
    std::vector<std::uint8_t> scratch(std::size_t(kBandRows) * std::size_t(width + 2 * halfWidth));
    std::uint8_t *y0 = scratch.data();
    std::uint8_t *u0 = y0 + std::size_t(kBandRows) * std::size_t(width);
    std::uint8_t *v0 = u0 + std::size_t(kBandRows) * std::size_t(halfWidth);
    forEachBand(height, [&](int y, int rows) {
        split(planes.data[0] + planes.stride[0] * y, int(planes.stride[0]), y0, width, u0, halfWidth, v0, halfWidth,
              width, rows);
        libyuv::I422ToARGBMatrix(y0, width, u0, halfWidth, v0, halfWidth, destination + destinationStride * y,
                                 int(destinationStride), constants, width, rows);
    });
}

void convertGrey(const std::uint8_t *luma, int lumaStride, int width, int rows, YuvColors colors,
                 std::uint8_t *destination, int destinationStride)
{
    if (colors.fullRange)
        libyuv::J400ToARGB(luma, lumaStride, destination, destinationStride, width, rows);
    else
        libyuv::I400ToARGBMatrix(luma, lumaStride, destination, destinationStride, constantsFor(colors), width, rows);
}

} // namespace

int framePlaneCount(FramePixelFormat format)
{
    return layoutOf(format, 1, 1).planes;
}

bool framePlanesAreComplete(FramePixelFormat format, const FramePlanes &planes, int width, int height)
{
    if (width <= 0 || height <= 0 || Size(width) * Size(height) > kMaxPixels)
        return false;
    const Layout layout = layoutOf(format, width, height);
    if (layout.planes == 0)
        return false;
    for (int i = 0; i < layout.planes; ++i) {
        if (!planeIsComplete(planes.data[i], planes.stride[i], planes.size[i], layout.shape[i], layout.sampleBytes))
            return false;
    }
    return true;
}

bool convertFrame(FramePixelFormat format, const FramePlanes &planes, int width, int height, YuvColors colors,
                  std::uint8_t *destination, std::ptrdiff_t destinationStride)
{
    if (!framePlanesAreComplete(format, planes, width, height) || !destination || destinationStride < Size(width) * 4
        || destinationStride > INT_MAX)
        return false;

    const libyuv::YuvConstants *constants = constantsFor(colors);
    const int dstStride = int(destinationStride);
    const std::uint8_t *const *d = planes.data;
    int s[3];
    for (int i = 0; i < 3; ++i)
        s[i] = int(std::clamp<std::ptrdiff_t>(planes.stride[i], 0, INT_MAX)); // unused planes may hold anything

    switch (format) {
    case FramePixelFormat::YUYV:
        if (colors.matrix == YuvMatrix::Bt601 && !colors.fullRange)
            libyuv::YUY2ToARGB(d[0], s[0], destination, dstStride, width, height);
        else
            convertPacked422WithMatrix(libyuv::YUY2ToI422, planes, width, height, constants, destination,
                                       destinationStride);
        return true;
    case FramePixelFormat::UYVY:
        if (colors.matrix == YuvMatrix::Bt601 && !colors.fullRange)
            libyuv::UYVYToARGB(d[0], s[0], destination, dstStride, width, height);
        else
            convertPacked422WithMatrix(libyuv::UYVYToI422, planes, width, height, constants, destination,
                                       destinationStride);
        return true;
    case FramePixelFormat::NV12:
        libyuv::NV12ToARGBMatrix(d[0], s[0], d[1], s[1], destination, dstStride, constants, width, height);
        return true;
    case FramePixelFormat::NV21:
        libyuv::NV21ToARGBMatrix(d[0], s[0], d[1], s[1], destination, dstStride, constants, width, height);
        return true;
    case FramePixelFormat::I420:
        libyuv::I420ToARGBMatrix(d[0], s[0], d[1], s[1], d[2], s[2], destination, dstStride, constants, width, height);
        return true;
    case FramePixelFormat::YV12: // I420 with the chroma planes swapped
        libyuv::I420ToARGBMatrix(d[0], s[0], d[2], s[2], d[1], s[1], destination, dstStride, constants, width, height);
        return true;
    case FramePixelFormat::I422:
        libyuv::I422ToARGBMatrix(d[0], s[0], d[1], s[1], d[2], s[2], destination, dstStride, constants, width, height);
        return true;
    // libyuv names packed RGB by the order within a little-endian word, the
    // reverse of the memory order used here: its "ARGB" is B G R A in memory.
    case FramePixelFormat::BGRA:
        convertPackedRgb(libyuv::ARGBCopy, planes, width, height, destination, destinationStride);
        return true;
    case FramePixelFormat::RGBA:
        convertPackedRgb(libyuv::ABGRToARGB, planes, width, height, destination, destinationStride);
        return true;
    case FramePixelFormat::ARGB:
        convertPackedRgb(libyuv::BGRAToARGB, planes, width, height, destination, destinationStride);
        return true;
    case FramePixelFormat::ABGR:
        convertPackedRgb(libyuv::RGBAToARGB, planes, width, height, destination, destinationStride);
        return true;
    case FramePixelFormat::AYUV: {
        // libyuv has no 4:4:4 packed path in this byte order; split each band
        // into Y, U, V planes (libyuv's B G R A split of A Y U V bytes gives
        // A, Y, U, V) and convert those as I444.
        std::vector<std::uint8_t> scratch(std::size_t(kBandRows) * std::size_t(width) * 4);
        std::uint8_t *alpha = scratch.data();
        std::uint8_t *y0 = alpha + std::size_t(kBandRows) * std::size_t(width);
        std::uint8_t *u0 = y0 + std::size_t(kBandRows) * std::size_t(width);
        std::uint8_t *v0 = u0 + std::size_t(kBandRows) * std::size_t(width);
        forEachBand(height, [&](int y, int rows) {
            libyuv::SplitARGBPlane(d[0] + planes.stride[0] * y, s[0], u0, width, y0, width, alpha, width, v0, width,
                                   width, rows);
            libyuv::I444ToARGBMatrix(y0, width, u0, width, v0, width, destination + destinationStride * y, dstStride,
                                     constants, width, rows);
        });
        return true;
    }
    case FramePixelFormat::GRAY8:
        convertGrey(d[0], s[0], width, height, colors, destination, dstStride);
        return true;
    case FramePixelFormat::Y16: {
        // scale 256: (v * 256) >> 16 keeps the high byte.
        std::vector<std::uint8_t> scratch(std::size_t(kBandRows) * std::size_t(width));
        forEachBand(height, [&](int y, int rows) {
            libyuv::Convert16To8Plane(words(d[0] + planes.stride[0] * y), wordStride(s[0]), scratch.data(), width, 256,
                                      width, rows);
            convertGrey(scratch.data(), width, width, rows, colors, destination + destinationStride * y, dstStride);
        });
        return true;
    }
    case FramePixelFormat::P010:
    case FramePixelFormat::P016:
        // libyuv reads these words from their high bits, which suits both.
        libyuv::P010ToARGBMatrix(words(d[0]), wordStride(s[0]), words(d[1]), wordStride(s[1]), destination, dstStride,
                                 constants, width, height);
        return true;
    case FramePixelFormat::Unsupported:
        break;
    }
    return false;
}

namespace {

// A quarter turn of 32-bit pixels one word at a time, for strides libyuv
// cannot step through. Words are copied bytewise: rows may start anywhere.
void turnQuarter(const std::uint8_t *source, std::ptrdiff_t sourceStride, int width, int height, bool clockwise,
                 std::uint8_t *destination, std::ptrdiff_t destinationStride)
{
    // The turned frame is height wide and width tall. Clockwise, its row r
    // is source column r read from the bottom up; anticlockwise, source
    // column width - 1 - r read from the top down.
    for (int r = 0; r < width; ++r) {
        std::uint8_t *out = destination + destinationStride * r;
        const int column = clockwise ? r : width - 1 - r;
        for (int c = 0; c < height; ++c) {
            const int row = clockwise ? height - 1 - c : c;
            std::memcpy(out + std::ptrdiff_t(c) * 4, source + sourceStride * row + std::ptrdiff_t(column) * 4, 4);
        }
    }
}

} // namespace

bool orientFrame(const std::uint8_t *source, std::ptrdiff_t sourceStride, int width, int height, bool mirrored,
                 FrameRotation rotation, std::uint8_t *scratch, std::ptrdiff_t scratchStride, std::uint8_t *destination,
                 std::ptrdiff_t destinationStride)
{
    const bool quarterTurn = rotation == FrameRotation::Clockwise90 || rotation == FrameRotation::Clockwise270;
    const Size rowBytes = Size(width) * 4;
    const Size turnedRowBytes = Size(quarterTurn ? height : width) * 4;
    if (!source || !destination || width <= 0 || height <= 0 || Size(width) * height > kMaxPixels
        || sourceStride < rowBytes || sourceStride > INT_MAX || destinationStride < turnedRowBytes
        || destinationStride > INT_MAX)
        return false;
    const bool rotated = rotation != FrameRotation::None;
    if (mirrored && rotated && (!scratch || scratchStride < rowBytes || scratchStride > INT_MAX))
        return false;

    if (!rotated) {
        if (mirrored)
            libyuv::ARGBMirror(source, int(sourceStride), destination, int(destinationStride), width, height);
        else
            libyuv::ARGBCopy(source, int(sourceStride), destination, int(destinationStride), width, height);
        return true;
    }
    if (mirrored) {
        libyuv::ARGBMirror(source, int(sourceStride), scratch, int(scratchStride), width, height);
        source = scratch;
        sourceStride = scratchStride;
    }
    // libyuv's quarter turn steps through the source in whole words
    // (stride / 4): rows that do not start on a word boundary are turned here.
    if (quarterTurn && sourceStride % 4 != 0) {
        turnQuarter(source, sourceStride, width, height, rotation == FrameRotation::Clockwise90, destination,
                    destinationStride);
        return true;
    }
    return libyuv::ARGBRotate(source, int(sourceStride), destination, int(destinationStride), width, height,
                              libyuv::RotationMode(int(rotation)))
           == 0;
}
