// SPDX-License-Identifier: MIT
// FocusLockManager.cpp: locking, the decision at each activation, the delayed push back and
// the end of the lock when the locked application quits.
#include "TenvikKit/FocusLock/FocusLockManager.h"

#include "TenvikKit/FocusLock/FocusActivationPolicy.h"
#include "TenvikKit/Log/LogChannel.h"

#include <algorithm>

namespace tenvik {

namespace {

std::string describe(const platform::RunningApplication& application) {
    return application.localizedName.value_or(
        application.applicationID.value_or("pid " + std::to_string(application.pid)));
}

}  // namespace

FocusLockManager::FocusLockManager(std::shared_ptr<platform::Workspace> workspace,
                                   std::shared_ptr<platform::Dispatcher> dispatch, const AppSettings& settings,
                                   std::optional<std::string> ignoredApplicationID)
    : workspace_(std::move(workspace)),
      dispatch_(std::move(dispatch)),
      settings_(settings),
      ignoredApplicationID_(std::move(ignoredApplicationID)) {
    activationObserver_ = workspace_->didActivateApplication.connect(
        [this](const platform::RunningApplication& application) { handleActivation(application); });
    terminationObserver_ = workspace_->didTerminateApplication.connect(
        [this](const platform::RunningApplication& application) { handleTermination(application); });
}

FocusLockManager::~FocusLockManager() { cancelReactivation(); }

bool FocusLockManager::isSelf(const platform::RunningApplication& application) const {
    if (application.pid == workspace_->ownPid()) return true;
    return ignoredApplicationID_ && application.applicationID == ignoredApplicationID_;
}

bool FocusLockManager::isAllowed(const platform::RunningApplication& application) const {
    if (application.pid == workspace_->ownPid()) return true;
    if (temporaryAllowedPID_ == application.pid) return true;
    // Panels, docks, notifications and desktop windows: an application without an ordinary
    // window is part of the desktop, not something the user switched to.
    if (application.activationPolicy != platform::ActivationPolicy::regular) return true;
    if (!application.applicationID) return false;
    const std::string& id = *application.applicationID;
    const auto& always = FocusActivationPolicy::systemAllowlist();
    if (std::any_of(always.begin(), always.end(),
                    [&](const std::string& entry) { return FocusActivationPolicy::allows(entry, id); }))
        return true;
    const auto& allowed = settings_.focusAllowedApplicationIDs();
    return std::any_of(allowed.begin(), allowed.end(),
                       [&](const std::string& entry) { return FocusActivationPolicy::allows(entry, id); });
}

bool FocusLockManager::isTerminated(const platform::RunningApplication& application) const {
    return !workspace_->application(application.pid).has_value();
}

void FocusLockManager::changed() {
    if (onStateChange) onStateChange();
}

void FocusLockManager::cancelReactivation() {
    reactivationTask_.invalidate();
    reactivationTask_ = platform::TimerHandle();
}

void FocusLockManager::lockCurrentFrontmostApp() {
    std::optional<platform::RunningApplication> candidate;
    const auto front = workspace_->frontmostApplication();
    if (front && !isSelf(*front)) {
        candidate = front;
    } else if (lastExternalApplication_ && !isTerminated(*lastExternalApplication_) &&
               !isSelf(*lastExternalApplication_)) {
        candidate = lastExternalApplication_;
    }
    if (!candidate) return;
    lastExternalApplication_ = candidate;
    lockedApplication_ = candidate;
    isPaused_ = false;
    unansweredPushes_ = 0;
    pushFailureLogged_ = false;
    workspace_->activate(candidate->pid, platform::ActivationOptions::allWindows);
    changed();
}

void FocusLockManager::unlock() {
    cancelReactivation();
    lockedApplication_.reset();
    isPaused_ = false;
    changed();
}

void FocusLockManager::stop() {
    unlock();
    activationObserver_.reset();
    terminationObserver_.reset();
}

void FocusLockManager::setTemporaryAllowedPID(std::optional<std::int32_t> pid) {
    temporaryAllowedPID_ = pid;
    evaluateCurrentFrontmost();
}

void FocusLockManager::handleActivation(const platform::RunningApplication& application) {
    if (!isSelf(application)) lastExternalApplication_ = application;
    cancelReactivation();
    if (lockedApplication_) {
        const platform::RunningApplication locked = *lockedApplication_;
        if (application.pid != locked.pid) {
            if (isTerminated(locked))
                unlock();
            else
                applyDecision(application, locked);
        } else {
            unansweredPushes_ = 0;
            if (isPaused_) {
                isPaused_ = false;
                changed();
            }
        }
        return;
    }
    if (isPaused_) {
        isPaused_ = false;
        changed();
    }
}

void FocusLockManager::handleTermination(const platform::RunningApplication& application) {
    if (lockedApplication_ && lockedApplication_->pid == application.pid) unlock();
}

void FocusLockManager::applyDecision(const platform::RunningApplication& activated,
                                     const platform::RunningApplication& locked) {
    if (activated.pid == locked.pid) {
        isPaused_ = false;
        changed();
        return;
    }
    const bool allowed = isAllowed(activated);
    isPaused_ = allowed;
    changed();
    if (!allowed) scheduleReactivation(locked);
}

void FocusLockManager::scheduleReactivation(const platform::RunningApplication& locked) {
    cancelReactivation();
    const std::int32_t pid = locked.pid;
    const std::weak_ptr<int> alive = alive_;
    reactivationTask_ = dispatch_->after(kReactivationDelay, [this, alive, pid] {
        if (alive.expired()) return;
        reactivate(pid);
    });
}

void FocusLockManager::reactivate(std::int32_t pid) {
    reactivationTask_ = platform::TimerHandle();
    if (!lockedApplication_ || lockedApplication_->pid != pid || isTerminated(*lockedApplication_)) return;
    const auto front = workspace_->frontmostApplication();
    const platform::RunningApplication frontmost = front.value_or(platform::RunningApplication{-1});
    if (front) {
        if (frontmost.pid == pid || isAllowed(frontmost)) return;
    }
    if (unansweredPushes_ >= kMaxUnansweredPushes) {
        if (!pushFailureLogged_) {
            pushFailureLogged_ = true;
            Log::app().error("focus lock stops pushing: " + describe(*lockedApplication_) +
                             " did not come back after " + std::to_string(kMaxUnansweredPushes) + " activations");
        }
        return;
    }
    if (!workspace_->activate(pid, platform::ActivationOptions::allWindows)) {
        if (!pushFailureLogged_) {
            pushFailureLogged_ = true;
            Log::app().error("focus lock could not bring back " + describe(*lockedApplication_) +
                             " (no window, or the window manager refused)");
        }
        return;
    }
    ++unansweredPushes_;
}

void FocusLockManager::evaluateCurrentFrontmost() {
    cancelReactivation();
    if (lockedApplication_) {
        if (isTerminated(*lockedApplication_)) {
            unlock();
            return;
        }
        if (const auto front = workspace_->frontmostApplication()) applyDecision(*front, *lockedApplication_);
        return;
    }
    if (isPaused_) {
        isPaused_ = false;
        changed();
    }
}

}  // namespace tenvik
