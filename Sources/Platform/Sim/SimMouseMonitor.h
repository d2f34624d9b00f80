// SPDX-License-Identifier: MIT
// SimMouseMonitor: global mouse monitors on the simulated desktop, and the window manager's
// part of a press: a press on a window's title bar moves the window with the pointer, a press
// on its bottom-right corner resizes it, as an X11 window manager's move and resize grabs do.
// Tests script presses, drags, releases and pinches through sim::Desktop; each event reaches
// the monitors through the main queue, like the real one. A press on a window of this program
// (and the drag and release that follow it) is not delivered.
#pragma once

#include "Platform/MouseMonitor.h"
#include "Platform/Pointer.h"
#include "Platform/Sim/World.h"

#include <memory>
#include <optional>
#include <vector>

namespace platform::sim {

class SimMouseMonitor final : public MouseMonitor, public std::enable_shared_from_this<SimMouseMonitor> {
public:
    // The strip at the top of a window's frame that its title bar takes, and the square at its
    // bottom-right corner that resizes it.
    static constexpr double kTitleBarHeight = 24;
    static constexpr double kResizeCorner = 12;

    explicit SimMouseMonitor(std::shared_ptr<World> world) : world_(std::move(world)) {}

    std::shared_ptr<void> addGlobalMonitor(std::uint64_t mask, Handler handler) override;
    bool deliversMagnify() const override { return true; }

    // The script (top-left-origin points; `flags` are the event modifier flags).
    void press(arvelo::Point at, std::uint64_t flags);
    void drag(arvelo::Point to, std::uint64_t flags);
    void release(std::uint64_t flags);
    // The pointer moves to `to`: a drag of the held button (the left one first), or a move.
    void move(arvelo::Point to, std::uint64_t flags);
    // The right or other button (kRightMouseButton, kOtherMouseButton) goes down or up.
    void pressButton(std::uint32_t button);
    void releaseButton(std::uint32_t button, std::uint64_t flags);
    void pinch(arvelo::Point at, double magnification, GesturePhase phase, std::uint64_t flags);

    // How many monitors are installed now.
    std::size_t monitorCount() const;

private:
    struct Monitor {
        std::uint64_t mask;
        Handler handler;
    };
    // What the window manager does with the current press.
    struct Hold {
        std::uint32_t window = 0;
        bool resizing = false;
        arvelo::Point start;
        arvelo::Rect startFrame;
    };

    std::optional<std::uint32_t> windowAt(arvelo::Point point) const;
    void post(MouseEvent event);
    void deliver(const MouseEvent& event);

    std::shared_ptr<World> world_;
    std::vector<std::weak_ptr<Monitor>> monitors_;
    std::optional<Hold> hold_;
    bool ownSequence_ = false;
};

}  // namespace platform::sim
