// SPDX-License-Identifier: MIT
// X11MouseMonitor: raw events to mouse events (pointer queries, the own-window filter, drag
// coalescing) on the event thread, and the hand-over to the monitors on the main thread.
#include "Platform/X11/X11MouseMonitor.h"

#include <unistd.h>

namespace platform::x11 {

namespace {
constexpr double kQueryTimeout = 0.25;
constexpr std::uint32_t kLeftButton = 1;
constexpr std::uint32_t kMiddleButton = 2;
constexpr std::uint32_t kRightButton = 3;
// Buttons 4 to 7 are the wheel's steps; 8 and later are further buttons.
constexpr std::uint32_t kFirstExtraButton = 8;

bool isOtherButton(std::uint32_t button) { return button == kMiddleButton || button >= kFirstExtraButton; }
// How far down from the root the own-window test looks: a window manager's frame, the
// client inside it, and a level of reparenting more.
constexpr int kOwnWindowDepth = 4;
}  // namespace

std::shared_ptr<X11MouseMonitor> X11MouseMonitor::make(std::shared_ptr<Connection> connection,
                                                       std::shared_ptr<RawInput> rawInput,
                                                       std::shared_ptr<Dispatcher> dispatch) {
    std::shared_ptr<X11MouseMonitor> monitor(
        new X11MouseMonitor(std::move(connection), std::move(rawInput), std::move(dispatch)));
    // Client windows carry WM_STATE; it tells them from the window manager's frames.
    static constexpr char kWMState[] = "WM_STATE";
    auto atom = monitor->connection_->await<xcb_intern_atom_reply_t>(
        xcb_intern_atom(monitor->connection_->xcb(), 0, sizeof kWMState - 1, kWMState), Deadline::in(kQueryTimeout));
    if (atom) monitor->wmState_ = atom->atom;
    monitor->observation_ = monitor->rawInput_->observe([weak = monitor->weak_from_this()](const RawInputEvent& e) {
        if (auto self = weak.lock()) self->observe(e);
    });
    return monitor;
}

X11MouseMonitor::X11MouseMonitor(std::shared_ptr<Connection> connection, std::shared_ptr<RawInput> rawInput,
                                 std::shared_ptr<Dispatcher> dispatch)
    : connection_(std::move(connection)),
      rawInput_(std::move(rawInput)),
      dispatch_(std::move(dispatch)),
      ownPid_(static_cast<std::int32_t>(getpid())) {}

std::uint64_t X11MouseMonitor::modifierFlags(std::uint32_t xMask) {
    std::uint64_t flags = 0;
    if (xMask & XCB_MOD_MASK_SHIFT) flags |= kEventShiftFlag;
    if (xMask & XCB_MOD_MASK_CONTROL) flags |= kEventControlFlag;
    if (xMask & XCB_MOD_MASK_1) flags |= kEventOptionFlag;
    if (xMask & XCB_MOD_MASK_4) flags |= kEventCommandFlag;
    return flags;
}

void X11MouseMonitor::observe(const RawInputEvent& event) {
    switch (event.kind) {
        case RawInputEvent::Kind::motion:
            if (!leftDown_) {
                otherMotion();
                return;
            }
            // The common case, kept short: motion within a press on our own window, or while
            // a drag step still waits for the main thread.
            if (ownSequence_ || dragPending_.load(std::memory_order_relaxed)) return;
            if (auto e = pointerEvent(MouseEventType::leftMouseDragged)) {
                dragPending_ = true;
                post(*e);
            }
            return;
        case RawInputEvent::Kind::buttonPress: {
            if (event.button == kRightButton) {
                rightDown_ = true;
                // Looked up only for a monitor that asks (the window map's outside press).
                if (!wanted(MouseEventType::rightMouseDown) || windowUnderPointer().own) return;
                if (auto e = pointerEvent(MouseEventType::rightMouseDown)) post(*e);
                return;
            }
            if (isOtherButton(event.button)) otherDown_ = true;
            if (event.button != kLeftButton) return;
            leftDown_ = true;
            const PressedWindow pressed = windowUnderPointer();
            ownSequence_ = pressed.own;
            if (ownSequence_) return;
            if (auto e = pointerEvent(MouseEventType::leftMouseDown)) {
                if (pressed.client != XCB_WINDOW_NONE) {
                    e->windowNumber = pressed.client;
                    e->windowFrame = pressed.frame;
                }
                post(*e);
            }
            return;
        }
        case RawInputEvent::Kind::buttonRelease:
            if (event.button == kRightButton || isOtherButton(event.button)) {
                const bool right = event.button == kRightButton;
                (right ? rightDown_ : otherDown_) = false;
                const MouseEventType type = right ? MouseEventType::rightMouseUp : MouseEventType::otherMouseUp;
                if (wanted(type))
                    if (auto e = pointerEvent(type)) post(*e);
                return;
            }
            if (event.button != kLeftButton) return;
            leftDown_ = false;
            if (ownSequence_) {
                ownSequence_ = false;
                return;
            }
            if (auto e = pointerEvent(MouseEventType::leftMouseUp)) post(*e);
            return;
        case RawInputEvent::Kind::pinchBegin:
        case RawInputEvent::Kind::pinchUpdate:
        case RawInputEvent::Kind::pinchEnd:
            pinch(event);
            return;
        case RawInputEvent::Kind::keyPress:
            return;
    }
}

void X11MouseMonitor::otherMotion() {
    const MouseEventType type = rightDown_   ? MouseEventType::rightMouseDragged
                                : otherDown_ ? MouseEventType::otherMouseDragged
                                             : MouseEventType::mouseMoved;
    if (!wanted(type) || movePending_.load(std::memory_order_relaxed)) return;
    if (auto e = pointerEvent(type)) {
        movePending_ = true;
        post(*e);
    }
}

std::optional<MouseEvent> X11MouseMonitor::pointerEvent(MouseEventType type) {
    auto pointer = connection_->await<xcb_query_pointer_reply_t>(
        xcb_query_pointer(connection_->xcb(), connection_->root()), Deadline::in(kQueryTimeout));
    MouseEvent event;
    event.type = type;
    if (!pointer) {
        // The server did not answer in time: the event still counts, without a position.
        return event;
    }
    event.location = arvelo::Point{double(pointer->root_x), double(pointer->root_y)};
    event.modifierFlags = modifierFlags(pointer->mask);
    return event;
}

X11MouseMonitor::PressedWindow X11MouseMonitor::windowUnderPointer() {
    xcb_connection_t* c = connection_->xcb();
    const Deadline deadline = Deadline::in(kQueryTimeout);
    PressedWindow pressed;
    xcb_window_t window = connection_->root();
    for (int depth = 0; depth < kOwnWindowDepth; ++depth) {
        auto pointer = connection_->await<xcb_query_pointer_reply_t>(xcb_query_pointer(c, window), deadline);
        if (!pointer || pointer->child == XCB_WINDOW_NONE) return pressed;
        window = pointer->child;
        // Asked together: the top-level window's outer frame, and whether this window is a
        // client (WM_STATE) and whose (_NET_WM_PID).
        std::optional<xcb_get_geometry_cookie_t> geometry;
        if (depth == 0) geometry = xcb_get_geometry(c, window);
        const auto stateCookie = xcb_get_property(c, 0, window, wmState_, XCB_GET_PROPERTY_TYPE_ANY, 0, 0);
        const auto pidCookie =
            xcb_get_property(c, 0, window, connection_->ewmh()->_NET_WM_PID, XCB_ATOM_CARDINAL, 0, 1);
        if (geometry) {
            if (auto g = connection_->await<xcb_get_geometry_reply_t>(*geometry, deadline))
                pressed.frame =
                    arvelo::Rect(g->x, g->y, g->width + 2.0 * g->border_width, g->height + 2.0 * g->border_width);
        }
        auto state = connection_->await<xcb_get_property_reply_t>(stateCookie, deadline);
        auto pid = connection_->await<xcb_get_property_reply_t>(pidCookie, deadline);
        const bool hasPid = pid && pid->format == 32 && xcb_get_property_value_length(pid.value.get()) >= 4;
        if (hasPid) {
            const auto value = *static_cast<const std::uint32_t*>(xcb_get_property_value(pid.value.get()));
            pressed.own = static_cast<std::int32_t>(value) == ownPid_;
        }
        if ((state && state->type != XCB_ATOM_NONE) || hasPid) {
            pressed.client = window;
            return pressed;
        }
    }
    return pressed;
}

void X11MouseMonitor::pinch(const RawInputEvent& event) {
    MouseEvent e;
    e.type = MouseEventType::magnify;
    e.location = arvelo::Point{event.rootX, event.rootY};
    e.modifierFlags = modifierFlags(event.modifiers);
    switch (event.kind) {
        case RawInputEvent::Kind::pinchBegin:
            e.phase = GesturePhase::began;
            lastScale_ = event.scale;
            break;
        case RawInputEvent::Kind::pinchUpdate:
            e.phase = GesturePhase::changed;
            break;
        default:
            e.phase = event.cancelled ? GesturePhase::cancelled : GesturePhase::ended;
            break;
    }
    // A magnification is the change of scale since the previous step of the pinch.
    if (e.phase != GesturePhase::began) {
        e.magnification = event.scale - lastScale_;
        lastScale_ = event.scale;
    }
    post(e);
}

void X11MouseMonitor::post(MouseEvent event) {
    dispatch_->async([weak = weak_from_this(), event] {
        if (auto self = weak.lock()) self->deliver(event);
    });
}

void X11MouseMonitor::deliver(const MouseEvent& event) {
    if (event.type == MouseEventType::leftMouseDragged) dragPending_ = false;
    if (event.type == MouseEventType::mouseMoved || event.type == MouseEventType::rightMouseDragged ||
        event.type == MouseEventType::otherMouseDragged)
        movePending_ = false;
    std::vector<std::shared_ptr<Monitor>> live;
    std::erase_if(monitors_, [](const std::weak_ptr<Monitor>& w) { return w.expired(); });
    updateWanted();
    for (const auto& weak : monitors_)
        if (auto monitor = weak.lock(); monitor && (monitor->mask & eventMask(event.type))) live.push_back(monitor);
    for (const auto& monitor : live) monitor->handler(event);
}

std::shared_ptr<void> X11MouseMonitor::addGlobalMonitor(std::uint64_t mask, Handler handler) {
    auto monitor = std::make_shared<Monitor>(Monitor{mask, std::move(handler)});
    monitors_.push_back(monitor);
    updateWanted();
    return monitor;
}

void X11MouseMonitor::updateWanted() {
    std::uint64_t mask = 0;
    for (const auto& weak : monitors_)
        if (auto monitor = weak.lock()) mask |= monitor->mask;
    wanted_ = mask;
}

}  // namespace platform::x11
