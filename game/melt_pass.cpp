#include "game/melt_pass.h"

#include <cstdlib>
#include <cstring>

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

// One row, written so that GCC turns it into straight-line vector code: no
// branches, every lane does the same work. Cloned for AVX2 and picked at run
// time, so the program still runs on any x86-64.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_ADDRESS__)
__attribute__((target_clones("avx2", "default")))
#endif
std::int32_t meltRow(const std::uint32_t *__restrict camera, const std::uint32_t *__restrict previous,
                     const std::uint32_t *__restrict photo, const std::uint32_t *__restrict ice,
                     std::uint32_t *__restrict window, std::int32_t *__restrict levels, int width,
                     std::int32_t sensitivity, std::int32_t speed)
{
    std::int32_t frozen = 0;
    for (int x = 0; x < width; ++x) {
        const std::uint32_t c = camera[x];
        const std::uint32_t p = previous[x];
        const std::int32_t dr = std::int32_t((c >> 16) & 0xFFu) - std::int32_t((p >> 16) & 0xFFu);
        const std::int32_t dg = std::int32_t((c >> 8) & 0xFFu) - std::int32_t((p >> 8) & 0xFFu);
        const std::int32_t db = std::int32_t(c & 0xFFu) - std::int32_t(p & 0xFFu);
        const std::int32_t d = (dr < 0 ? -dr : dr) + (dg < 0 ? -dg : dg) + (db < 0 ? -db : db);

        std::int32_t level = levels[x];
        level = level > speed ? level - speed : level;
        const std::int32_t wiped = level + d;
        const std::int32_t capped = wiped > kMaxMeltLevel ? kMaxMeltLevel : wiped;
        level = d > sensitivity ? capped : level;
        levels[x] = level;

        const bool isFrozen = level < kCleanMeltLevel;
        frozen += isFrozen ? 1 : 0;
        window[x] = isFrozen ? ice[x] : photo[x];
    }
    return frozen;
}

} // namespace

std::int64_t meltPass(const MeltImages &images, std::int32_t *levels, int width, int height,
                      MeltRule rule)
{
    std::int64_t frozen = 0;
    for (int y = 0; y < height; ++y) {
        // QImage rows are 4-byte aligned, so each row is an array of words.
        const auto row = [y](const std::uint8_t *base, std::ptrdiff_t stride) {
            return reinterpret_cast<const std::uint32_t *>(base + stride * y);
        };
        auto *windowRow = reinterpret_cast<std::uint32_t *>(images.window + images.windowStride * y);
        frozen += meltRow(row(images.camera, images.cameraStride),
                          row(images.previous, images.previousStride),
                          row(images.photo, images.photoStride), row(images.ice, images.iceStride),
                          windowRow, levels + std::ptrdiff_t(y) * width, width,
                          rule.cameraSensitivity, rule.freezingSpeed);
    }
    return frozen;
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
