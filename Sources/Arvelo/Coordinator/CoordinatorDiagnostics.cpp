// CoordinatorDiagnostics.cpp: "layout-diagnostics.json", a snapshot of what the arranger
// believes (each display's tree and tiles) beside what the window server reports for each
// managed window, with the last drop, the input traces and the state of the panels. Written
// pretty-printed with sorted keys, only when what it says changed (its time stamp aside) and
// at most once per beat; nothing reads it back.
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
    const auto& serverWindows = *onScreen;

    // The managed windows.
    const std::set<std::string> managed = managedHere();
    nlohmann::json nativeWindows = nlohmann::json::array();
    for (const auto& record : windows.get()) {
        if (!managed.contains(record->id)) continue;
        const platform::WindowInfo* entry = nullptr;
        for (const auto& info : serverWindows) {
            if (info.number == record->cgID) {
                entry = &info;
                break;
            }
        }
        nlohmann::json window = nlohmann::json::object();
        window["id"] = record->id;
        window["title"] = storedText(record->title);
        window["nativeVisible"] = entry != nullptr;
        window["nativeFrame"] = entry && entry->bounds ? toString(*entry->bounds) : std::string(kNotOnThisDesktop);
        window["minimum"] = toString(record->minimum);
        window["requestedFrame"] = record->expectedFrame ? toString(*record->expectedFrame) : std::string("none");
        window["parkedByArvelo"] = record->parked;
        window["lastFrameWrite"] = record->lastFrameWrite;
        nativeWindows.push_back(std::move(window));
    }

    // Each display with a state: its tree and its tiles.
    nlohmann::json layouts = nlohmann::json::array();
    for (const auto& display : displays.get()) {
        const auto stateIt = states->find(display.id);
        if (stateIt == states->end()) continue;
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
    object["fixtureOnly"] = access->includeFixture;
    object["trusted"] = trusted.get();
    object["detected"] = windows->size();
    object["layouts"] = std::move(layouts);
    object["lastDrop"] = lastDrop;
    object["nativeWindows"] = std::move(nativeWindows);
    object["proxyInputTrace"] = proxyInputTrace;
    object["dragTrace"] = dragTrace;
    object["screenRecording"] = services_.screenCapture->preflightAccess();
    object["chromeSuspended"] = chromeSuspended;
    object["chromeDragging"] = chromeDragging;
    object["managing"] = managing.get();
    object["pinned"] = sortedStrings(pinned);
    object["overlayPanelCount"] = chrome->panels.size();
    object["representedMinis"] = sortedStrings(chrome->representedMinis);
    object["inputTapInstalled"] = spatialInput->tap != nullptr;
    const std::uint64_t writes = files_->diagnosticsWrites();
    files_->writeDiagnostics(object);
    if (files_->diagnosticsWrites() != writes) diagnosticsPacing_->wrote();
}

}  // namespace arvelo
