// DockScenario.cpp: the scenario's start checks, its steps in order, the snapshot records and
// the stacking check.
#include "Arvelo/Verification/DockScenario.h"

#include <algorithm>
#include <system_error>

#include "Arvelo/Chrome/ChromeController.h"
#include "Arvelo/Chrome/MiniaturePress.h"
#include "Arvelo/Coordinator/Coordinator.h"
#include "Arvelo/Input/DropHandling.h"
#include "Arvelo/Verification/FixtureReports.h"

namespace arvelo::fixture {

namespace ax = platform::ax;

void DockScenario::run(const std::shared_ptr<Coordinator>& coordinator, PngWriter writer,
                       std::function<void(bool completed)> finished) {
    std::shared_ptr<DockScenario> scenario(new DockScenario(coordinator, std::move(writer), std::move(finished)));
    scenario->begin();
}

DockScenario::DockScenario(const std::shared_ptr<Coordinator>& coordinator, PngWriter writer,
                           std::function<void(bool)> finished)
    : coordinator_(coordinator),
      screenshots_(Screenshots::make(coordinator->services(), std::move(writer))),
      finished_(std::move(finished)) {}

void DockScenario::begin() {
    const auto coordinator = coordinator_.lock();
    if (!coordinator) return end(false);
    // Only the fixture's windows, from one fresh scan on.
    coordinator->access->includeFixture = true;
    coordinator->refreshNow([self = shared_from_this()] { self->check(); });
}

void DockScenario::check() {
    const auto coordinator = coordinator_.lock();
    if (!coordinator) return end(false);
    directory_ = scenarioDirectory(coordinator->services().environment, coordinator->storage);
    const auto& windows = coordinator->windows.get();
    if (!coordinator->trusted.get() || windows.size() != 3 || coordinator->displays->empty()) {
        report_.push_back(scenarioErrorRecord(windows.size()));
        coordinator->logger.error("The dock scenario needs Accessibility and exactly three fixture windows; found " +
                                  std::to_string(windows.size()));
        if (!writeScenario(report_, directory_))
            coordinator->logger.error("Could not write " + (directory_ / kScenarioFile).string());
        return end(false);
    }
    // The screenshots go to the output folder from the first step on.
    std::error_code error;
    std::filesystem::create_directories(directory_, error);

    display_ = coordinator->displays->front();
    for (const auto& display : coordinator->displays.get())
        if (coordinator->states->contains(display.id)) {
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
    list.push_back({"first-resized-150-narrower", [first](Coordinator& c) {
                        const auto record = c.access->records.find(first);
                        if (record == c.access->records.end()) return;
                        const auto frame = c.access->rect(record->second->element);
                        if (!frame) return;
                        const Size narrower{std::max(1.0, frame->width - kNarrowing), frame->height};
                        c.services().accessibility->setAttributeValue(record->second->element, ax::kSize, narrower,
                                                                      WindowAccess::kNormalTimeout);
                    }});
    list.push_back({"third-onto-first-right-edge", [this, first, third](Coordinator& c) {
                        if (const auto tile = pane(c, first))
                            drop(c, third, {tile->frame.minX() + 0.9 * tile->frame.width, tile->frame.midY()});
                    }});
    list.push_back({"first-to-screen-left-edge", [this, first](Coordinator& c) {
                        drop(c, first, {display_.frame.minX() + 4, display_.frame.midY()});
                    }});
    list.push_back({"second-onto-desktop", [this, second](Coordinator& c) {
                        for (const Tile& tile : c.layout(display_.id).tiles)
                            if (tile.windows.empty()) return drop(c, second, {tile.frame.midX(), tile.frame.midY()});
                    }});
    list.push_back({"second-onto-first-middle-tabs", [this, first, second](Coordinator& c) {
                        if (const auto tile = pane(c, first)) drop(c, second, {tile->frame.midX(), tile->frame.midY()});
                    }});
    list.push_back({"", nullptr});  // the stacking check
    list.push_back({"zoomed-in", [third](Coordinator& c) { c.focus(third); }});
    list.push_back({"float-all", [](Coordinator& c) {
                        c.showEverything();
                        c.autoTile = false;
                        c.restore();
                        c.status = Coordinator::kFreedStatus;
                    }});
    return list;
}

void DockScenario::runStep(std::size_t index) {
    const auto coordinator = coordinator_.lock();
    if (!coordinator) return end(false);
    if (index == steps_.size()) {
        if (!writeScenario(report_, directory_))
            coordinator->logger.error("Could not write " + (directory_ / kScenarioFile).string());
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

nlohmann::json DockScenario::snapshotRecord(Coordinator& c, const std::string& name) const {
    const LayoutResult layout = c.layout(display_.id);
    nlohmann::json record{{"step", name}, {"display", toString(display_.frame)}};

    // The display's tree, embedded as an object; "?" when it cannot be had.
    record["tree"] = "?";
    if (const auto state = c.states->find(display_.id); state != c.states->end()) {
        try {
            record["tree"] = nlohmann::json::parse(encodeLayoutNode(state->second.root));
        } catch (const nlohmann::json::exception&) {}
    }

    // What the unparked windows really occupy.
    std::vector<Rect> occupied;
    for (const auto& window : c.windows.get())
        if (!window->parked)
            if (const auto frame = c.access->rect(window->element)) occupied.push_back(*frame);
    record["overlappingWindows"] = anyOverlap(occupied, kOverlapMargin);

    nlohmann::json tiles = nlohmann::json::array();
    for (const Tile& tile : layout.tiles) {
        const auto shown = c.access->records.find(tile.selected);
        tiles.push_back({{"selected", shown != c.access->records.end() ? shown->second->title : tile.selected},
                         {"frame", toString(tile.windowFrame())},
                         {"miniature", tile.miniature}});
    }
    record["tiles"] = std::move(tiles);

    nlohmann::json windows = nlohmann::json::array();
    for (const auto& window : c.windows.get()) {
        const auto actual = c.access->rect(window->element);
        windows.push_back({{"title", window->title},
                           {"actual", actual ? toString(*actual) : "?"},
                           {"parked", window->parked},
                           {"minimum", toString(window->minimum)},
                           {"expected", window->expectedFrame ? toString(*window->expectedFrame) : "none"}});
    }
    record["windows"] = std::move(windows);

    // Panel frames in the bottom-left space of panels.
    nlohmann::json panels = nlohmann::json::array();
    const double primaryHeight = c.chrome->primaryHeight();
    for (const auto& panel : c.chrome->panels) {
        const Rect frame{panel->frame.x, primaryHeight - panel->frame.maxY(), panel->frame.width, panel->frame.height};
        panels.push_back({{"frame", toString(frame)}, {"kind", panelViewName(panel->kind)}});
    }
    record["panels"] = std::move(panels);
    return record;
}

void DockScenario::stackingCheck(Next next) {
    const auto coordinator = coordinator_.lock();
    if (!coordinator) return end(false);
    Coordinator& c = *coordinator;
    const auto tiles = c.layout(display_.id).tiles;
    const auto group = std::find_if(tiles.begin(), tiles.end(), [](const Tile& t) { return t.windows.size() > 1; });
    if (group == tiles.end()) return next();
    const auto& windows = c.windows.get();
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

void DockScenario::stackingRecord(Coordinator& c, const std::string& moved) {
    std::vector<std::uint32_t> order;
    for (const auto& info : c.services().windowList->windows({true, false})) order.push_back(info.number);
    const auto indexOf = [&](std::uint32_t number) -> std::int64_t {
        if (number == 0) return -1;
        const auto it = std::find(order.begin(), order.end(), number);
        return it == order.end() ? -1 : static_cast<std::int64_t>(it - order.begin());
    };
    std::int64_t barIndex = -1;
    for (const auto& panel : c.chrome->panels) {
        if (panel->frame.height < kBarMaxHeight && panel->frame.width > kBarMinWidth) {
            if (panel->platformPanels) barIndex = indexOf(panel->platformPanels->windowNumber(panel->id));
            break;
        }
    }
    const auto record = c.access->records.find(moved);
    const std::int64_t otherIndex = record == c.access->records.end() ? -1 : indexOf(record->second->windowNumber);
    report_.push_back({{"step", "window-over-tab-bar"},
                       {"barIndex", barIndex},
                       {"otherIndex", otherIndex},
                       {"otherAboveBar", otherIndex != -1 && otherIndex < barIndex}});
}

std::optional<Tile> DockScenario::pane(Coordinator& c, const std::string& key) const {
    for (const Tile& tile : c.layout(display_.id).tiles)
        if (tile.selected == key) return tile;
    return std::nullopt;
}

void DockScenario::drop(Coordinator& c, const std::string& key, Point point) const {
    c.drops->finishWindowDrop(key, point, true, std::nullopt);
}

void DockScenario::end(bool completed) {
    if (!finished_) return;
    auto finished = std::move(finished_);
    finished_ = nullptr;
    finished(completed);
}

}  // namespace arvelo::fixture
