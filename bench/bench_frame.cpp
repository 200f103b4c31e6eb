// Per-frame costs outside the melt pass: frame conversion beside the bare
// libyuv call it wraps, and the whole frame step drawing at 1920 x 1080.
#include "bench/benchmarks.h"

#include "assets/image_catalogue.h"
#include "bridge/qt_bridge.h"
#include "camera/frame_conversion.h"
#include "camera/frame_fitter.h"
#include "core/game.h"
#include "render/scene_renderer.h"

#include <QRandomGenerator>

#include <benchmark/benchmark.h>
#include <libyuv/convert_argb.h>

#include <vector>

namespace {

void frameConversionBenchmark(benchmark::State &state, int w, int h)
{
    std::vector<std::uint8_t> yuyv(std::size_t(w) * std::size_t(h) * 2);
    QRandomGenerator random(7);
    for (auto &byte : yuyv)
        byte = std::uint8_t(random.generate());
    FramePlanes planes;
    planes.data[0] = yuyv.data();
    planes.stride[0] = std::ptrdiff_t(w) * 2;
    planes.size[0] = std::ptrdiff_t(yuyv.size());
    std::vector<std::uint32_t> out(std::size_t(w) * std::size_t(h));
    for (auto _ : state) {
        benchmark::DoNotOptimize(convertFrame(FramePixelFormat::YUYV, planes, w, h, {},
                                              reinterpret_cast<std::uint8_t *>(out.data()), w * 4));
        benchmark::ClobberMemory();
    }
}

// The game's work for one camera frame: a YUYV frame in memory converted as
// the Qt camera does, the game step, and the render into a 1920 x 1080
// window image, as the picture view does into the window's pixels.
void frameStepBenchmark(benchmark::State &state, int frameWidth, int frameHeight)
{
    const ImageCatalogue catalogue;
    const QImage banner = catalogue.image(QStringLiteral("congratulations"));
    Game game(
        ImageCatalogue::kPictureCount,
        [&catalogue](int number) {
            return Picture{imageFromQImage(catalogue.image(ImageCatalogue::photoName(number))),
                           imageFromQImage(catalogue.image(ImageCatalogue::iceName(number)))};
        },
        toSize(banner.size()), Size{1920, 1080});
    SceneRenderer renderer(imageFromQImage(banner));
    FrameFitter fitter;

    std::vector<std::uint8_t> yuyv(std::size_t(frameWidth) * std::size_t(frameHeight) * 2);
    FramePlanes planes;
    planes.data[0] = yuyv.data();
    planes.stride[0] = std::ptrdiff_t(frameWidth) * 2;
    planes.size[0] = std::ptrdiff_t(yuyv.size());
    const auto reseed = [&yuyv](quint32 seed) {
        QRandomGenerator random(seed);
        for (auto &byte : yuyv)
            byte = std::uint8_t(random.generate());
    };
    Image frame;
    const Size frameSize{frameWidth, frameHeight};
    const auto takeFrame = [&] {
        frame.ensureSize(frameSize);
        return convertFrame(FramePixelFormat::YUYV, planes, frameWidth, frameHeight, {}, frame.bits(), frame.stride());
    };
    // As the window does: fitted to the picture, mirrored for a front camera.
    const auto step = [&] { return game.step(fitter.fit(frame, game.pictureSize(), true), frameSize); };

    QImage window(1920, 1080, QImage::Format_RGB32);
    const ImageView windowPixels{window.bits(), window.width(), window.height(), window.bytesPerLine()};
    reseed(1);
    takeFrame();
    step(); // the first frame after a reset
    renderer.render(game, windowPixels, 0, 0, {0, 0, 1920, 1080});
    quint32 seed = 2;
    for (auto _ : state) {
        state.PauseTiming();
        reseed(seed++); // a new noisy frame: everything moves
        state.ResumeTiming();
        takeFrame();
        // As the window does: only what the frame changed is painted again.
        const Rect changed = step();
        renderer.render(game, windowPixels, 0, 0, changed);
        benchmark::ClobberMemory();
    }
}

void bareLibyuvBenchmark(benchmark::State &state, int w, int h)
{
    std::vector<std::uint8_t> yuyv(std::size_t(w) * std::size_t(h) * 2);
    QRandomGenerator random(7);
    for (auto &byte : yuyv)
        byte = std::uint8_t(random.generate());
    std::vector<std::uint32_t> out(std::size_t(w) * std::size_t(h));
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            libyuv::YUY2ToARGB(yuyv.data(), w * 2, reinterpret_cast<std::uint8_t *>(out.data()), w * 4, w, h));
        benchmark::ClobberMemory();
    }
}

} // namespace

void registerFrameBenchmarks()
{
    for (const auto &[w, h] : {std::pair{640, 480}, std::pair{1280, 720}}) {
        const std::string size = std::to_string(w) + "x" + std::to_string(h);
        benchmark::RegisterBenchmark(("FrameConversion/YUYV/" + size).c_str(), frameConversionBenchmark, w, h)
            ->Unit(benchmark::kMicrosecond);
        // What our conversion wraps, alone: the floor for the one above.
        benchmark::RegisterBenchmark(("LibyuvYUY2ToARGB/" + size).c_str(), bareLibyuvBenchmark, w, h)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("FrameStep/" + size + "_in_1920x1080").c_str(), frameStepBenchmark, w, h)
            ->Unit(benchmark::kMillisecond)
            ->MeasureProcessCPUTime() // Qt may spread smooth scaling over threads
            ->UseRealTime();
    }
}
