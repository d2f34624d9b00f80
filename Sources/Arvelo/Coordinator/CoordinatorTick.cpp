// SPDX-License-Identifier: MIT
// CoordinatorTick.cpp: the coordinator's steady-state pass after every beat's refresh, and the
// rebuild of every chrome panel from the current layouts. A tick makes at most one rearranging
// correction (a Space switch, the stop, a re-apply after pruning, docking arrivals, a hand
// resize, a drift re-apply, a sheet zoom or its undo, a tab selection or focus move); the next
// beat goes on from the new state.
#include "Arvelo/Coordinator/Coordinator.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "Arvelo/Chrome/ChromeController.h"

namespace arvelo {

namespace {

// A frame edge or size off by more than this from what was written counts as changed.
constexpr double kDriftTolerance = 6.0;
// Drift and hand resizes are judged only this long after the last apply.
constexpr double kDriftQuietTime = 1.5;
// A window whose origin stays off its expected origin is re-applied at most this often in a row.
constexpr int kMisplacedRetries = 3;
// A sheet may reach this far beyond its display's visible frame before the tick zooms onto it.
constexpr double kSheetSlack = 2.0;
// Window pictures are refreshed at most this often.
constexpr double kPictureInterval = 3.0;
// After the tick rearranges windows, presses reaching the canvas are swallowed this long.
constexpr double kClickHold = 0.5;

// The most a window manager's decorations are known to add to a window that another program
// moved without giving its size (fluxbox makes it a title bar, 22 pixels, taller).
constexpr double kDecorationError = 32.0;

bool driftsFrom(double actual, double written) { return std::abs(actual - written) > kDriftTolerance; }

// A frame that moved as a whole: every edge left its place, and the size changed by no more than
// decorations account for. A hand resize keeps the edges the user did not drag.
bool movedAsAWhole(const Rect& frame, const Rect& settled) {
    return driftsFrom(frame.minX(), settled.minX()) && driftsFrom(frame.maxX(), settled.maxX()) &&
           driftsFrom(frame.minY(), settled.minY()) && driftsFrom(frame.maxY(), settled.maxY()) &&
           std::abs(frame.width - settled.width) <= kDecorationError &&
           std::abs(frame.height - settled.height) <= kDecorationError;
}

bool holds(const std::vector<std::string>& keys, const std::string& key) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

}  // namespace

void Coordinator::processTick(const std::set<std::string>& previousKeys) {
    // The list the beat's scan read, unless windows were arranged since.
    const auto scanned = std::exchange(scannedOnScreen_, std::nullopt);
    const bool scanCurrent = scanned && scannedRevision_ == layoutRevision;
    if (!managing.get()) return;
    if (waitingForManager()) return;
    if (desktopSwitched()) {
        switchSpaces();
        return;
    }
    const bool pruned = removeUnavailableWindows();
    if (states->empty()) {
        stopEmptyWorkspace();
        return;
    }
    std::set<std::string> windowKeys;
    for (const auto& record : windows.get()) windowKeys.insert(record->id);
    const std::set<std::string> managed = managedHere();
    if (pruned) {
        holdClicks(kClickHold);
        apply();
        return;
    }

    // The busy rule: while the user holds the button or drags a tab, nothing is corrected.
    const bool busy = services().pointer->leftButtonDown() || chromeDragging;
    if (waitForFullScreen(managed)) return;
    if (!busy && followMaximize(managed)) return;
    if (dockArrivals(managed, busy)) return;
    if (!busy && (followDrift(managed) || followSheets(managed))) return;
    if (followFocus(managed, busy)) return;
    if (!busy && !resizingSeam) keepMiniaturesInStep();
    if (previewsEnabled.get() && now() - lastPictureRefresh > kPictureInterval &&
        services().screenCapture->preflightAccess() && !busy) {
        lastPictureRefresh = now();
        pictures->request(managed, false);
    }
    if (!busy) chrome->restackTabBars();
    if (previousKeys != windowKeys) onChange.send();
    requestLayoutDiagnostics(scanCurrent ? &*scanned : nullptr);
}

void Coordinator::processArrivals() {
    // A Space switch is the beat's to follow.
    if (!managing.get() || managerAwaySince_ || desktopSwitched()) return;
    const bool pruned = removeUnavailableWindows();
    if (states->empty()) {
        stopEmptyWorkspace();
        return;
    }
    if (pruned) {
        holdClicks(kClickHold);
        apply();
        return;
    }
    dockArrivals(managedHere(), services().pointer->leftButtonDown() || chromeDragging);
}

bool Coordinator::dockArrivals(const std::set<std::string>& managed, bool busy) {
    // The layout waits while an arranged window is full screen.
    for (const auto& key : managed)
        if (const auto it = access->records.find(key); it != access->records.end() && it->second->fullScreen)
            return false;
    std::vector<std::shared_ptr<WindowRecord>> arrivals;
    for (const auto& record : windows.get()) {
        if (!record->onScreen || record->parked || record->minimized == true) continue;
        if (managed.contains(record->id) || floatedWindows.contains(record->id) || pinned.contains(record->id))
            continue;
        if (onShownDesktop(*record)) arrivals.push_back(record);
    }
    if (!autoTile.get() || busy || resizingSeam || arrivals.empty()) return false;
    for (const auto& record : arrivals) dockArrival(*record);
    holdClicks(kClickHold);
    apply();
    return true;
}

bool Coordinator::followDrift(const std::set<std::string>& managed) {
    if (resizingSeam || !(now() - lastApply > kDriftQuietTime)) return false;
    for (const auto& key : managed) {
        const auto recordIt = access->records.find(key);
        if (recordIt == access->records.end()) continue;
        WindowRecord& record = *recordIt->second;
        if (record.parked && access->minimizeParked && record.minimized == false &&
            record.misplacedRetries < kMisplacedRetries && focusedWindowKey() != key) {
            // A parked window shown again by someone else (or whose minimising the manager
            // dropped) is parked again, a few times at most; one the user brought forward is
            // the focus follow's to show.
            record.misplacedRetries += 1;
            apply();
            return true;
        }
        if (record.parked || !record.onScreen || !record.settledFrame || frameHeldByManager(record)) continue;
        const Rect frame = record.frame;
        const Rect settled = *record.settledFrame;
        if (record.maximizedAxes > 0) {
            // The manager's own tiling (an edge tile, a maximise not followed): never a hand
            // resize. Placing the window again clears it.
            if (record.misplacedRetries >= kMisplacedRetries) continue;
            record.misplacedRetries += 1;
            apply();
            return true;
        }
        if ((driftsFrom(frame.width, settled.width) || driftsFrom(frame.height, settled.height)) &&
            !movedAsAWhole(frame, settled)) {
            // A size change is a hand resize, whether or not the window also moved.
            resizeDocked(key, frame);
            return true;
        }
        if (driftsFrom(frame.minX(), settled.minX()) || driftsFrom(frame.minY(), settled.minY())) {
            apply();
            return true;
        }
        if (!record.expectedFrame) continue;
        const Rect expected = *record.expectedFrame;
        if (!driftsFrom(frame.minX(), expected.minX()) && !driftsFrom(frame.minY(), expected.minY())) {
            record.misplacedRetries = 0;
            continue;
        }
        if (record.misplacedRetries < kMisplacedRetries) {
            record.misplacedRetries += 1;
            apply();
            return true;
        }
    }
    return false;
}

bool Coordinator::followSheets(const std::set<std::string>& managed) {
    if (sheetZoom) {
        const auto recordIt = access->records.find(*sheetZoom);
        if (recordIt != access->records.end() && access->sheetFrame(recordIt->second)) return false;
        sheetZoom.reset();
        back();
        return true;
    }
    // Every shown window's sheet is looked for in one read.
    std::vector<std::shared_ptr<WindowRecord>> shown;
    for (const auto& key : managed) {
        const auto recordIt = access->records.find(key);
        if (recordIt == access->records.end()) continue;
        if (recordIt->second->parked || !recordIt->second->onScreen) continue;
        shown.push_back(recordIt->second);
    }
    const auto sheets = access->sheetFrames(shown);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const auto& sheet = sheets[i];
        if (!sheet) continue;
        const auto display = displayOf(shown[i]->frame);
        if (!display) continue;
        if (display->frame.insetBy(-kSheetSlack, -kSheetSlack).contains(*sheet)) continue;
        sheetZoom = shown[i]->id;
        focus(shown[i]->id);
        return true;
    }
    return false;
}

bool Coordinator::followFocus(const std::set<std::string>& managed, bool busy) {
    const auto key = focusedWindowKey();
    // Where parked windows are minimised, a focused parked window that shows is brought forward
    // even when the focus reached it during an apply (which notes the focus it leaves).
    const auto focusedIt = key ? access->records.find(*key) : access->records.end();
    const bool shownWhileParked = access->minimizeParked && focusedIt != access->records.end() &&
                                  focusedIt->second->parked && focusedIt->second->minimized == false;
    if (key == lastFocusedKey && !shownWhileParked) return false;
    // Recorded even while busy, so a focus change made with the button down is not acted on later.
    lastFocusedKey = key;
    if (busy || resizingSeam || !key || !managed.contains(*key)) return false;
    const auto recordIt = access->records.find(*key);
    if (recordIt == access->records.end() || !recordIt->second->parked) return false;
    for (const auto& display : displays.get()) {
        const auto stateIt = states->find(display.id);
        if (stateIt == states->end() || !holds(stateIt->second.root.allWindows(), *key)) continue;
        for (const auto& tile : layout(display.id).tiles) {
            if (tile.miniature || !holds(tile.windows, *key)) continue;
            selectTab(*key, display.id);
            return true;
        }
        break;
    }
    focus(*key);
    return true;
}

void Coordinator::keepMiniaturesInStep() {
    std::set<std::string> wanted;
    // Only a parked window is shown by a miniature tile: without one, no layout is solved.
    const auto& all = windows.get();
    const bool anyParked = std::any_of(all.begin(), all.end(), [](const auto& record) { return record->parked; });
    for (const auto& display : anyParked ? displays.get() : std::vector<DisplayInfo>{}) {
        for (const auto& tile : layout(display.id).tiles) {
            if (!tile.miniature || tile.windows.empty()) continue;
            const auto recordIt = access->records.find(tile.selected);
            if (recordIt != access->records.end() && recordIt->second->parked) wanted.insert(tile.selected);
        }
    }
    if (wanted != chrome->representedMinis) restoreChrome();
}

void Coordinator::restoreChrome() {
    chrome->clear();
    if (!managing.get()) return;
    for (const auto& display : displays.get())
        if (states->contains(display.id)) showChrome(display);
}

}  // namespace arvelo
