// SPDX-License-Identifier: MIT
// DesktopRequirements.h: what really gates this program's features on a Linux desktop, each
// with its true state, what it enables and how to get it: an X11 session, an EWMH window
// manager that lets windows move, a compositing manager, and read access to the touchpad under
// /dev/input. The permissions window, the settings' Permissions tab and the welcome guide all
// show these rows. Pure: the facts come in, the rows go out.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tenvik {

// What the desktop is like now.
struct DesktopFacts {
    bool x11Session = true;
    bool windowManager = false;
    bool compositingManager = false;
    bool touchpadReadable = false;
    // Why gestures are off, as the gesture monitor says it (no permission, no touchpad, ...).
    std::optional<std::string> touchpadUnavailableReason;
};

struct DesktopRequirement {
    enum class Kind { x11Session, windowManager, compositingManager, touchpadAccess };
    Kind kind = Kind::x11Session;
    std::string title;    // "Window manager"
    std::string enables;  // what it makes possible
    bool met = false;
    std::string state;   // the true state now, one sentence
    std::string remedy;  // how to get it; empty when met or nothing can be done here
    // False for what is always so while this program runs (it starts only in an X11
    // session): shown as a state, never as a step to take.
    bool canBeMissing = true;
    friend bool operator==(const DesktopRequirement&, const DesktopRequirement&) = default;
};

// The four rows, in the order above.
std::vector<DesktopRequirement> desktopRequirements(const DesktopFacts& facts);
// Only the rows that can be missing: the steps a welcome guide may ask for.
std::vector<DesktopRequirement> desktopSteps(const DesktopFacts& facts);

}  // namespace tenvik
