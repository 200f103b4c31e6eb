// Feeds convertFrame frames whose format, size, strides and plane sizes come
// from the input. Every plane lives in its own buffer of exactly the claimed
// size, flush against an inaccessible page (after it, or before it when the
// input says so): libyuv is not built with AddressSanitizer, so the guard
// page is what catches a read past a plane inside it. The destination is
// exactly sized and guarded the same way.
//
// Input: [format] [flags] [width lo, hi] [height lo, hi] then per plane
// [stride mode] [stride delta] [size delta], then pixel bytes.
//
// A converted frame is then turned upright by orientFrame from its own rows
// (0..7 spare bytes each, so rows need not start on a word), with the turn,
// mirror and the spare bytes of the scratch and the turned rows taken from
// the last input byte, and compared with a plain pixel-by-pixel turn.
#include "camera/frame_conversion.h"
#include "support/guarded_bytes.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kFormats = 17; // FramePixelFormat::Unsupported .. P016
constexpr int kMaxSide = 256;

struct Shape
{
    std::int64_t rowBytes, rows;
};

// The fuzzer's own idea of each plane, used only to land claims near the
// edge between complete and incomplete.
int shapes(int format, std::int64_t w, std::int64_t h, Shape out[3])
{
    const std::int64_t hw = (w + 1) / 2, hh = (h + 1) / 2;
    switch (FramePixelFormat(format)) {
    case FramePixelFormat::YUYV:
    case FramePixelFormat::UYVY:
        out[0] = {hw * 4, h};
        return 1;
    case FramePixelFormat::NV12:
    case FramePixelFormat::NV21:
        out[0] = {w, h};
        out[1] = {hw * 2, hh};
        return 2;
    case FramePixelFormat::I420:
    case FramePixelFormat::YV12:
        out[0] = {w, h};
        out[1] = out[2] = {hw, hh};
        return 3;
    case FramePixelFormat::I422:
        out[0] = {w, h};
        out[1] = out[2] = {hw, h};
        return 3;
    case FramePixelFormat::GRAY8:
        out[0] = {w, h};
        return 1;
    case FramePixelFormat::Y16:
        out[0] = {w * 2, h};
        return 1;
    case FramePixelFormat::P010:
    case FramePixelFormat::P016:
        out[0] = {w * 2, h};
        out[1] = {hw * 4, hh};
        return 2;
    case FramePixelFormat::Unsupported:
        out[0] = {w * 4, h};
        return 3; // still hand over planes
    default:
        out[0] = {w * 4, h};
        return 1;
    }
}

// With FRAME_FUZZ_STATS set, how many inputs of each format were converted
// and how many refused are printed at exit (for replaying a corpus).
struct Stats
{
    long converted[kFormats] = {}, refused[kFormats] = {};
    ~Stats()
    {
        if (!std::getenv("FRAME_FUZZ_STATS"))
            return;
        for (int f = 0; f < kFormats; ++f)
            std::fprintf(stderr, "format %2d: converted %ld, refused %ld\n", f, converted[f], refused[f]);
    }
} stats;

std::uint32_t wordAt(const std::uint8_t *bytes, std::ptrdiff_t stride, int x, int y)
{
    std::uint32_t word;
    std::memcpy(&word, bytes + stride * y + std::ptrdiff_t(x) * 4, 4);
    return word;
}

// Turns the width x height frame at `frame` as `how` says and checks every
// pixel against where it must come from.
void checkTurn(const std::uint8_t *frame, std::ptrdiff_t stride, int width, int height, std::uint8_t how)
{
    const int angle = (how & 3) * 90;
    const bool mirrored = (how & 4) != 0;
    const std::ptrdiff_t scratchStride = std::ptrdiff_t(width) * 4 + ((how >> 3) & 3);
    const bool quarter = angle == 90 || angle == 270;
    const int turnedW = quarter ? height : width;
    const int turnedH = quarter ? width : height;
    const std::ptrdiff_t turnedStride = std::ptrdiff_t(turnedW) * 4 + ((how >> 5) & 3);
    GuardedBytes scratch(std::size_t(scratchStride * (height - 1) + width * 4), Guard::After);
    GuardedBytes turned(std::size_t(turnedStride * (turnedH - 1) + turnedW * 4), Guard::Before);
    if (!orientFrame(frame, stride, width, height, mirrored, FrameRotation(angle), scratch.data(), scratchStride,
                     turned.data(), turnedStride))
        __builtin_trap(); // everything here fits
    for (int y = 0; y < turnedH; ++y) {
        for (int x = 0; x < turnedW; ++x) {
            // Undo the clockwise turn, then the mirror.
            int sx = x, sy = y;
            if (angle == 90) {
                sx = y;
                sy = height - 1 - x;
            } else if (angle == 180) {
                sx = width - 1 - x;
                sy = height - 1 - y;
            } else if (angle == 270) {
                sx = width - 1 - y;
                sy = x;
            }
            if (mirrored)
                sx = width - 1 - sx;
            if (wordAt(turned.data(), turnedStride, x, y) != wordAt(frame, stride, sx, sy))
                __builtin_trap();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *input, std::size_t length)
{
    if (length < 15)
        return 0;
    const int format = input[0] % kFormats;
    const std::uint8_t flags = input[1];
    // Mostly small sizes, sometimes zero, negative or absurd.
    int width = (input[2] | (input[3] & 1) << 8) % (kMaxSide + 1);
    int height = (input[4] | (input[5] & 1) << 8) % (kMaxSide + 1);
    if (input[3] & 0x80)
        width = (input[3] & 0x40) ? INT_MAX - input[2] : -int(input[2]);
    if (input[5] & 0x80)
        height = (input[5] & 0x40) ? INT_MAX - input[4] : -int(input[4]);
    const bool sane = width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide;

    Shape shape[3] = {{16, 1}, {16, 1}, {16, 1}};
    if (sane)
        shapes(format, width, height, shape);

    FramePlanes planes;
    GuardedBytes *buffers[3] = {nullptr, nullptr, nullptr};
    std::size_t at = 15;
    for (int i = 0; i < 3; ++i) {
        const std::uint8_t mode = input[6 + 3 * i];
        const int strideDelta = std::int8_t(input[7 + 3 * i]);
        const int sizeDelta = std::int8_t(input[8 + 3 * i]);
        std::int64_t stride = shape[i].rowBytes + (mode & 1 ? strideDelta : std::max(strideDelta, 0) % 8);
        switch (mode >> 5) {
        case 5:
            stride = std::int64_t(1) << (40 + (mode & 0x1F) % 23);
            break; // up to 2^62
        case 6:
            stride = -std::int64_t(std::uint8_t(strideDelta)) - 1;
            break;
        case 7:
            stride = std::int64_t(INT_MAX) + (mode & 0x1F);
            break;
        default:
            break;
        }
        // The honest size for that stride, nudged; a wild stride gets a small buffer.
        std::int64_t size = 64 + sizeDelta;
        if (stride > 0 && stride <= (1 << 20) && sane)
            size = stride * (shape[i].rows - 1) + shape[i].rowBytes + (mode & 2 ? sizeDelta : 0);
        if (size < 0) {
            planes.size[i] = std::ptrdiff_t(size); // a negative claim over a one-byte buffer
            size = 1;
        } else {
            planes.size[i] = std::ptrdiff_t(size);
        }
        buffers[i] = new GuardedBytes(std::size_t(std::max<std::int64_t>(size, 1)),
                                      (flags & 4) ? Guard::Before : Guard::After);
        for (std::int64_t b = 0; b < size; ++b)
            buffers[i]->data()[b] = length > at ? input[at + std::size_t(b) % (length - at)] : 0x80;
        planes.data[i] = (mode & 0x10) ? nullptr : buffers[i]->data();
        planes.stride[i] = std::ptrdiff_t(stride);
    }

    const YuvColors colors{flags & 1 ? YuvMatrix::Bt709 : YuvMatrix::Bt601, (flags & 2) != 0};
    const bool complete = framePlanesAreComplete(FramePixelFormat(format), planes, width, height);
    if (complete && !sane)
        __builtin_trap(); // claims like these can never be complete

    // Destination: exactly sized rows with 0..7 spare bytes, or a narrow one.
    const std::int64_t dstRow = sane ? std::int64_t(width) * 4 : 4;
    std::int64_t dstStride = dstRow + ((flags >> 3) & 7);
    if (flags & 0x40)
        dstStride = dstRow - 1;
    const std::size_t dstSize = sane ? std::size_t(std::max<std::int64_t>(dstStride, dstRow) * (height - 1) + dstRow)
                                     : 4;
    GuardedBytes destination(dstSize, Guard::After);
    std::memset(destination.data(), 0xCD, dstSize);

    const bool converted = convertFrame(FramePixelFormat(format), planes, width, height, colors,
                                        (flags & 0x80) ? nullptr : destination.data(), std::ptrdiff_t(dstStride));
    const bool destinationGood = !(flags & 0x80) && dstStride >= dstRow;
    (converted ? stats.converted : stats.refused)[format]++;
    if (converted != (complete && destinationGood))
        __builtin_trap();
    if (converted) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (destination.data()[dstStride * y + std::int64_t(x) * 4 + 3] != 0xFF)
                    __builtin_trap(); // every pixel opaque
        checkTurn(destination.data(), std::ptrdiff_t(dstStride), width, height, input[length - 1]);
    } else {
        for (std::size_t b = 0; b < dstSize; ++b)
            if (destination.data()[b] != 0xCD)
                __builtin_trap(); // a refusal writes nothing
    }
    for (GuardedBytes *g : buffers)
        delete g;
    return 0;
}
