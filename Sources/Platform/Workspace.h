// SPDX-License-Identifier: MIT
// Workspace.h: the running applications (pid, identifier, name, activation policy, hidden,
// icon), activating, unhiding and hiding them, the frontmost one, and the notifications of
// launches, quits, activations, hiding and unhiding, and Space changes (delivered on the main
// thread).
#pragma once

#include "Platform/Signal.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class ActivationPolicy {
    regular,     // an ordinary application with windows of its own
    accessory,   // no taskbar presence, may show windows (a status-item program)
    prohibited,  // no windows of its own
};

struct RunningApplication {
    std::int32_t pid = 0;
    std::optional<std::string> applicationID;
    std::optional<std::string> localizedName;
    ActivationPolicy activationPolicy = ActivationPolicy::regular;
    bool hidden = false;
    bool active = false;
    std::string iconName;  // an icon theme name, "" when none is known

    friend bool operator==(const RunningApplication&, const RunningApplication&) = default;
};

enum class ActivationOptions : unsigned {
    none = 0,
    allWindows = 1,  // bring every window of the application forward
};

class Workspace {
public:
    virtual ~Workspace() = default;

    // Every running application, in the platform's order. An application leaves these answers
    // only once a read answered in full no longer finds it: a read that times out or answers
    // partly gives what the last full one found.
    virtual std::vector<RunningApplication> runningApplications() = 0;
    // The same list, shared: a backend that keeps it answers without copying it (the beat
    // asks for it several times). By default a copy of runningApplications().
    virtual std::shared_ptr<const std::vector<RunningApplication>> sharedApplications() {
        return std::make_shared<const std::vector<RunningApplication>>(runningApplications());
    }
    virtual std::optional<RunningApplication> application(std::int32_t pid) = 0;
    virtual std::optional<RunningApplication> frontmostApplication() = 0;
    // This program's own process id.
    virtual std::int32_t ownPid() = 0;
    // Whether the process has ended, as far as the platform knows: false while it runs and
    // whenever that cannot be told. A backend that knows no better takes an application no
    // longer running for an ended process.
    virtual bool processEnded(std::int32_t pid) { return !application(pid).has_value(); }

    // Requests; each answers whether it was made.
    virtual bool activate(std::int32_t pid, ActivationOptions options) = 0;
    virtual bool unhide(std::int32_t pid) = 0;
    virtual bool hide(std::int32_t pid) = 0;
    // This program hands activation over to `pid` (the cooperative activation hand-over).
    virtual void yieldActivation(std::int32_t pid) = 0;

    Signal<const RunningApplication&> didLaunchApplication;
    Signal<const RunningApplication&> didTerminateApplication;
    Signal<const RunningApplication&> didActivateApplication;
    // Every window of the application was hidden (on X11: minimised), or one came back.
    Signal<const RunningApplication&> didHideApplication;
    Signal<const RunningApplication&> didUnhideApplication;
    Signal<> activeSpaceDidChange;
};

}  // namespace platform
