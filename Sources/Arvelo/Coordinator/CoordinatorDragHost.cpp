// SPDX-License-Identifier: MIT
// CoordinatorDragHost.cpp: each read and operation of the drag controller's view, answered by
// the coordinator; nothing happens once the coordinator is gone.
#include "Arvelo/Coordinator/CoordinatorDragHost.h"

#include "Arvelo/Chrome/ChromeController.h"
#include "Arvelo/Coordinator/Coordinator.h"
#include "Arvelo/Input/DropHandling.h"
#include "Arvelo/Input/WindowDragController.h"

namespace arvelo {

bool CoordinatorDragHost::managing() const {
    const auto c = coordinator_.lock();
    return c && c->managing.get();
}

bool CoordinatorDragHost::chromeSuspended() const {
    const auto c = coordinator_.lock();
    return c && c->chromeSuspended;
}

bool CoordinatorDragHost::dragDocking() const {
    const auto c = coordinator_.lock();
    return c && c->dragDocking.get();
}

Point CoordinatorDragHost::pointerAX() const {
    const auto c = coordinator_.lock();
    return c ? c->pointerLocation() : Point{0, 0};
}

std::shared_ptr<WindowRecord> CoordinatorDragHost::recordWithNumber(std::uint32_t number) const {
    const auto c = coordinator_.lock();
    if (!c) return nullptr;
    for (const auto& record : c->windows.get())
        if (record->windowNumber == number) return record;
    return nullptr;
}

std::shared_ptr<WindowRecord> CoordinatorDragHost::record(const std::string& key) const {
    const auto c = coordinator_.lock();
    if (!c) return nullptr;
    return c->record(key);
}

std::optional<Rect> CoordinatorDragHost::currentFrame(const WindowRecord& record) const {
    const auto c = coordinator_.lock();
    if (!c) return std::nullopt;
    return c->currentFrame(record);
}

void CoordinatorDragHost::note(std::string line) {
    const auto c = coordinator_.lock();
    if (!c) return;
    auto& trace = c->dragTrace;
    const bool full = trace.size() >= WindowDragController::kTraceLimit;
    trace.push_back(std::move(line));
    if (full) trace.erase(trace.begin(), trace.end() - WindowDragController::kTraceLimit);
}

void CoordinatorDragHost::updateDropPreview(const std::string& key, Point at) {
    if (const auto c = coordinator_.lock()) c->drops->updateDropPreview(key, at);
}

std::optional<DockEdge> CoordinatorDragHost::dropEdge(const std::string& key, Point at) const {
    const auto c = coordinator_.lock();
    if (!c) return std::nullopt;
    const auto destination = c->drops->dropDestination(key, at);
    if (!destination) return std::nullopt;
    return destination->second.edge;
}

void CoordinatorDragHost::finishWindowDrop(const std::string& key, Point at, std::optional<Point> moved) {
    if (const auto c = coordinator_.lock()) c->drops->finishWindowDrop(key, at, true, moved);
}

void CoordinatorDragHost::hideDropPreview() {
    if (const auto c = coordinator_.lock()) c->hideDropPreview();
}

void CoordinatorDragHost::resizeDocked(const std::string& key, const Rect& frame) {
    if (const auto c = coordinator_.lock()) c->resizeDocked(key, frame);
}

void CoordinatorDragHost::restackTabBars() {
    const auto c = coordinator_.lock();
    if (c && c->chrome) c->chrome->restackTabBars();
}

void CoordinatorDragHost::writeDiagnostics() {
    if (const auto c = coordinator_.lock()) c->writeLayoutDiagnostics();
}

void CoordinatorDragHost::selectDisplayUnderPointer() {
    const auto c = coordinator_.lock();
    if (!c) return;
    if (const auto display = c->displayUnderPointer()) c->selectedDisplay = display->id;
}

void CoordinatorDragHost::zoomOut() {
    if (const auto c = coordinator_.lock()) c->zoomOut();
}

void CoordinatorDragHost::focusTileAt(Point point) {
    const auto c = coordinator_.lock();
    if (!c) return;
    for (const auto& tile : c->layout(c->selectedDisplay.get()).tiles) {
        if (!tile.frame.contains(point)) continue;
        if (tile.windows.empty())
            c->focusDesktop();
        else
            c->focus(tile.selected);
        return;
    }
}

}  // namespace arvelo
