// ChromeController.cpp: building, clearing and restacking the chrome panels of each display, and
// telling the miniature tiles of new pictures.
#include "Arvelo/Chrome/ChromeController.h"

#include "Arvelo/Coordinator/Coordinator.h"

namespace arvelo {

ChromeController::ChromeController(std::weak_ptr<Coordinator> coordinator, bool presentsPanels_)
    : presentsPanels(presentsPanels_), coordinator_(std::move(coordinator)) {}

void ChromeController::clear() {
    tabBars.clear();
    if (dropPanel) dropPanel->orderOut();
    for (const auto& panel : panels) {
        panel->orderOut();
        panel->close();
    }
    panels.clear();
    representedMinis.clear();
}

std::shared_ptr<ChromePanel> ChromeController::addPanel(ChromePanelKind kind, const DisplayInfo& display, Rect frame) {
    auto panel = std::make_shared<ChromePanel>();
    panel->kind = kind;
    panel->displayID = display.id;
    panel->frame = frame;
    panels.push_back(panel);
    return panel;
}

void ChromeController::show(const LayoutResult& result, const DisplayInfo& display) {
    const auto coordinator = coordinator_.lock();
    if (!coordinator || !coordinator->managing.get()) return;
    const auto stateIt = coordinator->states->find(display.id);
    if (stateIt == coordinator->states->end() || stateIt->second.root.allWindows().empty()) return;
    const WorkspaceState& state = stateIt->second;
    const auto& records = coordinator->access->records;

    if (state.focus || state.camera) {
        const Rect& visible = display.frame;
        addPanel(ChromePanelKind::zoomBar, display, Rect(visible.x, visible.y, visible.width, kZoomBarHeight))
            ->orderFront();
    }
    for (const auto& tile : result.tiles) {
        const auto recordIt = records.find(tile.selected);
        const auto* record = recordIt == records.end() ? nullptr : recordIt->second.get();
        if (tile.miniature && record && record->parked) {
            auto panel = addPanel(ChromePanelKind::miniature, display, tile.frame);
            panel->nodeID = tile.nodeID;
            panel->windows = tile.windows;
            panel->selected = tile.selected;
            panel->orderFront();
            representedMinis.insert(tile.selected);
        }
        if (tile.windows.size() >= 2) {
            auto panel = addPanel(ChromePanelKind::tabBar, display,
                                  Rect(tile.frame.x, tile.frame.y, tile.frame.width, tile.tabHeight()));
            panel->nodeID = tile.nodeID;
            panel->windows = tile.windows;
            panel->selected = tile.selected;
            panel->windowNumber = record ? record->cgID : 0;
            panel->orderAbove(panel->windowNumber);
            tabBars.push_back(panel);
        }
    }
    for (const auto& seam : result.seams) {
        auto panel = addPanel(ChromePanelKind::seamHandle, display, seam.frame);
        panel->nodeID = seam.nodeID;
        panel->orderFront();
    }
}

void ChromeController::restackTabBars() {
    const auto coordinator = coordinator_.lock();
    if (coordinator && coordinator->services().pointer->leftButtonDown()) return;
    if (!presentsPanels) return;
    for (const auto& bar : tabBars) {
        bar->normalLevel = true;
        bar->orderAbove(bar->windowNumber);
    }
}

void ChromeController::showDropPreview(const Rect& rect, const std::string& label) {
    if (!dropPanel) {
        dropPanel = std::make_shared<ChromePanel>();
        dropPanel->kind = ChromePanelKind::dropPreview;
    }
    dropPanel->frame = rect;
    dropPanel->label = label;
    dropPanel->orderFront();
}

void ChromeController::hideDropPreview() {
    if (dropPanel) dropPanel->orderOut();
}

void ChromeController::refreshPreviewImages() {
    ++pictureRefreshes;
    for (const auto& panel : panels)
        if (panel->kind == ChromePanelKind::miniature) panel->redraw();
}

}  // namespace arvelo
