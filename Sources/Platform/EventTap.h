// SPDX-License-Identifier: MIT
// EventTap.h: the event tap: mouse-button events at the head of the event stream, each of which
// the tap's handler may let through or swallow. Presses, releases and left drags of every
// button are handed to the handler on the main thread, in order.
//
// A desktop may only be able to swallow a press that it was told beforehand it might have to
// (X11 holds back only the presses that a button grab covers): the handler's owner says which
// presses those are with a gate (setGate). A press outside the gate passes whatever the handler
// answers; the handler still sees it. A press inside the gate waits for the handler's verdict;
// a swallowed press keeps the button's release, and the left drags before it, from the other
// programs too, whatever the gate says by then. A press whose verdict does not come within
// kDecisionTimeout passes, and the handler is then told `tapDisabledByTimeout`.
#pragma once

#include "ArveloCore/Geometry.h"
#include "Platform/MouseMonitor.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

// The kinds of event; the raw values are the window server's event types.
enum class TapEventType : std::uint32_t {
    leftMouseDown = 1,
    leftMouseUp = 2,
    rightMouseDown = 3,
    rightMouseUp = 4,
    leftMouseDragged = 6,
    otherMouseDown = 25,
    otherMouseUp = 26,
    tapDisabledByTimeout = 0xFFFFFFFE,
    tapDisabledByUserInput = 0xFFFFFFFF,
};

// Button numbers of events: 0 left, 1 right, 2 middle, then further buttons.
inline constexpr std::int64_t kLeftButtonNumber = 0;
inline constexpr std::int64_t kRightButtonNumber = 1;

// The press and release kinds of a button number.
inline constexpr TapEventType pressType(std::int64_t button) {
    return button == kLeftButtonNumber    ? TapEventType::leftMouseDown
           : button == kRightButtonNumber ? TapEventType::rightMouseDown
                                          : TapEventType::otherMouseDown;
}
inline constexpr TapEventType releaseType(std::int64_t button) {
    return button == kLeftButtonNumber    ? TapEventType::leftMouseUp
           : button == kRightButtonNumber ? TapEventType::rightMouseUp
                                          : TapEventType::otherMouseUp;
}

struct TapEvent {
    TapEventType type = TapEventType::leftMouseDown;
    // Where the pointer was, in the top-left-origin space of window frames.
    arvelo::Point location;
    // The modifier flags of MouseMonitor.h (kEventShiftFlag, kEventOptionFlag, ...).
    std::uint64_t modifierFlags = 0;
    std::int64_t button = kLeftButtonNumber;
    // Presses: 1 for a single click, 2 for the second press of a double click (within the
    // desktop's double-click interval and distance of the one before), and so on. Releases and
    // drags carry the state of their press.
    std::int64_t clickState = 1;

    friend bool operator==(const TapEvent&, const TapEvent&) = default;
};

enum class TapVerdict { pass, swallow };

inline bool isPress(TapEventType type) {
    return type == TapEventType::leftMouseDown || type == TapEventType::rightMouseDown ||
           type == TapEventType::otherMouseDown;
}
inline bool isRelease(TapEventType type) {
    return type == TapEventType::leftMouseUp || type == TapEventType::rightMouseUp ||
           type == TapEventType::otherMouseUp;
}

// The presses the tap must be able to swallow now.
struct TapGate {
    bool anyPress = false;   // every press of every button, whatever the modifiers
    bool shiftLeft = false;  // left presses with Shift, or Shift and Option, and no other modifier
    bool left = false;       // every left press, whatever the modifiers

    bool covers(const TapEvent& press) const;
    friend bool operator==(const TapGate&, const TapGate&) = default;
};

inline bool TapGate::covers(const TapEvent& press) const {
    if (anyPress) return true;
    if (press.button != kLeftButtonNumber) return false;
    if (left) return true;
    const std::uint64_t held =
        press.modifierFlags & (kEventShiftFlag | kEventOptionFlag | kEventControlFlag | kEventCommandFlag);
    return shiftLeft && (held == kEventShiftFlag || held == (kEventShiftFlag | kEventOptionFlag));
}

// An installed tap; dropping it removes the tap.
class InstalledEventTap {
public:
    virtual ~InstalledEventTap() = default;
    // Which presses may have to be swallowed from now on. Cheap when nothing changes.
    virtual void setGate(const TapGate& gate) = 0;
    virtual TapGate gate() const = 0;
    // Turns the tap on again after the desktop turned it off.
    virtual void enable() = 0;
};

class EventTap {
public:
    using Handler = std::function<TapVerdict(const TapEvent&)>;

    // A press left undecided this long passes.
    static constexpr double kDecisionTimeout = 0.2;

    virtual ~EventTap() = default;
    // Installs a tap with this handler and a closed gate; null when it cannot be installed now
    // (a later call may succeed).
    [[nodiscard]] virtual std::shared_ptr<InstalledEventTap> install(Handler handler) = 0;
    // The desktop's double-click interval (seconds): how long after a press its second press
    // still makes a double click.
    virtual double doubleClickInterval() const = 0;
};

}  // namespace platform
