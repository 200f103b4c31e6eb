#include "camera/frame_conversion.h"

#include <algorithm>
#include <cstring>

namespace {

struct Coefficients
{
    int y, rv, gu, gv, bu, yOffset;
};

Coefficients coefficientsFor(YuvColors colors)
{
    // Fixed point, 8 fractional bits.
    if (colors.fullRange) {
        return colors.matrix == YuvMatrix::Bt709 ? Coefficients{256, 403, -48, -120, 475, 0}
                                                  : Coefficients{256, 359, -88, -183, 454, 0};
    }
    return colors.matrix == YuvMatrix::Bt709 ? Coefficients{298, 459, -55, -136, 541, 16}
                                              : Coefficients{298, 409, -100, -208, 516, 16};
}

inline std::uint32_t clampByte(int v)
{
    return std::uint32_t(std::min(std::max(v, 0), 255));
}

inline std::uint32_t yuvToWord(const Coefficients &k, int y, int u, int v)
{
    const int c = k.y * (y - k.yOffset) + 128;
    const int d = u - 128;
    const int e = v - 128;
    const std::uint32_t r = clampByte((c + k.rv * e) >> 8);
    const std::uint32_t g = clampByte((c + k.gu * d + k.gv * e) >> 8);
    const std::uint32_t b = clampByte((c + k.bu * d) >> 8);
    return 0xFF000000u | r << 16 | g << 8 | b;
}

inline std::uint32_t *destinationRow(std::uint8_t *destination, std::ptrdiff_t stride, int y)
{
    return reinterpret_cast<std::uint32_t *>(destination + stride * y);
}

struct PlaneNeed
{
    std::ptrdiff_t rowBytes;
    int rows;
};

int planeCount(FramePixelFormat format)
{
    switch (format) {
    case FramePixelFormat::NV12:
    case FramePixelFormat::NV21:
        return 2;
    case FramePixelFormat::I420:
    case FramePixelFormat::YV12:
        return 3;
    case FramePixelFormat::Unsupported:
        return 0;
    default:
        return 1;
    }
}

PlaneNeed planeNeed(FramePixelFormat format, int plane, int width, int height)
{
    const std::ptrdiff_t halfWidth = (std::ptrdiff_t(width) + 1) / 2;
    const int halfHeight = (height + 1) / 2;
    switch (format) {
    case FramePixelFormat::YUYV:
    case FramePixelFormat::UYVY:
        return {halfWidth * 4, height};
    case FramePixelFormat::NV12:
    case FramePixelFormat::NV21:
        return plane == 0 ? PlaneNeed{width, height} : PlaneNeed{halfWidth * 2, halfHeight};
    case FramePixelFormat::I420:
    case FramePixelFormat::YV12:
        return plane == 0 ? PlaneNeed{width, height} : PlaneNeed{halfWidth, halfHeight};
    default:
        return {std::ptrdiff_t(width) * 4, height};
    }
}

// Packed 4:2:2: two pixels share one U and one V. Whole pairs go through a
// straight loop the compiler can vectorise; an odd last pixel is done alone.
template <bool yFirst>
void convertPacked422(const FramePlanes &planes, int width, int height, const Coefficients &k,
                      std::uint8_t *destination, std::ptrdiff_t destinationStride)
{
    constexpr int y0At = yFirst ? 0 : 1, uAt = yFirst ? 1 : 0, y1At = yFirst ? 2 : 3, vAt = yFirst ? 3 : 2;
    const int pairs = width / 2;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t *src = planes.data[0] + planes.stride[0] * y;
        std::uint32_t *dst = destinationRow(destination, destinationStride, y);
        for (int i = 0; i < pairs; ++i) {
            const std::uint8_t *q = src + std::ptrdiff_t(i) * 4;
            dst[2 * i] = yuvToWord(k, q[y0At], q[uAt], q[vAt]);
            dst[2 * i + 1] = yuvToWord(k, q[y1At], q[uAt], q[vAt]);
        }
        if (width % 2 != 0) {
            const std::uint8_t *q = src + std::ptrdiff_t(pairs) * 4;
            dst[width - 1] = yuvToWord(k, q[y0At], q[uAt], q[vAt]);
        }
    }
}

} // namespace

bool framePlanesAreComplete(FramePixelFormat format, const FramePlanes &planes, int width,
                            int height)
{
    const int count = planeCount(format);
    if (count == 0 || width <= 0 || height <= 0)
        return false;
    for (int i = 0; i < count; ++i) {
        const PlaneNeed need = planeNeed(format, i, width, height);
        if (!planes.data[i] || planes.stride[i] < need.rowBytes || planes.size[i] < 0)
            return false;
        // The last row needs only its own bytes, not a whole stride.
        const std::ptrdiff_t required = planes.stride[i] * (need.rows - 1) + need.rowBytes;
        if (planes.size[i] < required)
            return false;
    }
    return true;
}

bool convertFrame(FramePixelFormat format, const FramePlanes &planes, int width, int height,
                  YuvColors colors, std::uint8_t *destination, std::ptrdiff_t destinationStride)
{
    if (!destination || destinationStride < std::ptrdiff_t(width) * 4
        || !framePlanesAreComplete(format, planes, width, height))
        return false;

    const Coefficients k = coefficientsFor(colors);
    switch (format) {
    case FramePixelFormat::YUYV:
        convertPacked422<true>(planes, width, height, k, destination, destinationStride);
        return true;
    case FramePixelFormat::UYVY:
        convertPacked422<false>(planes, width, height, k, destination, destinationStride);
        return true;
    case FramePixelFormat::NV12:
    case FramePixelFormat::NV21: {
        const int uIndex = format == FramePixelFormat::NV12 ? 0 : 1;
        for (int y = 0; y < height; ++y) {
            const std::uint8_t *luma = planes.data[0] + planes.stride[0] * y;
            const std::uint8_t *chroma = planes.data[1] + planes.stride[1] * (y / 2);
            std::uint32_t *dst = destinationRow(destination, destinationStride, y);
            for (int x = 0; x < width; ++x) {
                const std::uint8_t *uv = chroma + std::ptrdiff_t(x / 2) * 2;
                dst[x] = yuvToWord(k, luma[x], uv[uIndex], uv[1 - uIndex]);
            }
        }
        return true;
    }
    case FramePixelFormat::I420:
    case FramePixelFormat::YV12: {
        const int uPlane = format == FramePixelFormat::I420 ? 1 : 2;
        const int vPlane = 3 - uPlane;
        for (int y = 0; y < height; ++y) {
            const std::uint8_t *luma = planes.data[0] + planes.stride[0] * y;
            const std::uint8_t *u = planes.data[uPlane] + planes.stride[uPlane] * (y / 2);
            const std::uint8_t *v = planes.data[vPlane] + planes.stride[vPlane] * (y / 2);
            std::uint32_t *dst = destinationRow(destination, destinationStride, y);
            for (int x = 0; x < width; ++x)
                dst[x] = yuvToWord(k, luma[x], u[x / 2], v[x / 2]);
        }
        return true;
    }
    case FramePixelFormat::BGRA:
    case FramePixelFormat::RGBA:
    case FramePixelFormat::ARGB:
    case FramePixelFormat::ABGR: {
        // Byte positions of red, green and blue within each pixel.
        int r = 2, g = 1, b = 0;
        if (format == FramePixelFormat::RGBA)
            r = 0, g = 1, b = 2;
        else if (format == FramePixelFormat::ARGB)
            r = 1, g = 2, b = 3;
        else if (format == FramePixelFormat::ABGR)
            r = 3, g = 2, b = 1;
        for (int y = 0; y < height; ++y) {
            const std::uint8_t *src = planes.data[0] + planes.stride[0] * y;
            std::uint32_t *dst = destinationRow(destination, destinationStride, y);
            for (int x = 0; x < width; ++x) {
                const std::uint8_t *p = src + std::ptrdiff_t(x) * 4;
                // Camera pictures are opaque; an X byte may hold anything.
                dst[x] = 0xFF000000u | std::uint32_t(p[r]) << 16 | std::uint32_t(p[g]) << 8 | p[b];
            }
        }
        return true;
    }
    case FramePixelFormat::Unsupported:
        break;
    }
    return false;
}
