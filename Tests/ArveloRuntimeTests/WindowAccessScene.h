// SPDX-License-Identifier: MIT
// WindowAccessScene.h: a simulated desktop with one 1440 × 900 display and a window table
// over it, for the window access and scan tests: scan and merge in one call, and find the
// record of a scripted window.
#pragma once

#include "Arvelo/Windows/WindowAccess.h"
#include "Arvelo/Windows/WindowScan.h"
#include "Platform/Sim/Desktop.h"

#include <memory>
#include <string>
#include <vector>

namespace arvelo::testing {

struct AccessScene {
    AccessScene() {
        desktop.addDisplay("Main", {1440, 900});
        services = desktop.services();
        access = WindowAccess::make(services);
    }

    // One scan of the applications window access chooses, with the table's retained windows.
    ScanSnapshot capture() {
        return WindowScan::capture(*services.accessibility, *services.windowList, access->applications(),
                                   access->retainedWindows(), access->includeFixture);
    }
    std::vector<WindowAccess::RecordPtr> scan() { return access->merge(capture()); }

    // The record whose window number is the scripted window's; null when there is none.
    WindowAccess::RecordPtr recordOf(const platform::sim::WindowHandle& window) const {
        for (const auto& [key, record] : access->records)
            if (record->windowNumber == window.number()) return record;
        return nullptr;
    }

    // An application "Editor" with one ordinary window, scanned into the table.
    platform::sim::WindowHandle openScanned(const Rect& frame, const std::string& title = "Document") {
        auto window = desktop.launch("org.example.Editor", "Editor").openWindow(title, frame);
        scan();
        return window;
    }

    platform::sim::Desktop desktop;
    platform::Services services;
    std::shared_ptr<WindowAccess> access;
};

}  // namespace arvelo::testing
