// What a stroke of a finger or the mouse costs a step at 640 x 480: the
// game's step without a camera frame with a stroke beside the same step
// without one (the difference is the stroke's cost), and the stroke's
// rasterization and clearing alone.
#include "bench/benchmarks.h"

#include "assets/image_catalogue.h"
#include "bridge/qt_bridge.h"
#include "core/game.h"
#include "core/wipe_mask.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// A typical pointer move between two events, and a fast stroke corner to
// corner across the whole picture.
struct Segment
{
    const char *name;
    Point from, to;
};
constexpr Segment kShort{"short", {300, 200}, {320, 212}};
constexpr Segment kLong{"long", {0, 0}, {640, 480}};

Game makeGame(const ImageCatalogue &catalogue)
{
    return Game(
        ImageCatalogue::kPictureCount,
        [&catalogue](int number) {
            return Picture{imageFromQImage(catalogue.image(ImageCatalogue::photoName(number))),
                           imageFromQImage(catalogue.image(ImageCatalogue::iceName(number)))};
        },
        toSize(catalogue.image(QStringLiteral("congratulations")).size()), Size{640, 480});
}

// The step a timer runs when no camera delivers, with no stroke: the floor.
void stepWithoutFrameBenchmark(benchmark::State &state)
{
    const ImageCatalogue catalogue;
    Game game = makeGame(catalogue);
    game.stepWithoutFrame();
    for (auto _ : state) {
        benchmark::DoNotOptimize(game.stepWithoutFrame());
        benchmark::ClobberMemory();
    }
}

void strokeStepBenchmark(benchmark::State &state, Segment segment)
{
    const ImageCatalogue catalogue;
    Game game = makeGame(catalogue);
    game.stepWithoutFrame();
    for (auto _ : state) {
        game.addStroke(segment.from, segment.to);
        benchmark::DoNotOptimize(game.stepWithoutFrame());
        benchmark::ClobberMemory();
    }
}

void wipeMaskBenchmark(benchmark::State &state, Segment segment)
{
    WipeMask mask;
    mask.resize({640, 480});
    for (auto _ : state) {
        mask.addSegment(segment.from, segment.to, 12.0);
        benchmark::DoNotOptimize(mask.bits());
        mask.clear();
        benchmark::ClobberMemory();
    }
}

} // namespace

void registerStrokeBenchmarks()
{
    benchmark::RegisterBenchmark("StepWithoutFrame/640x480", stepWithoutFrameBenchmark)->Unit(benchmark::kMicrosecond);
    for (const Segment &segment : {kShort, kLong}) {
        benchmark::RegisterBenchmark((std::string("StrokeStep/640x480/") + segment.name).c_str(), strokeStepBenchmark,
                                     segment)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((std::string("WipeMaskSegment/640x480/") + segment.name).c_str(),
                                     wipeMaskBenchmark, segment)
            ->Unit(benchmark::kMicrosecond);
    }
}
