// SPDX-License-Identifier: MIT
// TapBench.cpp: the spatial canvas tap's decision on the main thread, on a simulated display of
// 12 arranged windows: a plain press (the common case: decided from the event and the
// coordinator's state, no window list), its release, and a Shift-press on a window (which
// reads the window list).
#include "Arvelo/Input/SpatialInputController.h"

#include "ArrangedScene.h"

#include <benchmark/benchmark.h>

namespace {

void decide(benchmark::State& state, platform::TapEvent event) {
    ArrangedScene scene;
    auto& tap = *scene.coordinator->spatialInput;
    const arvelo::Rect frame = scene.windows[5].frame();
    event.location = {frame.midX(), frame.midY()};
    int n = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tap.handle(event));
        if (++n % 256 == 0) {
            state.PauseTiming();
            scene.desktop.drain();
            state.ResumeTiming();
        }
    }
}

void handlePlainPress(benchmark::State& state) { decide(state, {platform::TapEventType::leftMouseDown, {}, 0, 0, 1}); }
BENCHMARK(handlePlainPress)->Unit(benchmark::kMicrosecond);

void handlePlainRelease(benchmark::State& state) { decide(state, {platform::TapEventType::leftMouseUp, {}, 0, 0, 1}); }
BENCHMARK(handlePlainRelease)->Unit(benchmark::kMicrosecond);

void handleShiftPressOnAWindow(benchmark::State& state) {
    decide(state, {platform::TapEventType::leftMouseDown, {}, platform::kEventShiftFlag, 0, 1});
}
BENCHMARK(handleShiftPressOnAWindow)->Unit(benchmark::kMicrosecond);

}  // namespace
