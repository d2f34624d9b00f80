// SPDX-License-Identifier: MIT
// ArrangedScene.h: the simulated desktop the input benchmarks run on: one 2560 × 1440 display
// with 12 windows of one application, arranged by a coordinator and left to settle.
#pragma once

#include "Arvelo/Coordinator/Coordinator.h"
#include "Platform/Sim/Desktop.h"

#include <memory>
#include <string>
#include <vector>

struct ArrangedScene {
    ArrangedScene() {
        desktop.clock().setRunsBackgroundAutomatically(true);
        desktop.addDisplay("Main", {2560, 1440});
        auto app = desktop.launch("org.example.App", "App");
        for (int w = 0; w < 12; ++w)
            windows.push_back(app.openWindow("Window " + std::to_string(100 + w), {10.0 * w, 10.0 * w, 800, 600}));
        coordinator = arvelo::Coordinator::make(desktop.services(), false, true, desktop.temporaryFolder() / "state");
        desktop.advance(5);
    }

    platform::sim::Desktop desktop;
    std::vector<platform::sim::WindowHandle> windows;
    std::shared_ptr<arvelo::Coordinator> coordinator;
};
