// SPDX-License-Identifier: MIT
// MouseMonitor.h: global mouse monitors: the presses, drags and releases of the left button,
// the releases and drags of the right and other buttons, the pointer's moves, and the
// trackpad's pinch anywhere on the desktop, for events aimed at other programs (a press of the
// left button on one of this program's own windows, and the drag and release that follow it,
// are not delivered). Handlers run on the main thread. A desktop that cannot observe the pointer
// globally has no monitor service at all (Services::mouseMonitor is null).
#pragma once

#include "ArveloCore/Geometry.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace platform {

// The kinds of event a monitor delivers; the raw value is the bit of the kind in a mask.
enum class MouseEventType : std::uint32_t {
    leftMouseDown = 1,
    leftMouseUp = 2,
    rightMouseDown = 3,
    rightMouseUp = 4,
    mouseMoved = 5,  // no button held
    leftMouseDragged = 6,
    rightMouseDragged = 7,
    otherMouseUp = 26,  // the middle button or a further one (not the wheel)
    otherMouseDragged = 27,
    magnify = 30,
};

inline constexpr std::uint64_t eventMask(MouseEventType type) { return std::uint64_t{1} << unsigned(type); }

// The left button's presses, drags and releases and the pinches (what the drag docking watches).
inline constexpr std::uint64_t kAllMouseEventsMask =
    eventMask(MouseEventType::leftMouseDown) | eventMask(MouseEventType::leftMouseUp) |
    eventMask(MouseEventType::leftMouseDragged) | eventMask(MouseEventType::magnify);

// Modifier flags of an event (the keys held while it happened).
inline constexpr std::uint64_t kEventShiftFlag = 0x20000;
inline constexpr std::uint64_t kEventControlFlag = 0x40000;
inline constexpr std::uint64_t kEventOptionFlag = 0x80000;    // Alt on X11
inline constexpr std::uint64_t kEventCommandFlag = 0x100000;  // Super on X11

// Where a pinch is in its life.
enum class GesturePhase { none, began, changed, ended, cancelled };

struct MouseEvent {
    MouseEventType type = MouseEventType::leftMouseDown;
    // The pointer when the event happened, in the top-left-origin space of window frames;
    // absent when the platform could not tell.
    std::optional<arvelo::Point> location;
    std::uint64_t modifierFlags = 0;
    // Pinches only: the change of scale since the previous event of the pinch (0 at its
    // beginning), and the phase.
    double magnification = 0;
    GesturePhase phase = GesturePhase::none;
    // Presses only, when the platform can tell: the window under the pointer as the button
    // went down (its window number) and that window's frame then (top-left space). Handlers
    // run a moment later, when the window may already be moving; these keep the press as it
    // was.
    std::optional<std::uint32_t> windowNumber;
    std::optional<arvelo::Rect> windowFrame;

    friend bool operator==(const MouseEvent&, const MouseEvent&) = default;
};

class MouseMonitor {
public:
    using Handler = std::function<void(const MouseEvent&)>;

    virtual ~MouseMonitor() = default;

    // Starts delivering the events whose kinds are in `mask` to `handler` on the main thread.
    // The monitor lives as long as the returned token; dropping it removes the monitor.
    [[nodiscard]] virtual std::shared_ptr<void> addGlobalMonitor(std::uint64_t mask, Handler handler) = 0;

    // Whether pinches can be observed at all on this desktop; without them no magnify
    // event is ever delivered.
    virtual bool deliversMagnify() const = 0;
};

}  // namespace platform
