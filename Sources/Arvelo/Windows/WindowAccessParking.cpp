// SPDX-License-Identifier: MIT
// WindowAccessParking.cpp: hiding a window by parking it just outside an area, bringing a
// window and its application to the front, pressing a window's close button, and finding a
// sheet attached to a window.
#include "Arvelo/Windows/WindowAccess.h"

#include <algorithm>
#include <cmath>

namespace arvelo {
namespace {
namespace ax = platform::ax;
}

bool WindowAccess::park(const RecordPtr& record, const Rect& area, const std::vector<Rect>& avoiding) {
    WindowRecord& r = *record;
    if (dryRun) {
        if (!r.originalFrame) r.originalFrame = r.frame;
        r.parked = true;
        r.expectedFrame.reset();
        return true;
    }
    noteOriginal(r);
    // Ends the checks of the last placement, and a restore still running.
    r.expectedFrame.reset();
    r.restoreTarget.reset();

    const auto current = rect(r.element);
    const Size size = current ? current->size() : r.frame.size();
    // Beyond the area's bottom-right corner with a sliver inside, or else beyond its bottom-left.
    Point spot{area.maxX() - kParkedSliver, area.maxY() - kParkedSliver};
    const Rect there(spot, size);
    if (std::any_of(avoiding.begin(), avoiding.end(), [&](const Rect& avoided) { return there.intersects(avoided); }))
        spot = {area.minX() - size.width + kParkedSliver, area.maxY() - kParkedSliver};

    const bool atSpot = current && r.parked && std::abs(current->x - spot.x) < kParkTolerance &&
                        std::abs(current->y - spot.y) < kParkTolerance;
    const bool minimized = boolValue(r.element, ax::kMinimized);
    // A minimised window is out of sight wherever it is: it is left as it is (un-minimising it
    // to move it would show it, and under mutter activate it).
    if (minimizeParked && minimized) {
        r.parked = true;
        return true;
    }
    if (atSpot && !minimizeParked) return true;
    if (!atSpot) {
        if (minimized) ax_.setAttributeValue(r.element, ax::kMinimized, false, kNormalTimeout);
        r.parked =
            ax_.setAttributeValue(r.element, ax::kPosition, spot, kParkTimeout) == platform::AccessError::success;
    }
    // Out of sight under every manager; the minimised window keeps its place beside the area.
    if (r.parked && minimizeParked) ax_.setAttributeValue(r.element, ax::kMinimized, true, kNormalTimeout);
    return r.parked;
}

void WindowAccess::raise(const RecordPtr& record) {
    WindowRecord& r = *record;
    const std::int32_t pid = r.app.pid;
    std::map<std::string, std::string> trace;
    const auto note = [&](const char* step) {
        if (includeFixture) trace[step] = pointerText();
    };

    note("before");
    if (boolValue(r.element, ax::kMinimized)) ax_.setAttributeValue(r.element, ax::kMinimized, false, kNormalTimeout);
    note("afterUnminimize");
    services_.workspace->unhide(pid);
    note("afterUnhide");
    services_.workspace->yieldActivation(pid);
    note("afterYieldActivation");
    if (ax_.isAttributeSettable(r.element, ax::kMain, kNormalTimeout).yes())
        ax_.setAttributeValue(r.element, ax::kMain, true, kNormalTimeout);
    note("afterAXMain");
    if (ax_.isAttributeSettable(r.element, ax::kFocused, kNormalTimeout).yes())
        ax_.setAttributeValue(r.element, ax::kFocused, true, kNormalTimeout);
    note("afterAXFocused");
    ax_.performAction(r.element, ax::kRaiseAction, kNormalTimeout);
    note("afterAXRaise");
    services_.workspace->activate(pid, platform::ActivationOptions::none);
    note("afterAppActivate");
    r.lastActivationTrace = std::move(trace);
}

std::string WindowAccess::pointerText() const {
    // The pointer as an event reports it: top-left-origin space.
    const Point location = services_.pointer->location();
    const auto screens = services_.screens->screens();
    const double primaryHeight = screens.empty() ? 0 : screens.front().frame.height;
    return toString(Point{location.x, primaryHeight - location.y});
}

void WindowAccess::close(const RecordPtr& record) {
    if (dryRun) return;
    const auto button = ax_.copyAttributeValue(record->element, ax::kCloseButton, kNormalTimeout);
    if (const auto element = button.ok() ? button.value.element() : std::nullopt)
        ax_.performAction(*element, ax::kPressAction, kNormalTimeout);
}

std::optional<Rect> WindowAccess::sheetFrame(const RecordPtr& record) { return sheetFrames({record}).front(); }

std::vector<std::optional<Rect>> WindowAccess::sheetFrames(const std::vector<RecordPtr>& records) {
    std::vector<std::optional<Rect>> frames(records.size());
    if (dryRun || records.empty()) return frames;
    std::vector<std::optional<std::uint64_t>> stamps(records.size());
    std::vector<RecordPtr> unread;
    std::vector<std::size_t> unreadAt;
    for (std::size_t i = 0; i < records.size(); ++i) {
        stamps[i] = ax_.changeStamp(records[i]->element);
        const auto look = sheetLooks_.find(records[i]->element);
        if (stamps[i] && look != sheetLooks_.end() && look->second.stamp == *stamps[i]) {
            frames[i] = look->second.frame;
            continue;
        }
        unread.push_back(records[i]);
        unreadAt.push_back(i);
    }
    std::vector<bool> read;
    const auto found = readSheetFrames(unread, read);
    for (std::size_t j = 0; j < unread.size(); ++j) {
        const std::size_t i = unreadAt[j];
        frames[i] = found[j];
        if (stamps[i] && read[j])
            sheetLooks_[records[i]->element] = {*stamps[i], found[j]};
        else
            sheetLooks_.erase(records[i]->element);
    }
    // Looks at windows no longer in the table are of no use.
    std::erase_if(sheetLooks_, [&](const auto& entry) {
        return std::none_of(this->records.begin(), this->records.end(),
                            [&](const auto& record) { return record.second->element == entry.first; });
    });
    return frames;
}

std::vector<std::optional<Rect>> WindowAccess::readSheetFrames(const std::vector<RecordPtr>& records,
                                                               std::vector<bool>& read) {
    std::vector<std::optional<Rect>> frames(records.size());
    read.assign(records.size(), false);
    if (records.empty()) return frames;
    std::vector<platform::AccessElement> elements;
    elements.reserve(records.size());
    for (const RecordPtr& record : records) elements.push_back(record->element);
    const std::vector<std::string> attributes{std::string(ax::kChildren)};
    const auto children = ax_.copyAttributeValues(elements, attributes, kNormalTimeout);
    // The roles of every window's children, in one batch too.
    std::vector<platform::AccessElement> allChildren;
    std::vector<std::size_t> ownerOf;  // per child: the index of its window
    for (std::size_t i = 0; i < records.size(); ++i) {
        const platform::AccessResult& childrenRead = children[i].front();
        const auto childElements = childrenRead.ok() ? childrenRead.value.elements() : std::nullopt;
        if (!childElements) continue;
        read[i] = true;
        for (const platform::AccessElement& child : *childElements) {
            allChildren.push_back(child);
            ownerOf.push_back(i);
        }
    }
    if (allChildren.empty()) return frames;
    const auto roles = ax_.copyAttributeValues(allChildren, {std::string(ax::kRole)}, kNormalTimeout);
    std::vector<bool> found(records.size(), false);
    for (std::size_t c = 0; c < allChildren.size(); ++c) {
        const std::size_t i = ownerOf[c];
        if (found[i]) continue;
        const platform::AccessResult& role = roles[c].front();
        if (role.ok() && role.value.string() == ax::kSheetRole) {
            found[i] = true;
            frames[i] = rect(allChildren[c]);
        }
    }
    return frames;
}

}  // namespace arvelo
