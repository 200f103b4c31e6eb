#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The per-pixel rule of the game, over five 32-bit images (0xAARRGGBB words,
// stored little-endian: bytes blue, green, red, alpha) and one melt level per
// pixel:
//
//   d      = |red change| + |green change| + |blue change| between the camera
//            frame and the previous frame (alpha plays no part)
//   level  = level - freezingSpeed       if level > freezingSpeed (regrowth)
//   level  = min(level + d, 765)         if d > cameraSensitivity (wiping)
//   window = level < 300 ? ice : photo   (and the pixel counts as frozen)
//
// Regrowth comes before wiping in the same frame. Both rule values may be
// zero or negative; the comparisons are plain signed ones. Levels handed in
// need not lie in 0..765, but no step may overflow 32 bits: keep
// |level|, |freezingSpeed| below 2^30 (the game keeps levels in 0..765).
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
//  - The window must not overlap the other images or the levels.
//  - width <= 0 or height <= 0: nothing is touched (the pointers may be
//    null) and the result is 0.
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
};

struct MeltRule
{
    std::int32_t cameraSensitivity;
    std::int32_t freezingSpeed;
};

inline constexpr std::int32_t kMaxMeltLevel = 765;
inline constexpr std::int32_t kCleanMeltLevel = 300;

// Applies the rule to every pixel with the best SIMD target this processor
// runs (chosen once, at the first call); returns the number of frozen pixels.
std::int64_t meltPass(const MeltImages &images, std::int32_t *levels, int width, int height,
                      MeltRule rule);

// The rule written plainly, one pixel at a time; the reference every SIMD
// target must match bit for bit.
std::int64_t meltPassReference(const MeltImages &images, std::int32_t *levels, int width,
                               int height, MeltRule rule);

using MeltPassFunction = std::int64_t (*)(const MeltImages &images, std::int32_t *levels,
                                          int width, int height, MeltRule rule);

// One compiled instance of the SIMD pass, with the meltPass contract.
struct MeltTarget
{
    const char *name; // Highway's target name, e.g. "AVX2"
    std::int64_t target; // Highway's target bit
    MeltPassFunction pass;
};

// Every target this build compiled and this processor runs, best first; the
// first is the one meltPass uses. Lets a test hold each one to the reference.
std::vector<MeltTarget> meltTargets();

// Name of the target meltPass dispatches to on this processor.
const char *meltPassTargetName();
