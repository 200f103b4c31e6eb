// The cost of one ice overlay at the picture size: the game makes one for each
// of the user's own photos while it runs, so it must stay well under what a
// child would notice as a wait for the picture to join.
#include "bench/benchmarks.h"

#include "assets/ice/ice_overlay.h"
#include "assets/image_catalogue.h"

#include <benchmark/benchmark.h>

namespace {

void iceOverlayBenchmark(benchmark::State &state)
{
    const ImageCatalogue catalogue;
    const QImage photo = catalogue.image(ImageCatalogue::photoName(1));
    if (photo.size() != QSize(640, 480)) {
        state.SkipWithError("the built-in photograph is not 640 x 480");
        return;
    }
    for (auto _ : state) {
        QImage ice = art::makeIce(photo, 1001);
        benchmark::DoNotOptimize(ice.constBits());
    }
}

} // namespace

void registerIceBenchmarks()
{
    // Wall time: the overlay spreads its work over the processors.
    benchmark::RegisterBenchmark("IceOverlay/640x480", iceOverlayBenchmark)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}
