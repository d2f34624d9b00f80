// SPDX-License-Identifier: MIT
// World.cpp: the simulated desktop's model: displays, applications, windows and stacking,
// and how windows take frame writes (clamping, lag, snapping back, refusal).
#include "Platform/Sim/World.h"

#include <algorithm>
#include <cmath>

namespace platform::sim {

namespace {
constexpr const char* kOwnApplicationID = "org.vomira.Arvelo";
constexpr std::int32_t kOwnPid = 100;
}  // namespace

World::World(std::shared_ptr<VirtualClock> clock) : clock_(std::move(clock)) {
    // This program itself runs as an accessory application.
    App self;
    self.pid = kOwnPid;
    self.applicationID = kOwnApplicationID;
    self.name = "Arvelo";
    self.activationPolicy = ActivationPolicy::accessory;
    ownPid_ = kOwnPid;
    apps_.emplace(kOwnPid, self);
    launchOrder_.push_back(kOwnPid);
}

std::size_t World::addDisplay(Display display) {
    if (!display.number) display.number = static_cast<std::uint32_t>(displays_.size() + 1);
    if (display.visibleFrame.isNull() || display.visibleFrame.isEmpty()) display.visibleFrame = display.frame;
    displays_.push_back(std::move(display));
    return displays_.size() - 1;
}

std::optional<std::size_t> World::displayOf(const arvelo::Rect& frame) const {
    std::optional<std::size_t> best;
    double bestArea = -1;
    for (std::size_t i = 0; i < displays_.size(); ++i) {
        const arvelo::Rect overlap = displays_[i].frame.intersection(frame);
        const double area = overlap.isNull() ? 0 : overlap.width * overlap.height;
        if (area > bestArea) {
            bestArea = area;
            best = i;
        }
    }
    return best;
}

void World::switchSpace(std::size_t display, SpaceID space) {
    if (display >= displays_.size() || displays_[display].currentSpace == space) return;
    displays_[display].currentSpace = space;
    if (onSpaceChange) onSpaceChange();
}

App& World::launch(App app) {
    if (app.pid == 0) {
        while (apps_.contains(nextPid_)) ++nextPid_;
        app.pid = nextPid_++;
    }
    app.running = true;
    const std::int32_t pid = app.pid;
    if (std::find(launchOrder_.begin(), launchOrder_.end(), pid) == launchOrder_.end()) launchOrder_.push_back(pid);
    apps_[pid] = std::move(app);
    if (onLaunch) onLaunch(apps_[pid]);
    return apps_[pid];
}

App* World::app(std::int32_t pid) {
    const auto it = apps_.find(pid);
    return it == apps_.end() ? nullptr : &it->second;
}

void World::quit(std::int32_t pid) {
    App* quitting = app(pid);
    if (!quitting || !quitting->running) return;
    for (auto number : windowsOf(pid, true)) vanish(number);
    quitting->running = false;
    std::erase(launchOrder_, pid);
    if (frontmost_ == pid) frontmost_.reset();
    if (onTerminate) onTerminate(*quitting);
}

void World::activate(std::int32_t pid) {
    App* target = app(pid);
    if (!target || !target->running) return;
    setHidden(pid, false);
    if (frontmost_ == pid) return;
    frontmost_ = pid;
    if (onActivate) onActivate(*target);
}

void World::setHidden(std::int32_t pid, bool hidden) {
    App* target = app(pid);
    if (!target || target->hidden == hidden) return;
    target->hidden = hidden;
    if (onHiddenChange) onHiddenChange(*target);
}

Window& World::open(std::int32_t pid, const WindowSpec& spec, bool announce) {
    Window window;
    if (spec.number) {
        window.number = *spec.number;
    } else {
        while (windows_.contains(nextWindow_)) ++nextWindow_;
        window.number = nextWindow_++;
    }
    window.pid = pid;
    window.title = spec.title;
    window.frame = spec.frame;
    window.role = spec.role;
    window.subrole = spec.subrole;
    window.minimized = spec.minimized;
    window.fullScreen = spec.fullScreen;
    window.parent = spec.parent;
    window.layer = spec.layer;
    window.sticky = spec.sticky;
    window.positionSettable = spec.positionSettable;
    window.sizeSettable = spec.sizeSettable;
    if (spec.spaces) {
        window.spaces = *spec.spaces;
    } else if (auto display = displayOf(spec.frame)) {
        window.spaces = {displays_[*display].currentSpace};
    }
    window.behaviour.snapBackTo = spec.frame;
    const std::uint32_t number = window.number;
    windows_[number] = std::move(window);
    stacking_.insert(stacking_.begin(), number);
    if (announce && onWindowShown) onWindowShown();
    return windows_[number];
}

Window* World::window(std::uint32_t number) {
    const auto it = windows_.find(number);
    return it == windows_.end() ? nullptr : &it->second;
}

Window* World::liveWindow(std::uint32_t number) {
    Window* found = window(number);
    if (!found || !found->alive || unmanagedWindows.contains(number)) return nullptr;
    const App* owner = app(found->pid);
    return owner && owner->running ? found : nullptr;
}

void World::vanish(std::uint32_t number) {
    Window* gone = window(number);
    if (!gone || !gone->alive) return;
    gone->alive = false;
    std::erase(stacking_, number);
    std::erase_if(pending_, [number](const Change& c) { return c.window == number; });
    notify(AccessElement::windowOf(gone->pid, number), "AXUIElementDestroyed");
    if (onWindowClosed) onWindowClosed(number);
    std::vector<std::uint32_t> children;
    for (const auto& [childNumber, child] : windows_)
        if (child.alive && child.parent == number) children.push_back(childNumber);
    for (auto child : children) vanish(child);
}

void World::placeAbove(std::uint32_t number, std::uint32_t below) {
    if (number == below || !liveWindow(number) || !liveWindow(below)) return;
    std::erase(stacking_, number);
    stacking_.insert(std::find(stacking_.begin(), stacking_.end(), below), number);
}

void World::placeBelow(std::uint32_t number, std::uint32_t above) {
    if (number == above || !liveWindow(number) || !liveWindow(above)) return;
    std::erase(stacking_, number);
    stacking_.insert(std::find(stacking_.begin(), stacking_.end(), above) + 1, number);
}

void World::raise(std::uint32_t number) {
    if (!liveWindow(number)) return;
    std::erase(stacking_, number);
    stacking_.insert(stacking_.begin(), number);
    // Sheets and dialogs stay above the window they belong to.
    std::vector<std::uint32_t> children;
    for (auto other : stacking_)
        if (const Window* child = window(other); child && child->parent == number) children.push_back(other);
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        std::erase(stacking_, *it);
        stacking_.insert(stacking_.begin(), *it);
    }
}

void World::setMinimized(std::uint32_t number, bool minimized) {
    Window* target = liveWindow(number);
    if (!target || target->minimized == minimized) return;
    target->minimized = minimized;
    if (!minimized) raise(number);
    notify(AccessElement::windowOf(target->pid, number), minimized ? "AXWindowMiniaturized" : "AXWindowDeminiaturized");
    if (!minimized && onWindowShown) onWindowShown();
}

std::vector<std::uint32_t> World::windowsOf(std::int32_t pid, bool withChildren) const {
    std::vector<std::uint32_t> out;
    for (auto number : stacking_) {
        const Window& w = windows_.at(number);
        if (w.pid == pid && w.alive && (withChildren || !w.parent)) out.push_back(number);
    }
    return out;
}

std::set<SpaceID> World::spacesOf(const Window& window) const {
    if (!window.sticky) return window.spaces;
    std::set<SpaceID> all = window.spaces;
    for (const auto& display : displays_) all.insert(display.currentSpace);
    return all;
}

bool World::onScreen(const Window& window) const {
    if (!window.alive || window.minimized || window.hiddenFromScreen) return false;
    const auto owner = apps_.find(window.pid);
    if (owner == apps_.end() || !owner->second.running || owner->second.hidden) return false;
    if (window.sticky || window.spaces.empty()) return true;
    const auto display = displayOf(window.frame);
    if (!display) return true;
    return window.spaces.contains(displays_[*display].currentSpace);
}

arvelo::Size SizeRules::fit(arvelo::Size size) const {
    const auto fitLength = [](double length, double least, std::optional<double> most, double base, double step) {
        length = std::max(length, least);
        if (most) length = std::min(length, std::max(*most, least));
        if (step > 1 && length > base) length = base + std::floor((length - base) / step) * step;
        return length;
    };
    return {fitLength(size.width, minimum.width, maximum ? std::optional(maximum->width) : std::nullopt, base.width,
                      increment.width),
            fitLength(size.height, minimum.height, maximum ? std::optional(maximum->height) : std::nullopt,
                      base.height, increment.height)};
}

arvelo::Size World::clamp(const Window& window, arvelo::Size size) const {
    if (window.behaviour.sizeRules) size = window.behaviour.sizeRules->fit(size);
    size.width = std::max(size.width, window.behaviour.minimumSize.width);
    size.height = std::max(size.height, window.behaviour.minimumSize.height);
    if (const auto& max = window.behaviour.maximumSize) {
        size.width = std::min(size.width, std::max(max->width, window.behaviour.minimumSize.width));
        size.height = std::min(size.height, std::max(max->height, window.behaviour.minimumSize.height));
    }
    return size;
}

AccessError World::writePosition(Window& window, arvelo::Point origin) {
    if (window.behaviour.refuseWrites) return *window.behaviour.refuseWrites;
    if (!window.positionSettable) return AccessError::attributeUnsupported;
    if (window.behaviour.heldByManager) return AccessError::success;
    // As on X11, the maximised states are cleared before a frame is written.
    window.maximizedAxes = 0;
    schedule({clock_->elapsedTicks() + VirtualClock::ticks(window.behaviour.lag), 0, window.number, origin,
              std::nullopt, true});
    return AccessError::success;
}

AccessError World::writeSize(Window& window, arvelo::Size size) {
    if (window.behaviour.refuseWrites) return *window.behaviour.refuseWrites;
    if (!window.sizeSettable) return AccessError::attributeUnsupported;
    if (window.behaviour.heldByManager) return AccessError::success;
    window.maximizedAxes = 0;
    schedule({clock_->elapsedTicks() + VirtualClock::ticks(window.behaviour.lag), 0, window.number, std::nullopt,
              clamp(window, size), true});
    return AccessError::success;
}

void World::setFrame(std::uint32_t number, const arvelo::Rect& frame) {
    settle();
    if (!liveWindow(number)) return;
    std::erase_if(pending_, [number](const Change& c) { return c.window == number; });
    apply({0, 0, number, frame.origin(), frame.size(), false});
}

void World::schedule(Change change) {
    change.order = nextChange_++;
    if (change.due <= clock_->elapsedTicks()) {
        settle();
        apply(change);
        return;
    }
    pending_.push_back(change);
}

void World::settle() {
    const std::int64_t now = clock_->elapsedTicks();
    for (;;) {
        auto next = std::min_element(pending_.begin(), pending_.end(), [](const Change& a, const Change& b) {
            return std::tie(a.due, a.order) < std::tie(b.due, b.order);
        });
        if (next == pending_.end() || next->due > now) return;
        const Change change = *next;
        pending_.erase(next);
        apply(change);
    }
}

void World::apply(const Change& change) {
    Window* target = liveWindow(change.window);
    if (!target) return;
    const arvelo::Rect before = target->frame;
    if (change.origin) {
        target->frame.x = change.origin->x;
        target->frame.y = change.origin->y;
    }
    if (change.size) {
        target->frame.width = change.size->width;
        target->frame.height = change.size->height;
    }
    const AccessElement element = AccessElement::windowOf(target->pid, target->number);
    if (target->frame.origin() != before.origin()) notify(element, "AXMoved");
    if (target->frame.size() != before.size()) notify(element, "AXResized");
    if (change.isWrite && target->behaviour.snapBackAfter) {
        const arvelo::Rect home = target->behaviour.snapBackTo;
        pending_.push_back({change.due + VirtualClock::ticks(*target->behaviour.snapBackAfter), nextChange_++,
                            target->number, home.origin(), home.size(), false});
    }
}

void World::notify(const AccessElement& element, const std::string& notification) {
    if (element.kind == AccessElementKind::window) windowChanged(element.window);
    std::erase_if(observers_, [](const auto& weak) { return weak.expired(); });
    for (const auto& weak : observers_) {
        auto observer = weak.lock();
        if (!observer || observer->pid != element.pid || !observer->deliver) continue;
        for (const auto& [registered, name] : observer->registrations) {
            if (name == notification && (registered == element || registered.kind == AccessElementKind::application)) {
                observer->deliver(element, notification);
                break;
            }
        }
    }
}

}  // namespace platform::sim
