// SPDX-License-Identifier: MIT
// CoordinatorDiagnostics.cpp: "layout-diagnostics.json", a snapshot of what the arranger
// believes (each display's tree and tiles) beside what the window server reports for each
// managed window, with the last drop, the input traces and the state of the panels. Written
// pretty-printed with sorted keys, only when what it says changed (its time stamp aside) and
// at most once per beat; nothing reads it back. A beat whose inputs equal the last written
// ones builds nothing.
#include "Arvelo/Coordinator/Coordinator.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ctime>

#include "Arvelo/Chrome/ChromeController.h"
#include "Arvelo/Input/SpatialInputController.h"
#include "Arvelo/State/StateCoding.h"
#include "Arvelo/State/StoredText.h"

namespace arvelo {

namespace {

constexpr const char* kNotOnThisDesktop = "not on this desktop";

nlohmann::json sortedStrings(const std::set<std::string>& keys) {
    nlohmann::json array = nlohmann::json::array();
    for (const auto& key : keys) array.push_back(key);
    return array;
}

}  // namespace

void Coordinator::requestLayoutDiagnostics(const std::vector<platform::WindowInfo>* onScreen) {
    const bool now = diagnosticsPacing_->admit([weak = weak_from_this()] {
        if (auto self = weak.lock()) self->writeLayoutDiagnostics();
    });
    if (now) writeLayoutDiagnostics(onScreen);
}

void Coordinator::writeLayoutDiagnostics(const std::vector<platform::WindowInfo>* onScreen) {
    // The window server's view.
    std::vector<platform::WindowInfo> read;
    if (!onScreen) {
        platform::WindowListOptions options;
        options.onScreenOnly = true;
        options.excludeDesktopElements = true;
        read = services_.windowList->windows(options);
        onScreen = &read;
    }
    if (takeDiagnosticsInputs(*onScreen)) diagnosticsInputsChanged_ = true;
    // Nothing the file is built from changed since it was written, and it is still there.
    if (!diagnosticsInputsChanged_ && files_->holdsLastDiagnostics()) return;

    const std::uint64_t writes = files_->diagnosticsWrites();
    files_->writeDiagnostics(diagnosticsSnapshot(diagnosticsInputs_));
    if (files_->diagnosticsWrites() != writes) diagnosticsPacing_->wrote();
    // Cleared only once the file holds what they say, so a failed write is tried again.
    if (files_->holdsLastDiagnostics()) diagnosticsInputsChanged_ = false;
}

namespace {

// Assigns only a value that differs, so that an unchanged beat compares without copying.
template <class T, class U>
void take(T& slot, const U& value, bool& changed) {
    if (slot == value) return;
    slot = value;
    changed = true;
}

}  // namespace

bool Coordinator::takeDiagnosticsInputs(const std::vector<platform::WindowInfo>& serverWindows) {
    DiagnosticsInputs& inputs = diagnosticsInputs_;
    bool changed = false;
    const std::set<std::string> managed = managedHere();
    // The server's windows by number, for one lookup per record.
    std::vector<std::pair<std::uint32_t, const platform::WindowInfo*>> byNumber;
    byNumber.reserve(serverWindows.size());
    for (const auto& info : serverWindows) byNumber.emplace_back(info.number, &info);
    // Stable: the first entry of a number listed twice is the one found, as in the list.
    std::stable_sort(byNumber.begin(), byNumber.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    const auto& records = windows.get();
    if (inputs.windows.size() != records.size()) {
        inputs.windows.resize(records.size());
        changed = true;
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
        const WindowRecord& record = *records[i];
        DiagnosticsInputs::Window& window = inputs.windows[i];
        take(window.id, record.id, changed);
        take(window.title, record.title, changed);
        take(window.minimum, record.minimum, changed);
        take(window.expectedFrame, record.expectedFrame, changed);
        take(window.parked, record.parked, changed);
        take(window.lastFrameWrite, record.lastFrameWrite, changed);
        const bool isManaged = managed.contains(record.id);
        const platform::WindowInfo* entry = nullptr;
        if (isManaged) {
            const auto found = std::lower_bound(byNumber.begin(), byNumber.end(), record.windowNumber,
                                                [](const auto& item, std::uint32_t number) { return item.first < number; });
            if (found != byNumber.end() && found->first == record.windowNumber) entry = found->second;
        }
        take(window.managed, isManaged, changed);
        take(window.nativeVisible, entry != nullptr, changed);
        take(window.nativeFrame, entry ? entry->bounds : std::nullopt, changed);
    }
    take(inputs.displays, displays.get(), changed);
    take(inputs.states, states.get(), changed);
    take(inputs.gap, gap.get(), changed);
    take(inputs.fixtureOnly, access->includeFixture, changed);
    take(inputs.trusted, trusted.get(), changed);
    take(inputs.lastDrop, lastDrop, changed);
    take(inputs.proxyInputTrace, proxyInputTrace, changed);
    take(inputs.dragTrace, dragTrace, changed);
    take(inputs.screenRecording, services_.screenCapture->preflightAccess(), changed);
    take(inputs.chromeSuspended, chromeSuspended, changed);
    take(inputs.chromeDragging, chromeDragging, changed);
    take(inputs.managing, managing.get(), changed);
    take(inputs.pinned, pinned, changed);
    take(inputs.overlayPanelCount, chrome->panels.size(), changed);
    take(inputs.representedMinis, chrome->representedMinis, changed);
    take(inputs.inputTapInstalled, spatialInput->tap != nullptr, changed);
    return changed;
}

nlohmann::json Coordinator::diagnosticsSnapshot(const DiagnosticsInputs& inputs) const {
    // The managed windows.
    nlohmann::json nativeWindows = nlohmann::json::array();
    for (const auto& entry : inputs.windows) {
        if (!entry.managed) continue;
        nlohmann::json window = nlohmann::json::object();
        window["id"] = entry.id;
        window["title"] = storedText(entry.title);
        window["nativeVisible"] = entry.nativeVisible;
        window["nativeFrame"] = entry.nativeFrame ? toString(*entry.nativeFrame) : std::string(kNotOnThisDesktop);
        window["minimum"] = toString(entry.minimum);
        window["requestedFrame"] = entry.expectedFrame ? toString(*entry.expectedFrame) : std::string("none");
        window["parkedByArvelo"] = entry.parked;
        window["lastFrameWrite"] = entry.lastFrameWrite;
        nativeWindows.push_back(std::move(window));
    }

    // Each display with a state: its tree and its tiles.
    nlohmann::json layouts = nlohmann::json::array();
    for (const auto& display : inputs.displays) {
        const auto stateIt = inputs.states.find(display.id);
        if (stateIt == inputs.states.end()) continue;
        nlohmann::json tiles = nlohmann::json::array();
        for (const auto& tile : layout(display.id).tiles) {
            tiles.push_back({{"id", tile.nodeID},
                             {"windows", tile.windows},
                             {"selected", tile.selected},
                             {"miniature", tile.miniature},
                             {"frame", toString(tile.frame)}});
        }
        layouts.push_back({{"display", display.id},
                           {"tree", nlohmann::json(stateIt->second.toJSON())},
                           {"tiles", std::move(tiles)}});
    }

    // The whole snapshot.
    nlohmann::json object = nlohmann::json::object();
    object[StateFiles::kDiagnosticsTimestamp] = StateCoding::utcText(now(), "%Y-%m-%dT%H:%M:%SZ");
    object["fixtureOnly"] = inputs.fixtureOnly;
    object["trusted"] = inputs.trusted;
    object["detected"] = inputs.windows.size();
    object["layouts"] = std::move(layouts);
    object["lastDrop"] = inputs.lastDrop;
    object["nativeWindows"] = std::move(nativeWindows);
    object["proxyInputTrace"] = inputs.proxyInputTrace;
    object["dragTrace"] = inputs.dragTrace;
    object["screenRecording"] = inputs.screenRecording;
    object["chromeSuspended"] = inputs.chromeSuspended;
    object["chromeDragging"] = inputs.chromeDragging;
    object["managing"] = inputs.managing;
    object["pinned"] = sortedStrings(inputs.pinned);
    object["overlayPanelCount"] = inputs.overlayPanelCount;
    object["representedMinis"] = sortedStrings(inputs.representedMinis);
    object["inputTapInstalled"] = inputs.inputTapInstalled;
    return object;
}

}  // namespace arvelo
