// SPDX-License-Identifier: MIT
// FocusLockManager.h: the focus lock. While an application is locked, any other application
// that comes to the front is pushed back 50 ms later by activating the locked one again
// (its most recent window, through the window manager), unless it is allowed: this program,
// the temporarily allowed process, the system's allowlist, or the user's allowed list (read
// afresh each time). An allowed application pauses the lock while it stays in front. The
// locked application's termination unlocks. A push that the desktop refuses is given up and
// logged once; after three pushes that did not bring the locked application back, the lock
// stops pushing until it comes back, so it never fights a window manager in a loop.
// Main thread only.
#pragma once

#include "Platform/Dispatch.h"
#include "Platform/Workspace.h"
#include "TenvikKit/Settings/AppSettings.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tenvik {

class FocusLockManager {
public:
    static constexpr double kReactivationDelay = 0.05;
    // Pushes in a row that did not bring the locked application back before the lock stops.
    static constexpr int kMaxUnansweredPushes = 3;

    FocusLockManager(std::shared_ptr<platform::Workspace> workspace, std::shared_ptr<platform::Dispatcher> dispatch,
                     const AppSettings& settings, std::optional<std::string> ignoredApplicationID);
    ~FocusLockManager();
    FocusLockManager(const FocusLockManager&) = delete;
    FocusLockManager& operator=(const FocusLockManager&) = delete;

    // Locks the front application (or, when this program is in front, the last other one seen)
    // and brings it forward with all its windows; nothing when there is no candidate.
    void lockCurrentFrontmostApp();
    void unlock();
    // unlock(), then stops observing the workspace.
    void stop();
    // Decides again for the application in front now.
    void evaluateCurrentFrontmost();

    // A process that may take the focus without being pushed back; setting it re-decides.
    void setTemporaryAllowedPID(std::optional<std::int32_t> pid);
    std::optional<std::int32_t> temporaryAllowedPID() const { return temporaryAllowedPID_; }

    const std::optional<platform::RunningApplication>& lockedApplication() const { return lockedApplication_; }
    const std::optional<platform::RunningApplication>& lastExternalApplication() const {
        return lastExternalApplication_;
    }
    bool isPaused() const { return isPaused_; }
    bool hasPendingReactivation() const { return reactivationTask_.isValid(); }

    // Called after every lock, unlock and decision.
    std::function<void()> onStateChange;

private:
    bool isSelf(const platform::RunningApplication& application) const;
    bool isAllowed(const platform::RunningApplication& application) const;
    bool isTerminated(const platform::RunningApplication& application) const;
    void handleActivation(const platform::RunningApplication& application);
    void handleTermination(const platform::RunningApplication& application);
    void applyDecision(const platform::RunningApplication& activated, const platform::RunningApplication& locked);
    void scheduleReactivation(const platform::RunningApplication& locked);
    void reactivate(std::int32_t pid);
    void cancelReactivation();
    void changed();

    std::shared_ptr<platform::Workspace> workspace_;
    std::shared_ptr<platform::Dispatcher> dispatch_;
    const AppSettings& settings_;
    std::optional<std::string> ignoredApplicationID_;
    platform::Subscription activationObserver_;
    platform::Subscription terminationObserver_;
    platform::TimerHandle reactivationTask_;
    std::optional<platform::RunningApplication> lastExternalApplication_;
    std::optional<std::int32_t> temporaryAllowedPID_;
    std::optional<platform::RunningApplication> lockedApplication_;
    bool isPaused_ = false;

    int unansweredPushes_ = 0;
    bool pushFailureLogged_ = false;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace tenvik
