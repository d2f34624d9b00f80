// SPDX-License-Identifier: MIT
// CoordinatorApply.cpp: apply(), the one place where the arranger turns the arrangement held
// in `states` into window frames: each display is solved, every window it does not show is
// parked beside it, every shown window is placed in its tile; then overflow tabbing may
// change a tree and start the pass again, the chrome is rebuilt, the state files and the
// diagnostics are written and the status line tells the outcome.
#include "Arvelo/Coordinator/Coordinator.h"

#include <algorithm>
#include <cmath>

#include "Arvelo/Chrome/ChromeController.h"
#include "Arvelo/Input/SpatialInputController.h"

namespace arvelo {

namespace {

// A window whose tile is smaller than its learnt minimum is offered the tile's own size again
// at most this often.
constexpr double kMinimumReprobeInterval = 30;
// How long the coordinator waits for the frontmost application's focused window.
constexpr double kFocusedWindowTimeout = 0.2;

std::string refusedName(const WindowRecord& record) {
    if (record.app.localizedName) return *record.app.localizedName;
    return record.applicationID();
}

}  // namespace

void Coordinator::apply() {
    // Overflow tabbing may change a tree after a pass; the next pass then places the windows of
    // the changed tree. The passes are bounded, so a tree that keeps changing cannot keep the
    // main thread: past the bound the windows stay as the last pass placed them.
    std::set<std::string> refused;
    bool chromeInUse = false;
    for (int pass = 1;; ++pass) {
        if (!beginPass() || writesHeld()) return;
        chromeInUse = resizingSeam || chromeDragging;
        refused = placeWindows(chromeInUse);
        if (pass == kMostApplyPasses) {
            logger.error("Overflow tabbing still changed the layout after " + std::to_string(pass) +
                         " passes; leaving it as placed");
            break;
        }
        if (!(tabOverflow() || untabOverflow())) break;
    }
    finishApply(chromeInUse, refused);
}

bool Coordinator::beginPass() {
    // Nothing to do, nothing left, or no permission to write.
    if (!managing.get() || applying) return false;
    // A window manager that is away is waited for (CoordinatorManagerWait.cpp): nothing is
    // taken out of the layouts or written meanwhile.
    if (managerAway()) return false;
    removeUnavailableWindows();
    if (states->empty()) {
        stopEmptyWorkspace();
        return false;
    }
    if (!trusted.get()) {
        chrome->clear();
        spatialInput->stop();
        return false;
    }
    return true;
}

void Coordinator::saveOriginalsBeforeMoving() {
    // The arrangement is live again: its own writes keep the recovery file from now on.
    settlingRecovery_ = false;
    if (access->dryRun) return;
    for (const auto& [displayID, state] : states.get()) {
        for (const auto& key : state.root.allWindows()) {
            const auto recordIt = access->records.find(key);
            if (recordIt != access->records.end()) noteOriginalFrame(*recordIt->second);
        }
    }
    // Docking and recalling note originals before they call apply: whatever the file does not
    // hold yet is written now.
    if (recoveryEntries() != recoveryWritten_ || recoveryUnwritten_) writeRecovery();
}

std::set<std::string> Coordinator::placeWindows(bool chromeInUse) {
    // One pass at a time; a scan taken before it is stale.
    spatialInput->install();
    applying = true;
    layoutRevision += 1;
    if (!chromeInUse) chrome->clear();

    // Every window this pass may move has its original frame remembered and saved before the
    // first one moves; a window new to the arrangement would otherwise lose it in a crash.
    saveOriginalsBeforeMoving();

    // Park what each display does not show, then place what it shows.
    std::set<std::string> refused;
    placements_ = {};
    for (const auto& display : displays.get()) {
        const auto stateIt = states->find(display.id);
        if (stateIt == states->end()) continue;
        const LayoutResult result = layout(display.id);
        std::vector<const Tile*> shownTiles;
        std::set<std::string> shownKeys;
        for (const auto& tile : result.tiles) {
            if (tile.miniature || tile.windows.empty()) continue;
            shownTiles.push_back(&tile);
            shownKeys.insert(tile.selected);
        }
        std::vector<Rect> avoided;
        for (const auto& other : displays.get())
            if (other.id != display.id) avoided.push_back(other.screenFrame);

        for (const auto& key : stateIt->second.root.allWindows()) {
            if (shownKeys.contains(key)) continue;
            const auto recordIt = access->records.find(key);
            if (recordIt == access->records.end()) continue;
            WindowRecord& record = *recordIt->second;
            if (record.fullScreen) continue;
            if (!access->dryRun) noteOriginalFrame(record);
            if (!access->park(recordIt->second, display.screenFrame, avoided)) refused.insert(refusedName(record));
        }
        // Windows that move (a window just docked, the neighbour that makes room) are written
        // before those already asked to stand where they are, so a new window takes its tile
        // without waiting for the checks of every other window.
        std::vector<std::pair<std::shared_ptr<WindowRecord>, Rect>> placing;
        for (const Tile* tile : shownTiles) {
            const auto recordIt = access->records.find(tile->selected);
            if (recordIt == access->records.end()) continue;
            placing.emplace_back(recordIt->second, targetFrame(*tile, *recordIt->second, display));
        }
        std::stable_partition(placing.begin(), placing.end(), [](const auto& entry) {
            return !entry.first->expectedFrame || *entry.first->expectedFrame != entry.second;
        });
        for (const auto& [shared, target] : placing) {
            WindowRecord& record = *shared;
            if (frameHeldByManager(record)) continue;
            if (!access->dryRun) noteOriginalFrame(record);
            const Rect before = record.frame;
            const bool written = access->place(shared, target);
            if (!written) refused.insert(refusedName(record));
            notePlacement(record, before, target, written);
        }
    }
    lastApply = now();
    applying = false;
    return refused;
}

void Coordinator::finishApply(bool chromeInUse, const std::set<std::string>& refused) {
    // The focused window, the chrome and the state files follow the placed layout.
    if (automaticUpdates) lastFocusedKey = focusedWindowKey();
    if (!chromeInUse) {
        for (const auto& display : displays.get())
            if (states->contains(display.id)) showChrome(display);
    }
    writeRecovery();
    persistCurrent();
    requestLayoutDiagnostics();

    // Pictures for miniature tiles that have none yet.
    std::set<std::string> missingPictures;
    for (const auto& display : displays.get()) {
        for (const auto& tile : layout(display.id).tiles)
            if (tile.miniature && !tile.windows.empty() && !previewImages->contains(tile.selected))
                missingPictures.insert(tile.selected);
    }
    if (!missingPictures.empty()) pictures->request(missingPictures, false);

    // The status line and the log count the windows that took their places.
    std::size_t count = 0;
    for (const auto& [id, state] : states.get()) count += state.root.allWindows().size();
    count -= std::min(count, placements_.missed);
    const bool managerTiles = !managerHonoured_ && placements_.written > 0 && placements_.held == placements_.written;
    if (managerTiles) {
        status = kManagerTilesStatus;
        if (!managerTilesSaid_) logger.error(std::string(kManagerTilesStatus) + " (no window moved to its tile)");
        managerTilesSaid_ = true;
        managerGeneration_ = services_.accessibility->windowManagerGeneration();
        // The placement's own checks would write again: they stop at their next look.
        for (const auto& [key, record] : access->records) record->expectedFrame.reset();
    } else if (refused.empty()) {
        status = count != 0
                     ? std::to_string(count) +
                           " docked windows. Drag a title bar to an edge to dock, or onto the Desktop to float it."
                     : std::string(kInitialStatus);
    } else {
        std::string names;
        for (const auto& name : refused) names += (names.empty() ? "" : ", ") + name;
        status = names + " refused a window change. Restore or exclude it.";
    }
    // Windows were moved without their originals saved: the user must know.
    if (recoveryUnwritten_) status = kRecoveryUnwrittenStatus;
    logger.debug("Applied " + std::to_string(count) + " windows; refused: " + std::to_string(refused.size()));
    onChange.send();
}

void Coordinator::notePlacement(const WindowRecord& record, const Rect& before, const Rect& target, bool written) {
    // A refusal is told as such; a dry run moves nothing.
    if (access->dryRun || !written) return;
    ++placements_.written;
    const Rect after = record.settledFrame.value_or(before);
    const auto near = [](double a, double b) { return std::abs(a - b) <= WindowAccess::kCheckTolerance; };
    // A window that moved when written shows a manager that takes writes.
    if (!near(after.x, before.x) || !near(after.y, before.y)) managerHonoured_ = true;
    if (near(after.x, target.x) && near(after.y, target.y)) return;
    ++placements_.missed;
    // Held: it did not move at all, though it was asked to.
    if (near(after.x, before.x) && near(after.y, before.y) && (!near(before.x, target.x) || !near(before.y, target.y)))
        ++placements_.held;
}

bool Coordinator::writesHeld() {
    if (!managerTilesSaid_) return false;
    if (services_.accessibility->windowManagerGeneration() == managerGeneration_) return true;
    // Another window manager took over: it is given its own chance.
    logger.info("Another window manager took over; arranging windows again");
    managerTilesSaid_ = false;
    managerHonoured_ = false;
    return false;
}

Rect Coordinator::targetFrame(const Tile& tile, WindowRecord& record, const DisplayInfo& display) {
    const Rect frame = tile.windowFrame();
    const Size minimum = record.minimum;
    double width, height;
    if (misfit(tile) && now() - record.minimumProbeAt > kMinimumReprobeInterval) {
        // Ask once more whether the window will take the tile's size after all.
        record.minimumProbeAt = now();
        width = frame.width;
        height = frame.height;
    } else {
        width = std::max(frame.width, minimum.width);
        height = std::max(frame.height, minimum.height);
    }
    // A window whose own size rules round the size down (a terminal's whole character cells)
    // is laid out at the rounded size, which it then takes exactly. One that would come out
    // larger (its own minimum) is still asked for the tile's size, so the refusal teaches its
    // minimum to the layout.
    const Size fitted = access->fittedSize(record, {width, height});
    width = std::min(width, fitted.width);
    height = std::min(height, fitted.height);
    const Rect& visible = display.frame;
    const double x = std::max(visible.minX(), std::min(frame.minX(), visible.maxX() - width));
    const double y = std::max(visible.minY(), std::min(frame.minY(), visible.maxY() - height));
    return {x, y, width, height};
}

std::optional<std::string> Coordinator::focusedWindowKey() const {
    const auto frontmost = services_.workspace->frontmostApplication();
    if (!frontmost) return std::nullopt;
    const auto result = services_.accessibility->copyAttributeValue(
        platform::AccessElement::application(frontmost->pid), platform::ax::kFocusedWindow, kFocusedWindowTimeout);
    if (!result.ok()) return std::nullopt;
    const auto focused = result.value.element();
    if (!focused) return std::nullopt;
    for (const auto& record : windows.get())
        if (record->app.pid == frontmost->pid && record->element == *focused) return record->id;
    return std::nullopt;
}

}  // namespace arvelo
