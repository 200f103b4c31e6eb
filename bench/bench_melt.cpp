// The melt pass against a kernel that only streams the same bytes, both
// dispatched by Highway so they run with the same vector width.
#include "core/melt_pass.h"

#include <cstddef>
#include <cstdint>

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "bench/bench_melt.cpp"
#include <hwy/foreach_target.h> // must come before highway.h

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace frostpane_bench {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// Reads the four images and the levels, writes the levels and the window:
// the same bytes as the melt pass with next to no arithmetic.
void StreamSameBytes(const std::uint32_t *HWY_RESTRICT camera, const std::uint32_t *HWY_RESTRICT previous,
                     const std::uint32_t *HWY_RESTRICT photo, const std::uint32_t *HWY_RESTRICT ice,
                     std::uint32_t *HWY_RESTRICT window, std::int32_t *HWY_RESTRICT levels, std::size_t count)
{
    const hn::ScalableTag<std::uint32_t> du;
    const hn::RebindToSigned<decltype(du)> di;
    const std::size_t lanes = hn::Lanes(du);
    const auto one = hn::Set(du, 1u);
    std::size_t i = 0;
    for (; i + lanes <= count; i += lanes) {
        const auto s = hn::Xor(hn::Xor(hn::LoadU(du, camera + i), hn::LoadU(du, previous + i)),
                               hn::Xor(hn::LoadU(du, photo + i), hn::LoadU(du, ice + i)));
        hn::StoreU(s, du, window + i);
        hn::StoreU(hn::Add(hn::LoadU(di, levels + i), hn::BitCast(di, hn::And(s, one))), di, levels + i);
    }
    for (; i < count; ++i) {
        const std::uint32_t s = camera[i] ^ previous[i] ^ photo[i] ^ ice[i];
        window[i] = s;
        levels[i] += std::int32_t(s & 1u);
    }
}

} // namespace HWY_NAMESPACE
} // namespace frostpane_bench
HWY_AFTER_NAMESPACE();

#if HWY_ONCE

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

namespace frostpane_bench {
HWY_EXPORT(StreamSameBytes);
} // namespace frostpane_bench

#include "bench/benchmarks.h"

namespace {

// Where the planes lie relative to each other. Both kernels get the same
// placement, so the floor is a floor for the pass beside it.
enum class Placement {
    // Each plane starts at its own offset within a 4 KB page (and on a cache
    // line), as buffers carved from one heap usually do.
    Staggered,
    // Every plane starts at the same offset within a page, as separate fresh
    // mappings do (glibc maps every allocation above its mmap threshold on
    // its own, 16 bytes into a page). The seven streams then fall into the
    // same L1 sets, and each store to the levels aliases the loads of the
    // same pixel's ice and photo in the processor's 4 KB store-to-load check.
    SamePageOffset,
};

// The six planes in one allocation, placed as asked, filled with noise.
struct Planes
{
    static constexpr std::size_t kPageWords = 4096 / 4;
    static constexpr std::size_t kLineWords = 64 / 4;

    Planes(int w, int h, Placement placement)
        : width(w)
        , height(h)
    {
        const std::size_t count = std::size_t(w) * std::size_t(h);
        // Each plane gets whole pages of its own plus one page to shift in.
        const std::size_t span = (count + kPageWords - 1) / kPageWords * kPageWords + kPageWords;
        arena.resize(span * 6 + kPageWords);
        // The arena's first page boundary: placements are relative to pages.
        const auto address = reinterpret_cast<std::uintptr_t>(arena.data());
        const std::size_t first = (kPageWords - address / 4 % kPageWords) % kPageWords;
        std::uint32_t *planes[6];
        for (std::size_t k = 0; k < 6; ++k) {
            // Staggered: 9 cache lines apart, so no two planes share an L1 set
            // at the same pixel; the same page offset: all on a page boundary.
            const std::size_t shift = placement == Placement::Staggered ? k * 9 * kLineWords : 0;
            planes[k] = arena.data() + first + k * span + shift;
        }
        camera = planes[0];
        previous = planes[1];
        photo = planes[2];
        ice = planes[3];
        window = planes[4];
        levels = reinterpret_cast<std::int32_t *>(planes[5]);
        std::mt19937 random(42);
        for (std::uint32_t *plane : {camera, previous, photo, ice, window})
            for (std::size_t i = 0; i < count; ++i)
                plane[i] = std::uint32_t(random()) | 0xFF000000u;
        std::uniform_int_distribution<std::int32_t> level(0, kMaxMeltLevel);
        for (std::size_t i = 0; i < count; ++i)
            levels[i] = level(random);
    }
    MeltImages images() const
    {
        const std::ptrdiff_t stride = std::ptrdiff_t(width) * 4;
        const auto bytes = [](const std::uint32_t *plane) { return reinterpret_cast<const std::uint8_t *>(plane); };
        return {bytes(camera), bytes(previous), bytes(photo), bytes(ice), reinterpret_cast<std::uint8_t *>(window),
                stride,        stride,          stride,       stride,     stride};
    }
    std::size_t count() const { return std::size_t(width) * std::size_t(height); }

    int width, height;
    std::vector<std::uint32_t> arena;
    std::uint32_t *camera, *previous, *photo, *ice, *window;
    std::int32_t *levels;
};

void meltPassBenchmark(benchmark::State &state, int w, int h, Placement placement)
{
    Planes p(w, h, placement);
    for (auto _ : state) {
        benchmark::DoNotOptimize(meltPass(p.images(), p.levels, w, h, {20, 10}));
        std::swap(p.camera, p.previous); // noise: every frame moves
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(w) * h * 4 * 7);
}

void bandwidthFloorBenchmark(benchmark::State &state, int w, int h, Placement placement)
{
    Planes p(w, h, placement);
    for (auto _ : state) {
        HWY_DYNAMIC_DISPATCH(frostpane_bench::StreamSameBytes)
        (p.camera, p.previous, p.photo, p.ice, p.window, p.levels, p.count());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(w) * h * 4 * 7);
}

} // namespace

void registerMeltBenchmarks()
{
    // Both kernels go through the same dispatcher, so this is the target of both.
    benchmark::AddCustomContext("melt_target", meltPassTargetName());
    for (const auto &[w, h] : {std::pair{640, 480}, std::pair{1280, 720}}) {
        const std::string size = std::to_string(w) + "x" + std::to_string(h);
        benchmark::RegisterBenchmark(("MeltPass/" + size).c_str(), meltPassBenchmark, w, h, Placement::Staggered)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("BandwidthFloor/" + size).c_str(), bandwidthFloorBenchmark, w, h,
                                     Placement::Staggered)
            ->Unit(benchmark::kMicrosecond);
    }
    // Both kernels with every plane at the same page offset: what the first
    // MeltPass/1280x720 used to get by chance of the allocator.
    benchmark::RegisterBenchmark("MeltPass/1280x720/same_page_offset", meltPassBenchmark, 1280, 720,
                                 Placement::SamePageOffset)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BandwidthFloor/1280x720/same_page_offset", bandwidthFloorBenchmark, 1280, 720,
                                 Placement::SamePageOffset)
        ->Unit(benchmark::kMicrosecond);
}

#endif // HWY_ONCE
