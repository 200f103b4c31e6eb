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

struct Planes
{
    Planes(int w, int h)
        : width(w)
        , height(h)
    {
        std::mt19937 random(42);
        for (auto *plane : {&camera, &previous, &photo, &ice, &window}) {
            plane->resize(std::size_t(w) * std::size_t(h));
            for (auto &word : *plane)
                word = std::uint32_t(random()) | 0xFF000000u;
        }
        std::uniform_int_distribution<std::int32_t> level(0, kMaxMeltLevel);
        levels.resize(std::size_t(w) * std::size_t(h));
        for (auto &l : levels)
            l = level(random);
    }
    MeltImages images()
    {
        const std::ptrdiff_t stride = std::ptrdiff_t(width) * 4;
        const auto bytes = [](const std::vector<std::uint32_t> &v) {
            return reinterpret_cast<const std::uint8_t *>(v.data());
        };
        return {
            bytes(camera), bytes(previous), bytes(photo), bytes(ice), reinterpret_cast<std::uint8_t *>(window.data()),
            stride,        stride,          stride,       stride,     stride};
    }
    int width, height;
    std::vector<std::uint32_t> camera, previous, photo, ice, window;
    std::vector<std::int32_t> levels;
};

void meltPassBenchmark(benchmark::State &state, int w, int h)
{
    Planes p(w, h);
    for (auto _ : state) {
        benchmark::DoNotOptimize(meltPass(p.images(), p.levels.data(), w, h, {20, 10}));
        std::swap(p.camera, p.previous); // noise: every frame moves
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(w) * h * 4 * 7);
}

void bandwidthFloorBenchmark(benchmark::State &state, int w, int h)
{
    Planes p(w, h);
    for (auto _ : state) {
        HWY_DYNAMIC_DISPATCH(frostpane_bench::StreamSameBytes)
        (p.camera.data(), p.previous.data(), p.photo.data(), p.ice.data(), p.window.data(), p.levels.data(),
         p.levels.size());
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
        benchmark::RegisterBenchmark(("MeltPass/" + size).c_str(), meltPassBenchmark, w, h)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("BandwidthFloor/" + size).c_str(), bandwidthFloorBenchmark, w, h)
            ->Unit(benchmark::kMicrosecond);
    }
}

#endif // HWY_ONCE
