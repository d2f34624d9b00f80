// SPDX-License-Identifier: MIT
// CoordinatorChrome.cpp: the coordinator's side of the chrome: the scene it pushes with each
// display's layout, the drop preview and the panels it shows for others, and what it does
// with the presses, drags and drops the chrome reports.
#include "Arvelo/Coordinator/Coordinator.h"

#include "Arvelo/Chrome/ChromeController.h"
#include "Arvelo/Input/DropHandling.h"

namespace arvelo {

void Coordinator::showChrome(const DisplayInfo& display) {
    const auto state = states->find(display.id);
    if (!managing.get() || state == states->end() || state->second.root.allWindows().empty()) return;
    const ChromeScene scene{access->records, previewImages.get(), state->second.focus || state->second.camera,
                            access->includeFixture};
    chrome->show(layout(display.id), display, scene);
}

const std::vector<std::shared_ptr<ChromePanel>>& Coordinator::chromePanels() const { return chrome->panels; }

void Coordinator::showDropPreview(const Rect& rect, const std::string& label) {
    if (chrome) chrome->showDropPreview(rect, label);
}

void Coordinator::hideDropPreview() {
    if (chrome) chrome->hideDropPreview();
}

void Coordinator::restackTabBars() { chrome->restackTabBars(); }

void Coordinator::setChromeViews(ChromeHost views) { chrome->host = std::move(views); }

void Coordinator::zoomOutOf(const std::string& displayID) {
    selectedDisplay = displayID;
    zoomOut();
}

void Coordinator::chromeDragBegan() { chromeDragging = true; }

void Coordinator::chromeDragEnded() { chromeDragging = false; }

void Coordinator::chromeDragCancelled() { apply(); }

void Coordinator::updateDropPreview(const std::string& key, Point at) { drops->updateDropPreview(key, at); }

void Coordinator::finishChromeDrop(const std::string& key, Point at) {
    drops->finishWindowDrop(key, at, false, std::nullopt);
}

void Coordinator::updateGroupDropPreview(const std::string& nodeID, const std::string& displayID, Point at) {
    drops->updateGroupDropPreview(nodeID, displayID, at);
}

bool Coordinator::finishGroupDrop(const std::string& nodeID, const std::string& displayID, Point at) {
    return drops->finishGroupDrop(nodeID, displayID, at);
}

void Coordinator::seamDragBegan() { resizingSeam = true; }

void Coordinator::seamDragEnded() {
    resizingSeam = false;
    apply();
}

void Coordinator::traceProxyInput(std::map<std::string, std::string> entry) {
    // The trace keeps the newest entries only.
    const bool full = proxyInputTrace.size() >= ChromeController::kProxyTraceLimit;
    proxyInputTrace.push_back(std::move(entry));
    if (full) proxyInputTrace.erase(proxyInputTrace.begin());
}

}  // namespace arvelo
