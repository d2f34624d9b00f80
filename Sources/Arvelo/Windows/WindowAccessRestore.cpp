// WindowAccessRestore.cpp: putting windows back at their original frames. A window keeps its
// original frame until a read-back shows it there, so a restore that fails can be tried again
// (and the original still reaches the recovery file) instead of being lost.
#include "Arvelo/Windows/WindowAccess.h"

namespace arvelo {
namespace {
namespace ax = platform::ax;
}

void WindowAccess::restore(const RecordPtr& record) {
    WindowRecord& r = *record;
    if (!r.originalFrame) return;
    const Rect target = *r.originalFrame;
    if (dryRun) {
        // Nothing is written: the record says the window is back.
        r.frame = target;
        r.expectedFrame.reset();
        r.settledFrame.reset();
        r.parked = false;
        r.restoreTarget.reset();
        r.originalFrame.reset();
        return;
    }
    if (boolValue(r.element, ax::kMinimized)) ax_.setAttributeValue(r.element, ax::kMinimized, false, kNormalTimeout);
    place(record, target);
    if (r.originalMinimized) ax_.setAttributeValue(r.element, ax::kMinimized, true, kNormalTimeout);
    // The checks the place just started stop at their first test; the restore task takes over.
    r.expectedFrame.reset();
    r.parked = false;
    r.restoreTarget = target;
    startTask(record, target, kRestoreDelays, &WindowAccess::restorePass);
}

void WindowAccess::restoreAll() {
    std::vector<RecordPtr> restoring;
    for (const auto& [key, record] : records)
        if (record->originalFrame) restoring.push_back(record);
    for (const RecordPtr& record : restoring) restore(record);
}

bool WindowAccess::restorePass(const RecordPtr& record, const Rect& target, std::size_t pass) {
    WindowRecord& r = *record;
    // A new place, park or restore took over.
    if (r.restoreTarget != target || r.originalFrame != target) return false;
    const auto confirm = [&] {
        r.restoreTarget.reset();
        r.originalFrame.reset();
        if (onRestoreConfirmed) onRestoreConfirmed();
        return false;
    };
    const bool last = pass + 1 == kRestoreDelays.size();
    if (const auto current = rect(r.element)) {
        if (within(*current, target, kRestoreTolerance)) return confirm();
        writeFrame(r, target);
        // The last pass reads its own write back.
        if (last) {
            const auto after = rect(r.element);
            if (after && within(*after, target, kRestoreTolerance)) return confirm();
        }
    }
    if (last) {
        r.restoreTarget.reset();
        log_.info("A window did not return to its original frame; the frame is kept for a later restore",
                  r.id + " " + toString(target));
    }
    return true;
}

}  // namespace arvelo
