// Per-frame costs: the melt pass against a kernel that only streams the same
// bytes, and the whole frame step of the window drawing at 1920 x 1080.
#include "app/frostpane_main_form.h"
#include "camera/frame_conversion.h"
#include "game/melt_pass.h"

#include <QApplication>
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

// A camera that holds one YUYV frame in memory and converts it as the Qt
// camera does.
class MemoryCamera final : public VideoCamera
{
public:
    MemoryCamera(int w, int h) : m_width(w), m_height(h)
    {
        m_yuyv.resize(std::size_t(w) * std::size_t(h) * 2);
        reseed(1);
    }
    void reseed(quint32 seed)
    {
        QRandomGenerator random(seed);
        for (auto &byte : m_yuyv)
            byte = std::uint8_t(random.generate());
    }
    void announce() { Q_EMIT sampleBufferReady(); }

    void setKind(CameraKind) override {}
    CameraKind kind() const override { return CameraKind::Front; }
    void setCaptureSettingPriority(CaptureSettingPriority) override {}
    bool isActive() const override { return m_active; }
    void setActive(bool active) override { m_active = active; }
    QList<VideoCaptureSetting> availableCaptureSettings() const override
    {
        return {{m_width, m_height, 30.0}};
    }
    VideoCaptureSetting captureSetting() const override { return {m_width, m_height, 30.0}; }
    void requestCaptureSetting(const VideoCaptureSetting &) override {}
    bool takeFrame(QImage &target) override
    {
        if (target.size() != QSize(m_width, m_height) || target.format() != QImage::Format_ARGB32_Premultiplied)
            target = QImage(m_width, m_height, QImage::Format_ARGB32_Premultiplied);
        FramePlanes planes;
        planes.data[0] = m_yuyv.data();
        planes.stride[0] = std::ptrdiff_t(m_width) * 2;
        planes.size[0] = std::ptrdiff_t(m_yuyv.size());
        return convertFrame(FramePixelFormat::YUYV, planes, m_width, m_height, {}, target.bits(),
                            target.bytesPerLine());
    }

private:
    int m_width, m_height;
    std::vector<std::uint8_t> m_yuyv;
    bool m_active = false;
};

void frameStepBenchmark(benchmark::State &state, int frameWidth, int frameHeight)
{
    auto owned = std::make_unique<MemoryCamera>(frameWidth, frameHeight);
    MemoryCamera *camera = owned.get();
    TFrostpaneMainForm form(std::move(owned));
    form.resize(1920, 1080);
    form.FormResize();
    camera->setActive(true);
    form.GetCameraRectSize();
    camera->announce(); // the first frame after a reset
    quint32 seed = 2;
    for (auto _ : state) {
        state.PauseTiming();
        camera->reseed(seed++); // a new noisy frame: everything moves
        state.ResumeTiming();
        camera->announce();
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

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
