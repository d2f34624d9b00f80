// SPDX-License-Identifier: MIT
#include "ArveloCore/Geometry.h"

#include <benchmark/benchmark.h>

static void BM_RectIntersection(benchmark::State& state) {
    arvelo::Rect a(0, 0, 100, 100), b(50, 50, 100, 100);
    for (auto _ : state) benchmark::DoNotOptimize(a.intersection(b));
}
BENCHMARK(BM_RectIntersection);
