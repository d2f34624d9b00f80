// SPDX-License-Identifier: MIT
// WindowPinManager.h: one pin, a live preview of one window of another application in a panel
// laid exactly over it. It owns the pin's state (idle, starting, active with its text, failed
// with its message), the start attempt (application chosen, permission checked, window
// resolved, panel prepared, stream started, each later step dropped once a newer attempt or a
// teardown made its token stale), the teardown of every resource, and the tracking of an active
// pin: the refresh (whenever the window list reports a change of the window, and on a slow 5 s
// check; where the window cannot be followed, on a 0.35 s timer, 1.0 s while an Accessibility
// observer watches the window; and on hide, unhide, desktop and screen changes), the
// visibility rule and the capture profile. The pin ends only when its window is destroyed or
// its owner's process ended: a window the window server does not answer about in time is kept
// as it was and asked about again, and after 10 s of that the pin's text says so. A pin is made
// for one attempt and never restarted. Main thread only.
#pragma once

#include "Platform/Services.h"
#include "TenvikKit/Pins/PinnedWindowObserver.h"
#include "TenvikKit/Pins/WindowRaiser.h"
#include "TenvikKit/Pins/PinCaptureProfile.h"
#include "TenvikKit/Pins/PinDisplay.h"
#include "TenvikKit/Pins/PinManaging.h"
#include "TenvikKit/Pins/PinPanelController.h"
#include "TenvikKit/Pins/PinPreviewHost.h"
#include "TenvikKit/Pins/PinRequestGate.h"
#include "TenvikKit/Pins/PinStream.h"
#include "TenvikKit/Pins/PinTask.h"
#include "TenvikKit/Pins/PinnedWindow.h"
#include "TenvikKit/Pins/WindowResolver.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tenvik {

class AppSettings;
class PermissionsManager;

// What every pin works with: the desktop's services, the kit's settings and permissions, and
// the view layer's host for the preview panels (empty in logic tests).
struct PinServices {
    platform::Services platform;
    std::shared_ptr<AppSettings> settings;
    std::shared_ptr<PermissionsManager> permissions;
    PinPreviewHost previewHost;
};

class WindowPinManager : public std::enable_shared_from_this<WindowPinManager> {
public:
    static constexpr double kRefreshInterval = 0.35;
    static constexpr double kObservedRefreshInterval = 1.0;
    // While the window list reports the window's changes, the timer only checks now and then.
    static constexpr double kFollowedRefreshInterval = 5.0;
    // How long the window server may leave the window unanswered before the text says so.
    static constexpr double kUnansweredPatience = 10.0;

    static constexpr const char* kStartingText = "Starting pin...";
    static constexpr const char* kNoPermissionMessage = "Pinning needs the X server's Composite extension";
    static constexpr const char* kNoWindowMessage = "No capturable window";
    static constexpr const char* kNotShareableMessage = "Window not shareable";
    static constexpr const char* kSourceUnavailableMessage = "Preview source unavailable";
    static constexpr const char* kNoAccessibilitySuffix = " (click-through needs a window manager)";
    static constexpr const char* kHiddenSuffix = " (hidden)";
    static constexpr const char* kUnansweredSuffix = " (X server not answering, still trying)";

    // Registers the workspace and screen observers at once.
    static std::shared_ptr<WindowPinManager> make(PinServices services,
                                                  std::optional<std::string> ignoredApplicationID);
    // Stops whatever still runs.
    ~WindowPinManager();
    WindowPinManager(const WindowPinManager&) = delete;
    WindowPinManager& operator=(const WindowPinManager&) = delete;

    // Starts a pin of the frontmost application's window (or the last other application's,
    // when this program is in front).
    void pinCurrentFrontmostWindow();
    // Final shutdown: tears down and removes every observer; the state stays, no callback.
    void stop();
    // Tears down, becomes idle and tells the owner.
    void unpin();
    // The current opacity and border to the panel, and the idle frame rate to the stream.
    void applySettings();

    const std::optional<PinnedWindow>& pinnedWindow() const { return pinnedWindow_; }
    // Starting, or holding a window.
    bool isLive() const { return state_.kind == PinState::Kind::starting || pinnedWindow_.has_value(); }
    bool isActive() const { return state_.kind == PinState::Kind::active; }
    bool hasFailed() const { return state_.kind == PinState::Kind::failed; }
    // The pin text when active, the message when failed, "None" when idle, "Starting pin..."
    // when starting.
    std::string statusText() const;
    // The state as the kit controller reads it.
    PinState pinState() const;

    // The last application other than this program that became active. The owner hands every
    // new pin the one it has seen, so that a pin made while this program is in front has one.
    std::optional<platform::RunningApplication> lastExternalApplication;

    // After every change of state.
    std::function<void()> onStateChange;
    // The pinned window's process while a click on the preview goes to the real window; nothing
    // when that ends or could not begin.
    std::function<void(std::optional<std::int32_t>)> onInteractionChange;

    // For tests and the record.
    double refreshInterval() const { return refreshInterval_; }
    bool hasRefreshTimer() const { return refreshTimer_.isValid(); }
    bool isObserved() const { return axObserver_ && axObserver_->isLive(); }
    // The window list reports the window's changes.
    bool isFollowed() const { return windowWatch_.has_value(); }
    // Since when (uptime) the window server has not answered about the window.
    const std::optional<double>& unansweredSince() const { return unansweredSince_; }
    bool isStarting() const { return pinTask_ != nullptr; }
    const std::shared_ptr<PinStream>& pinStream() const { return pinStream_; }
    const PinPanelController& panelController() const { return panelController_; }
    PinPanelController& panelController() { return panelController_; }
    std::uint64_t requestGeneration() const { return requestGate_.generation; }

    // The text of a capture failure: its own sentence when it has one, else its domain and code.
    static std::string failureMessage(const platform::CaptureError& error);

private:
    WindowPinManager(PinServices services, std::optional<std::string> ignoredApplicationID);

    // Start.
    std::optional<platform::RunningApplication> chooseApplication() const;
    bool isSelfApplication(const platform::RunningApplication& application) const;
    void startPinning(const platform::RunningApplication& application, bool hasAccessibilityAccess,
                      std::uint64_t token, const std::shared_ptr<PinTask>& task);
    void finishStart(const std::shared_ptr<PinStream>& stream, const PinnedWindow& window,
                     bool hasAccessibilityAccess, std::uint64_t token, const std::shared_ptr<PinTask>& task,
                     const std::optional<platform::CaptureError>& error);
    void streamFailed(std::uint64_t token, const platform::CaptureError& error);
    void tearDownPinResources();
    void fail(const std::string& message);
    void setState(PinState::Kind kind, std::string text);
    void notifyStateChange();
    std::string description(const PinnedWindow& window, bool hasAccessibilityAccess) const;

    // Tracking.
    void observeWorkspaceNotifications();
    void refreshLater();
    void refreshPinnedWindow();
    // Follows the window's changes and its destruction through the window list.
    void followWindow(std::uint32_t windowID);
    // The window server did not answer about the window, or answered again.
    void windowUnanswered(const PinnedWindow& window);
    void windowAnswered(const PinnedWindow& window);
    double wantedRefreshInterval() const;
    void syncAXObserver(const PinnedWindow& window);
    void startRefreshTimer();
    bool isWindowVisible(const PinnedWindow& window, const std::vector<PinDisplay>& displays) const;
    void updatePanelVisibility(const PinnedWindow& window);
    PinCaptureProfile currentProfile(const PinnedWindow& window) const;
    void requestConfigurationUpdate();
    std::vector<PinDisplay> displays() const;

    // Panel.
    void connectPanel();
    bool interactionRequested();

    PinServices services_;
    std::optional<std::string> ignoredApplicationID_;
    WindowResolver resolver_;
    WindowRaiser raiser_;
    PinPanelController panelController_;
    std::vector<platform::Subscription> workspaceObservers_;
    std::vector<platform::Subscription> notificationObservers_;
    platform::TimerHandle refreshTimer_;
    double refreshInterval_ = kRefreshInterval;
    std::shared_ptr<PinStream> pinStream_;
    PinState state_;
    std::unique_ptr<PinnedWindowObserver> axObserver_;
    PinRequestGate requestGate_;
    std::shared_ptr<PinTask> pinTask_;
    std::optional<PinnedWindow> pinnedWindow_;
    // The window list's news of the pinned window (none where it cannot follow one) and of its
    // destruction; a refresh asked for and not yet run.
    std::optional<platform::Subscription> windowWatch_;
    platform::Subscription windowClosure_;
    bool refreshQueued_ = false;
    std::optional<double> unansweredSince_;
    bool unansweredReported_ = false;
};

}  // namespace tenvik
