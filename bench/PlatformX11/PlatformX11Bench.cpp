// SPDX-License-Identifier: MIT
// Speed of the X11 backend with 100 client windows of 20 processes: batched attribute reads,
// the arranger's whole window scan (steady state and first sight), the window list, and one
// plain read. Needs an X server with a window manager (scripts/with-xvfb).
#include "Arvelo/Windows/WindowScan.h"
#include "BenchWindows.h"
#include "Platform/Qt/QtDispatcher.h"
#include "Platform/X11/X11Backend.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

using platform::AccessElement;
namespace ax = platform::ax;

constexpr double kTimeout = 0.25;

platform::Services gServices;
std::vector<arvelo::ScanApplication> gApplications;
std::vector<AccessElement> gWindows;

const std::vector<std::string> kScanAttributes{
    std::string(ax::kRole),     std::string(ax::kSubrole), std::string(ax::kMinimized), std::string(ax::kFullScreen),
    std::string(ax::kPosition), std::string(ax::kSize),    std::string(ax::kTitle)};

// Finds the benchmark's own applications and their windows; false until all are there.
bool collect() {
    gApplications.clear();
    gWindows.clear();
    for (const auto& app : gServices.workspace->runningApplications()) {
        if (!app.applicationID || app.applicationID->rfind("BenchClient", 0) != 0) continue;
        gApplications.push_back({app.pid, *app.applicationID, app.localizedName.value_or("Window")});
        const auto windows =
            gServices.accessibility->copyAttributeValue(AccessElement::application(app.pid), ax::kWindows, kTimeout);
        for (const AccessElement& w : windows.value.elements().value_or(std::vector<AccessElement>{})) gWindows.push_back(w);
    }
    return gWindows.size() == benchx11::kProcesses * benchx11::kWindowsPerProcess;
}

void BM_ReadScanAttributesOf100Windows(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(gServices.accessibility->copyAttributeValues(gWindows, kScanAttributes, kTimeout));
}
BENCHMARK(BM_ReadScanAttributesOf100Windows)->Unit(benchmark::kMillisecond);

void BM_WindowScanOfKnownWindows(benchmark::State& state) {
    std::vector<arvelo::RetainedWindow> retained;
    for (const AccessElement& w : gWindows) retained.push_back({std::to_string(w.window), w.pid, w, w.window});
    for (auto _ : state)
        benchmark::DoNotOptimize(arvelo::WindowScan::capture(*gServices.accessibility, *gServices.windowList,
                                                             gApplications, retained, false));
}
BENCHMARK(BM_WindowScanOfKnownWindows)->Unit(benchmark::kMillisecond);

void BM_WindowScanOfNewWindows(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(
            arvelo::WindowScan::capture(*gServices.accessibility, *gServices.windowList, gApplications, {}, false));
}
BENCHMARK(BM_WindowScanOfNewWindows)->Unit(benchmark::kMillisecond);

void BM_OnScreenWindowList(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(gServices.windowList->windows({}));
}
BENCHMARK(BM_OnScreenWindowList)->Unit(benchmark::kMillisecond);

void BM_OneAttributeRead(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(
            gServices.accessibility->copyAttributeValue(gWindows.front(), ax::kPosition, kTimeout));
}
BENCHMARK(BM_OneAttributeRead)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (const auto code = benchx11::runWindowsProcessOf(argc, argv)) return *code;

    QCoreApplication app(argc, argv);
    auto dispatch = std::make_shared<platform::qt::QtDispatcher>();
    auto backend = platform::x11::X11Backend::connect(dispatch);
    if (!backend) {
        std::fprintf(stderr, "no X server: run under scripts/with-xvfb\n");
        return 1;
    }
    backend->fill(gServices);
    benchx11::WindowProcesses processes(argv[0]);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!collect()) {
        if (std::chrono::steady_clock::now() > deadline) {
            std::fprintf(stderr, "the client windows did not all appear (%zu found)\n", gWindows.size());
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
