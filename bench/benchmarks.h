#pragma once

// Each file registers its own benchmarks; bench_main.cpp runs them all.
void registerMeltBenchmarks();
void registerFrameBenchmarks();
void registerIceBenchmarks();
void registerSoundBenchmarks();
void registerStrokeBenchmarks();
