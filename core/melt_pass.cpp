#include "core/melt_pass.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace {

inline std::uint32_t load(const std::uint8_t *row, int x)
{
    std::uint32_t word;
    std::memcpy(&word, row + std::ptrdiff_t(x) * 4, sizeof word);
    return word;
}

inline std::int32_t channel(std::uint32_t pixel, int shift)
{
    return std::int32_t((pixel >> shift) & 0xFFu);
}

// One row in plain C++: the portable version, and the tail of the vector ones.
std::int32_t meltRowScalar(const std::uint32_t *camera, const std::uint32_t *previous,
                           const std::uint32_t *photo, const std::uint32_t *ice,
                           std::uint32_t *window, std::int32_t *levels, int from, int width,
                           std::int32_t sensitivity, std::int32_t speed)
{
    std::int32_t frozen = 0;
    for (int x = from; x < width; ++x) {
        const std::uint32_t c = camera[x];
        const std::uint32_t p = previous[x];
        const std::int32_t d = std::abs(channel(c, 16) - channel(p, 16))
                               + std::abs(channel(c, 8) - channel(p, 8))
                               + std::abs(channel(c, 0) - channel(p, 0));
        std::int32_t level = levels[x];
        if (level > speed)
            level -= speed;
        if (d > sensitivity)
            level = std::min(level + d, kMaxMeltLevel);
        levels[x] = level;
        const bool isFrozen = level < kCleanMeltLevel;
        frozen += isFrozen ? 1 : 0;
        window[x] = isFrozen ? ice[x] : photo[x];
    }
    return frozen;
}

#if defined(__x86_64__) && defined(__GNUC__)
#define FROSTPANE_X86_VECTORS 1

// The same rule on whole registers of pixels. Every x86-64 processor has
// SSE2 (4 pixels at a time); AVX2 (8 at a time) is used where the processor
// has it, chosen at run time. The byte-wise absolute difference comes from
// two saturating subtractions; the three channel differences are then summed
// in two steps, red with green-and-blue.
#define FROSTPANE_MELT_ROW(NAME, ATTRIBUTE, VEC, LANES, LOAD, STORE, SET1, AND, ANDNOT, OR, ADD,  \
                           SUB, SUBS_EPU8, SRLI, CMPGT)                                            \
    ATTRIBUTE std::int32_t NAME(const std::uint32_t *camera, const std::uint32_t *previous,         \
                                const std::uint32_t *photo, const std::uint32_t *ice,               \
                                std::uint32_t *window, std::int32_t *levels, int width,             \
                                std::int32_t sensitivity, std::int32_t speed)                       \
    {                                                                                              \
        const VEC colorMask = SET1(0x00FFFFFF);                                                   \
        const VEC pairMask = SET1(0x00FF00FF);                                                     \
        const VEC lowHalf = SET1(0x0000FFFF);                                                      \
        const VEC speedV = SET1(speed);                                                            \
        const VEC sensitivityV = SET1(sensitivity);                                                \
        const VEC maxLevel = SET1(kMaxMeltLevel);                                                  \
        const VEC cleanBelow = SET1(kCleanMeltLevel);                                              \
        VEC frozenLanes = SET1(0);                                                                 \
        int x = 0;                                                                                 \
        for (; x + LANES <= width; x += LANES) {                                                   \
            const VEC c = LOAD(reinterpret_cast<const VEC *>(camera + x));                         \
            const VEC p = LOAD(reinterpret_cast<const VEC *>(previous + x));                       \
            const VEC diff = AND(OR(SUBS_EPU8(c, p), SUBS_EPU8(p, c)), colorMask);                \
            const VEC pairs = ADD(AND(diff, pairMask), AND(SRLI(diff, 8), pairMask));              \
            const VEC d = ADD(AND(pairs, lowHalf), SRLI(pairs, 16));                               \
                                                                                                   \
            VEC level = LOAD(reinterpret_cast<const VEC *>(levels + x));                           \
            level = SUB(level, AND(CMPGT(level, speedV), speedV));                                 \
            const VEC wiped = ADD(level, d);                                                       \
            const VEC over = CMPGT(wiped, maxLevel);                                               \
            const VEC capped = OR(AND(over, maxLevel), ANDNOT(over, wiped));                       \
            const VEC moved = CMPGT(d, sensitivityV);                                              \
            level = OR(AND(moved, capped), ANDNOT(moved, level));                                  \
            STORE(reinterpret_cast<VEC *>(levels + x), level);                                     \
                                                                                                   \
            const VEC frozen = CMPGT(cleanBelow, level);                                           \
            frozenLanes = SUB(frozenLanes, frozen);                                                \
            const VEC out = OR(AND(frozen, LOAD(reinterpret_cast<const VEC *>(ice + x))),          \
                               ANDNOT(frozen, LOAD(reinterpret_cast<const VEC *>(photo + x))));    \
            STORE(reinterpret_cast<VEC *>(window + x), out);                                       \
        }                                                                                          \
        alignas(32) std::int32_t lanes[LANES];                                                     \
        STORE(reinterpret_cast<VEC *>(lanes), frozenLanes);                                        \
        std::int32_t frozenCount = 0;                                                              \
        for (int i = 0; i < LANES; ++i)                                                            \
            frozenCount += lanes[i];                                                               \
        return frozenCount                                                                         \
               + meltRowScalar(camera, previous, photo, ice, window, levels, x, width,             \
                               sensitivity, speed);                                                \
    }

FROSTPANE_MELT_ROW(meltRowSse2, , __m128i, 4, _mm_loadu_si128, _mm_storeu_si128, _mm_set1_epi32,
                   _mm_and_si128, _mm_andnot_si128, _mm_or_si128, _mm_add_epi32, _mm_sub_epi32,
                   _mm_subs_epu8, _mm_srli_epi32, _mm_cmpgt_epi32)
#undef FROSTPANE_MELT_ROW

// AVX2 has what SSE2 lacks: byte multiply-adds sum the three channel
// differences in two steps, and min and blend replace the mask arithmetic.
__attribute__((target("avx2"))) std::int32_t
meltRowAvx2(const std::uint32_t *camera, const std::uint32_t *previous, const std::uint32_t *photo,
            const std::uint32_t *ice, std::uint32_t *window, std::int32_t *levels, int width,
            std::int32_t sensitivity, std::int32_t speed)
{
    // Weights per byte B, G, R, A: the color counts, alpha does not.
    const __m256i channelWeights = _mm256_set1_epi32(0x00010101);
    const __m256i ones16 = _mm256_set1_epi16(1);
    const __m256i speedV = _mm256_set1_epi32(speed);
    const __m256i sensitivityV = _mm256_set1_epi32(sensitivity);
    const __m256i maxLevel = _mm256_set1_epi32(kMaxMeltLevel);
    const __m256i cleanBelow = _mm256_set1_epi32(kCleanMeltLevel);
    __m256i frozenLanes = _mm256_setzero_si256();
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(camera + x));
        const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(previous + x));
        const __m256i diff = _mm256_or_si256(_mm256_subs_epu8(c, p), _mm256_subs_epu8(p, c));
        // Bytes times 0/1 summed in pairs, then the pairs summed: B + G + R.
        const __m256i d = _mm256_madd_epi16(_mm256_maddubs_epi16(diff, channelWeights), ones16);

        __m256i level = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(levels + x));
        level = _mm256_sub_epi32(level, _mm256_and_si256(_mm256_cmpgt_epi32(level, speedV), speedV));
        const __m256i wiped = _mm256_min_epi32(_mm256_add_epi32(level, d), maxLevel);
        level = _mm256_blendv_epi8(level, wiped, _mm256_cmpgt_epi32(d, sensitivityV));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(levels + x), level);

        const __m256i frozen = _mm256_cmpgt_epi32(cleanBelow, level);
        frozenLanes = _mm256_sub_epi32(frozenLanes, frozen);
        const __m256i out =
            _mm256_blendv_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(photo + x)),
                               _mm256_loadu_si256(reinterpret_cast<const __m256i *>(ice + x)), frozen);
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(window + x), out);
    }
    alignas(32) std::int32_t lanes[8];
    _mm256_store_si256(reinterpret_cast<__m256i *>(lanes), frozenLanes);
    std::int32_t frozenCount = 0;
    for (std::int32_t lane : lanes)
        frozenCount += lane;
    return frozenCount
           + meltRowScalar(camera, previous, photo, ice, window, levels, x, width, sensitivity, speed);
}

#endif

using MeltRowFunction = std::int32_t (*)(const std::uint32_t *, const std::uint32_t *,
                                         const std::uint32_t *, const std::uint32_t *,
                                         std::uint32_t *, std::int32_t *, int, std::int32_t,
                                         std::int32_t);

std::int32_t meltRowPortable(const std::uint32_t *camera, const std::uint32_t *previous,
                             const std::uint32_t *photo, const std::uint32_t *ice,
                             std::uint32_t *window, std::int32_t *levels, int width,
                             std::int32_t sensitivity, std::int32_t speed)
{
    return meltRowScalar(camera, previous, photo, ice, window, levels, 0, width, sensitivity, speed);
}

MeltRowFunction meltRowFor(MeltKernel kernel)
{
    switch (kernel) {
#ifdef FROSTPANE_X86_VECTORS
    case MeltKernel::Sse2:
        return meltRowSse2;
    case MeltKernel::Avx2:
        return meltRowAvx2;
#endif
    default:
        return meltRowPortable;
    }
}

std::int64_t runMeltPass(MeltRowFunction row, const MeltImages &images, std::int32_t *levels,
                         int width, int height, MeltRule rule)
{
    std::int64_t frozen = 0;
    for (int y = 0; y < height; ++y) {
        // QImage rows are 4-byte aligned, so each row is an array of words.
        const auto rowOf = [y](const std::uint8_t *base, std::ptrdiff_t stride) {
            return reinterpret_cast<const std::uint32_t *>(base + stride * y);
        };
        auto *windowRow = reinterpret_cast<std::uint32_t *>(images.window + images.windowStride * y);
        frozen += row(rowOf(images.camera, images.cameraStride),
                      rowOf(images.previous, images.previousStride),
                      rowOf(images.photo, images.photoStride), rowOf(images.ice, images.iceStride),
                      windowRow, levels + std::ptrdiff_t(y) * width, width,
                      rule.cameraSensitivity, rule.freezingSpeed);
    }
    return frozen;
}

} // namespace

bool meltKernelAvailable(MeltKernel kernel)
{
    switch (kernel) {
    case MeltKernel::Portable:
        return true;
#ifdef FROSTPANE_X86_VECTORS
    case MeltKernel::Sse2:
        return true;
    case MeltKernel::Avx2:
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2");
#endif
    default:
        return false;
    }
}

std::int64_t meltPassWith(MeltKernel kernel, const MeltImages &images, std::int32_t *levels,
                          int width, int height, MeltRule rule)
{
    if (!meltKernelAvailable(kernel))
        kernel = MeltKernel::Portable;
    return runMeltPass(meltRowFor(kernel), images, levels, width, height, rule);
}

std::int64_t meltPass(const MeltImages &images, std::int32_t *levels, int width, int height,
                      MeltRule rule)
{
    static const MeltRowFunction best = meltRowFor(
        meltKernelAvailable(MeltKernel::Avx2) ? MeltKernel::Avx2
        : meltKernelAvailable(MeltKernel::Sse2) ? MeltKernel::Sse2
                                                : MeltKernel::Portable);
    return runMeltPass(best, images, levels, width, height, rule);
}

std::int64_t meltPassReference(const MeltImages &images, std::int32_t *levels, int width,
                               int height, MeltRule rule)
{
    std::int64_t frozen = 0;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t *cameraRow = images.camera + images.cameraStride * y;
        const std::uint8_t *previousRow = images.previous + images.previousStride * y;
        const std::uint8_t *photoRow = images.photo + images.photoStride * y;
        const std::uint8_t *iceRow = images.ice + images.iceStride * y;
        std::uint8_t *windowRow = images.window + images.windowStride * y;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t cur = load(cameraRow, x);
            const std::uint32_t prev = load(previousRow, x);
            const std::int32_t d = std::abs(channel(cur, 16) - channel(prev, 16))
                                   + std::abs(channel(cur, 8) - channel(prev, 8))
                                   + std::abs(channel(cur, 0) - channel(prev, 0));
            std::int32_t &level = levels[std::ptrdiff_t(y) * width + x];
            if (level > rule.freezingSpeed)
                level -= rule.freezingSpeed;
            if (d > rule.cameraSensitivity) {
                level += d;
                if (level > kMaxMeltLevel)
                    level = kMaxMeltLevel;
            }
            const std::uint32_t out = level < kCleanMeltLevel ? load(iceRow, x) : load(photoRow, x);
            if (level < kCleanMeltLevel)
                ++frozen;
            std::memcpy(windowRow + std::ptrdiff_t(x) * 4, &out, sizeof out);
        }
    }
    return frozen;
}
