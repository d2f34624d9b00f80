// SPDX-License-Identifier: MIT
// WindowScanBench.cpp: the window scan of a simulated desktop with 1,000 windows (50
// applications of 20 windows), first seen and known, and the merge of such a scan into the table.
#include "Arvelo/Windows/WindowAccess.h"
#include "Arvelo/Windows/WindowScan.h"
#include "Platform/Sim/Desktop.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kApplications = 50;
constexpr int kWindowsEach = 20;

struct Scene {
    Scene() {
        desktop.addDisplay("Main", {2560, 1440});
        for (int a = 0; a < kApplications; ++a) {
            auto app = desktop.launch("org.example.App" + std::to_string(a), "App " + std::to_string(a));
            for (int w = 0; w < kWindowsEach; ++w) {
                const double offset = 7.0 * w + a;
                app.openWindow("Window " + std::to_string(w), {offset, offset, 800.0 + w, 600.0 + a});
            }
        }
        services = desktop.services();
        access = arvelo::WindowAccess::make(services);
    }

    arvelo::ScanSnapshot capture() {
        return arvelo::WindowScan::capture(*services.accessibility, *services.windowList, access->applications(),
                                           access->retainedWindows(), false);
    }

    platform::sim::Desktop desktop;
    platform::Services services;
    std::shared_ptr<arvelo::WindowAccess> access;
};

// The simulated desktop logs every request; the log is emptied between runs, untimed.
void clearLog(benchmark::State& state, Scene& scene) {
    state.PauseTiming();
    scene.desktop.calls().clear();
    state.ResumeTiming();
}

void captureFirstSeen(benchmark::State& state) {
    Scene scene;
    for (auto _ : state) {
        benchmark::DoNotOptimize(scene.capture());
        clearLog(state, scene);
    }
    state.counters["windows"] = static_cast<double>(scene.capture().windows.size());
}
BENCHMARK(captureFirstSeen)->Unit(benchmark::kMillisecond);

void captureKnown(benchmark::State& state) {
    Scene scene;
    scene.access->merge(scene.capture());
    for (auto _ : state) {
        benchmark::DoNotOptimize(scene.capture());
        clearLog(state, scene);
    }
}
BENCHMARK(captureKnown)->Unit(benchmark::kMillisecond);

void mergeKnown(benchmark::State& state) {
    Scene scene;
    const arvelo::ScanSnapshot snapshot = scene.capture();
    scene.access->merge(snapshot);
    for (auto _ : state) benchmark::DoNotOptimize(scene.access->merge(snapshot));
}
BENCHMARK(mergeKnown)->Unit(benchmark::kMillisecond);

}  // namespace
