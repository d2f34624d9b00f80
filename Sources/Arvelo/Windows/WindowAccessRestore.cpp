// SPDX-License-Identifier: MIT
// WindowAccessRestore.cpp: putting windows back at their original frames. A window keeps its
// original frame until a read-back shows it there, so a restore that fails can be tried again
// (and the original still reaches the recovery file) instead of being lost.
// Restoring every window sends each its frame ahead, stage by stage across all of them, before
// the one-by-one restores: a window manager answers each request in its own time, and each
// staged write waits for its window's answer, so one after another twenty windows would cost
// twenty waits. Sent ahead, the answers come in while the other windows are written, and the
// restores find the windows in place.
#include "Arvelo/Windows/WindowAccess.h"

#include <algorithm>
#include <cmath>

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
    if (!dryRun) sendAhead(restoring);
    for (const RecordPtr& record : restoring) restore(record);
}

void WindowAccess::sendAhead(const std::vector<RecordPtr>& restoring) {
    if (restoring.size() < 2) return;
    std::vector<platform::AccessElement> elements;
    elements.reserve(restoring.size());
    for (const RecordPtr& record : restoring) elements.push_back(record->element);
    const std::vector<std::string> attributes{std::string(ax::kPosition), std::string(ax::kSize),
                                              std::string(ax::kMinimized)};
    const auto values = ax_.copyAttributeValues(elements, attributes, kNormalTimeout);

    struct Ahead {
        platform::AccessElement element;
        Rect current;
        Rect target;
    };
    std::vector<Ahead> ahead;
    for (std::size_t i = 0; i < restoring.size() && i < values.size(); ++i) {
        const auto position = values[i][0].value.point();
        const auto size = values[i][1].value.size();
        // A minimised window, or one that cannot be read, is left to its own restore.
        if (!position || !size || values[i][2].value.boolean().value_or(true)) continue;
        ahead.push_back(
            {elements[i], Rect(position->x, position->y, size->width, size->height), *restoring[i]->originalFrame});
    }
    // The stages of the staged write, each across every window.
    for (Ahead& a : ahead) {
        if (a.current.width <= a.target.width + kWriteTolerance &&
            a.current.height <= a.target.height + kWriteTolerance)
            continue;
        const Size smaller{std::min(a.current.width, a.target.width), std::min(a.current.height, a.target.height)};
        ax_.setAttributeValue(a.element, ax::kSize, smaller, kWriteTimeout);
        a.current = Rect(a.current.x, a.current.y, smaller.width, smaller.height);
    }
    for (const Ahead& a : ahead)
        if (std::abs(a.current.x - a.target.x) > kWriteTolerance ||
            std::abs(a.current.y - a.target.y) > kWriteTolerance)
            ax_.setAttributeValue(a.element, ax::kPosition, a.target.origin(), kWriteTimeout);
    for (const Ahead& a : ahead)
        if (std::abs(a.current.width - a.target.width) > kWriteTolerance ||
            std::abs(a.current.height - a.target.height) > kWriteTolerance)
            ax_.setAttributeValue(a.element, ax::kSize, a.target.size(), kWriteTimeout);
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
