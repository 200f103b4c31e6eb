// One second of the game's sound at 48 kHz stereo: a waving hand's crackle
// with the win chime on top, rendered in 10 ms periods as a device pulls it.
// And how long the game's exit waits for the sound: SoundOutput's destruction
// while it plays on the sound server that PULSE_SERVER names
// (tools/measure_sound.sh runs it on a private one), or while it retries
// when there is none.
#include "bench/benchmarks.h"
#include "sound/sound_mixer.h"
#include "sound/sound_output.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace {

constexpr int kRate = 48000;
constexpr int kChannels = 2;
constexpr int kPeriod = kRate / 100;

template <typename Sink> void renderOneSecond(benchmark::State &state, Sink sink)
{
    SoundMixer mixer(kRate, kChannels, 42);
    std::uint32_t random = 1;
    for (auto _ : state) {
        // The banner appears once per second of audio: a chime in every run.
        mixer.setBannerShown(false);
        mixer.setBannerShown(true);
        for (int period = 0; period < 100; ++period) {
            if (period % 3 == 0) { // a camera frame: a hand's amount, 0.005-0.05
                random = random * 1664525u + 1013904223u;
                mixer.setWipeAmount(0.005 + 0.045 * double(random >> 8) / 16777216.0);
            }
            sink(mixer);
        }
    }
    state.SetItemsProcessed(state.iterations() * kRate);
}

void SoundSecondFloat(benchmark::State &state)
{
    std::vector<float> buffer(std::size_t(kPeriod * kChannels));
    renderOneSecond(state, [&](SoundMixer &mixer) {
        mixer.render(buffer.data(), kPeriod);
        benchmark::DoNotOptimize(buffer.data());
    });
}

void SoundSecondInt16(benchmark::State &state)
{
    std::vector<std::int16_t> buffer(std::size_t(kPeriod * kChannels));
    renderOneSecond(state, [&](SoundMixer &mixer) {
        mixer.render(SampleFormat::Int16, buffer.data(), kPeriod);
        benchmark::DoNotOptimize(buffer.data());
    });
}

void SoundOutputStop(benchmark::State &state)
{
    int opened = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto output = std::make_unique<SoundOutput>();
        bool attempted = false;
        QObject::connect(output.get(), &SoundOutput::openAttempted, [&](bool playing) {
            attempted = true;
            opened += playing ? 1 : 0;
        });
        output->setWipeAmount(0.02);
        // Its first attempt made, and a moment of play (or of retrying).
        QElapsedTimer waited;
        waited.start();
        while (!attempted && waited.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        while (waited.elapsed() < 200)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        state.ResumeTiming();
        output.reset();
    }
    // 1 when every stop was made while playing, 0 when none was.
    state.counters["playing"] = double(opened) / double(state.iterations());
}

} // namespace

void registerSoundBenchmarks()
{
    benchmark::RegisterBenchmark("SoundSecond/Float", SoundSecondFloat)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("SoundSecond/Int16", SoundSecondInt16)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("SoundOutputStop", SoundOutputStop)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(20)
        ->UseRealTime();
}
