// SPDX-License-Identifier: MIT
// X11MouseMonitor: global mouse monitors over the XInput2 raw observation. Raw events carry
// no position, so each press, release and drag step asks the server where the pointer is and
// which modifiers are held (on the event thread, never on the main thread); motion while the
// left button is up costs nothing more than its decoding. A press on one of this program's
// own windows is not delivered, nor the drag and the release that follow it. Drag steps are
// coalesced: while one waits for the main thread, later motion is not queried. The right and
// other buttons' releases and drags and the pointer's moves are looked at only while a monitor
// asks for them, are coalesced the same way, and are delivered wherever they happen.
#pragma once

#include "Platform/Dispatch.h"
#include "Platform/MouseMonitor.h"
#include "Platform/X11/Connection.h"
#include "Platform/X11/RawInput.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace platform::x11 {

class X11MouseMonitor final : public MouseMonitor, public std::enable_shared_from_this<X11MouseMonitor> {
public:
    static std::shared_ptr<X11MouseMonitor> make(std::shared_ptr<Connection> connection,
                                                 std::shared_ptr<RawInput> rawInput,
                                                 std::shared_ptr<Dispatcher> dispatch);

    std::shared_ptr<void> addGlobalMonitor(std::uint64_t mask, Handler handler) override;
    bool deliversMagnify() const override { return rawInput_->deliversPinches(); }

    // Event thread: one raw event (public for the benchmark and the tests of the filter).
    void observe(const RawInputEvent& event);

    // Modifier flags of an X key and button mask.
    static std::uint64_t modifierFlags(std::uint32_t xMask);

private:
    X11MouseMonitor(std::shared_ptr<Connection> connection, std::shared_ptr<RawInput> rawInput,
                    std::shared_ptr<Dispatcher> dispatch);

    struct Monitor {
        std::uint64_t mask;
        Handler handler;
    };

    // Event thread.
    std::optional<MouseEvent> pointerEvent(MouseEventType type);
    // The client window under the pointer (found through the window manager's frame) and the
    // frame's outer rectangle, read as a press happens.
    struct PressedWindow {
        xcb_window_t client = XCB_WINDOW_NONE;
        std::optional<arvelo::Rect> frame;
        bool own = false;  // a window of this program
    };
    PressedWindow windowUnderPointer();
    void post(MouseEvent event);
    void pinch(const RawInputEvent& event);
    // Motion with the left button up: a drag of the right or other button, or a move.
    void otherMotion();
    bool wanted(MouseEventType type) const {
        return (wanted_.load(std::memory_order_relaxed) & eventMask(type)) != 0;
    }
    // Main thread: the kinds some live monitor asks for, for the event thread.
    void updateWanted();
    // Main thread.
    void deliver(const MouseEvent& event);

    std::shared_ptr<Connection> connection_;
    std::shared_ptr<RawInput> rawInput_;
    std::shared_ptr<Dispatcher> dispatch_;
    std::shared_ptr<void> observation_;
    std::int32_t ownPid_;
    xcb_atom_t wmState_ = XCB_ATOM_NONE;

    // Event thread only.
    bool leftDown_ = false;
    bool ownSequence_ = false;  // the current press began on one of our own windows
    bool rightDown_ = false;
    bool otherDown_ = false;
    double lastScale_ = 1;
    // Shared: a drag step posted and not yet delivered.
    std::atomic<bool> dragPending_{false};
    // Shared: a move, or a drag of the right or other button, posted and not yet delivered.
    std::atomic<bool> movePending_{false};
    // Shared: the kinds the live monitors ask for.
    std::atomic<std::uint64_t> wanted_{0};

    // Main thread only.
    std::vector<std::weak_ptr<Monitor>> monitors_;
};

}  // namespace platform::x11
