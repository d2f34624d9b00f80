// SPDX-License-Identifier: MIT
// SpatialInputController.cpp: installing the spatial canvas's event tap, its gate, and its
// decisions: click holds, framing, and the double clicks on title strips and the desktop.
#include "Arvelo/Input/SpatialInputController.h"

#include "Arvelo/Input/SpatialInputHost.h"
#include "Arvelo/Windows/WindowRecord.h"
#include "Platform/Services.h"

#include <algorithm>
#include <cmath>

namespace arvelo {

using platform::TapEvent;
using platform::TapEventType;
using platform::TapVerdict;

namespace {
constexpr auto kPass = TapVerdict::pass;
constexpr auto kSwallow = TapVerdict::swallow;

const DisplayInfo* displayAt(const SpatialInputHost& coordinator, Point at) {
    for (const auto& display : coordinator.model().displays.get())
        if (display.frame.contains(at)) return &display;
    return nullptr;
}

// The display's state when its tree holds at least one window.
const WorkspaceState* arrangedState(const SpatialInputHost& coordinator, const DisplayInfo& display) {
    const auto found = coordinator.model().states->find(display.id);
    if (found == coordinator.model().states->end() || found->second.root.allWindows().empty()) return nullptr;
    return &found->second;
}
}  // namespace

SpatialInputController::SpatialInputController(std::weak_ptr<SpatialInputHost> arranger, bool enabled_)
    : enabled(enabled_), arranger_(std::move(arranger)) {}

void SpatialInputController::install() {
    if (!enabled || tap) return;
    const auto coordinator = arranger_.lock();
    if (!coordinator || !coordinator->services().accessibility->isProcessTrusted()) return;
    const auto& service = coordinator->services().eventTap;
    if (!service) return;
    tap = service->install([weak = weak_from_this()](const TapEvent& event) {
        const auto self = weak.lock();
        return self ? self->handle(event) : kPass;
    });
    refreshGate();
}

void SpatialInputController::stop() {
    gateTimer_.invalidate();
    tap.reset();
    cancel();
}

void SpatialInputController::cancel() {
    anchor.reset();
    framingDisplay.reset();
    swallowedDown = false;
    heldButtons.clear();
    if (const auto arranger = arranger_.lock()) arranger->hideDropPreview();
}

platform::TapGate SpatialInputController::neededGate() const {
    platform::TapGate gate;
    const auto coordinator = arranger_.lock();
    if (!coordinator || !coordinator->tapActive()) return gate;
    const double now = coordinator->now();
    gate.anyPress = now < coordinator->clicksHeldUntil();
    gate.shiftLeft = true;
    gate.left = now < doubleClickArmedUntil;
    return gate;
}

void SpatialInputController::refreshGate() {
    if (!tap) return;
    const auto coordinator = arranger_.lock();
    if (!coordinator) return;
    const platform::TapGate gate = neededGate();
    if (tap->gate() != gate) tap->setGate(gate);
    // Look again when the first timed part of the gate runs out.
    gateTimer_.invalidate();
    const double now = coordinator->now();
    double next = INFINITY;
    if (gate.anyPress) next = std::min(next, coordinator->clicksHeldUntil());
    if (gate.left) next = std::min(next, doubleClickArmedUntil);
    if (std::isfinite(next))
        gateTimer_ = coordinator->services().dispatch->after(std::max(0.0, next - now), [weak = weak_from_this()] {
            if (const auto self = weak.lock()) self->refreshGate();
        });
}

bool SpatialInputController::windowAt(const platform::Services& services, Point point) {
    std::set<std::int32_t> allowed{services.workspace->ownPid()};
    for (const auto& app : services.workspace->runningApplications())
        if (app.activationPolicy == platform::ActivationPolicy::regular) allowed.insert(app.pid);
    for (const auto& entry : services.windowList->windows({}))
        if (allowed.contains(entry.ownerPid) && entry.bounds && entry.bounds->contains(point) && entry.layer >= 0)
            return true;
    return false;
}

TapVerdict SpatialInputController::handle(const TapEvent& event) {
    const TapEventType type = event.type;
    if (type == TapEventType::tapDisabledByTimeout || type == TapEventType::tapDisabledByUserInput) {
        if (tap) tap->enable();
        return kPass;
    }
    const bool press = platform::isPress(type);
    const bool release = platform::isRelease(type);
    const bool leftDrag = type == TapEventType::leftMouseDragged;
    const std::int64_t button = event.button;
    const auto coordinator = arranger_.lock();

    if (!coordinator || !coordinator->tapActive()) {
        // Nothing new is swallowed, but a release (or a left drag) whose press was swallowed
        // stays with it: the program under the pointer never saw that press.
        if (release && heldButtons.erase(button)) return kSwallow;
        if (type == TapEventType::leftMouseUp && (swallowedDown || framing())) {
            anchor.reset();
            framingDisplay.reset();
            swallowedDown = false;
            if (coordinator) coordinator->hideDropPreview();
            return kSwallow;
        }
        if (leftDrag && (heldButtons.contains(platform::kLeftButtonNumber) || framing())) return kSwallow;
        // A new press of a button starts afresh: the release that follows is its own.
        if (press) heldButtons.erase(button);
        return kPass;
    }

    // Click hold.
    if (press && coordinator->now() < coordinator->clicksHeldUntil()) {
        heldButtons.insert(button);
        return kSwallow;
    }
    if (release && heldButtons.erase(button)) return kSwallow;
    if (leftDrag && heldButtons.contains(platform::kLeftButtonNumber)) return kSwallow;

    if (type != TapEventType::leftMouseDown && type != TapEventType::leftMouseUp && !leftDrag) return kPass;
    const Point at = event.location;
    bool plainPress = false;

    if (type == TapEventType::leftMouseDown) {
        if (!(event.modifierFlags & platform::kEventShiftFlag)) {
            plainPress = true;
        } else {
            const DisplayInfo* display = displayAt(*coordinator, at);
            if (!display || !arrangedState(*coordinator, *display)) {
                plainPress = true;
            } else if ((event.modifierFlags & platform::kEventOptionFlag) || !windowAt(coordinator->services(), at)) {
                anchor = at;
                framingDisplay = display->id;
                swallowedDown = true;
                return kSwallow;
            } else {
                plainPress = true;
            }
        }
    }

    if (framing()) {
        const Rect area(std::min(anchor->x, at.x), std::min(anchor->y, at.y), std::abs(at.x - anchor->x),
                        std::abs(at.y - anchor->y));
        if (type == TapEventType::leftMouseUp) {
            const std::string display = *framingDisplay;
            cancel();
            if (area.width > kSmallestFrame && area.height > kSmallestFrame) coordinator->frameArea(area, display);
            return kSwallow;
        }
        if (leftDrag) {
            coordinator->showDropPreview(area, kFrameLabel);
            return kSwallow;
        }
    } else if (type == TapEventType::leftMouseUp && swallowedDown) {
        swallowedDown = false;
        return kSwallow;
    }

    if (!plainPress) return kPass;
    if (event.clickState == 2) {
        if (titleStripDoubleClick(*coordinator, at) == kSwallow) return kSwallow;
        return desktopDoubleClick(*coordinator, at);
    }
    if (event.clickState == 1) considerDoubleClick(at);
    return kPass;
}

std::optional<std::shared_ptr<WindowRecord>> SpatialInputController::titleStripRecord(
    const SpatialInputHost& coordinator, Point at) const {
    for (const auto& record : coordinator.model().windows.get()) {
        const Rect& frame = record->frame;
        if (!record->onScreen || !frame.contains(at)) continue;
        if (!(at.y < frame.minY() + kTitleStripHeight && at.x > frame.minX() + kTitleStripInset)) continue;
        // Below a shorter title bar the press is the window's own (its first text row).
        const platform::WindowLookup found = coordinator.services().windowList->lookUp(record->windowNumber);
        const double height = found.info && found.info->titleStrip
                                  ? std::min(kTitleStripHeight, *found.info->titleStrip)
                                  : kTitleStripHeight;
        if (at.y >= frame.minY() + height) continue;
        return record;
    }
    return std::nullopt;
}

namespace {
bool inSomeTree(const SpatialInputHost& coordinator, const std::string& key) {
    for (const auto& [id, state] : coordinator.model().states.get()) {
        const auto keys = state.root.allWindows();
        if (std::find(keys.begin(), keys.end(), key) != keys.end()) return true;
    }
    return false;
}
}  // namespace

TapVerdict SpatialInputController::titleStripDoubleClick(SpatialInputHost& coordinator, Point at) {
    const auto found = titleStripRecord(coordinator, at);
    if (!found) return kPass;
    const std::shared_ptr<WindowRecord> record = *found;
    if (!inSomeTree(coordinator, record->id)) return kPass;
    std::optional<std::uint32_t> front;
    for (const auto& entry : coordinator.services().windowList->windows({})) {
        if (entry.layer < 0 || !entry.bounds || !entry.bounds->contains(at)) continue;
        front = entry.number;
        break;
    }
    if (front != record->windowNumber) return kPass;
    swallowedDown = true;
    coordinator.services().dispatch->async([weak = arranger_, record] {
        const auto c = weak.lock();
        if (!c) return;
        for (const auto& [id, state] : c->model().states.get()) {
            const auto keys = state.root.allWindows();
            if (std::find(keys.begin(), keys.end(), record->id) == keys.end()) continue;
            const auto leaf = state.root.leaf(record->id);
            const std::optional<std::string> leafID = leaf ? std::optional(leaf->id) : std::nullopt;
            if (state.focus == leafID)
                c->zoomOut();
            else
                c->focus(record->id);
            return;
        }
        c->zoomOut();
    });
    return kSwallow;
}

TapVerdict SpatialInputController::desktopDoubleClick(SpatialInputHost& coordinator, Point at) {
    const DisplayInfo* display = displayAt(coordinator, at);
    if (!display) return kPass;
    const WorkspaceState* state = arrangedState(coordinator, *display);
    if (!state) return kPass;
    const auto desktop = state->root.desktopLeaf();
    if (!desktop || windowAt(coordinator.services(), at)) return kPass;
    swallowedDown = true;
    coordinator.services().dispatch->async(
        [weak = arranger_, displayID = display->id, focus = state->focus, desktopID = desktop->id] {
            const auto c = weak.lock();
            if (!c) return;
            c->selectDisplay(displayID);
            if (focus && *focus == desktopID)
                c->zoomOut();
            else
                c->focusDesktop();
        });
    return kSwallow;
}

void SpatialInputController::considerDoubleClick(Point at) {
    // A press that may begin a double click worth swallowing: the tap must be able to hold
    // back the next left press. Looked at after this press has been decided, so a plain press
    // costs no window list.
    const auto coordinator = arranger_.lock();
    if (!coordinator || !tap) return;
    coordinator->services().dispatch->async([weak = weak_from_this(), at] {
        const auto self = weak.lock();
        if (!self || !self->tap) return;
        const auto c = self->arranger_.lock();
        if (!c) return;
        bool worth = false;
        if (const auto record = self->titleStripRecord(*c, at)) worth = inSomeTree(*c, (*record)->id);
        if (!worth) {
            const DisplayInfo* display = displayAt(*c, at);
            const WorkspaceState* state = display ? arrangedState(*c, *display) : nullptr;
            worth = state && state->root.desktopLeaf() && !windowAt(c->services(), at);
        }
        if (!worth) return;
        self->doubleClickArmedUntil = c->now() + c->services().eventTap->doubleClickInterval();
        self->refreshGate();
    });
}

}  // namespace arvelo
