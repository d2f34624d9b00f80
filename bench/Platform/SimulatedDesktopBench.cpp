// SPDX-License-Identifier: MIT
// SimulatedDesktopBench.cpp: the cost of the virtual clock and of reading a scan's worth of
// attributes from the simulated desktop, which every logic test pays on each beat.
#include "Platform/Sim/Desktop.h"

#include <benchmark/benchmark.h>

namespace {

// Schedules `n` delayed items at spread-out times and advances past all of them.
void BM_VirtualClockAdvance(benchmark::State& state) {
    const auto n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        platform::sim::VirtualClock clock;
        int ran = 0;
        for (int i = 0; i < n; ++i) clock.after(0.001 * (i % 97), [&ran] { ++ran; });
        clock.advance(1.0);
        benchmark::DoNotOptimize(ran);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_VirtualClockAdvance)->Arg(100)->Arg(1000);

// One application with `n` windows: "AXWindows", then role, subrole, title, position and size
// of each window in one batch, and the on-screen window list.
void BM_SimulatedScanReads(benchmark::State& state) {
    const auto n = static_cast<int>(state.range(0));
    platform::sim::Desktop desk;
    desk.addDisplay("Main", {2560, 1440});
    auto app = desk.launch("org.example.Editor", "Editor");
    for (int i = 0; i < n; ++i) app.openWindow("W" + std::to_string(i), {double(i * 10), 0, 800, 600});
    auto services = desk.services();
    const std::vector<std::string> attributes{"AXRole", "AXSubrole", "AXTitle", "AXPosition", "AXSize"};
    for (auto _ : state) {
        auto windows = services.accessibility->copyAttributeValue(app.element(), "AXWindows", 0.25).value.elements();
        auto values = services.accessibility->copyAttributeValues(*windows, attributes, 0.25);
        auto list = services.windowList->windows({});
        benchmark::DoNotOptimize(values);
        benchmark::DoNotOptimize(list);
        desk.calls().clear();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SimulatedScanReads)->Arg(10)->Arg(100);

}  // namespace
