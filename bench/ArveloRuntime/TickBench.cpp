// SPDX-License-Identifier: MIT
// TickBench.cpp: the beat's pass when nothing changed, on a simulated display with 12 and 48
// arranged windows (its own cost, without the scan), and the overflow-tab search of a crowded
// display where one window does not fit.
#include "Arvelo/Coordinator/Coordinator.h"
#include "Platform/Sim/Desktop.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

struct Arranged {
    explicit Arranged(int windows) {
        desktop.clock().setRunsBackgroundAutomatically(true);
        desktop.addDisplay("Main", {2560, 1440});
        auto app = desktop.launch("org.example.App", "App");
        for (int w = 0; w < windows; ++w)
            app.openWindow("Window " + std::to_string(100 + w), {10.0 * w, 10.0 * w, 800, 600});
        coordinator = arvelo::Coordinator::make(desktop.services(), false, true, desktop.temporaryFolder() / "state");
        desktop.advance(5);  // arranged, placed and checked
    }
    std::set<std::string> keys() const {
        std::set<std::string> all;
        for (const auto& record : coordinator->windows.get()) all.insert(record->id);
        return all;
    }

    platform::sim::Desktop desktop;
    std::shared_ptr<arvelo::Coordinator> coordinator;
};

void quietTick(benchmark::State& state) {
    Arranged scene(static_cast<int>(state.range(0)));
    const auto keys = scene.keys();
    const int revision = scene.coordinator->layoutRevision;
    for (auto _ : state) {
        scene.coordinator->processTick(keys);
        state.PauseTiming();
        scene.desktop.calls().clear();
        state.ResumeTiming();
    }
    if (scene.coordinator->layoutRevision != revision) state.SkipWithError("the quiet tick applied a layout");
}
BENCHMARK(quietTick)->Arg(12)->Arg(48)->Unit(benchmark::kMicrosecond);

void overflowSearch(benchmark::State& state) {
    Arranged scene(static_cast<int>(state.range(0)));
    // One window's learnt minimum no longer fits its tile: every move into another pane is tried.
    auto& record = *scene.coordinator->windows->back();
    record.minimum = {2000, 1200};
    for (auto _ : state) {
        const auto stored = scene.coordinator->states.get();
        benchmark::DoNotOptimize(scene.coordinator->tabOverflow());
        state.PauseTiming();
        scene.coordinator->states = stored;
        scene.coordinator->autoTabbed.clear();
        state.ResumeTiming();
    }
}
BENCHMARK(overflowSearch)->Arg(12)->Arg(48)->Unit(benchmark::kMillisecond);

}  // namespace
