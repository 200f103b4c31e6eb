// The melt rule on SIMD vectors, written once and compiled for every Highway
// target (included once per target from melt_pass.cpp via foreach_target.h;
// other per-target code may include it the same way to inline the row).

// Per-target include guard: toggled by foreach_target.h between targets.
#if defined(FROSTPANE_CORE_MELT_PASS_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef FROSTPANE_CORE_MELT_PASS_INL_H_
#undef FROSTPANE_CORE_MELT_PASS_INL_H_
#else
#define FROSTPANE_CORE_MELT_PASS_INL_H_
#endif

#include "core/melt_pass.h"

#include <hwy/highway.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

HWY_BEFORE_NAMESPACE();
namespace frostpane {
namespace HWY_NAMESPACE {

namespace hn = hwy::HWY_NAMESPACE;

// One row of every image, as byte pointers: rows may start at any byte, so
// pixels are only ever loaded and stored unaligned through these.
struct MeltRowPointers
{
    const std::uint8_t *camera;
    const std::uint8_t *previous;
    const std::uint8_t *photo;
    const std::uint8_t *ice;
    std::uint8_t *window;
    std::int32_t *levels;
    const std::uint8_t *wipe; // null: no mask on this row
};

#if HWY_TARGET == HWY_SCALAR
// The scalar target has one 32-bit lane and no byte view of it: pixels go
// through memcpy and the channels are taken apart with shifts, as in the
// reference.
template <class D> HWY_INLINE hn::Vec<D> LoadPixels(D di, const std::uint8_t *pixels)
{
    std::uint32_t word;
    std::memcpy(&word, pixels, sizeof word);
    return hn::Set(di, std::int32_t(word));
}

template <class D> HWY_INLINE void StorePixels(hn::Vec<D> v, D /* di */, std::uint8_t *pixels)
{
    const std::uint32_t word = std::uint32_t(hn::GetLane(v));
    std::memcpy(pixels, &word, sizeof word);
}

template <class D> HWY_INLINE hn::Vec<D> ColorChange(D di, const std::uint8_t *camera, const std::uint8_t *previous)
{
    std::uint32_t c, p;
    std::memcpy(&c, camera, sizeof c);
    std::memcpy(&p, previous, sizeof p);
    std::int32_t change = 0;
    for (const int shift : {0, 8, 16})
        change += std::abs(std::int32_t((c >> shift) & 0xFFu) - std::int32_t((p >> shift) & 0xFFu));
    return hn::Set(di, change);
}

template <class D> HWY_INLINE hn::Vec<D> LoadWipe(D di, const std::uint8_t *wipe)
{
    return hn::Set(di, std::int32_t(*wipe));
}
#else
// Pixels are loaded and stored as bytes, so no pointer is ever cast to a
// wider type; BitCast then reinterprets the register. (Highway's SIMD targets
// are little-endian: bytes blue, green, red, alpha within each 32-bit lane.)
template <class D> HWY_INLINE hn::Vec<D> LoadPixels(D di, const std::uint8_t *pixels)
{
    const hn::Repartition<std::uint8_t, D> du8;
    return hn::BitCast(di, hn::LoadU(du8, pixels));
}

template <class D> HWY_INLINE void StorePixels(hn::Vec<D> v, D /* di */, std::uint8_t *pixels)
{
    const hn::Repartition<std::uint8_t, D> du8;
    hn::StoreU(hn::BitCast(du8, v), du8, pixels);
}

// |red change| + |green change| + |blue change| per pixel.
template <class D> HWY_INLINE hn::Vec<D> ColorChange(D di, const std::uint8_t *camera, const std::uint8_t *previous)
{
    const hn::Repartition<std::uint8_t, D> du8;
    const hn::RebindToUnsigned<D> du32;
    // Byte-wise |camera - previous|: one of the two saturating differences
    // is zero. Then blue + green + red, leaving out alpha (the top byte).
    const auto c = hn::LoadU(du8, camera);
    const auto p = hn::LoadU(du8, previous);
    const auto diff = hn::BitCast(du32, hn::Or(hn::SaturatedSub(c, p), hn::SaturatedSub(p, c)));
    const auto lowByte = hn::Set(du32, 0xFFu);
    const auto blueGreen = hn::Add(hn::And(diff, lowByte), hn::And(hn::ShiftRight<8>(diff), lowByte));
    return hn::BitCast(di, hn::Add(blueGreen, hn::And(hn::ShiftRight<16>(diff), lowByte)));
}

// The mask's bytes of Lanes(di) pixels, one lane each.
template <class D> HWY_INLINE hn::Vec<D> LoadWipe(D di, const std::uint8_t *wipe)
{
    const hn::Rebind<std::uint8_t, D> du8;
    return hn::PromoteTo(di, hn::LoadU(du8, wipe));
}
#endif

// Per-lane counters of a row: frozen pixels and pixels wiped while ice. Each
// lane counts at most width / lanes pixels: no overflow for int widths.
template <class D> struct MeltLaneCounts
{
    hn::Vec<D> frozen;
    hn::Vec<D> wipedIce;
};

// The rule on Lanes(di) pixels starting at pixel x. D is an int32 descriptor:
// the full vector for the body of a row, a one-lane one for its tail, so the
// same code serves both and never touches a pixel past the row's end.
// kMasked: the row has a wipe mask.
template <bool kMasked, class D>
HWY_INLINE void MeltPixels(D di, const MeltRowPointers &row, std::size_t x, hn::Vec<D> sensitivity, hn::Vec<D> speed,
                           MeltLaneCounts<D> &counts)
{
    const std::size_t byteOffset = x * 4;
    const auto maxLevel = hn::Set(di, kMaxMeltLevel);
    const auto cleanLevel = hn::Set(di, kCleanMeltLevel);
    auto change = ColorChange(di, row.camera + byteOffset, row.previous + byteOffset);
    auto fires = hn::Gt(change, sensitivity);
    if constexpr (kMasked) {
        const auto wiped = hn::Ne(LoadWipe(di, row.wipe + x), hn::Zero(di));
        change = hn::IfThenElse(wiped, maxLevel, change);
        fires = hn::Or(fires, wiped);
    }

    auto level = hn::LoadU(di, row.levels + x);
    const auto regrown = hn::Min(hn::Sub(level, speed), hn::Max(level, maxLevel));
    level = hn::IfThenElse(hn::Gt(level, speed), regrown, level);
    const auto wipedIce = hn::And(fires, hn::Lt(level, cleanLevel));
    level = hn::IfThenElse(fires, hn::Min(hn::Add(level, change), maxLevel), level);
    hn::StoreU(level, di, row.levels + x);

    const auto frozen = hn::Lt(level, cleanLevel);
    const auto ice = LoadPixels(di, row.ice + byteOffset);
    const auto photo = LoadPixels(di, row.photo + byteOffset);
    StorePixels(hn::IfThenElse(frozen, ice, photo), di, row.window + byteOffset);
    // True lanes are -1.
    counts.frozen = hn::Sub(counts.frozen, hn::VecFromMask(di, frozen));
    counts.wipedIce = hn::Sub(counts.wipedIce, hn::VecFromMask(di, wipedIce));
}

template <bool kMasked> HWY_INLINE MeltCounts MeltRowWith(const MeltRowPointers &row, std::size_t width, MeltRule rule)
{
    const hn::ScalableTag<std::int32_t> di;
    const std::size_t lanes = hn::Lanes(di);
    const auto sensitivity = hn::Set(di, rule.cameraSensitivity);
    const auto speed = hn::Set(di, rule.freezingSpeed);
    MeltLaneCounts<hn::ScalableTag<std::int32_t>> counts{hn::Zero(di), hn::Zero(di)};
    std::size_t x = 0;
    for (; x + lanes <= width; x += lanes)
        MeltPixels<kMasked>(di, row, x, sensitivity, speed, counts);

    const hn::CappedTag<std::int32_t, 1> d1;
    MeltLaneCounts<hn::CappedTag<std::int32_t, 1>> tail{hn::Zero(d1), hn::Zero(d1)};
    for (; x < width; ++x)
        MeltPixels<kMasked>(d1, row, x, hn::Set(d1, rule.cameraSensitivity), hn::Set(d1, rule.freezingSpeed), tail);
    MeltCounts result;
    result.frozen = std::int64_t(hn::GetLane(hn::SumOfLanes(di, counts.frozen))) + hn::GetLane(tail.frozen);
    result.wipedIce = std::int64_t(hn::GetLane(hn::SumOfLanes(di, counts.wipedIce))) + hn::GetLane(tail.wipedIce);
    return result;
}

// The rule on one row of `width` pixels.
HWY_INLINE MeltCounts MeltRow(const MeltRowPointers &row, std::size_t width, MeltRule rule)
{
    return row.wipe ? MeltRowWith<true>(row, width, rule) : MeltRowWith<false>(row, width, rule);
}

} // namespace HWY_NAMESPACE
} // namespace frostpane
HWY_AFTER_NAMESPACE();

#endif // per-target include guard
