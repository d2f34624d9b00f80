// SPDX-License-Identifier: MIT
// CoordinatorManagerStates.cpp: what the window manager's own states mean for an arranged
// window. A maximise (a title-bar double click, the manager's key, the application's request)
// is the user asking for that window alone: the display zooms onto its tile and the window keeps
// the manager's frame; un-maximising steps back to the view before. A full-screen window is left
// to the manager and the layout waits for it. Neither ever moves a seam.
#include "Arvelo/Coordinator/Coordinator.h"

namespace arvelo {

namespace {

// Maximised on both axes: the user's or the application's maximise, not the manager's tiling.
constexpr int kBothAxes = 2;

}  // namespace

bool Coordinator::waitForFullScreen(const std::set<std::string>& managed) {
    std::set<std::string> waiting;
    for (const auto& key : managed) {
        const auto recordIt = access->records.find(key);
        if (recordIt != access->records.end() && recordIt->second->fullScreen) waiting.insert(key);
    }
    const bool left = waiting.empty() && !fullScreenWaits.empty();
    if (waiting != fullScreenWaits) {
        for (const auto& key : waiting)
            if (!fullScreenWaits.contains(key)) logger.info("A window went full screen; the layout waits for it");
        fullScreenWaits = waiting;
    }
    if (left) {
        logger.info("No arranged window is full screen any more; the layout is applied again");
        apply();
        return true;
    }
    return !waiting.empty();
}

bool Coordinator::followMaximize(const std::set<std::string>& managed) {
    if (maximizeZoom) {
        const auto recordIt = access->records.find(*maximizeZoom);
        if (recordIt != access->records.end() && recordIt->second->maximizedAxes == kBothAxes &&
            managed.contains(*maximizeZoom))
            return false;
        maximizeZoom.reset();
        back();
        return true;
    }
    for (const auto& key : managed) {
        const auto recordIt = access->records.find(key);
        if (recordIt == access->records.end() || recordIt->second->maximizedAxes != kBothAxes) continue;
        logger.info("\"" + recordIt->second->title + "\" was maximised; zooming onto its tile");
        maximizeZoom = key;
        focus(key);
        return true;
    }
    return false;
}

bool Coordinator::frameHeldByManager(const WindowRecord& record) const {
    return record.fullScreen || (maximizeZoom == record.id && record.maximizedAxes == kBothAxes);
}

}  // namespace arvelo
