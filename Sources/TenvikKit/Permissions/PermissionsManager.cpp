// SPDX-License-Identifier: MIT
// PermissionsManager.cpp: reading, requesting and polling the kit's permissions.
#include "TenvikKit/Permissions/PermissionsManager.h"

#include "TenvikKit/Log/LogChannel.h"

namespace tenvik {

PermissionsManager::PermissionsManager(std::shared_ptr<platform::Accessibility> accessibility,
                                       std::shared_ptr<platform::ScreenCapture> screenCapture,
                                       std::shared_ptr<platform::Workspace> workspace,
                                       std::shared_ptr<platform::Dispatcher> dispatch,
                                       std::optional<std::string> ownApplicationID)
    : accessibility_(std::move(accessibility)),
      screenCapture_(std::move(screenCapture)),
      workspace_(std::move(workspace)),
      dispatch_(std::move(dispatch)),
      ownApplicationID_(std::move(ownApplicationID)) {
    refresh();
    if (workspace_) {
        // Coming back to this program (from wherever the user changed a permission) re-reads.
        activationObserver_ =
            workspace_->didActivateApplication.connect([this](const platform::RunningApplication& application) {
                if (application.applicationID == ownApplicationID_) refresh();
            });
    }
}

PermissionsManager::~PermissionsManager() { pollingTimer_.invalidate(); }

void PermissionsManager::refresh() {
    screenRecordingGranted = screenCapture_ && screenCapture_->preflightAccess();
    accessibilityGranted = accessibility_ && accessibility_->isProcessTrusted();
    compositingManager = compositingProbe && compositingProbe();
}

DesktopFacts PermissionsManager::desktopFacts(const ActivityMonitor& activity) const {
    DesktopFacts facts;
    facts.windowManager = accessibilityGranted.get();
    facts.compositingManager = compositingManager.get();
    facts.touchpadReadable = activity.gesturesAvailable.get();
    facts.touchpadUnavailableReason = activity.gesturesUnavailableReason.get();
    return facts;
}

void PermissionsManager::requestScreenRecording() {
    didPromptScreenRecording = true;
    if (screenCapture_) screenCapture_->requestAccess();
    refresh();
    if (!screenRecordingGranted.get()) openScreenRecordingSettings();
}

void PermissionsManager::requestAccessibility() {
    didPromptAccessibility = true;
    if (accessibility_) accessibility_->isProcessTrustedWithOptions(true);
    refresh();
    if (!accessibilityGranted.get()) openAccessibilitySettings();
}

void PermissionsManager::startPolling(PollingOwner owner) {
    pollingOwners_.insert(owner);
    refresh();
    if (pollingTimer_.isValid()) return;
    const std::weak_ptr<int> alive = alive_;
    pollingTimer_ = dispatch_->scheduleTimer(kPollingInterval, true, platform::RunLoopMode::common, [this, alive] {
        if (!alive.expired()) refresh();
    });
}

void PermissionsManager::stopPolling(PollingOwner owner) {
    pollingOwners_.erase(owner);
    if (!pollingOwners_.empty()) return;
    pollingTimer_.invalidate();
    pollingTimer_ = platform::TimerHandle();
}

void PermissionsManager::openScreenRecordingSettings() {
    ++settingsPanesOpened_;
    Log::app().info("pinning needs the Composite extension of the X server; nothing to open on this desktop");
}

void PermissionsManager::openAccessibilitySettings() {
    ++settingsPanesOpened_;
    Log::app().info("window control needs an EWMH window manager; nothing to open on this desktop");
}

}  // namespace tenvik
