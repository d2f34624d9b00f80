// SPDX-License-Identifier: MIT
// PinnedWindowObserver.cpp: registering the window's notifications (undoing a partial registration
// that lacks a required one), and reading its minimised state.
#include "TenvikKit/Pins/PinnedWindowObserver.h"

#include "TenvikKit/Pins/PinMessaging.h"

#include <algorithm>

namespace tenvik {

namespace ax = platform::ax;

const std::vector<std::string>& PinnedWindowObserver::notifications() {
    static const std::vector<std::string> names = {
        std::string(ax::kMovedNotification), std::string(ax::kResizedNotification),
        std::string(ax::kMiniaturizedNotification), std::string(ax::kDeminiaturizedNotification),
        std::string(ax::kDestroyedNotification)};
    return names;
}

bool PinnedWindowObserver::start(std::int32_t pid, const platform::AccessElement& window) {
    stop();
    auto created = accessibility_->createObserver(pid);
    if (created.error != platform::AccessError::success || !created.observer) return false;
    std::unique_ptr<platform::AccessObserver> observer = std::move(created.observer);

    std::vector<std::string> registered;
    for (const std::string& name : notifications())
        if (observer->addNotification(window, name) == platform::AccessError::success) registered.push_back(name);
    const auto has = [&](std::string_view name) {
        return std::find(registered.begin(), registered.end(), name) != registered.end();
    };
    if (!has(ax::kMovedNotification) || !has(ax::kResizedNotification)) {
        for (const std::string& name : registered) observer->removeNotification(window, name);
        return false;
    }
    // Every registered notification means the same: look at the window again.
    observer->onNotification = [this](const platform::AccessElement&, const std::string&) {
        if (onChange) onChange();
    };
    observer_ = std::move(observer);
    element_ = window;
    registeredNotifications_ = std::move(registered);
    return true;
}

void PinnedWindowObserver::stop() {
    if (observer_ && element_) {
        for (const std::string& name : registeredNotifications_) observer_->removeNotification(*element_, name);
        observer_->onNotification = nullptr;
    }
    registeredNotifications_.clear();
    observer_.reset();
    element_.reset();
}

bool PinnedWindowObserver::isMinimized() const {
    if (!element_) return false;
    const auto result = accessibility_->copyAttributeValue(*element_, ax::kMinimized, kPinMessagingTimeout);
    if (!result.ok()) return false;
    return result.value.boolean().value_or(false);
}

}  // namespace tenvik
