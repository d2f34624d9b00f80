// SPDX-License-Identifier: MIT
// CoordinatorScene.h: a coordinator on the simulated desktop, for scenario tests: build the
// displays and windows, start the coordinator, let its scans run and merge, and read back
// frames, state files and the status line.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Arvelo/Coordinator/Coordinator.h"
#include "Platform/Sim/Desktop.h"
#include "RectChecks.h"

namespace arvelo {
// Rectangles and points print in their text form in test failures.
inline void PrintTo(const Rect& rect, std::ostream* out) { *out << toString(rect); }
inline void PrintTo(const Point& point, std::ostream* out) { *out << toString(point); }
}  // namespace arvelo

namespace arvelo::testing {

class CoordinatorScene : public ::testing::Test {
protected:
    platform::sim::Desktop desktop;
    std::shared_ptr<Coordinator> coordinator;

    std::filesystem::path stateDirectory() const { return desktop.temporaryFolder() / "state"; }

    // Starts the coordinator as the application does (automatic updates on) and lets its
    // first scan run and merge, which makes the first arrangement.
    void start(bool automaticUpdates = true) {
        coordinator = Coordinator::make(desktop.services(), false, automaticUpdates, stateDirectory());
        settle();
    }

    // Runs the scan in flight (if any) and merges it, with everything that follows on the
    // main queue.
    void settle() {
        desktop.runBackground();
        desktop.drain();
    }

    // One beat: the timer fires, its scan runs and merges.
    void beat() {
        desktop.advance(Coordinator::kBeatInterval);
        settle();
    }

    platform::sim::WindowHandle openWindow(platform::sim::AppHandle& app, std::string title, Rect frame) {
        return app.openWindow(std::move(title), frame);
    }

    std::string readState(const std::string& name) const {
        std::ifstream file(stateDirectory() / name);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }
    bool stateExists(const std::string& name) const { return std::filesystem::exists(stateDirectory() / name); }
    void writeState(const std::string& name, const std::string& text) const {
        std::filesystem::create_directories(stateDirectory());
        std::ofstream(stateDirectory() / name) << text;
    }

    // The frames of the windows as the desktop has them now.
    std::vector<Rect> framesOf(const std::vector<platform::sim::WindowHandle>& windows) const {
        std::vector<Rect> frames;
        for (const auto& window : windows) frames.push_back(window.frame());
        return frames;
    }

    bool logMentions(const std::string& text) {
        for (const auto& entry : desktop.log().entries())
            if (entry.message.find(text) != std::string::npos) return true;
        return false;
    }
};

}  // namespace arvelo::testing
