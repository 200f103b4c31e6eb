// Per-frame costs outside the melt pass: frame conversion beside the bare
// libyuv call it wraps, and the whole frame step drawing at 1920 x 1080.
#include "bench/benchmarks.h"

#include "assets/image_catalogue.h"
#include "bridge/qt_bridge.h"
#include "camera/frame_conversion.h"
#include "camera/frame_fitter.h"
#include "core/clock.h"
#include "core/game.h"
#include "core/play_session.h"
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
// the Qt camera does, the session's step, and the render into a 1920 x 1080
// window image, as the picture view does into the window's pixels. The
// noise wins the picture at once; with `waveTarget` the session then shows
// the wave target, counts each frame's motion for it and the render draws
// it (the noise moves everywhere, so it never fills).
void frameStepBenchmark(benchmark::State &state, int frameWidth, int frameHeight, bool waveTarget)
{
    const ImageCatalogue catalogue;
    const QImage banner = catalogue.image(QStringLiteral("congratulations"));
    PlaySession session(
        Clock::system(), ImageCatalogue::kPictureCount,
        [&catalogue](int number) {
            return Picture{imageFromQImage(catalogue.image(ImageCatalogue::photoName(number))),
                           imageFromQImage(catalogue.image(ImageCatalogue::iceName(number)))};
        },
        toSize(banner.size()), Size{1920, 1080});
    session.setWaveTargetDrawn(true);
    session.setWaveToGoOn(waveTarget);
    const Game &game = session.game();
    SceneRenderer renderer(imageFromQImage(banner), imageFromQImage(catalogue.image(QStringLiteral("next_image"))));
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
    const auto step = [&] { return session.stepFrame(fitter.fit(frame, game.pictureSize(), true), frameSize, true); };

    QImage window(1920, 1080, QImage::Format_RGB32);
    const ImageView windowPixels{window.bits(), window.width(), window.height(), window.bytesPerLine()};
    reseed(1);
    takeFrame();
    step(); // the first frame after a reset
    quint32 seed = 2;
    // Noise moves nearly everywhere: a few frames win the picture.
    while (!game.bannerShown() && seed < 30) {
        reseed(seed++);
        takeFrame();
        step();
    }
    if (!game.bannerShown() || session.waveTarget().isShown() != waveTarget)
        state.SkipWithError("the picture is not won, or the wave target is not as asked");
    renderer.render(session, windowPixels, 0, 0, {0, 0, 1920, 1080});
    for (auto _ : state) {
        state.PauseTiming();
        reseed(seed++); // a new noisy frame: everything moves
        state.ResumeTiming();
        takeFrame();
        // As the window does: only what the frame changed is painted again.
        const Rect changed = step();
        renderer.render(session, windowPixels, 0, 0, changed);
        benchmark::ClobberMemory();
    }
}

void waveTargetFillingBenchmark(benchmark::State &state)
{
    const ImageCatalogue catalogue;
    SceneRenderer renderer(imageFromQImage(catalogue.image(QStringLiteral("congratulations"))),
                           imageFromQImage(catalogue.image(QStringLiteral("next_image"))));
    const Game game(
        ImageCatalogue::kPictureCount,
        [&catalogue](int number) {
            return Picture{imageFromQImage(catalogue.image(ImageCatalogue::photoName(number))),
                           imageFromQImage(catalogue.image(ImageCatalogue::iceName(number)))};
        },
        Size{2048, 560}, Size{1920, 1080});
    QImage window(1920, 1080, QImage::Format_RGB32);
    const ImageView windowPixels{window.bits(), window.width(), window.height(), window.bytesPerLine()};
    SceneRenderer::WaveTargetLook look{1554.0, 126.0, 108.0, 0.0};
    const Rect area = SceneRenderer::waveTargetArea(look);
    int frame = 0;
    for (auto _ : state) {
        look.fill = double(frame++ % 30) / 30.0;
        renderer.render(game, windowPixels, 0, 0, area, look);
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
        for (const bool target : {false, true}) {
            const std::string name = "FrameStep/" + size + "_in_1920x1080" + (target ? "_waveTarget" : "");
            benchmark::RegisterBenchmark(name.c_str(), frameStepBenchmark, w, h, target)
                ->Unit(benchmark::kMillisecond)
                ->MeasureProcessCPUTime() // Qt may spread smooth scaling over threads
                ->UseRealTime();
        }
    }
    // The wave target's drawing alone while a child waves: its fill changes
    // every frame, so its ring is made anew each time (1920 x 1080: 108
    // round).
    benchmark::RegisterBenchmark("WaveTargetFilling/1920x1080", waveTargetFillingBenchmark)
        ->Unit(benchmark::kMicrosecond);
}
