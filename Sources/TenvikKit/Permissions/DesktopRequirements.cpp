// SPDX-License-Identifier: MIT
// DesktopRequirements.cpp: the rows' texts for the facts.
#include "TenvikKit/Permissions/DesktopRequirements.h"

#include "TenvikKit/Gestures/GestureMonitor.h"

namespace tenvik {

namespace {

DesktopRequirement session(const DesktopFacts& facts) {
    DesktopRequirement row{DesktopRequirement::Kind::x11Session,
                           "X11 session",
                           "Vomira moves other programs' windows through X11; Wayland does not let it.",
                           facts.x11Session,
                           "",
                           "",
                           false};
    row.state = facts.x11Session ? "This is an X11 session." : "This is not an X11 session.";
    if (!facts.x11Session) row.remedy = "Log out and choose an X11 (Xorg) session at the login screen.";
    return row;
}

DesktopRequirement windowManager(const DesktopFacts& facts) {
    DesktopRequirement row{DesktopRequirement::Kind::windowManager, "Window manager",
                           "Arranging: moving, resizing and focusing your windows.", facts.windowManager};
    row.state = facts.windowManager ? "An EWMH window manager is running." : "No EWMH window manager is running.";
    if (!facts.windowManager) row.remedy = "Start a window manager such as openbox, xfwm4 or KWin.";
    return row;
}

DesktopRequirement compositing(const DesktopFacts& facts) {
    DesktopRequirement row{DesktopRequirement::Kind::compositingManager, "Compositing manager",
                           "Translucent panels, and pictures of windows that are covered.", facts.compositingManager};
    row.state = facts.compositingManager ? "A compositing manager is running."
                                         : "No compositing manager is running: panels are drawn opaque.";
    if (!facts.compositingManager)
        row.remedy =
            "Turn on your window manager's compositor (xfwm4: Window Manager Tweaks, Compositor) or start "
            "picom.";
    return row;
}

DesktopRequirement touchpad(const DesktopFacts& facts) {
    DesktopRequirement row{DesktopRequirement::Kind::touchpadAccess, "Touchpad access",
                           "Touchpad gestures: a three-finger tap or hold.", facts.touchpadReadable};
    if (facts.touchpadReadable) {
        row.state = "The touchpad under /dev/input can be read.";
        return row;
    }
    const std::string reason = facts.touchpadUnavailableReason.value_or(GestureMonitor::kNoTouchpadReason);
    if (reason == GestureMonitor::kNoPermissionReason) {
        row.state = "No permission to read /dev/input.";
        row.remedy = "Add yourself to the input group (sudo usermod -aG input $USER) and log in again.";
    } else if (reason == GestureMonitor::kNoTouchpadReason) {
        row.state = reason;
        row.remedy = "Gestures start when a touchpad is plugged in; the shortcuts work without one.";
    } else {
        row.state = reason;
    }
    return row;
}

}  // namespace

std::vector<DesktopRequirement> desktopRequirements(const DesktopFacts& facts) {
    return {session(facts), windowManager(facts), compositing(facts), touchpad(facts)};
}

std::vector<DesktopRequirement> desktopSteps(const DesktopFacts& facts) {
    std::vector<DesktopRequirement> rows = desktopRequirements(facts);
    std::erase_if(rows, [](const DesktopRequirement& row) { return !row.canBeMissing; });
    return rows;
}

}  // namespace tenvik
