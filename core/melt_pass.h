#pragma once

#include <cstddef>
#include <cstdint>

// The per-pixel rule of the game, over five 32-bit images (0xAARRGGBB words)
// and one melt level per pixel:
//
//   d      = |red change| + |green change| + |blue change| between the camera
//            frame and the previous frame (alpha plays no part)
//   level  = level - freezingSpeed       if level > freezingSpeed (regrowth)
//   level  = min(level + d, 765)         if d > cameraSensitivity (wiping)
//   window = level < 300 ? ice : photo   (and the pixel counts as frozen)
//
// Regrowth comes before wiping in the same frame. Rows are `stride` bytes
// apart in every image; the levels are packed, width per row. Nothing is
// allocated; nothing outside width x height is touched.

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

// Applies the rule to every pixel with the fastest kernel this processor
// runs; returns the number of frozen pixels.
std::int64_t meltPass(const MeltImages &images, std::int32_t *levels, int width, int height,
                      MeltRule rule);

// The rule written plainly, one pixel at a time; the reference the fast pass
// must match bit for bit.
std::int64_t meltPassReference(const MeltImages &images, std::int32_t *levels, int width,
                               int height, MeltRule rule);

// The kernels, for checking each one against the reference. Sse2 runs on every
// x86-64 processor, Avx2 only where the processor has it; elsewhere only the
// portable one exists. An unavailable kernel falls back to the portable one.
enum class MeltKernel { Portable, Sse2, Avx2 };
bool meltKernelAvailable(MeltKernel kernel);
std::int64_t meltPassWith(MeltKernel kernel, const MeltImages &images, std::int32_t *levels,
                          int width, int height, MeltRule rule);
