// Per-frame costs: the melt pass against a kernel that only streams the same
// bytes, and the whole frame step of the window drawing at 1920 x 1080.
#include "assets/image_catalogue.h"
#include "camera/frame_conversion.h"
#include "core/game.h"
#include "core/melt_pass.h"

#include <QGuiApplication>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

struct Planes
{
    Planes(int w, int h) : width(w), height(h)
    {
        QRandomGenerator random(42);
        for (auto *plane : {&camera, &previous, &photo, &ice, &window}) {
            plane->resize(std::size_t(w) * std::size_t(h));
            for (auto &word : *plane)
                word = random.generate() | 0xFF000000u;
        }
        levels.assign(std::size_t(w) * std::size_t(h), 0);
        for (auto &level : levels)
            level = random.bounded(0, 766);
    }
    MeltImages images()
    {
        const std::ptrdiff_t stride = std::ptrdiff_t(width) * 4;
        const auto bytes = [](const std::vector<std::uint32_t> &v) {
            return reinterpret_cast<const std::uint8_t *>(v.data());
        };
        return {bytes(camera), bytes(previous), bytes(photo), bytes(ice),
                reinterpret_cast<std::uint8_t *>(window.data()), stride, stride, stride, stride, stride};
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

// Reads the four images and the levels, writes the levels and the window:
// the same bytes as the melt pass with next to no arithmetic. Cloned for AVX2
// like the melt pass, so both stream with the same vector width.
#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target_clones("avx2", "default")))
#endif
void streamSameBytes(const std::uint32_t *__restrict c, const std::uint32_t *__restrict q,
                     const std::uint32_t *__restrict ph, const std::uint32_t *__restrict ic,
                     std::uint32_t *__restrict out, std::int32_t *__restrict levels, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t s = c[i] ^ q[i] ^ ph[i] ^ ic[i];
        out[i] = s;
        levels[i] += std::int32_t(s & 1u);
    }
}

void bandwidthFloorBenchmark(benchmark::State &state, int w, int h)
{
    Planes p(w, h);
    for (auto _ : state) {
        streamSameBytes(p.camera.data(), p.previous.data(), p.photo.data(), p.ice.data(),
                        p.window.data(), p.levels.data(), p.levels.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(w) * h * 4 * 7);
}

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
// the Qt camera does, then the game step drawing into a 1920 x 1080 output.
void frameStepBenchmark(benchmark::State &state, int frameWidth, int frameHeight)
{
    const ImageCatalogue catalogue;
    Game game(
        ImageCatalogue::kPictureCount,
        [&catalogue](int number) {
            return Picture{catalogue.image(ImageCatalogue::photoName(number)),
                           catalogue.image(ImageCatalogue::iceName(number))};
        },
        catalogue.image(QStringLiteral("congratulations")), QSize(1920, 1080));

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
    QImage frame;
    const auto takeFrame = [&] {
        if (frame.size() != QSize(frameWidth, frameHeight))
            frame = QImage(frameWidth, frameHeight, QImage::Format_ARGB32_Premultiplied);
        return convertFrame(FramePixelFormat::YUYV, planes, frameWidth, frameHeight, {}, frame.bits(),
                            frame.bytesPerLine());
    };

    reseed(1);
    takeFrame();
    game.step(frame, true); // the first frame after a reset
    quint32 seed = 2;
    for (auto _ : state) {
        state.PauseTiming();
        reseed(seed++); // a new noisy frame: everything moves
        state.ResumeTiming();
        takeFrame();
        benchmark::DoNotOptimize(game.step(frame, true));
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);

    for (const auto &[w, h] : {std::pair{640, 480}, std::pair{1280, 720}}) {
        const std::string size = std::to_string(w) + "x" + std::to_string(h);
        benchmark::RegisterBenchmark(("MeltPass/" + size).c_str(), meltPassBenchmark, w, h)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("BandwidthFloor/" + size).c_str(), bandwidthFloorBenchmark, w, h)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("FrameConversion/YUYV/" + size).c_str(), frameConversionBenchmark, w, h)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("FrameStep/" + size + "_in_1920x1080").c_str(),
                                     frameStepBenchmark, w, h)
            ->Unit(benchmark::kMillisecond)
            ->MeasureProcessCPUTime() // Qt may spread smooth scaling over threads
            ->UseRealTime();
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
