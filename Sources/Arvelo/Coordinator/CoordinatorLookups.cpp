// SPDX-License-Identifier: MIT
// CoordinatorLookups.cpp: the lookups the coordinator's clients read through their faces: a
// record by key, a window's frame and minimised state read from it now, the chrome's panels
// and its drop preview, and the mouse location in the top-left-origin space.
#include "Arvelo/Coordinator/Coordinator.h"

#include "Arvelo/Chrome/ChromeController.h"

namespace arvelo {

std::shared_ptr<WindowRecord> Coordinator::record(const std::string& key) const {
    const auto recordIt = access->records.find(key);
    return recordIt == access->records.end() ? nullptr : recordIt->second;
}

std::optional<Rect> Coordinator::currentFrame(const WindowRecord& record) const { return access->rect(record.element); }

bool Coordinator::minimizedNow(const WindowRecord& record) const {
    return access->boolValue(record.element, platform::ax::kMinimized);
}

const std::vector<std::shared_ptr<ChromePanel>>& Coordinator::chromePanels() const { return chrome->panels; }

void Coordinator::showDropPreview(const Rect& rect, const std::string& label) {
    if (chrome) chrome->showDropPreview(rect, label);
}

void Coordinator::hideDropPreview() {
    if (chrome) chrome->hideDropPreview();
}

Point Coordinator::pointerLocation() const {
    const Point location = services_.pointer->location();
    const auto screens = services_.screens->screens();
    const double primaryHeight = screens.empty() ? 0 : screens.front().frame.height;
    return {location.x, primaryHeight - location.y};
}

}  // namespace arvelo
