// SPDX-License-Identifier: MIT
// WindowPinTracking.cpp: how an active pin follows its window: what makes it look again (the
// window list's news of the window, its timer, the Accessibility observer, hide and unhide,
// desktop switches, screen changes), the refresh itself with what ends a pin and what only
// waits for the next answer, the rule that decides whether the preview shows, the capture
// profile, and changed settings.
#include "TenvikKit/Pins/WindowPinManager.h"

#include "TenvikKit/Log/LogChannel.h"
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

void WindowPinManager::followWindow(std::uint32_t windowID) {
    const std::weak_ptr<WindowPinManager> weak = weak_from_this();
    platform::WindowList& windowList = *services_.platform.windowList;
    windowWatch_ = windowList.watch(windowID, [weak] {
        if (auto self = weak.lock()) self->refreshLater();
    });
    // The X server's word that the window is destroyed ends the pin on the next turn: its number
    // may soon name another window. Not inside the news itself: the teardown drops observers
    // that the same news is still on its way to.
    windowClosure_ = windowList.windowDidClose.connect(
        [weak, windowID, dispatch = services_.platform.dispatch](std::uint32_t closed) {
            if (closed != windowID) return;
            dispatch->async([weak, windowID] {
                auto self = weak.lock();
                if (self && self->pinnedWindow_ && self->pinnedWindow_->windowID == windowID)
                    self->fail(kSourceUnavailableMessage);
            });
        });
}

void WindowPinManager::refreshLater() {
    // Many changes before the next turn make one refresh.
    if (refreshQueued_) return;
    refreshQueued_ = true;
    services_.platform.dispatch->async([weak = weak_from_this()] {
        if (auto self = weak.lock()) {
            self->refreshQueued_ = false;
            self->refreshPinnedWindow();
        }
    });
}

void WindowPinManager::refreshPinnedWindow() {
    if (!pinnedWindow_) return;
    const auto keep = shared_from_this();
    const PinnedWindow last = *pinnedWindow_;
    // Only the owner's end or the window's destruction ends a pin; a window the window server
    // did not answer about in time is left as it was and asked about again next time.
    if (services_.platform.workspace->processEnded(last.ownerPID)) {
        fail(kSourceUnavailableMessage);
        return;
    }
    const WindowResolver::Lookup found = resolver_.lookUpWindow(last);
    if (found.kind == WindowResolver::Lookup::Kind::gone) {
        fail(kSourceUnavailableMessage);
        return;
    }
    if (found.kind == WindowResolver::Lookup::Kind::unknown) {
        windowUnanswered(last);
        return;
    }
    const std::optional<PinnedWindow>& fresh = found.window;
    windowAnswered(*fresh);
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
    if (!axObserver_ && refreshInterval_ == wantedRefreshInterval()) return;
    startRefreshTimer();
}

double WindowPinManager::wantedRefreshInterval() const {
    // While the window server does not answer, the window is asked about at the quick pace.
    if (windowWatch_ && !unansweredSince_) return kFollowedRefreshInterval;
    return isObserved() ? kObservedRefreshInterval : kRefreshInterval;
}

void WindowPinManager::windowUnanswered(const PinnedWindow& window) {
    const double now = services_.platform.clock->uptime();
    if (!unansweredSince_) {
        unansweredSince_ = now;
        startRefreshTimer();
        return;
    }
    if (unansweredReported_ || now - *unansweredSince_ < kUnansweredPatience) return;
    unansweredReported_ = true;
    const std::string text = description(window, services_.platform.accessibility->isProcessTrusted());
    Log::pin().info("the X server has not answered about the pinned window \"" + window.ownerName +
                    (window.title.empty() ? "" : " - " + window.title) + "\" for " +
                    std::to_string(static_cast<int>(kUnansweredPatience)) + " s; the pin stays and keeps asking");
    setState(PinState::Kind::active, text);
    notifyStateChange();
}

void WindowPinManager::windowAnswered(const PinnedWindow& window) {
    if (!unansweredSince_) return;
    if (unansweredReported_)
        Log::pin().info("the X server answers again about the pinned window \"" + window.ownerName +
                        (window.title.empty() ? "" : " - " + window.title) + "\"");
    unansweredSince_.reset();
    unansweredReported_ = false;
    startRefreshTimer();
}

void WindowPinManager::startRefreshTimer() {
    if (!pinnedWindow_) return;
    const double wanted = wantedRefreshInterval();
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
