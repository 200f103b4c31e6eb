// Runs every benchmark: ./test.sh --bench, or build/bench/frostpane_bench
// with Google Benchmark's flags. --without_avx512 measures the AVX2 target
// on a processor that has more.
#include "bench/benchmarks.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>
#include <hwy/targets.h>

#include <string>

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--without_avx512") {
            hwy::DisableTargets(HWY_AVX3 | HWY_AVX3_DL);
            for (int j = i; j + 1 < argc; ++j)
                argv[j] = argv[j + 1];
            --argc;
            break;
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);

    registerMeltBenchmarks();
    registerFrameBenchmarks();
    registerIceBenchmarks();
    registerSoundBenchmarks();
    registerStrokeBenchmarks();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
