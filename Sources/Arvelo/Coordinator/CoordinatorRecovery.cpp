// SPDX-License-Identifier: MIT
// CoordinatorRecovery.cpp: getting the windows back: the original frames written to
// "restore.json" before anything moves, restore() of every window, recovery from the file a
// run that ended without restoring left behind, and the last layout in "last-view.json".
// A recovery file found at launch stays authoritative for the windows it names until the user
// recovers or restores: their originals are taken from it, and its entries that match no
// window now are carried over into every rewrite of the file.
#include "Arvelo/Coordinator/Coordinator.h"

#include <algorithm>

#include "Arvelo/Chrome/ChromeController.h"
#include "Arvelo/Input/SpatialInputController.h"
#include "Arvelo/Input/WindowDragController.h"
#include "Arvelo/State/StoredText.h"

namespace arvelo {

namespace {

constexpr const char* kRestoredStatus = "Original window positions restored.";
constexpr const char* kRecoveredStatus = "Restored matching windows from the previous session.";
constexpr const char* kLastLayoutName = "Last layout";

}  // namespace

std::string Coordinator::identity(const WindowRecord& record) {
    // Both parts come from the application: stored and compared in one bounded, valid form.
    return storedIdentity(record.applicationID() + "|" + record.title);
}

void Coordinator::noteOriginalFrame(WindowRecord& record) {
    if (record.originalFrame) return;
    if (const auto earlier = recovery_->claimEarlier(identity(record), record.app.pid, record.id)) {
        record.originalFrame = *earlier;
        record.originalMinimized = access->boolValue(record.element, platform::ax::kMinimized);
        return;
    }
    record.originalFrame = access->rect(record.element).value_or(record.frame);
    record.originalMinimized = access->boolValue(record.element, platform::ax::kMinimized);
}

std::vector<RestoreEntry> Coordinator::recoveryEntries() const {
    std::vector<RestoreEntry> entries;
    for (const auto& record : windows.get())
        if (record->originalFrame) entries.push_back({identity(*record), record->app.pid, *record->originalFrame});
    for (const auto& [key, record] : access->records)
        if (record->unmanaged && record->originalFrame)
            entries.push_back({identity(*record), record->app.pid, *record->originalFrame});
    return entries;
}

bool Coordinator::writeRecovery() {
    auto entries = recoveryEntries();
    const auto result = recovery_->write(entries);
    if (result == RecoveryLedger::WriteResult::failed) {
        // Said once per spell of failures; the status line says it after every apply.
        if (!recoveryUnwritten_) logger.error(kRecoveryUnwrittenStatus, files_->path(StateFiles::kRestore).string());
        recoveryUnwritten_ = true;
        return false;
    }
    if (result == RecoveryLedger::WriteResult::written) recoveryUnwritten_ = false;
    recoveryWritten_ = std::move(entries);
    return true;
}

void Coordinator::beginSettlingRecovery() {
    settlingRecovery_ = true;
    settleRecovery();
}

void Coordinator::settleRecovery() {
    if (!settlingRecovery_) return;
    const auto pending = recoveryEntries();
    recovery_->settle(pending);
    // Every window is back or gone: nothing more to settle until windows move again.
    if (pending.empty()) settlingRecovery_ = false;
}

void Coordinator::freeAllWindows() {
    autoTile = false;
    restore();
    // Replaces whatever the restore itself said.
    status = kFreedStatus;
}

void Coordinator::restore() {
    pictures->cancelPreparation();
    chromeDragging = false;
    resizingSeam = false;
    windowDrag->cancel();
    spatialInput->stop();
    managing = false;
    if (overview) {
        const bool wasVisible = overview->visible();
        overview->hide();
        if (wasVisible) restoreChrome();
    }
    chrome->clear();
    access->restoreAll();
    // Each entry leaves the recovery file once its window is confirmed back or gone; the
    // earlier run's entries that no window here claimed name windows that are gone.
    recovery_->forgetUnclaimed();
    beginSettlingRecovery();
    states = std::map<std::string, WorkspaceState>{};
    navigation_.clear();
    // Every window is free now: none is docked again as an arrival until the user arranges
    // (which empties this set) or drops it somewhere. Windows opened later still dock.
    floatedWindows.clear();
    for (const auto& record : windows.get()) floatedWindows.insert(record->id);
    recoveryAvailable = false;
    status = kRestoredStatus;
    requestLayoutDiagnostics();
    refresh();
}

void Coordinator::recover() {
    refresh([weak = weak_from_this()] {
        if (auto self = weak.lock()) self->recoverCurrentSnapshot();
    });
}

void Coordinator::recoverCurrentSnapshot() {
    if (!trusted.get()) return;
    const auto entries = recovery_->read();
    if (!entries) return;
    for (const auto& entry : *entries) {
        const auto& list = windows.get();
        const auto match = std::find_if(list.begin(), list.end(), [&](const auto& record) {
            return identity(*record) == storedIdentity(entry.identity) && record->app.pid == entry.pid;
        });
        if (match == list.end()) continue;
        (*match)->originalFrame = entry.frame;
        access->restore(*match);
    }
    // The matched windows carry their entries until they are confirmed back; the others name
    // windows that are gone.
    recovery_->forgetUnclaimed();
    beginSettlingRecovery();
    recoveryAvailable = false;
    status = kRecoveredStatus;
    refresh();
}

bool Coordinator::resumeLastLayout() {
    if (!files_->exists(StateFiles::kLastView))
        logger.error("Cannot resume the last layout: last-view.json is missing");
    // An unreadable file has its reason logged by the read.
    const auto last = files_->readLastView();
    if (!last) {
        status = kLastLayoutUnreadableStatus;
        return false;
    }
    recall(*last);
    if (dashboard) dashboard->hide();
    return true;
}

void Coordinator::persistCurrent() {
    if (!managing.get() || states->empty() || access->includeFixture) return;
    SavedView last;
    last.id = 0;
    last.name = kLastLayoutName;
    last.displays = states.get();
    for (const auto& record : windows.get()) last.identities.emplace(record->id, identity(*record));
    // Only a file that was really written can be offered for resuming.
    if (files_->writeLastView(last) && !resumeAvailable.get()) resumeAvailable = true;
}

}  // namespace arvelo
