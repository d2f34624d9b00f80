// SPDX-License-Identifier: MIT
// KitWindowContext.h: what the kit's settings and onboarding windows work with: the kit's
// shared objects (settings, activity, permissions, the recording flag), the scheduler, launch
// at login, where installed applications are read from, and whether this desktop has a
// privacy settings pane to open (X11 has none). Made by the shell once the kit controller
// exists.
#pragma once

#include "Platform/Dispatch.h"
#include "Platform/Workspace.h"
#include "TenvikKit/Applications/DesktopEntry.h"
#include "TenvikKit/Controller/TenvikController.h"
#include "TenvikKit/Permissions/LaunchAtLoginManager.h"

#include <functional>
#include <memory>
#include <vector>

namespace tenvik {

struct KitWindowContext {
    KitShared shared;
    std::shared_ptr<platform::Dispatcher> dispatch;
    std::shared_ptr<LaunchAtLoginManager> launchAtLogin;
    // The applications installed on this desktop, read when the chooser opens.
    std::function<std::vector<DesktopEntry>()> installedApplications;
    // The applications running now (the Focus tab stores what a running copy reports).
    std::function<std::vector<platform::RunningApplication>()> runningApplications;
    // Opens the onboarding window ("Show Welcome Guide Again").
    std::function<void()> showOnboarding;
};

// Connects a change notifier to a callback for as long as it lives.
class ChangeLink {
public:
    ChangeLink() = default;
    ChangeLink(platform::ChangeNotifier& notifier, std::function<void()> observer)
        : notifier_(&notifier), id_(notifier.subscribe(std::move(observer))) {}
    ChangeLink(ChangeLink&& other) noexcept : notifier_(other.notifier_), id_(other.id_) { other.notifier_ = nullptr; }
    ChangeLink& operator=(ChangeLink&& other) noexcept {
        if (this != &other) {
            reset();
            notifier_ = other.notifier_;
            id_ = other.id_;
            other.notifier_ = nullptr;
        }
        return *this;
    }
    ~ChangeLink() { reset(); }
    void reset() {
        if (notifier_) notifier_->unsubscribe(id_);
        notifier_ = nullptr;
    }

private:
    platform::ChangeNotifier* notifier_ = nullptr;
    platform::ChangeNotifier::Subscription id_ = 0;
};

}  // namespace tenvik
