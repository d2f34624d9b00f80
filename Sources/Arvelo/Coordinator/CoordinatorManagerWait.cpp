// SPDX-License-Identifier: MIT
// CoordinatorManagerWait.cpp: riding out a window manager that goes away and comes back
// (replaced, restarted, killed and started again). While it is away the arranged windows are
// managed by nobody: the layout is kept as it is, nothing is pruned, docked or corrected, and
// every window keeps its original frame; once the manager has taken them all again the layout
// is applied again. A manager that stays away longer than the wait leaves the arranger to go
// on as it does when windows go.
#include "Arvelo/Coordinator/Coordinator.h"

#include <algorithm>

namespace arvelo {

namespace {

// How long the arranger waits for a window manager to take its windows again.
constexpr double kManagerWait = 10.0;

}  // namespace

std::size_t Coordinator::arrangedUnmanagedCount(std::size_t& arranged) const {
    std::size_t unmanaged = 0;
    arranged = 0;
    for (const auto& [displayID, state] : states.get()) {
        for (const auto& key : state.root.allWindows()) {
            ++arranged;
            const auto record = access->records.find(key);
            if (record != access->records.end() && record->second->unmanaged) ++unmanaged;
        }
    }
    return unmanaged;
}

bool Coordinator::managerAway() const {
    if (managerAwaySince_) return true;
    if (managerWaitSpent_) return false;
    std::size_t arranged = 0;
    const std::size_t unmanaged = arrangedUnmanagedCount(arranged);
    // One window its client withdrew (hidden to a tray) is no manager going away; all the
    // arranged windows at once, or several of them, or no manager at all, are.
    return !trusted.get() || (unmanaged > 0 && (unmanaged == arranged || unmanaged >= 2));
}

bool Coordinator::managerLeft(const ScanSnapshot& snapshot) const {
    std::size_t arranged = 0, unmanaged = 0;
    for (const auto& [displayID, state] : states.get())
        for (const auto& key : state.root.allWindows()) {
            ++arranged;
            if (snapshot.unmanaged.contains(key)) ++unmanaged;
        }
    return unmanaged > 0 && (unmanaged == arranged || unmanaged >= 2);
}

bool Coordinator::waitingForManager() {
    std::size_t arranged = 0;
    const std::size_t unmanaged = arrangedUnmanagedCount(arranged);
    if (trusted.get() && unmanaged == 0) {
        managerWaitSpent_ = false;
        if (!managerAwaySince_) return false;
        managerAwaySince_.reset();
        logger.info("The window manager manages the arranged windows again: laying them out again");
        apply();
        return true;
    }
    if (managerAwaySince_) {
        if (now() - *managerAwaySince_ < kManagerWait) return true;
        managerAwaySince_.reset();
        managerWaitSpent_ = true;
        logger.info("The window manager did not take the arranged windows again within " +
                    std::to_string(static_cast<int>(kManagerWait)) + " s");
        if (!trusted.get()) windows = WindowList{};
        return false;
    }
    if (!managerAway()) return false;
    managerAwaySince_ = now();
    logger.info("The window manager let the arranged windows go: waiting for it to take them again");
    return true;
}

}  // namespace arvelo
