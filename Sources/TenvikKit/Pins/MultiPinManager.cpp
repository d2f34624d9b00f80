// SPDX-License-Identifier: MIT
// MultiPinManager.cpp: toggling, releasing and stopping pins, the duplicate and discard rules
// run after every change of a pin, the summary facts, and the front window.
#include "TenvikKit/Pins/MultiPinManager.h"

#include "TenvikKit/Log/LogChannel.h"

#include <algorithm>

namespace tenvik {

namespace {

std::string joined(const std::vector<std::uint32_t>& numbers) {
    std::string text;
    for (std::uint32_t number : numbers) text += (text.empty() ? "" : ",") + std::to_string(number);
    return text;
}

}  // namespace

MultiPinManager::MultiPinManager(PinServices services, std::optional<std::string> ignoredApplicationID)
    : services_(std::move(services)), ignoredApplicationID_(std::move(ignoredApplicationID)) {
    platform::Workspace& workspace = *services_.platform.workspace;
    if (auto front = workspace.frontmostApplication(); front && !isSelfApplication(*front))
        lastExternalApplication_ = front;
    activationObserver_ = workspace.didActivateApplication.connect(
        [this, alive = std::weak_ptr<int>(alive_)](const platform::RunningApplication& application) {
            if (!alive.expired() && !isSelfApplication(application)) lastExternalApplication_ = application;
        });
}

MultiPinManager::~MultiPinManager() {
    activationObserver_.reset();
    alive_.reset();
    stop();
}

bool MultiPinManager::isSelfApplication(const platform::RunningApplication& application) const {
    if (application.pid == services_.platform.workspace->ownPid()) return true;
    return ignoredApplicationID_ && application.applicationID == ignoredApplicationID_;
}

void MultiPinManager::togglePinCurrentWindow() {
    const std::optional<std::uint32_t> front = frontWindowID();
    Log::app().info("pin toggle front=" + (front ? std::to_string(*front) : std::string("none")) +
                    " pinned=" + joined(pinnedWindowIDs()));
    if (front) {
        const auto holder = std::find_if(pins_.begin(), pins_.end(), [&](const auto& pin) {
            return pin->pinnedWindow() && pin->pinnedWindow()->windowID == *front;
        });
        if (holder != pins_.end()) {
            const std::shared_ptr<WindowPinManager> pin = *holder;  // its callback discards it
            pin->unpin();
            return;
        }
    }
    const std::shared_ptr<WindowPinManager> pin = WindowPinManager::make(services_, ignoredApplicationID_);
    // A pin made while this program is in front pins the application that was in front before.
    if (lastExternalApplication_) pin->lastExternalApplication = lastExternalApplication_;
    const std::weak_ptr<int> alive = alive_;
    pin->onStateChange = [this, alive, weakPin = std::weak_ptr<WindowPinManager>(pin)] {
        if (!alive.expired()) pinChanged(weakPin.lock());
    };
    pin->onInteractionChange = [this, alive](std::optional<std::int32_t> pid) {
        if (!alive.expired() && onInteractionChange) onInteractionChange(pid);
    };
    pins_.push_back(pin);
    pin->pinCurrentFrontmostWindow();
}

void MultiPinManager::pinChanged(const std::shared_ptr<WindowPinManager>& pin) {
    const std::weak_ptr<int> alive = alive_;
    // The newer of two pins showing one window gives way; its own callback runs this again.
    if (pin && pin->pinnedWindow() && pin->isActive()) {
        const std::uint32_t windowID = pin->pinnedWindow()->windowID;
        const std::vector<std::shared_ptr<WindowPinManager>> all = pins_;
        const bool duplicate = std::any_of(all.begin(), all.end(), [&](const auto& other) {
            return other != pin && other->isLive() && other->pinnedWindow() &&
                   other->pinnedWindow()->windowID == windowID;
        });
        if (duplicate) {
            Log::pin().info("pin duplicate windowID=" + std::to_string(windowID) + ": the newer pin gives way");
            pin->unpin();
            if (alive.expired()) return;
        }
    }
    // Finished pins go, except a failed last one.
    std::vector<std::shared_ptr<WindowPinManager>> finished;
    for (std::size_t i = 0; i < pins_.size(); ++i) {
        const auto& candidate = pins_[i];
        const bool keptFailure = i + 1 == pins_.size() && candidate->hasFailed();
        if (!candidate->isLive() && !keptFailure) finished.push_back(candidate);
    }
    for (const auto& done : finished) done->stop();
    std::erase_if(pins_, [&](const auto& candidate) {
        return std::find(finished.begin(), finished.end(), candidate) != finished.end();
    });
    notifyStateChange();
}

void MultiPinManager::unpin() {
    const std::weak_ptr<int> alive = alive_;
    const std::vector<std::shared_ptr<WindowPinManager>> releasing = pins_;
    for (const auto& pin : releasing) {
        pin->unpin();
        pin->stop();
        if (alive.expired()) return;
    }
    // Pins a callback started meanwhile stay.
    std::erase_if(pins_, [&](const auto& pin) {
        return std::find(releasing.begin(), releasing.end(), pin) != releasing.end();
    });
    notifyStateChange();
}

void MultiPinManager::stop() {
    const std::vector<std::shared_ptr<WindowPinManager>> stopping = std::move(pins_);
    pins_.clear();
    for (const auto& pin : stopping) pin->stop();
}

void MultiPinManager::applySettings() {
    const std::vector<std::shared_ptr<WindowPinManager>> all = pins_;
    for (const auto& pin : all) pin->applySettings();
}

void MultiPinManager::notifyStateChange() {
    if (auto callback = onStateChange) callback();
}

std::vector<PinState> MultiPinManager::pins() const {
    std::vector<PinState> states;
    for (const auto& pin : pins_) states.push_back(pin->pinState());
    return states;
}

bool MultiPinManager::frontWindowIsPinned() const {
    const auto front = frontWindowID();
    if (!front) return false;
    const auto ids = pinnedWindowIDs();
    return std::find(ids.begin(), ids.end(), *front) != ids.end();
}

std::optional<std::uint32_t> MultiPinManager::frontWindowID() const {
    const auto front = services_.platform.workspace->frontmostApplication();
    if (!front || !services_.platform.windowList) return std::nullopt;
    for (const platform::WindowInfo& info : services_.platform.windowList->windows({true, true})) {
        if (info.ownerPid != front->pid || info.layer != 0 || !info.bounds) continue;
        if (info.bounds->absWidth() > kFrontWindowMinimumWidth && info.bounds->absHeight() > kFrontWindowMinimumHeight)
            return info.number;
    }
    return std::nullopt;
}

}  // namespace tenvik
