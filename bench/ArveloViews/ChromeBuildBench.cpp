// SPDX-License-Identifier: MIT
// ChromeBuildBench.cpp: building one display's chrome for 12 tiles, 4 of them with two tabs
// (4 tab bars, 11 seam handles): the controller's models alone, and with the Qt views in Qt
// panels (offscreen). Clearing and rebuilding is what every apply does.
#include "Arvelo/Chrome/ChromeController.h"
#include "Arvelo/Coordinator/Coordinator.h"
#include "Arvelo/Views/Chrome/ChromeViews.h"
#include "Platform/Sim/Desktop.h"
#include "Platform/X11/Qt/QtPanels.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

using namespace arvelo;

struct Scene {
    explicit Scene(bool views) {
        desktop.clock().setRunsBackgroundAutomatically(true);
        desktop.addDisplay("Main", {2560, 1440});
        auto app = desktop.launch("org.example.App", "App");
        std::vector<platform::sim::WindowHandle> windows;
        for (int w = 0; w < 16; ++w)
            windows.push_back(app.openWindow("Window " + std::to_string(100 + w), {10.0 * w, 10.0 * w, 300, 200}));
        platform::Services services = desktop.services();
        services.panels = views ? std::shared_ptr<platform::Panels>(panels) : nullptr;  // models only: no panels
        coordinator = Coordinator::make(services, false, true, desktop.temporaryFolder() / "state");
        if (views) {
            auto q = panels;
            coordinator->chrome->host = views::ChromeViews::host(
                q, [q](platform::PanelID id) { return q->host(id); }, [] { return 1440.0; });
        }
        desktop.advance(3);
        coordinator->autoTile = false;
        std::vector<std::string> keys;
        for (const auto& record : coordinator->windows.get()) keys.push_back(record->id);
        std::vector<LayoutNode> leaves;
        std::size_t k = 0;
        for (int tile = 0; tile < 12; ++tile) {
            std::vector<std::string> tabs{keys.at(k++)};
            if (tile % 3 == 0) tabs.push_back(keys.at(k++));
            leaves.emplace_back("tile" + std::to_string(tile), tabs);
        }
        coordinator->states.modify(
            [&](auto& states) { states["1"].root = LayoutNode::even(leaves, SplitAxis::horizontal); });
        coordinator->apply();
        desktop.advance(3);
        display = coordinator->displays->front();
        result = coordinator->layout("1");
    }

    std::shared_ptr<platform::x11::QtPanels> panels = std::make_shared<platform::x11::QtPanels>(nullptr);
    platform::sim::Desktop desktop;
    std::shared_ptr<Coordinator> coordinator;
    DisplayInfo display;
    LayoutResult result;
};

void build(benchmark::State& state, bool views) {
    Scene scene(views);
    ChromeController& chrome = *scene.coordinator->chrome;
    for (auto _ : state) {
        chrome.clear();
        chrome.show(scene.result, scene.display,
                    {scene.coordinator->access->records, scene.coordinator->previewImages.get(), false, false});
        state.PauseTiming();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    state.counters["tabBars"] = double(chrome.tabBars.size());
    state.counters["panels"] = double(chrome.panels.size());
}

void BM_ChromeForTwelveTilesModelsOnly(benchmark::State& state) { build(state, false); }
BENCHMARK(BM_ChromeForTwelveTilesModelsOnly)->Unit(benchmark::kMicrosecond);

void BM_ChromeForTwelveTilesWithQtViews(benchmark::State& state) { build(state, true); }
BENCHMARK(BM_ChromeForTwelveTilesWithQtViews)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
