// SPDX-License-Identifier: MIT
// TenvikController.cpp: start and stop, actions, hot-key registration passes, settings
// changes, the menu items, status image and tool tip, and the launch arguments.
#include "TenvikKit/Controller/TenvikController.h"

#include "Platform/Panels.h"
#include "TenvikKit/Log/LogChannel.h"
#include "TenvikKit/Pins/MultiPinManager.h"
#include "TenvikKit/Settings/StandaloneImport.h"

#include <unistd.h>

namespace tenvik {

namespace {

constexpr const char* kOpenSettings = "--open-settings";
constexpr const char* kOpenOnboarding = "--open-onboarding";

KitMenuItem makeItem(std::string title, std::string action) {
    KitMenuItem item;
    item.title = std::move(title);
    item.action = std::move(action);
    return item;
}

GestureAction gestureActionFor(HotKeyManager::Action action) {
    switch (action) {
        case HotKeyManager::Action::togglePin:
            return GestureAction::togglePin;
        case HotKeyManager::Action::toggleFocus:
            return GestureAction::toggleFocus;
        case HotKeyManager::Action::releaseAll:
            return GestureAction::releaseAll;
    }
    return GestureAction::none;
}

}  // namespace

KitShared KitShared::make(const platform::Services& services, std::optional<std::string> applicationID,
                          NotificationCenter& center) {
    KitShared shared;
    shared.center = &center;
    shared.settings = std::make_shared<AppSettings>(services.defaults, center);
    shared.activity = std::make_shared<ActivityMonitor>();
    shared.permissions =
        std::make_shared<PermissionsManager>(services.accessibility, services.screenCapture, services.workspace,
                                             services.dispatch, std::move(applicationID));
    if (services.panels)
        shared.permissions->compositingProbe = [panels = services.panels] { return panels->translucent(); };
    shared.permissions->refresh();
    shared.recording = std::make_shared<ShortcutRecordingState>(center);
    return shared;
}

void TenvikController::importStandaloneSettings(platform::UserDefaults& defaults) {
    tenvik::importStandaloneSettings(defaults);
}

TenvikController::TenvikController(platform::Services services, KitShared shared,
                                   std::optional<std::string> applicationID, std::unique_ptr<PinManaging> pins)
    : services_(std::move(services)), shared_(std::move(shared)), applicationID_(std::move(applicationID)) {
    focusLockManager_ = std::make_unique<FocusLockManager>(services_.workspace, services_.dispatch, *shared_.settings,
                                                           applicationID_);
    windowPinManager_ =
        pins ? std::move(pins)
             : std::make_unique<MultiPinManager>(
                   PinServices{services_, shared_.settings, shared_.permissions, shared_.pinPreviewHost},
                   applicationID_);
    hotKeyManager_ = std::make_unique<HotKeyManager>(services_.hotKeys);
    permissionWarningItem_ = makeItem(kPermissionWarningTitle, "openPermissionsFromMenu");
    focusStateItem_ = makeItem("Focus: Off", "");
    pinnedWindowItem_ = makeItem("Pinned: None", "");
    toggleFocusItem_ = makeItem("Focus Current App", "toggleFocusFromMenu");
    togglePreviewItem_ = makeItem("Pin Current Window", "togglePreviewFromMenu");
    releaseAllItem_ = makeItem("Release All", "releaseAllFromMenu");
    settingsItem_ = makeItem("Settings\u2026", "openSettingsFromMenu");
    settingsItem_.keyEquivalent = ",";
}

TenvikController::~TenvikController() = default;

GestureMonitor& TenvikController::gestureMonitor() {
    if (!gestureMonitor_) {
        gestureMonitor_ = std::make_unique<GestureMonitor>(services_.dispatch, services_.clock,
                                                           GestureMonitor::kDefaultDebounceInterval);
        const std::weak_ptr<int> alive = alive_;
        gestureMonitor_->onGesture = [this, alive](Gesture gesture) {
            if (!alive.expired()) handleGesture(gesture);
        };
        gestureMonitor_->onAvailabilityChange = [this, alive] {
            if (!alive.expired()) publishGestureAvailability();
        };
    }
    return *gestureMonitor_;
}

void TenvikController::publishGestureAvailability() {
    const GestureMonitor& monitor = gestureMonitor();
    shared_.activity->gesturesAvailable = monitor.isAvailable();
    shared_.activity->gesturesUnavailableReason = monitor.unavailableReason();
}

void TenvikController::start() {
    Log::app().info("Rev & Uzidu started pid=" + std::to_string(::getpid()));
    prepareMenuItems();
    const std::weak_ptr<int> alive = alive_;
    const auto refresh = [this, alive] {
        if (!alive.expired()) refreshUI();
    };
    focusLockManager_->onStateChange = refresh;
    windowPinManager_->onStateChange = refresh;
    windowPinManager_->onInteractionChange = [this, alive](std::optional<std::int32_t> pid) {
        if (alive.expired()) return;
        focusLockManager_->setTemporaryAllowedPID(pid);  // re-decides for the front application
    };
    hotKeyManager_->onAction = [this, alive](HotKeyManager::Action action) {
        if (alive.expired()) return;
        shared_.activity->lastHotKeyAt = services_.clock->now();
        perform(gestureActionFor(action));
    };
    applyHotKeys();
    settingsObserver_ = shared_.center->observe(AppSettings::kDidChangeNotification, [this, alive] {
        // After the code that changed the settings has returned.
        services_.dispatch->async([this, alive] {
            if (!alive.expired()) settingsDidChange();
        });
    });
    recordingObserver_ = shared_.center->observe(ShortcutRecordingState::kDidChangeNotification, [this, alive] {
        if (alive.expired()) return;
        if (!isRecording()) {
            applyHotKeys();
        } else {
            hotKeyManager_->unregisterAll();
            hotKeyManager_->removeEventHandler();
        }
    });
    GestureMonitor& monitor = gestureMonitor();
    if (!monitor.isRunning()) {
        const bool started = startGestures ? startGestures(monitor) : monitor.start();
        // No touchpad, or none that may be read, is a fact of this computer, not an error: one
        // line says why gestures are off (a touchpad may still be plugged in later).
        if (!started) Log::gesture().debug("the touchpad reader did not start");
        if (!monitor.isAvailable() && monitor.unavailableReason()) Log::gesture().info(*monitor.unavailableReason());
    }
    publishGestureAvailability();
    handleLaunchArguments();
    if (!shared_.settings->hasCompletedOnboarding()) showOnboarding();
    refreshUI();
}

void TenvikController::stop() {
    recordingObserver_.reset();
    if (gestureMonitor_ && gestureMonitor_->isRunning()) gestureMonitor_->stop();
    hotKeyManager_->unregisterAll();
    hotKeyManager_->removeEventHandler();
    focusLockManager_->stop();
    windowPinManager_->stop();
}

void TenvikController::prepareMenuItems() {
    permissionWarningItem_.symbol = "exclamationmark.triangle";
    permissionWarningItem_.symbolDescription = "Permission required";
    focusStateItem_.enabled = false;
    pinnedWindowItem_.enabled = false;
    settingsItem_.title = "Rev & Uzidu Settings\u2026";
    settingsItem_.keyEquivalent.clear();
    settingsItem_.keyEquivalentModifierMask = 0;
    const std::weak_ptr<int> alive = alive_;
    const auto target = [this, alive](void (TenvikController::*action)()) {
        return [this, alive, action] {
            if (!alive.expired()) (this->*action)();
        };
    };
    permissionWarningItem_.onTrigger = target(&TenvikController::openPermissionsFromMenu);
    toggleFocusItem_.onTrigger = target(&TenvikController::toggleFocusFromMenu);
    togglePreviewItem_.onTrigger = target(&TenvikController::togglePreviewFromMenu);
    releaseAllItem_.onTrigger = target(&TenvikController::releaseAllFromMenu);
    settingsItem_.onTrigger = target(&TenvikController::openSettingsFromMenu);
}

void TenvikController::handleLaunchArguments() { handleLaunchArguments(services_.environment.arguments); }

void TenvikController::handleLaunchArguments(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument != kOpenSettings && !argument.starts_with(std::string(kOpenSettings) + "=")) continue;
        std::optional<SettingsTab> tab;
        const auto equals = argument.find('=');
        if (equals != std::string::npos && equals + 1 < argument.size())
            tab = settingsTabFromRawValue(argument.substr(equals + 1));
        showSettings(tab);
        break;
    }
    for (const std::string& argument : arguments) {
        if (argument == kOpenOnboarding) {
            showOnboarding();
            break;
        }
    }
}

void TenvikController::showSettings(std::optional<SettingsTab> tab) {
    if (windows.showSettings) {
        windows.showSettings(tab);
        return;
    }
    Log::app().info("the kit's settings window is not available yet" +
                    (tab ? " (tab " + std::string(rawValue(*tab)) + ")" : std::string()));
}

void TenvikController::showOnboarding() {
    if (windows.showOnboarding) {
        windows.showOnboarding();
        return;
    }
    Log::app().info("the kit's onboarding window is not available yet");
}

void TenvikController::handleGesture(Gesture gesture) {
    shared_.activity->noteGesture(gesture, services_.clock->now());
    perform(gesture == Gesture::threeFingerPress ? shared_.settings->pressGestureAction()
                                                 : shared_.settings->tapGestureAction());
}

void TenvikController::perform(GestureAction action) {
    if (isRecording() || action == GestureAction::none) return;
    switch (action) {
        case GestureAction::togglePin:
            windowPinManager_->togglePinCurrentWindow();
            break;
        case GestureAction::toggleFocus:
            if (focusLockManager_->lockedApplication())
                focusLockManager_->unlock();
            else
                focusLockManager_->lockCurrentFrontmostApp();
            break;
        case GestureAction::releaseAll:
            focusLockManager_->unlock();
            windowPinManager_->unpin();
            break;
        case GestureAction::none:
            break;
    }
    refreshUI();
}

void TenvikController::togglePin() {
    if (isRecording()) return;
    windowPinManager_->togglePinCurrentWindow();
    refreshUI();
}

void TenvikController::releaseAll() {
    if (isRecording()) return;
    focusLockManager_->unlock();
    windowPinManager_->unpin();
    refreshUI();
}

void TenvikController::applyHotKeys() {
    if (isRecording()) return;
    const AppSettings& settings = *shared_.settings;
    HotKeyManager& manager = *hotKeyManager_;
    manager.unregisterAll();
    manager.lastRegistrationError.reset();
    manager.installEventHandlerIfNeeded();
    manager.registerHotKey(settings.releaseAllHotKey(), HotKeyManager::Action::releaseAll);
    manager.registerHotKey(settings.pinHotKey(), HotKeyManager::Action::togglePin);
    manager.registerHotKey(settings.focusHotKey(), HotKeyManager::Action::toggleFocus);
    lastAppliedPinHotKey_ = settings.pinHotKey();
    lastAppliedFocusHotKey_ = settings.focusHotKey();
    lastAppliedReleaseAllHotKey_ = settings.releaseAllHotKey();
    shared_.activity->hotKeyRegistrationError = manager.lastRegistrationError;
}

void TenvikController::settingsDidChange() {
    const AppSettings& settings = *shared_.settings;
    if (settings.pinHotKey() != lastAppliedPinHotKey_ || settings.focusHotKey() != lastAppliedFocusHotKey_ ||
        settings.releaseAllHotKey() != lastAppliedReleaseAllHotKey_)
        applyHotKeys();
    focusLockManager_->evaluateCurrentFrontmost();
    windowPinManager_->applySettings();
    refreshUI();
}

void TenvikController::setKeyEquivalent(KitMenuItem& item, const std::optional<HotKey>& hotKey) {
    const auto equivalent = hotKey ? hotKey->menuKeyEquivalent() : std::nullopt;
    item.keyEquivalent = equivalent ? equivalent->key : "";
    item.keyEquivalentModifierMask = equivalent ? equivalent->modifierFlags : 0;
}

void TenvikController::refreshUI() {
    const auto& locked = focusLockManager_->lockedApplication();
    const std::string lockedName = locked ? locked->localizedName.value_or("None") : "None";
    const bool pinActive = windowPinManager_->hasActivePin();
    const bool lastPinFailed = windowPinManager_->lastPinFailed();
    const std::string pinDescription = windowPinManager_->pinnedWindowDescription();

    shared_.permissions->refresh();
    permissionWarningItem_.hidden = shared_.permissions->screenRecordingGranted.get();

    if (focusLockManager_->isPaused())
        focusStateItem_.title = "Focus: Paused \u2014 " + lockedName;
    else if (locked)
        focusStateItem_.title = "Focus: " + lockedName;
    else
        focusStateItem_.title = "Focus: Off";
    focusStateItem_.symbol = locked ? "lock.fill" : "lock";
    focusStateItem_.symbolDescription = "Focus state";

    pinnedWindowItem_.title = "Pinned: " + pinDescription;
    pinnedWindowItem_.symbol = pinActive ? "pin.fill" : "pin";
    pinnedWindowItem_.symbolDescription = "Pinned window state";

    toggleFocusItem_.title = locked ? "Release Focus" : "Focus Current App";
    setKeyEquivalent(toggleFocusItem_, shared_.settings->focusHotKey());

    if (windowPinManager_->frontWindowIsPinned())
        togglePreviewItem_.title = "Unpin Current Window";
    else if (!pinActive && lastPinFailed)
        togglePreviewItem_.title = "Retry Pin Current Window";
    else
        togglePreviewItem_.title = "Pin Current Window";
    setKeyEquivalent(togglePreviewItem_, shared_.settings->pinHotKey());

    releaseAllItem_.hidden = !(locked || windowPinManager_->hasLivePin() || !pinnedWindowIDs().empty());
    setKeyEquivalent(releaseAllItem_, shared_.settings->releaseAllHotKey());

    if (locked) {
        statusItemToolTip_ = "Focus: " + lockedName + (pinActive ? ", pinned: " + pinDescription : "");
    } else if (pinActive) {
        statusItemToolTip_ = "Pinned: " + pinDescription;
    } else if (lastPinFailed) {
        statusItemToolTip_ = pinDescription;
    } else {
        statusItemToolTip_.reset();
    }
    if (onStateChange) onStateChange();
}

void TenvikController::populate(KitMenu& menu) {
    refreshUI();
    KitMenuItem header = makeItem(kMenuHeaderTitle, "");
    header.enabled = false;
    for (const KitMenuItem* item : {&permissionWarningItem_, &header, &focusStateItem_, &pinnedWindowItem_,
                                    &toggleFocusItem_, &togglePreviewItem_, &releaseAllItem_, &settingsItem_})
        menu.push_back(*item);
}

std::optional<StatusIconChoice> TenvikController::statusImage() const {
    const bool locked = focusLockManager_->lockedApplication().has_value();
    const bool pinActive = windowPinManager_->hasActivePin();
    const bool lastPinFailed = windowPinManager_->lastPinFailed();
    if (!locked && !pinActive && !lastPinFailed) return std::nullopt;
    return StatusIconChoice::choose(locked, pinActive, lastPinFailed);
}

void TenvikController::toggleFocusFromMenu() {
    Log::app().debug("menu action: toggle focus");
    if (focusLockManager_->lockedApplication())
        focusLockManager_->unlock();
    else
        focusLockManager_->lockCurrentFrontmostApp();
    refreshUI();
}

void TenvikController::togglePreviewFromMenu() {
    Log::app().debug("menu action: toggle pin");
    windowPinManager_->togglePinCurrentWindow();
    refreshUI();
}

void TenvikController::releaseAllFromMenu() {
    Log::app().debug("menu action: release all");
    releaseAll();
}

void TenvikController::openSettingsFromMenu() { showSettings(std::nullopt); }

void TenvikController::openPermissionsFromMenu() { showSettings(SettingsTab::permissions); }

}  // namespace tenvik
