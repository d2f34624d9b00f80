// SPDX-License-Identifier: MIT
// PermissionsWindow.h: the window that shows what this desktop offers the program (an X11
// session, an EWMH window manager, a compositing manager, access to the touchpad), each with
// its true state, what it enables and how to get it, read again every second while it is
// open. Nothing in it asks for anything. Closing it any way ("Done", Escape, the title bar)
// records that the user has seen it, so a start does not show it again. One per process, kept
// when closed.
#pragma once

#include "Platform/Services.h"
#include "TenvikKit/Permissions/DesktopRequirements.h"

#include <functional>
#include <memory>

class QDialog;
class QPushButton;

namespace tenvik {
class RequirementList;
}

namespace arvelo {

class PermissionsWindow {
public:
    static constexpr double kPollInterval = 1.0;
    static constexpr const char* kSubtitle =
        "What this desktop lets Vomira do now. Nothing here asks you for permission: the X server, "
        "your window manager and your user's groups decide.";

    // `facts` reads the desktop; when not given, the window manager and compositing facts come
    // from `services` and the touchpad is not known.
    explicit PermissionsWindow(platform::Services services, std::function<tenvik::DesktopFacts()> facts = {});
    ~PermissionsWindow();
    PermissionsWindow(const PermissionsWindow&) = delete;
    PermissionsWindow& operator=(const PermissionsWindow&) = delete;

    // Creates the window on first use, then brings it to the front.
    void show();

    // The window, absent until the first show().
    QDialog* window() const { return window_.get(); }
    tenvik::RequirementList* requirements() const { return requirements_; }
    const std::vector<tenvik::DesktopRequirement>& shown() const { return shown_; }

private:
    void build();
    void poll();
    void closed();

    platform::Services services_;
    std::function<tenvik::DesktopFacts()> facts_;
    std::unique_ptr<QDialog> window_;
    tenvik::RequirementList* requirements_ = nullptr;
    std::vector<tenvik::DesktopRequirement> shown_;
    platform::TimerHandle pollTimer_;
};

}  // namespace arvelo
