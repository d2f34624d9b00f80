// SPDX-License-Identifier: MIT
// CoordinatorLookups.cpp: the lookups the coordinator's clients read through their faces: a
// record by key, a window's frame and minimised state read from it now, and the mouse location
// in the top-left-origin space.
#include "Arvelo/Coordinator/Coordinator.h"

namespace arvelo {

std::shared_ptr<WindowRecord> Coordinator::record(const std::string& key) const {
    const auto recordIt = access->records.find(key);
    return recordIt == access->records.end() ? nullptr : recordIt->second;
}

std::optional<Rect> Coordinator::currentFrame(const WindowRecord& record) const { return access->rect(record.element); }

bool Coordinator::minimizedNow(const WindowRecord& record) const {
    return access->boolValue(record.element, platform::ax::kMinimized);
}

Point Coordinator::pointerLocation() const {
    const Point location = services_.pointer->location();
    const auto screens = services_.screens->screens();
    const double primaryHeight = screens.empty() ? 0 : screens.front().frame.height;
    return {location.x, primaryHeight - location.y};
}

}  // namespace arvelo
