// SPDX-License-Identifier: MIT
// TickScene.h: an arranged desktop driven beat by beat on the virtual clock, for the scenarios
// of the tick and of what it calls (docking, drift, hand resizes, overflow tabs, Spaces, pins).
#pragma once

#include "CoordinatorScene.h"

#include <string>

namespace arvelo {
inline void PrintTo(const LayoutNode& node, std::ostream* out) { *out << encodeLayoutNode(node); }
}  // namespace arvelo

namespace arvelo::testing {

// Background work runs with the main queue, so every beat's scan merges and its tick runs as
// virtual time passes, as in the running program.
class TickScene : public CoordinatorScene {
protected:
    TickScene() { desktop.clock().setRunsBackgroundAutomatically(true); }

    // The window key the coordinator gave a simulated window ("" before it was scanned).
    std::string keyOf(const platform::sim::WindowHandle& window) const {
        for (const auto& record : coordinator->windows.get())
            if (record->windowNumber == window.number()) return record->id;
        return "";
    }
    WindowRecord& recordOf(const platform::sim::WindowHandle& window) const {
        return *coordinator->access->records.at(keyOf(window));
    }
    const LayoutNode& tree(const std::string& displayID = "1") const { return coordinator->states->at(displayID).root; }
    std::vector<std::string> keys(std::initializer_list<platform::sim::WindowHandle> windows) const {
        std::vector<std::string> result;
        for (const auto& window : windows) result.push_back(keyOf(window));
        return result;
    }

    // Lets virtual time pass: placement checks, beats and their ticks run as they fall due.
    void wait(double seconds) { desktop.advance(seconds); }
};

}  // namespace arvelo::testing
