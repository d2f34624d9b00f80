// CoordinatorDiagnostics.cpp: "layout-diagnostics.json", a snapshot of what the arranger
// believes (each display's tree and tiles) beside what the window server reports for each
// managed window, with the last drop, the input traces and the state of the panels. Written
// pretty-printed with sorted keys, only when what it says changed (its time stamp aside) and
// at most once per beat; nothing reads it back. A beat whose inputs equal the last written
// ones builds nothing.
#include "Arvelo/Coordinator/Coordinator.h"

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
    DiagnosticsInputs inputs = diagnosticsInputs(*onScreen);
    // Nothing the file is built from changed since it was written, and it is still there.
    if (lastDiagnosticsInputs_ && inputs == *lastDiagnosticsInputs_ && files_->holdsLastDiagnostics()) return;

    const std::uint64_t writes = files_->diagnosticsWrites();
    files_->writeDiagnostics(diagnosticsSnapshot(inputs));
    if (files_->diagnosticsWrites() != writes) diagnosticsPacing_->wrote();
    // Kept only once the file holds what they say, so a failed write is tried again.
    if (files_->holdsLastDiagnostics()) lastDiagnosticsInputs_ = std::move(inputs);
}

DiagnosticsInputs Coordinator::diagnosticsInputs(const std::vector<platform::WindowInfo>& serverWindows) const {
    DiagnosticsInputs inputs;
    const std::set<std::string> managed = managedHere();
    inputs.windows.reserve(windows->size());
    for (const auto& record : windows.get()) {
        DiagnosticsInputs::Window window;
        window.id = record->id;
        window.title = record->title;
        window.minimum = record->minimum;
        window.expectedFrame = record->expectedFrame;
        window.parked = record->parked;
        window.lastFrameWrite = record->lastFrameWrite;
        window.managed = managed.contains(record->id);
        if (window.managed) {
            for (const auto& info : serverWindows) {
                if (info.number != record->cgID) continue;
                window.nativeVisible = true;
                window.nativeFrame = info.bounds;
                break;
            }
        }
        inputs.windows.push_back(std::move(window));
    }
    inputs.displays = displays.get();
    inputs.states = states.get();
    inputs.gap = gap.get();
    inputs.fixtureOnly = access->includeFixture;
    inputs.trusted = trusted.get();
    inputs.lastDrop = lastDrop;
    inputs.proxyInputTrace = proxyInputTrace;
    inputs.dragTrace = dragTrace;
    inputs.screenRecording = services_.screenCapture->preflightAccess();
    inputs.chromeSuspended = chromeSuspended;
    inputs.chromeDragging = chromeDragging;
    inputs.managing = managing.get();
    inputs.pinned = pinned;
    inputs.overlayPanelCount = chrome->panels.size();
    inputs.representedMinis = chrome->representedMinis;
    inputs.inputTapInstalled = spatialInput->tap != nullptr;
    return inputs;
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
