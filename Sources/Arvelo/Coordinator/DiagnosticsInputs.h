// SPDX-License-Identifier: MIT
// DiagnosticsInputs.h: everything "layout-diagnostics.json" is built from, as plain values.
// Equal inputs give the same file (its time stamp aside): the coordinator keeps them up to date
// field by field and solves the layouts and builds the JSON only when one of them changed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "Arvelo/State/DisplayInfo.h"
#include "Arvelo/State/WorkspaceState.h"
#include "ArveloCore/Geometry.h"

namespace arvelo {

struct DiagnosticsInputs {
    // One window record as the file shows it, with what the server reported for its number.
    struct Window {
        std::string id;
        std::string title;
        Size minimum;
        std::optional<Rect> expectedFrame;
        bool parked = false;
        nlohmann::json lastFrameWrite;
        bool managed = false;
        bool nativeVisible = false;
        std::optional<Rect> nativeFrame;
    };

    // Every record (an unmanaged one's minimum still shapes the layouts), in the table's order.
    std::vector<Window> windows;
    std::vector<DisplayInfo> displays;
    std::map<std::string, WorkspaceState> states;
    double gap = 0;
    bool fixtureOnly = false;
    bool trusted = false;
    std::map<std::string, std::string> lastDrop;
    std::vector<std::map<std::string, std::string>> proxyInputTrace;
    std::vector<std::string> dragTrace;
    bool screenRecording = false;
    bool chromeSuspended = false;
    bool chromeDragging = false;
    bool managing = false;
    std::set<std::string> pinned;
    std::size_t overlayPanelCount = 0;
    std::set<std::string> representedMinis;
    bool inputTapInstalled = false;
};

}  // namespace arvelo
