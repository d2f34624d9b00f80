// SPDX-License-Identifier: MIT
// ChromeController.cpp: building, clearing and restacking the chrome panels of each display,
// the drop preview, telling the miniature tiles of new pictures, and the callbacks of every
// panel's view that report to the arranger.
#include "Arvelo/Chrome/ChromeController.h"

#include <cstdio>

#include "Arvelo/Chrome/ChromeIntents.h"

namespace arvelo {

namespace {

using platform::PanelLevel;

// The platform's point-to-string form: "{x, y}".
std::string pointText(Point p) {
    char text[64];
    std::snprintf(text, sizeof text, "{%g, %g}", p.x, p.y);
    return text;
}

// Rough width of the zoom bar's button when no view can measure it: a 14-point symbol and the
// title in a 13-point semibold font.
constexpr double kEstimatedZoomButtonWidth = 150;

}  // namespace

ChromeController::ChromeController(std::weak_ptr<ChromeIntents> intents, platform::Services services,
                                   bool presentsPanels_)
    : presentsPanels(presentsPanels_), intents_(std::move(intents)), services_(std::move(services)) {
    if (presentsPanels && services_.panels)
        translucency_ = services_.panels->translucencyChanged.connect([this](bool) { presentAgain(); });
}

void ChromeController::presentAgain() {
    if (host.present) {
        for (const auto& panel : panels)
            if (!panel->closed) host.present(*panel);
        if (dropPanel) host.present(*dropPanel);
    }
    restackTabBars();
}

double ChromeController::primaryHeight() const {
    const auto screens = services_.screens->screens();
    return screens.empty() ? 0 : screens.front().frame.height;
}

Point ChromeController::toTopLeft(Point bottomLeft) const { return {bottomLeft.x, primaryHeight() - bottomLeft.y}; }

void ChromeController::clear() {
    tabBars.clear();
    if (dropPanel) dropPanel->hide();
    for (const auto& panel : panels) {
        panel->hide();
        panel->close();
    }
    panels.clear();
    representedMinis.clear();
}

std::shared_ptr<ChromePanel> ChromeController::makePanel(ChromePanelKind kind, const DisplayInfo& display,
                                                         const Rect& frame) {
    auto panel = std::make_shared<ChromePanel>();
    panel->kind = kind;
    panel->displayID = display.id;
    panel->frame = frame;
    if (presentsPanels && services_.panels) {
        panel->platformPanels = services_.panels;
        panel->id = panel->platformPanels->create(frame);
    }
    return panel;
}

void ChromeController::finish(const std::shared_ptr<ChromePanel>& panel) {
    if (host.present) host.present(*panel);
    if (presentsPanels) panel->show();
    panels.push_back(panel);
}

void ChromeController::show(const LayoutResult& result, const DisplayInfo& display, const ChromeScene& scene) {
    const auto& records = scene.records;
    if (scene.zoomed) addZoomBar(display);
    for (const auto& tile : result.tiles) {
        if (!tile.miniature || tile.windows.empty()) continue;
        const auto record = records.find(tile.selected);
        if (record == records.end() || !record->second->parked) continue;
        addMiniature(tile, *record->second, display, scene);
    }
    for (const auto& tile : result.tiles)
        if (tile.windows.size() > 1) addTabBar(tile, display, scene);
    for (const auto& seam : result.seams) addSeamHandle(seam, display);
}

void ChromeController::addZoomBar(const DisplayInfo& display) {
    const double fitting = host.zoomButtonWidth ? host.zoomButtonWidth() : kEstimatedZoomButtonWidth;
    auto panel = makePanel(ChromePanelKind::zoomBar, display, chrome::zoomBarRect(fitting, display.frame));
    std::weak_ptr<ChromeIntents> weak = intents_;
    panel->zoomBar = ZoomBarContent{[weak] {
        if (auto c = weak.lock()) c->showEverything();
    }};
    finish(panel);
}

PressCallbacks ChromeController::windowPress(const std::string& key, const Tile& tile,
                                             const DisplayInfo& display) const {
    std::weak_ptr<ChromeIntents> weak = intents_;
    const ChromeController* self = this;
    PressCallbacks press;
    const bool miniature = tile.miniature;
    press.callback = [weak, key, miniature, displayID = display.id] {
        auto c = weak.lock();
        if (!c) return;
        if (miniature)
            c->focus(key);
        else
            c->selectTab(key, displayID);
    };
    press.dragUpdate = [weak, self, key](Point p) {
        if (auto c = weak.lock()) c->updateDropPreview(key, self->toTopLeft(p));
    };
    press.dragEnd = [weak, self, key](Point p) {
        if (auto c = weak.lock()) c->finishChromeDrop(key, self->toTopLeft(p));
    };
    press.dragBegin = [weak] {
        if (auto c = weak.lock()) c->chromeDragBegan();
    };
    press.dragStop = [weak] {
        if (auto c = weak.lock()) c->chromeDragEnded();
    };
    press.cancelDrag = [weak] {
        if (auto c = weak.lock()) c->chromeDragCancelled();
    };
    return press;
}

void ChromeController::addMiniature(const Tile& tile, const WindowRecord& record, const DisplayInfo& display,
                                    const ChromeScene& scene) {
    const std::string key = tile.selected;
    representedMinis.insert(key);
    auto panel = makePanel(ChromePanelKind::miniature, display, tile.windowFrame());
    panel->nodeID = tile.nodeID;
    panel->windows = tile.windows;
    panel->selected = key;

    MiniatureContent content;
    content.identifier = key;
    content.icon = record.icon();
    content.windowNumber = record.windowNumber;
    content.identity = record.applicationID();
    content.title = record.title;
    content.requiresDoubleClick = false;
    if (const auto picture = scene.pictures.find(key); picture != scene.pictures.end()) content.image = picture->second;
    // A miniature is always its window's own tile: the click focuses the window.
    Tile asMiniature = tile;
    asMiniature.miniature = true;
    content.press = windowPress(key, asMiniature, display);
    std::weak_ptr<ChromeIntents> weak = intents_;
    content.zoomOut = [weak, displayID = display.id] {
        if (auto c = weak.lock()) c->zoomOutOf(displayID);
    };
    if (scene.traceInput) {
        content.inputTrace = [this, key](const std::string& phase, const std::optional<TraceEvent>& event) {
            traceProxyInput(key, phase, event);
        };
    }
    panel->miniature = std::move(content);
    finish(panel);
}

void ChromeController::traceProxyInput(const std::string& source, const std::string& phase,
                                       const std::optional<TraceEvent>& event) {
    const auto intents = intents_.lock();
    if (!intents) return;
    std::map<std::string, std::string> entry{{"phase", phase}, {"source", source}};
    if (event) {
        entry["local"] = pointText(event->local);
        entry["screen"] = pointText(event->screen);
        entry["quartz"] = event->quartz ? pointText(*event->quartz) : "unavailable";
    }
    intents->traceProxyInput(std::move(entry));
}

void ChromeController::addTabBar(const Tile& tile, const DisplayInfo& display, const ChromeScene& scene) {
    const auto& records = scene.records;
    const auto selected = records.find(tile.selected);
    const WindowRecord* selectedRecord = selected == records.end() ? nullptr : selected->second.get();
    const Rect bar =
        chrome::tabBarRect(tile, selectedRecord ? selectedRecord->expectedFrame : std::nullopt, display.frame);

    auto panel = makePanel(ChromePanelKind::tabBar, display, bar);
    panel->nodeID = tile.nodeID;
    panel->windows = tile.windows;
    panel->selected = tile.selected;

    TabBarContent content;
    int shown = 0;
    std::weak_ptr<ChromeIntents> weak = intents_;
    for (const auto& key : tile.windows) {
        const auto record = records.find(key);
        if (record == records.end()) continue;  // no record, no tab
        ++shown;
        const WindowRecord& r = *record->second;
        TabItem tab;
        tab.window = key;
        tab.title = r.title;
        tab.icon = r.icon();
        tab.windowNumber = r.windowNumber;
        tab.identity = r.applicationID();
        tab.on = key == tile.selected;
        tab.toolTip = std::string(kTabToolTipStart) + r.app.localizedName.value_or(r.applicationID()) + ".";
        tab.press = windowPress(key, tile, display);
        tab.minimize = [weak, key] {
            if (auto c = weak.lock()) c->minimizeWindow(key);
        };
        tab.close = [weak, key] {
            if (auto c = weak.lock()) c->closeWindow(key);
        };
        content.tabs.push_back(std::move(tab));
    }
    content.metrics = chrome::tabBarMetrics(bar.width, bar.height, static_cast<int>(tile.windows.size()), shown);

    const ChromeController* self = this;
    const bool miniature = tile.miniature;
    PressCallbacks& header = content.header;
    header.callback = [weak, key = tile.selected, miniature, displayID = display.id] {
        auto c = weak.lock();
        if (!c) return;
        if (miniature)
            c->focus(key);
        else
            c->selectTab(key, displayID);
    };
    header.dragUpdate = [weak, self, nodeID = tile.nodeID, displayID = display.id](Point p) {
        if (auto c = weak.lock()) c->updateGroupDropPreview(nodeID, displayID, self->toTopLeft(p));
    };
    header.dragEnd = [weak, self, nodeID = tile.nodeID, displayID = display.id](Point p) {
        if (auto c = weak.lock()) c->finishGroupDrop(nodeID, displayID, self->toTopLeft(p));
    };
    const PressCallbacks common = windowPress(tile.selected, tile, display);
    header.dragBegin = common.dragBegin;
    header.dragStop = common.dragStop;
    header.cancelDrag = common.cancelDrag;
    panel->tabBar = std::move(content);
    finish(panel);

    // A bar whose window has a number sits just above it; one without stays floating.
    if (!selectedRecord || selectedRecord->windowNumber == 0) return;
    panel->windowNumber = selectedRecord->windowNumber;
    tabBars.push_back(panel);
    if (!presentsPanels) return;
    panel->setLevel(PanelLevel::normal);
    panel->markOrderedAbove(panel->windowNumber);
    if (panel->platformPanels) panel->platformPanels->orderAbove({{panel->id, panel->windowNumber}});
}

void ChromeController::addSeamHandle(const Seam& seam, const DisplayInfo& display) {
    auto panel = makePanel(ChromePanelKind::seamHandle, display, seam.frame);
    panel->nodeID = seam.nodeID;
    std::weak_ptr<ChromeIntents> weak = intents_;
    SeamContent content;
    content.seam = seam;
    content.primaryHeight = primaryHeight();
    content.begin = [weak] {
        if (auto c = weak.lock()) c->seamDragBegan();
    };
    content.callback = [weak, seam, displayID = display.id](double fraction) {
        if (auto c = weak.lock()) c->resizeSeam(seam, fraction, displayID, false);
    };
    content.end = [weak] {
        if (auto c = weak.lock()) c->seamDragEnded();
    };
    panel->seamHandle = std::move(content);
    finish(panel);
}

void ChromeController::restackTabBars() {
    // Nothing to restack asks nothing of the pointer.
    if (!presentsPanels || tabBars.empty()) return;
    if (services_.pointer->leftButtonDown()) return;
    std::vector<std::pair<platform::PanelID, std::uint32_t>> batch;
    std::shared_ptr<platform::Panels> platformPanels;
    for (const auto& bar : tabBars) {
        bar->level = PanelLevel::normal;
        bar->markOrderedAbove(bar->windowNumber);
        if (bar->platformPanels) {
            platformPanels = bar->platformPanels;
            batch.emplace_back(bar->id, bar->windowNumber);
        }
    }
    if (platformPanels) platformPanels->orderAbove(batch);
}

void ChromeController::showDropPreview(const Rect& rect, const std::string& label) {
    if (!dropPanel) {
        DisplayInfo none;
        dropPanel = makePanel(ChromePanelKind::dropPreview, none, rect);
        dropPanel->setIgnoresMouse(true);
        dropPanel->setLevel(PanelLevel::popUp);
    }
    dropPanel->setFrame(rect);
    dropPanel->label = label;
    if (host.present) host.present(*dropPanel);
    if (presentsPanels) dropPanel->show();
}

void ChromeController::hideDropPreview() {
    if (dropPanel) dropPanel->hide();
}

void ChromeController::refreshPreviewImages(const std::map<std::string, WindowPicture>& pictures) {
    ++pictureRefreshes;
    for (const auto& panel : panels) {
        if (!panel->miniature || panel->miniature->identifier.empty()) continue;
        const auto picture = pictures.find(panel->miniature->identifier);
        // A tile whose picture is the one it shows already is not drawn again.
        if (picture == pictures.end() || panel->miniature->image == picture->second) continue;
        panel->miniature->image = picture->second;
        panel->redraw();
        if (host.redraw) host.redraw(*panel);
    }
}

void ChromeController::showEverything() {
    if (auto c = intents_.lock()) c->showEverything();
}

}  // namespace arvelo
