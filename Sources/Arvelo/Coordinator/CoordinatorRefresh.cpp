// SPDX-License-Identifier: MIT
// CoordinatorRefresh.cpp: bringing the coordinator's picture of the world up to date: trust,
// displays, the excluded applications, and the window table rebuilt from a background scan
// whose result is merged on the main thread (or thrown away and retaken when the layout
// changed meanwhile); then the selected window, the workspaces and the first arrangement.
#include "Arvelo/Coordinator/Coordinator.h"

#include "Arvelo/Input/SpatialInputController.h"
#include "Arvelo/Windows/WindowScan.h"

namespace arvelo {

void Coordinator::askForAccessibility() { services_.accessibility->isProcessTrustedWithOptions(true); }

void Coordinator::refresh(std::function<void()> completion) {
    if (!automaticUpdates) {
        if (completion) completion();
        return;
    }
    trusted = services_.accessibility->isProcessTrusted();
    access->excluded = excluded.get();

    const auto screens = services_.screens->screens();
    const double primaryHeight = screens.empty() ? 0 : screens.front().frame.height;
    std::vector<DisplayInfo> found;
    found.reserve(screens.size());
    for (const auto& screen : screens) found.push_back(DisplayInfo::make(screen, primaryHeight));
    // A monitor being reconfigured can leave the platform with no screen for a moment; taking
    // that list would drop every arrangement and restore every window. While windows are
    // arranged an empty list is ignored and the next one taken.
    if (!found.empty() || managedHere().empty()) {
        // A panel that grows or a work area the window manager redraws moves a display's
        // visible frame under arranged windows: they are laid out again once the scan is in.
        bool roomChanged = false;
        for (const auto& before : displays.get())
            for (const auto& now : found)
                roomChanged = roomChanged || (before.id == now.id && before.frame != now.frame && states->contains(now.id));
        displays = std::move(found);
        if (roomChanged && managing.get())
            refreshCompletions.push_back([weak = weak_from_this()] {
                if (auto self = weak.lock(); self && self->managing.get()) self->apply();
            });
    }

    bool selectedPresent = false;
    for (const auto& display : displays.get()) selectedPresent = selectedPresent || display.id == selectedDisplay.get();
    if (!selectedPresent) {
        if (const auto under = displayUnderPointer())
            selectedDisplay = under->id;
        else
            selectedDisplay = displays->empty() ? std::string() : displays->front().id;
    }

    if (completion) refreshCompletions.push_back(std::move(completion));

    if (!trusted.get()) {
        // Arranged windows outlive a window manager that goes and comes back (the tick waits
        // for it); otherwise there is nothing to manage without one.
        if (!managing.get()) windows = WindowList{};
        auto queued = std::move(refreshCompletions);
        refreshCompletions.clear();
        for (auto& queuedCompletion : queued) queuedCompletion();
        return;
    }
    if (scanInFlight) return;

    scanInFlight = true;
    closuresAtScanStart_ = windowClosures_;
    const bool diagnostic = access->includeFixture;
    const int revision = layoutRevision;
    ScanInputs inputs{access->applications(), access->retainedWindows(), diagnostic};

    // Nothing the last scan read has changed since it began, and it was asked of the same
    // applications and windows: it is taken again without reading anything.
    if (lastScan_ && lastScan_->inputs == inputs && !applying) {
        const auto stamp = services_.windowList->changeStamp();
        if (stamp && stamp == lastScan_->snapshot.stamp) {
            services_.dispatch->async([weak = weak_from_this(), last = lastScan_, revision, diagnostic] {
                if (auto self = weak.lock()) self->scanFinished(last->snapshot, revision, diagnostic);
            });
            return;
        }
    }
    scanQueue->async([weak = weak_from_this(), inputs = std::move(inputs), revision, memo = scanMemo_,
                      accessibility = services_.accessibility, windowList = services_.windowList,
                      dispatch = services_.dispatch]() mutable {
        auto snapshot = WindowScan::capture(*accessibility, *windowList, inputs.applications, inputs.retained,
                                            inputs.diagnostic, memo.get());
        // A scan whose every read was kept can stand for the next ones while nothing changes.
        std::shared_ptr<const KeptScan> kept;
        if (snapshot.settled && snapshot.stamp) kept = std::make_shared<const KeptScan>(KeptScan{inputs, snapshot});
        dispatch->async([weak, snapshot = std::move(snapshot), kept = std::move(kept), revision,
                         diagnostic = inputs.diagnostic]() mutable {
            if (auto self = weak.lock()) {
                self->lastScan_ = std::move(kept);
                self->scanFinished(std::move(snapshot), revision, diagnostic);
            }
        });
    });
}

void Coordinator::scanFinished(ScanSnapshot snapshot, int revision, bool diagnostic) {
    scanInFlight = false;
    // What it read stays good under its change stamps, even when the scan itself is retaken.
    scanMemo_ = snapshot.memo;
    // A scan that overlapped an apply describes frames that are no longer asked for.
    // So does one that began before a known window was destroyed: it may hold the window that
    // is gone under a number that now names another.
    if (revision != layoutRevision || applying || diagnostic != access->includeFixture ||
        closuresAtScanStart_ != windowClosures_) {
        refresh();
        return;
    }
    windows = access->merge(snapshot, managerAway() || managerLeft(snapshot));
    // Windows that closed no longer hold entries of a restore that is settling.
    settleRecovery();
    scannedOnScreen_ = std::move(snapshot.onScreen);
    scannedRevision_ = layoutRevision;
    finishRefresh();
    auto queued = std::move(refreshCompletions);
    refreshCompletions.clear();
    for (auto& completion : queued) completion();
    if (arrivalsPassWanted_ && !scanInFlight) startArrivalsPass();
}

void Coordinator::windowClosed(std::uint32_t number) {
    const auto forgotten = access->forgetWindow(number);
    if (forgotten.empty()) return;
    ++windowClosures_;
    const std::set<std::string> gone(forgotten.begin(), forgotten.end());
    windows.modify(
        [&](WindowList& list) { std::erase_if(list, [&](const auto& record) { return gone.contains(record->id); }); });
    // A window that is gone no longer holds an entry of a restore that is settling.
    settleRecovery();
}

void Coordinator::windowAppeared() {
    if (!managing.get() || stopping) return;
    // The scan in flight may have missed the window: one more pass once it is in.
    if (scanInFlight) {
        arrivalsPassWanted_ = true;
        return;
    }
    startArrivalsPass();
}

void Coordinator::startArrivalsPass() {
    arrivalsPassWanted_ = false;
    refresh([weak = weak_from_this()] {
        if (auto self = weak.lock()) self->processArrivals();
    });
}

void Coordinator::finishRefresh() {
    if (selectedWindow.get() && access->records.contains(*selectedWindow.get())) {
        // The selected window is still there.
    } else if (!windows->empty()) {
        selectedWindow = windows->front()->id;
    } else {
        selectedWindow = std::nullopt;
    }
    ensureWorkspaces();
}

void Coordinator::ensureWorkspaces() {
    if (!automaticUpdates || !trusted.get() || stopping) return;
    if (zendraRunning()) {
        if (managing.get()) restore();
        status = kOtherWindowManagerStatus;
        return;
    }
    for (const auto& display : displays.get()) {
        if (!states->contains(display.id)) states.modify([&](auto& map) { map.emplace(display.id, WorkspaceState{}); });
    }
    for (const auto& display : displays.get()) {
        if (!currentSpaces.contains(display.id)) currentSpaces[display.id] = spaceOf(display);
    }
    if (!managing.get()) {
        managing = true;
        spatialInput->install();
    }
    if (autoTile.get() && !didInitialArrange) {
        didInitialArrange = true;
        arrangeCurrentSnapshot(std::nullopt);
    }
}

bool Coordinator::zendraRunning() const {
    const auto running = services_.workspace->sharedApplications();
    for (const auto& application : *running) {
        if (application.applicationID && *application.applicationID == kZendraApplicationID) return true;
    }
    return false;
}

std::optional<DisplayInfo> Coordinator::displayUnderPointer() const {
    const Point location = services_.pointer->location();
    for (const auto& display : displays.get()) {
        if (display.screen.frame.contains(location)) return display;
    }
    return std::nullopt;
}

}  // namespace arvelo
