// SPDX-License-Identifier: MIT
// DockScenario.cpp: the scenario's start checks, its steps in order, the snapshot records and
// the stacking check.
#include "Arvelo/Verification/DockScenario.h"

#include <algorithm>
#include <system_error>

#include "Arvelo/Chrome/MiniaturePress.h"
#include "Arvelo/Verification/FixtureReports.h"
#include "Arvelo/Verification/VerificationHost.h"
#include "Arvelo/Windows/WindowAccess.h"

namespace arvelo::fixture {

namespace ax = platform::ax;

void DockScenario::run(const std::shared_ptr<VerificationHost>& coordinator, PngWriter writer,
                       std::function<void(bool completed)> finished) {
    std::shared_ptr<DockScenario> scenario(new DockScenario(coordinator, std::move(writer), std::move(finished)));
    scenario->begin();
}

DockScenario::DockScenario(const std::shared_ptr<VerificationHost>& coordinator, PngWriter writer,
                           std::function<void(bool)> finished)
    : coordinator_(coordinator),
      logger_(coordinator->services().logger("windows")),
      screenshots_(Screenshots::make(coordinator->services(), std::move(writer))),
      finished_(std::move(finished)) {}

void DockScenario::begin() {
    const auto coordinator = coordinator_.lock();
    if (!coordinator) return end(false);
    // Only the fixture's windows, from one fresh scan on.
    coordinator->scanFixtureOnly(true);
    coordinator->refreshNow([self = shared_from_this()] { self->check(); });
}

void DockScenario::check() {
    const auto coordinator = coordinator_.lock();
    if (!coordinator) return end(false);
    directory_ = scenarioDirectory(coordinator->services().environment, coordinator->stateDirectory());
    const auto& windows = coordinator->model().windows.get();
    if (!coordinator->model().trusted.get() || windows.size() != 3 || coordinator->model().displays->empty()) {
        report_.push_back(scenarioErrorRecord(windows.size()));
        logger_.error("The dock scenario needs Accessibility and exactly three fixture windows; found " +
                      std::to_string(windows.size()));
        if (!writeScenario(report_, directory_))
            logger_.error("Could not write " + (directory_ / kScenarioFile).string());
        return end(false);
    }
    // The screenshots go to the output folder from the first step on.
    std::error_code error;
    std::filesystem::create_directories(directory_, error);

    display_ = coordinator->model().displays->front();
    for (const auto& display : coordinator->model().displays.get())
        if (coordinator->model().states->contains(display.id)) {
            display_ = display;
            break;
        }
    std::vector<std::shared_ptr<WindowRecord>> byTitle = windows;
    std::stable_sort(byTitle.begin(), byTitle.end(), [](const auto& a, const auto& b) { return a->title < b->title; });
    for (const auto& record : byTitle) keys_.push_back(record->id);
    steps_ = steps();
    runStep(0);
}

std::vector<DockScenario::Step> DockScenario::steps() {
    const std::string first = keys_[0], second = keys_[1], third = keys_[2];
    std::vector<Step> list;
    list.push_back({"start", nullptr});
    list.push_back({"first-resized-150-narrower", [first](VerificationHost& c) {
                        const auto record = c.record(first);
                        if (!record) return;
                        const auto frame = c.currentFrame(*record);
                        if (!frame) return;
                        const Size narrower{std::max(1.0, frame->width - kNarrowing), frame->height};
                        c.services().accessibility->setAttributeValue(record->element, ax::kSize, narrower,
                                                                      WindowAccess::kNormalTimeout);
                    }});
    list.push_back({"third-onto-first-right-edge", [this, first, third](VerificationHost& c) {
                        if (const auto tile = pane(c, first))
                            drop(c, third, {tile->frame.minX() + 0.9 * tile->frame.width, tile->frame.midY()});
                    }});
    list.push_back({"first-to-screen-left-edge", [this, first](VerificationHost& c) {
                        drop(c, first, {display_.frame.minX() + 4, display_.frame.midY()});
                    }});
    list.push_back({"second-onto-desktop", [this, second](VerificationHost& c) {
                        for (const Tile& tile : c.layout(display_.id).tiles)
                            if (tile.windows.empty()) return drop(c, second, {tile.frame.midX(), tile.frame.midY()});
                    }});
    list.push_back({"second-onto-first-middle-tabs", [this, first, second](VerificationHost& c) {
                        if (const auto tile = pane(c, first)) drop(c, second, {tile->frame.midX(), tile->frame.midY()});
                    }});
    list.push_back({"", nullptr});  // the stacking check
    list.push_back({"zoomed-in", [third](VerificationHost& c) { c.focus(third); }});
    list.push_back({"float-all", [](VerificationHost& c) {
                        c.showEverything();
                        c.freeAllWindows();
                    }});
    return list;
}

void DockScenario::runStep(std::size_t index) {
    const auto coordinator = coordinator_.lock();
    if (!coordinator) return end(false);
    if (index == steps_.size()) {
        if (!writeScenario(report_, directory_))
            logger_.error("Could not write " + (directory_ / kScenarioFile).string());
        return end(true);
    }
    const Step& step = steps_[index];
    auto next = [self = shared_from_this(), index] { self->runStep(index + 1); };
    if (step.name.empty()) return stackingCheck(std::move(next));
    if (step.action) step.action(*coordinator);
    snapshot(step.name, std::move(next));
}

void DockScenario::after(double seconds, Next next) {
    const auto coordinator = coordinator_.lock();
    if (!coordinator) return end(false);
    coordinator->services().dispatch->after(seconds, std::move(next));
}

void DockScenario::snapshot(const std::string& name, Next next) {
    after(kSnapshotWait, [self = shared_from_this(), name, next] {
        const auto coordinator = self->coordinator_.lock();
        if (!coordinator) return self->end(false);
        coordinator->refreshNow([self, name, next] {
            const auto c = self->coordinator_.lock();
            if (!c) return self->end(false);
            self->report_.push_back(self->snapshotRecord(*c, name));
            const auto file = self->directory_ / screenshotName(self->report_.size(), name);
            self->screenshots_->take(file, [next](bool) { next(); });
        });
    });
}

nlohmann::json DockScenario::snapshotRecord(VerificationHost& c, const std::string& name) const {
    const LayoutResult layout = c.layout(display_.id);
    nlohmann::json record{{"step", name}, {"display", toString(display_.frame)}};

    // The display's tree, embedded as an object; "?" when it cannot be had.
    record["tree"] = "?";
    if (const auto state = c.model().states->find(display_.id); state != c.model().states->end()) {
        try {
            record["tree"] = nlohmann::json::parse(encodeLayoutNode(state->second.root));
        } catch (const nlohmann::json::exception&) {}
    }

    // What the unparked windows really occupy.
    std::vector<Rect> occupied;
    for (const auto& window : c.model().windows.get())
        if (!window->parked)
            if (const auto frame = c.currentFrame(*window)) occupied.push_back(*frame);
    record["overlappingWindows"] = anyOverlap(occupied, kOverlapMargin);

    nlohmann::json tiles = nlohmann::json::array();
    for (const Tile& tile : layout.tiles) {
        const auto shown = c.record(tile.selected);
        tiles.push_back({{"selected", shown ? shown->title : tile.selected},
                         {"frame", toString(tile.windowFrame())},
                         {"miniature", tile.miniature}});
    }
    record["tiles"] = std::move(tiles);

    nlohmann::json windows = nlohmann::json::array();
    for (const auto& window : c.model().windows.get()) {
        const auto actual = c.currentFrame(*window);
        windows.push_back({{"title", window->title},
                           {"actual", actual ? toString(*actual) : "?"},
                           {"parked", window->parked},
                           {"minimum", toString(window->minimum)},
                           {"expected", window->expectedFrame ? toString(*window->expectedFrame) : "none"}});
    }
    record["windows"] = std::move(windows);

    // Panel frames in the bottom-left space of panels.
    nlohmann::json panels = nlohmann::json::array();
    const auto screens = c.services().screens->screens();
    const double primaryHeight = screens.empty() ? 0 : screens.front().frame.height;
    for (const auto& panel : c.chromePanels()) {
        const Rect frame{panel->frame.x, primaryHeight - panel->frame.maxY(), panel->frame.width, panel->frame.height};
        panels.push_back({{"frame", toString(frame)}, {"kind", panelViewName(panel->kind)}});
    }
    record["panels"] = std::move(panels);
    return record;
}

void DockScenario::stackingCheck(Next next) {
    const auto coordinator = coordinator_.lock();
    if (!coordinator) return end(false);
    VerificationHost& c = *coordinator;
    const auto tiles = c.layout(display_.id).tiles;
    const auto group = std::find_if(tiles.begin(), tiles.end(), [](const Tile& t) { return t.windows.size() > 1; });
    if (group == tiles.end()) return next();
    const auto& windows = c.model().windows.get();
    const auto other = std::find_if(windows.begin(), windows.end(), [&](const auto& record) {
        return std::find(group->windows.begin(), group->windows.end(), record->id) == group->windows.end();
    });
    if (other == windows.end()) return next();

    // Across the group's tab bar, in front.
    const auto record = *other;
    auto& accessibility = *c.services().accessibility;
    accessibility.setAttributeValue(record->element, ax::kPosition,
                                    Point{group->frame.minX() + 40, group->frame.minY() - 10},
                                    WindowAccess::kNormalTimeout);
    accessibility.performAction(record->element, ax::kRaiseAction, WindowAccess::kNormalTimeout);
    c.services().workspace->activate(record->app.pid, platform::ActivationOptions::none);
    after(kStackingWait, [self = shared_from_this(), moved = record->id, next] {
        const auto c = self->coordinator_.lock();
        if (!c) return self->end(false);
        self->stackingRecord(*c, moved);
        next();
    });
}

void DockScenario::stackingRecord(VerificationHost& c, const std::string& moved) {
    std::vector<std::uint32_t> order;
    for (const auto& info : c.services().windowList->windows({true, false})) order.push_back(info.number);
    const auto indexOf = [&](std::uint32_t number) -> std::int64_t {
        if (number == 0) return -1;
        const auto it = std::find(order.begin(), order.end(), number);
        return it == order.end() ? -1 : static_cast<std::int64_t>(it - order.begin());
    };
    std::int64_t barIndex = -1;
    for (const auto& panel : c.chromePanels()) {
        if (panel->frame.height < kBarMaxHeight && panel->frame.width > kBarMinWidth) {
            if (panel->platformPanels) barIndex = indexOf(panel->platformPanels->windowNumber(panel->id));
            break;
        }
    }
    const auto record = c.record(moved);
    const std::int64_t otherIndex = record ? indexOf(record->windowNumber) : -1;
    report_.push_back({{"step", "window-over-tab-bar"},
                       {"barIndex", barIndex},
                       {"otherIndex", otherIndex},
                       {"otherAboveBar", otherIndex != -1 && otherIndex < barIndex}});
}

std::optional<Tile> DockScenario::pane(VerificationHost& c, const std::string& key) const {
    for (const Tile& tile : c.layout(display_.id).tiles)
        if (tile.selected == key) return tile;
    return std::nullopt;
}

void DockScenario::drop(VerificationHost& c, const std::string& key, Point point) const {
    c.dropWindow(key, point, true);
}

void DockScenario::end(bool completed) {
    if (!finished_) return;
    auto finished = std::move(finished_);
    finished_ = nullptr;
    finished(completed);
}

}  // namespace arvelo::fixture
