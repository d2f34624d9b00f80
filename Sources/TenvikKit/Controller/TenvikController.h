// SPDX-License-Identifier: MIT
// TenvikController.h: the kit's facade inside the program. The shell creates it after the
// one-time settings import, starts it, lets it add its items to the status menu, asks it for
// the status image and tool tip, forwards "pin" and "release-all" to it, hands its pinned
// windows to the arranger, and stops it at termination. It owns the focus lock, the pin
// manager, the kit's hot keys and the gesture monitor, and turns gestures, hot keys and menu
// choices into actions; every action from a gesture, a hot key or a URL is ignored while a
// shortcut is being recorded (the hot keys are released for that time). Main thread only.
#pragma once

#include "Platform/Services.h"
#include "TenvikKit/Activity/ActivityMonitor.h"
#include "TenvikKit/Controller/KitMenuItem.h"
#include "TenvikKit/Controller/KitWindows.h"
#include "TenvikKit/FocusLock/FocusLockManager.h"
#include "TenvikKit/Gestures/GestureMonitor.h"
#include "TenvikKit/HotKeys/HotKeyManager.h"
#include "TenvikKit/Permissions/PermissionsManager.h"
#include "TenvikKit/Pins/PinManaging.h"
#include "TenvikKit/Pins/PinPreviewHost.h"
#include "TenvikKit/Settings/AppSettings.h"
#include "TenvikKit/Status/StatusIconChoice.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tenvik {

// The kit's process-wide objects, made once and shared with its windows.
struct KitShared {
    std::shared_ptr<AppSettings> settings;
    std::shared_ptr<ActivityMonitor> activity;
    std::shared_ptr<PermissionsManager> permissions;
    std::shared_ptr<ShortcutRecordingState> recording;
    NotificationCenter* center = &NotificationCenter::defaultCenter();
    // How the view layer fills a pin's preview panel; empty where nothing is drawn.
    PinPreviewHost pinPreviewHost;

    static KitShared make(const platform::Services& services, std::optional<std::string> applicationID,
                          NotificationCenter& center = NotificationCenter::defaultCenter());
};

class TenvikController {
public:
    static constexpr const char* kMenuHeaderTitle = "Rev & Uzidu";
    static constexpr const char* kPermissionWarningTitle = "Pinning Unavailable \u2014 See Permissions\u2026";

    // The one-time import of the standalone kit's settings; before the settings are made.
    static void importStandaloneSettings(platform::UserDefaults& defaults);

    // `pins` absent: the program's MultiPinManager.
    TenvikController(platform::Services services, KitShared shared, std::optional<std::string> applicationID,
                     std::unique_ptr<PinManaging> pins = nullptr);
    ~TenvikController();
    TenvikController(const TenvikController&) = delete;
    TenvikController& operator=(const TenvikController&) = delete;

    // Called at the end of every refreshUI.
    std::function<void()> onStateChange;
    // The settings and onboarding windows, once they exist.
    KitWindows windows;
    // Starts the gesture monitor (tests put stand-in touchpads here); the monitor's own start
    // when not set.
    std::function<bool(GestureMonitor&)> startGestures;

    void start();
    void stop();

    // Appends the kit's eight items (hidden ones included, marked so).
    void populate(KitMenu& menu);
    // Absent while nothing is locked, no pin is active and the last pin did not fail.
    std::optional<StatusIconChoice> statusImage() const;
    const std::optional<std::string>& statusToolTip() const { return statusItemToolTip_; }

    void togglePin();
    void releaseAll();
    std::vector<std::uint32_t> pinnedWindowIDs() const { return windowPinManager_->pinnedWindowIDs(); }

    void perform(GestureAction action);
    void handleGesture(Gesture gesture);
    void applyHotKeys();
    void settingsDidChange();
    void refreshUI();
    // The launch's own arguments, or those a later launch handed over.
    void handleLaunchArguments();
    void handleLaunchArguments(const std::vector<std::string>& arguments);

    // Menu actions.
    void toggleFocusFromMenu();
    void togglePreviewFromMenu();
    void releaseAllFromMenu();
    void openSettingsFromMenu();
    void openPermissionsFromMenu();

    FocusLockManager& focusLockManager() { return *focusLockManager_; }
    PinManaging& windowPinManager() { return *windowPinManager_; }
    HotKeyManager& hotKeyManager() { return *hotKeyManager_; }
    GestureMonitor& gestureMonitor();
    const KitShared& shared() const { return shared_; }

private:
    void prepareMenuItems();
    // Whether three-finger gestures can come, and why not, for the settings and onboarding.
    void publishGestureAvailability();
    void showSettings(std::optional<SettingsTab> tab);
    void showOnboarding();
    static void setKeyEquivalent(KitMenuItem& item, const std::optional<HotKey>& hotKey);
    bool isRecording() const { return shared_.recording && shared_.recording->isRecording(); }

    platform::Services services_;
    KitShared shared_;
    std::optional<std::string> applicationID_;
    std::unique_ptr<FocusLockManager> focusLockManager_;
    std::unique_ptr<PinManaging> windowPinManager_;
    std::unique_ptr<HotKeyManager> hotKeyManager_;
    std::unique_ptr<GestureMonitor> gestureMonitor_;

    KitMenuItem permissionWarningItem_;
    KitMenuItem focusStateItem_;
    KitMenuItem pinnedWindowItem_;
    KitMenuItem toggleFocusItem_;
    KitMenuItem togglePreviewItem_;
    KitMenuItem releaseAllItem_;
    KitMenuItem settingsItem_;

    platform::Subscription settingsObserver_;
    platform::Subscription recordingObserver_;
    std::optional<HotKey> lastAppliedPinHotKey_;
    std::optional<HotKey> lastAppliedFocusHotKey_;
    std::optional<HotKey> lastAppliedReleaseAllHotKey_;
    std::optional<std::string> statusItemToolTip_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace tenvik
