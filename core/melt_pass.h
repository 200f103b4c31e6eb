#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The per-pixel rule of the game, over five 32-bit images (0xAARRGGBB words,
// stored little-endian: bytes blue, green, red, alpha), an optional wipe mask
// and one melt level per pixel:
//
//   d      = |red change| + |green change| + |blue change| between the camera
//            frame and the previous frame (alpha plays no part)
//   d      = 765                          where the wipe mask is set (a finger
//            or the mouse went over the pixel: the largest change there is)
//   level  = level - freezingSpeed        if level > freezingSpeed (regrowth),
//            but never above max(level, 765): a negative speed melts a
//            pixel up to 765 and no further
//   level  = min(level + d, 765)          if d > cameraSensitivity or the mask
//                                         is set (wiping)
//   window = level < 300 ? ice : photo    (and the pixel counts as frozen)
//
// Regrowth comes before wiping in the same frame. Both rule values may be
// zero or negative; the comparisons are plain signed ones.
//
// Bounds: with every level handed in and the freezing speed within
// +-kMaxMeltRuleValue (2^29), no step overflows 32 bits (level - speed stays
// within +-2^30, and + 765 on top of that), and every level comes out within
// min(its old value, 0) .. max(its old value, 765), so it stays within the
// bound pass after pass. The sensitivity is only ever compared; the game
// keeps it within the same bound all the same.
//
// Memory layout:
//  - Row y of an image starts at `base + y * stride` (byte arithmetic). The
//    stride is any byte count, need not be a multiple of 4 or of any vector
//    size, may differ between the five images and may be negative (bottom-up
//    images). Rows and pixels need no alignment at all.
//  - Only the width * 4 bytes of each of the height rows are read or written;
//    the bytes between rows, and anything past the last row, are never
//    touched. So an image needs exactly |stride| * (height - 1) + width * 4
//    addressable bytes.
//  - The levels are packed, width per row (no stride), height rows.
//  - The wipe mask, when not null, is packed the same way: one byte per
//    pixel, nonzero where the pixel is wiped. It is only read.
//  - The window must not overlap the other images or the levels.
//  - width <= 0 or height <= 0: nothing is touched (the pointers may be
//    null) and both counts are 0.
// Nothing is allocated.

struct MeltImages
{
    const std::uint8_t *camera;
    const std::uint8_t *previous;
    const std::uint8_t *photo;
    const std::uint8_t *ice;
    std::uint8_t *window;
    std::ptrdiff_t cameraStride;
    std::ptrdiff_t previousStride;
    std::ptrdiff_t photoStride;
    std::ptrdiff_t iceStride;
    std::ptrdiff_t windowStride;
    // One byte per pixel, packed, width per row; may be null (no pixel wiped
    // by it).
    const std::uint8_t *wipe = nullptr;
};

struct MeltRule
{
    std::int32_t cameraSensitivity;
    std::int32_t freezingSpeed;
};

inline constexpr std::int32_t kMaxMeltLevel = 765;
inline constexpr std::int32_t kCleanMeltLevel = 300;
// The bound of levels and rule values (see above): 2^29.
inline constexpr std::int32_t kMaxMeltRuleValue = 1 << 29;

// What one pass counted.
struct MeltCounts
{
    // Pixels frozen after the pass (level below 300).
    std::int64_t frozen = 0;
    // Pixels the wipe rule fired on (motion or mask) that were still ice
    // when it did: their level after regrowth was below 300.
    std::int64_t wipedIce = 0;

    friend bool operator==(const MeltCounts &a, const MeltCounts &b)
    {
        return a.frozen == b.frozen && a.wipedIce == b.wipedIce;
    }
};

// Applies the rule to every pixel with the best SIMD target this processor
// runs (chosen once, at the first call).
MeltCounts meltPass(const MeltImages &images, std::int32_t *levels, int width, int height, MeltRule rule);

// The rule written plainly, one pixel at a time; the reference every SIMD
// target must match bit for bit.
MeltCounts meltPassReference(const MeltImages &images, std::int32_t *levels, int width, int height, MeltRule rule);

using MeltPassFunction = MeltCounts (*)(const MeltImages &images, std::int32_t *levels, int width, int height,
                                        MeltRule rule);

// One compiled instance of the SIMD pass, with the meltPass contract.
struct MeltTarget
{
    const char *name;    // Highway's target name, e.g. "AVX2"
    std::int64_t target; // Highway's target bit
    MeltPassFunction pass;
};

// Every target this build compiled and this processor runs, best first; the
// first is the one meltPass uses. Lets a test hold each one to the reference.
std::vector<MeltTarget> meltTargets();

// Name of the target meltPass dispatches to on this processor.
const char *meltPassTargetName();
