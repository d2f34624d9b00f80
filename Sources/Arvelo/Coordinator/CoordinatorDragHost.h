// SPDX-License-Identifier: MIT
// CoordinatorDragHost.h: the window drag controller's view of the coordinator: the few reads
// and operations of WindowDragHost, answered by the coordinator (held weakly), its window
// table, its chrome and its drop handling.
#pragma once

#include <memory>

#include "Arvelo/Input/WindowDragHost.h"

namespace arvelo {

class Coordinator;

class CoordinatorDragHost final : public WindowDragHost {
public:
    explicit CoordinatorDragHost(std::weak_ptr<Coordinator> coordinator) : coordinator_(std::move(coordinator)) {}

    bool attached() const override { return !coordinator_.expired(); }
    bool managing() const override;
    bool chromeSuspended() const override;
    bool dragDocking() const override;
    Point pointerAX() const override;
    std::shared_ptr<WindowRecord> recordWithNumber(std::uint32_t number) const override;
    std::shared_ptr<WindowRecord> record(const std::string& key) const override;
    std::optional<Rect> currentFrame(const WindowRecord& record) const override;
    void note(std::string line) override;
    void updateDropPreview(const std::string& key, Point at) override;
    std::optional<DockEdge> dropEdge(const std::string& key, Point at) const override;
    void finishWindowDrop(const std::string& key, Point at, std::optional<Point> moved) override;
    void hideDropPreview() override;
    void resizeDocked(const std::string& key, const Rect& frame) override;
    void restackTabBars() override;
    void writeDiagnostics() override;
    void selectDisplayUnderPointer() override;
    void zoomOut() override;
    void focusTileAt(Point point) override;

private:
    std::weak_ptr<Coordinator> coordinator_;
};

}  // namespace arvelo
