#include "core/melt_pass.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

// Compiles the rest of this file once per SIMD target Highway builds for
// (foreach_target.h re-includes it), plus once more with HWY_ONCE set for the
// code that exists only once.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "core/melt_pass.cpp"
#include <hwy/foreach_target.h> // must come before highway.h

#include <hwy/highway.h>

#include "core/melt_pass-inl.h"

namespace frostpane {
// Defined once below; each target's pass enrols itself with it.
bool enrolMeltTarget(std::int64_t target, const char *name, MeltPassFunction pass);
} // namespace frostpane

HWY_BEFORE_NAMESPACE();
namespace frostpane {
namespace HWY_NAMESPACE {

MeltCounts MeltPassImpl(const MeltImages &images, std::int32_t *levels, int width, int height, MeltRule rule)
{
    MeltCounts counts;
    if (width <= 0 || height <= 0)
        return counts;
    for (int y = 0; y < height; ++y) {
        const std::ptrdiff_t cells = std::ptrdiff_t(y) * width;
        const MeltRowPointers row{
            images.camera + images.cameraStride * y,    images.previous + images.previousStride * y,
            images.photo + images.photoStride * y,      images.ice + images.iceStride * y,
            images.window + images.windowStride * y,    levels + cells,
            images.wipe ? images.wipe + cells : nullptr};
        const MeltCounts rowCounts = MeltRow(row, std::size_t(width), rule);
        counts.frozen += rowCounts.frozen;
        counts.wipedIce += rowCounts.wipedIce;
    }
    return counts;
}

const char *TargetNameImpl()
{
    return hwy::TargetName(HWY_TARGET);
}

// Static initialisation: makes this target's pass reachable by meltTargets()
// without going through the dispatcher.
[[maybe_unused]] const bool kEnrolled = enrolMeltTarget(HWY_TARGET, hwy::TargetName(HWY_TARGET), &MeltPassImpl);

} // namespace HWY_NAMESPACE
} // namespace frostpane
HWY_AFTER_NAMESPACE();

#if HWY_ONCE

namespace frostpane {

HWY_EXPORT(MeltPassImpl);
HWY_EXPORT(TargetNameImpl);

namespace {

std::vector<MeltTarget> &enrolledTargets()
{
    static std::vector<MeltTarget> targets;
    return targets;
}

} // namespace

bool enrolMeltTarget(std::int64_t target, const char *name, MeltPassFunction pass)
{
    enrolledTargets().push_back({name, target, pass});
    return true;
}

// Called inside the namespace: where a build has a single target (the
// browser's), the dispatch names the function within it directly.
MeltCounts dispatchMeltPass(const MeltImages &images, std::int32_t *levels, int width, int height, MeltRule rule)
{
    return HWY_DYNAMIC_DISPATCH(MeltPassImpl)(images, levels, width, height, rule);
}

const char *dispatchTargetName()
{
    return HWY_DYNAMIC_DISPATCH(TargetNameImpl)();
}

} // namespace frostpane

MeltCounts meltPass(const MeltImages &images, std::int32_t *levels, int width, int height, MeltRule rule)
{
    return frostpane::dispatchMeltPass(images, levels, width, height, rule);
}

const char *meltPassTargetName()
{
    return frostpane::dispatchTargetName();
}

std::vector<MeltTarget> meltTargets()
{
#if defined(__EMSCRIPTEN__)
    // A browser's module is built for one target and dispatches statically.
    const std::int64_t supported = HWY_STATIC_TARGET;
#else
    const std::int64_t supported = hwy::SupportedTargets();
#endif
    std::vector<MeltTarget> result;
    for (const MeltTarget &target : frostpane::enrolledTargets())
        if ((target.target & supported) != 0)
            result.push_back(target);
    // Highway gives better targets the lower bits.
    std::sort(result.begin(), result.end(),
              [](const MeltTarget &a, const MeltTarget &b) { return a.target < b.target; });
    return result;
}

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

} // namespace

MeltCounts meltPassReference(const MeltImages &images, std::int32_t *levels, int width, int height, MeltRule rule)
{
    MeltCounts counts;
    if (width <= 0 || height <= 0)
        return counts;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t *cameraRow = images.camera + images.cameraStride * y;
        const std::uint8_t *previousRow = images.previous + images.previousStride * y;
        const std::uint8_t *photoRow = images.photo + images.photoStride * y;
        const std::uint8_t *iceRow = images.ice + images.iceStride * y;
        std::uint8_t *windowRow = images.window + images.windowStride * y;
        const std::uint8_t *wipeRow = images.wipe ? images.wipe + std::ptrdiff_t(y) * width : nullptr;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t cur = load(cameraRow, x);
            const std::uint32_t prev = load(previousRow, x);
            const bool masked = wipeRow && wipeRow[x] != 0;
            const std::int32_t d = masked ? kMaxMeltLevel
                                          : std::abs(channel(cur, 16) - channel(prev, 16))
                                                + std::abs(channel(cur, 8) - channel(prev, 8))
                                                + std::abs(channel(cur, 0) - channel(prev, 0));
            std::int32_t &level = levels[std::ptrdiff_t(y) * width + x];
            if (level > rule.freezingSpeed)
                level = std::min(level - rule.freezingSpeed, std::max(level, kMaxMeltLevel));
            if (masked || d > rule.cameraSensitivity) {
                if (level < kCleanMeltLevel)
                    ++counts.wipedIce;
                level += d;
                if (level > kMaxMeltLevel)
                    level = kMaxMeltLevel;
            }
            const std::uint32_t out = level < kCleanMeltLevel ? load(iceRow, x) : load(photoRow, x);
            if (level < kCleanMeltLevel)
                ++counts.frozen;
            std::memcpy(windowRow + std::ptrdiff_t(x) * 4, &out, sizeof out);
        }
    }
    return counts;
}

#endif // HWY_ONCE
