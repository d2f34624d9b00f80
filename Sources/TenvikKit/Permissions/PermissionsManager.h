// SPDX-License-Identifier: MIT
// PermissionsManager.h: what the desktop grants the kit: window pictures (needed to pin
// windows; on X11, the Composite extension), window control (needed to pass clicks through a
// pinned preview; on X11, an EWMH window manager) and whether a compositing manager runs.
// Re-read once a second while a settings or onboarding window shows them (one timer for both),
// and whenever this program becomes the active application. Nothing asks the user on this
// desktop: the request calls only read again, and the open calls are counted and logged.
// Main thread only.
#pragma once

#include "Platform/Accessibility.h"
#include "Platform/Dispatch.h"
#include "Platform/ScreenCapture.h"
#include "Platform/Workspace.h"
#include "TenvikKit/Activity/ActivityMonitor.h"
#include "TenvikKit/Permissions/DesktopRequirements.h"
#include "TenvikKit/Support/Observed.h"

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>

namespace tenvik {

class PermissionsManager {
public:
    enum class PollingOwner { settings, onboarding };
    static constexpr double kPollingInterval = 1.0;

    PermissionsManager(std::shared_ptr<platform::Accessibility> accessibility,
                       std::shared_ptr<platform::ScreenCapture> screenCapture,
                       std::shared_ptr<platform::Workspace> workspace, std::shared_ptr<platform::Dispatcher> dispatch,
                       std::optional<std::string> ownApplicationID);
    ~PermissionsManager();
    PermissionsManager(const PermissionsManager&) = delete;
    PermissionsManager& operator=(const PermissionsManager&) = delete;

    void refresh();
    void requestScreenRecording();
    void requestAccessibility();
    void startPolling(PollingOwner owner);
    void stopPolling(PollingOwner owner);
    void openScreenRecordingSettings();
    void openAccessibilitySettings();

    Observed<bool> screenRecordingGranted{false};
    Observed<bool> accessibilityGranted{false};
    Observed<bool> didPromptScreenRecording{false};
    Observed<bool> didPromptAccessibility{false};
    Observed<bool> compositingManager{false};

    // Whether a compositing manager runs now; unset reads as none.
    std::function<bool()> compositingProbe;

    // The desktop as the rows of the permissions views show it, with the gesture facts of
    // `activity`.
    DesktopFacts desktopFacts(const ActivityMonitor& activity) const;

    const std::set<PollingOwner>& pollingOwners() const { return pollingOwners_; }
    bool isPolling() const { return pollingTimer_.isValid(); }
    int settingsPanesOpened() const { return settingsPanesOpened_; }

private:
    std::shared_ptr<platform::Accessibility> accessibility_;
    std::shared_ptr<platform::ScreenCapture> screenCapture_;
    std::shared_ptr<platform::Workspace> workspace_;
    std::shared_ptr<platform::Dispatcher> dispatch_;
    std::optional<std::string> ownApplicationID_;
    std::set<PollingOwner> pollingOwners_;
    platform::TimerHandle pollingTimer_;
    platform::Subscription activationObserver_;
    int settingsPanesOpened_ = 0;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace tenvik
