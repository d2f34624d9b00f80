// WindowPinTracking.cpp: how an active pin follows its window: what makes it look again (its
// timer, the Accessibility observer, hide and unhide, desktop switches, screen changes), the
// refresh itself, the rule that decides whether the preview shows, the capture profile, and
// changed settings.
#include "TenvikKit/Pins/WindowPinManager.h"

#include "TenvikKit/Pins/PinGeometry.h"
#include "TenvikKit/Pins/PinProfileRules.h"
#include "TenvikKit/Settings/AppSettings.h"

#include <cmath>

namespace tenvik {

namespace {

bool hasUsableSize(const arvelo::Rect& bounds) {
    return std::isfinite(bounds.width) && std::isfinite(bounds.height) && bounds.width > 1 && bounds.height > 1;
}

}  // namespace

void WindowPinManager::observeWorkspaceNotifications() {
    const std::weak_ptr<WindowPinManager> weak = weak_from_this();
    const auto dispatch = services_.platform.dispatch;
    platform::Workspace& workspace = *services_.platform.workspace;
    // Every handler does its work on a later turn of the main queue, never inside the notification.
    const auto later = [weak, dispatch](std::function<void(WindowPinManager&)> work) {
        dispatch->async([weak, work = std::move(work)] {
            if (auto self = weak.lock()) work(*self);
        });
    };
    workspaceObservers_.push_back(
        workspace.didActivateApplication.connect([later](const platform::RunningApplication& application) {
            later([application](WindowPinManager& pin) {
                if (!pin.isSelfApplication(application)) pin.lastExternalApplication = application;
            });
        }));
    const auto refreshForOwner = [later](const platform::RunningApplication& application) {
        later([pid = application.pid](WindowPinManager& pin) {
            if (pin.pinnedWindow_ && pin.pinnedWindow_->ownerPID == pid) pin.refreshPinnedWindow();
        });
    };
    workspaceObservers_.push_back(workspace.didHideApplication.connect(refreshForOwner));
    workspaceObservers_.push_back(workspace.didUnhideApplication.connect(refreshForOwner));
    workspaceObservers_.push_back(
        workspace.activeSpaceDidChange.connect([later] { later([](WindowPinManager& pin) { pin.refreshPinnedWindow(); }); }));
    if (services_.platform.screens)
        notificationObservers_.push_back(services_.platform.screens->didChangeParameters.connect(
            [later] { later([](WindowPinManager& pin) { pin.refreshPinnedWindow(); }); }));
}

void WindowPinManager::refreshLater() {
    services_.platform.dispatch->async([weak = weak_from_this()] {
        if (auto self = weak.lock()) self->refreshPinnedWindow();
    });
}

void WindowPinManager::refreshPinnedWindow() {
    if (!pinnedWindow_) return;
    const auto keep = shared_from_this();
    const std::uint32_t windowID = pinnedWindow_->windowID;
    const auto owner = services_.platform.workspace->application(pinnedWindow_->ownerPID);
    const std::optional<PinnedWindow> fresh = owner ? resolver_.currentWindowInfo(windowID) : std::nullopt;
    if (!fresh) {
        fail(kSourceUnavailableMessage);
        return;
    }
    pinnedWindow_ = *fresh;
    syncAXObserver(*fresh);
    updatePanelVisibility(*fresh);

    const std::string text = description(*fresh, services_.platform.accessibility->isProcessTrusted());
    if (state_.kind != PinState::Kind::active || state_.text != text) {
        setState(PinState::Kind::active, text);
        notifyStateChange();
        if (!pinnedWindow_) return;  // the owner let the pin go meanwhile
    }
    panelController_.updateFrame(fresh->bounds);
    panelController_.checkInteractionExit();
    requestConfigurationUpdate();
}

void WindowPinManager::syncAXObserver(const PinnedWindow& window) {
    if (!services_.platform.accessibility->isProcessTrusted()) {
        if (auto observer = std::exchange(axObserver_, nullptr)) observer->stop();
    } else if (!axObserver_) {
        // The raiser's lookup bounds every request to the application by the pin's time-out.
        if (const auto element = raiser_.axWindow(window)) {
            auto observer = std::make_unique<PinnedWindowObserver>(services_.platform.accessibility);
            // The refresh may drop this observer: it runs on the next turn, outside the
            // observer's own delivery.
            observer->onChange = [this, weak = weak_from_this()] {
                if (weak.lock()) refreshLater();
            };
            if (observer->start(window.ownerPID, *element)) axObserver_ = std::move(observer);
        }
    }
    if (!axObserver_ && refreshInterval_ == kRefreshInterval) return;
    startRefreshTimer();
}

void WindowPinManager::startRefreshTimer() {
    if (!pinnedWindow_) return;
    const double wanted = isObserved() ? kObservedRefreshInterval : kRefreshInterval;
    if (refreshTimer_.isValid() && refreshInterval_ == wanted) return;
    refreshTimer_.invalidate();
    refreshInterval_ = wanted;
    refreshTimer_ = services_.platform.dispatch->scheduleTimer(
        wanted, true, platform::RunLoopMode::common, [weak = weak_from_this()] {
            if (auto self = weak.lock()) self->refreshLater();
        });
}

std::vector<PinDisplay> WindowPinManager::displays() const {
    std::vector<PinDisplay> out;
    if (!services_.platform.screens) return out;
    for (const platform::Screen& screen : services_.platform.screens->screens())
        out.push_back({screen.frame, screen.backingScaleFactor});
    return out;
}

bool WindowPinManager::isWindowVisible(const PinnedWindow& window, const std::vector<PinDisplay>& displays) const {
    if (displays.empty()) return false;
    if (axObserver_ && axObserver_->isMinimized()) return false;
    if (!window.isOnScreen) return false;
    if (const auto owner = services_.platform.workspace->application(window.ownerPID); owner && owner->hidden)
        return false;
    const arvelo::Rect& bounds = window.bounds;
    if (!std::isfinite(bounds.x) || !std::isfinite(bounds.y) || !hasUsableSize(bounds)) return false;
    const arvelo::Rect onDisplays = PinGeometry::toDisplaySpace(bounds, displays.front());
    for (const PinDisplay& display : displays)
        if (onDisplays.intersects(display.frame)) return true;
    return false;
}

void WindowPinManager::updatePanelVisibility(const PinnedWindow& window) {
    panelController_.setVisible(isWindowVisible(window, displays()));
}

PinCaptureProfile WindowPinManager::currentProfile(const PinnedWindow& window) const {
    const std::vector<PinDisplay> screens = displays();
    const double scale = PinGeometry::scaleFactor(window.bounds, screens);
    const int framesPerSecond = PinProfileRules::framesPerSecond(
        isWindowVisible(window, screens), panelController_.isInteracting(), services_.settings->pinIdleFPS());
    return PinProfileRules::profile(window.bounds, scale, framesPerSecond);
}

void WindowPinManager::requestConfigurationUpdate() {
    if (!pinnedWindow_ || !hasUsableSize(pinnedWindow_->bounds) || !pinStream_) return;
    pinStream_->requestProfile(currentProfile(*pinnedWindow_));
}

void WindowPinManager::applySettings() {
    const AppSettings& settings = *services_.settings;
    panelController_.applyAppearance(settings.pinOpacity(), settings.pinShowsBorder());
    requestConfigurationUpdate();
}

}  // namespace tenvik
