// SPDX-License-Identifier: MIT
// SimMouseMonitor: the scripted pointer's events, the window manager's move and resize of the
// pressed window, and delivery to the monitors through the main queue.
#include "Platform/Sim/SimMouseMonitor.h"

#include <algorithm>

namespace platform::sim {

std::shared_ptr<void> SimMouseMonitor::addGlobalMonitor(std::uint64_t mask, Handler handler) {
    auto monitor = std::make_shared<Monitor>(Monitor{mask, std::move(handler)});
    monitors_.push_back(monitor);
    return monitor;
}

std::size_t SimMouseMonitor::monitorCount() const {
    std::size_t count = 0;
    for (const auto& weak : monitors_) count += weak.expired() ? 0 : 1;
    return count;
}

std::optional<std::uint32_t> SimMouseMonitor::windowAt(arvelo::Point point) const {
    world_->settle();
    for (const std::uint32_t number : world_->stacking()) {
        Window* window = world_->liveWindow(number);
        if (window && window->layer == 0 && world_->onScreen(*window) && window->frame.contains(point)) return number;
    }
    return std::nullopt;
}

void SimMouseMonitor::press(arvelo::Point at, std::uint64_t flags) {
    world_->pointer = at;
    world_->buttons |= 1u;
    hold_.reset();
    const auto number = windowAt(at);
    Window* window = number ? world_->liveWindow(*number) : nullptr;
    ownSequence_ = window && window->pid == world_->ownPid();
    if (window && !ownSequence_) {
        const arvelo::Rect& frame = window->frame;
        if (at.y < frame.minY() + kTitleBarHeight) {
            hold_ = Hold{*number, false, at, frame};
        } else if (at.x >= frame.maxX() - kResizeCorner && at.y >= frame.maxY() - kResizeCorner) {
            hold_ = Hold{*number, true, at, frame};
        }
        if (hold_ && !window->behaviour.userMovable) hold_.reset();
    }
    if (ownSequence_) return;
    MouseEvent event{MouseEventType::leftMouseDown, at, flags, 0, GesturePhase::none};
    if (window) {
        event.windowNumber = window->number;
        event.windowFrame = window->frame;
    }
    post(event);
}

void SimMouseMonitor::drag(arvelo::Point to, std::uint64_t flags) {
    world_->pointer = to;
    if (hold_ && world_->liveWindow(hold_->window)) {
        const double dx = to.x - hold_->start.x;
        const double dy = to.y - hold_->start.y;
        arvelo::Rect frame = hold_->startFrame;
        if (hold_->resizing) {
            frame.width += dx;
            frame.height += dy;
            const auto& minimum = world_->liveWindow(hold_->window)->behaviour.minimumSize;
            frame.width = std::max(frame.width, minimum.width);
            frame.height = std::max(frame.height, minimum.height);
        } else {
            frame.x += dx;
            frame.y += dy;
        }
        world_->setFrame(hold_->window, frame);
    }
    if (ownSequence_) return;
    post({MouseEventType::leftMouseDragged, to, flags, 0, GesturePhase::none, std::nullopt, std::nullopt});
}

void SimMouseMonitor::release(std::uint64_t flags) {
    world_->buttons &= ~1u;
    hold_.reset();
    if (ownSequence_) {
        ownSequence_ = false;
        return;
    }
    post({MouseEventType::leftMouseUp, world_->pointer, flags, 0, GesturePhase::none, std::nullopt, std::nullopt});
}

void SimMouseMonitor::move(arvelo::Point to, std::uint64_t flags) {
    if (world_->buttons & kLeftMouseButton) {
        drag(to, flags);
        return;
    }
    world_->pointer = to;
    const MouseEventType type = (world_->buttons & kRightMouseButton)   ? MouseEventType::rightMouseDragged
                                : (world_->buttons & kOtherMouseButton) ? MouseEventType::otherMouseDragged
                                                                        : MouseEventType::mouseMoved;
    post({type, to, flags, 0, GesturePhase::none, std::nullopt, std::nullopt});
}

void SimMouseMonitor::pressButton(std::uint32_t button) {
    world_->buttons |= button;
    // A right press in another application reaches the monitors that ask for it.
    if (button == kRightMouseButton)
        post({MouseEventType::rightMouseDown, world_->pointer, 0, 0, GesturePhase::none, std::nullopt, std::nullopt});
}

void SimMouseMonitor::releaseButton(std::uint32_t button, std::uint64_t flags) {
    world_->buttons &= ~button;
    const MouseEventType type =
        button == kRightMouseButton ? MouseEventType::rightMouseUp : MouseEventType::otherMouseUp;
    post({type, world_->pointer, flags, 0, GesturePhase::none, std::nullopt, std::nullopt});
}

void SimMouseMonitor::pinch(arvelo::Point at, double magnification, GesturePhase phase, std::uint64_t flags) {
    world_->pointer = at;
    post({MouseEventType::magnify, at, flags, magnification, phase, std::nullopt, std::nullopt});
}

void SimMouseMonitor::post(MouseEvent event) {
    world_->clock().async([weak = weak_from_this(), event] {
        if (auto self = weak.lock()) self->deliver(event);
    });
}

void SimMouseMonitor::deliver(const MouseEvent& event) {
    std::vector<std::shared_ptr<Monitor>> live;
    std::erase_if(monitors_, [](const std::weak_ptr<Monitor>& w) { return w.expired(); });
    for (const auto& weak : monitors_)
        if (auto monitor = weak.lock(); monitor && (monitor->mask & eventMask(event.type))) live.push_back(monitor);
    for (const auto& monitor : live) monitor->handler(event);
}

}  // namespace platform::sim
