// SPDX-License-Identifier: MIT
// LaunchAtLoginManager.cpp: switching the autostart entry and remembering the request.
#include "TenvikKit/Permissions/LaunchAtLoginManager.h"

#include "TenvikKit/Log/LogChannel.h"

namespace tenvik {

namespace {

const char* text(bool value) { return value ? "true" : "false"; }

}  // namespace

LaunchAtLoginManager::LaunchAtLoginManager(platform::LoginItem loginItem, AppSettings& settings)
    : loginItem_(std::move(loginItem)), settings_(settings) {}

LaunchAtLoginManager::Status LaunchAtLoginManager::status() const {
    switch (loginItem_.status()) {
        case platform::LoginItem::Status::enabled:
            return Status::enabled;
        case platform::LoginItem::Status::requiresApproval:
            return Status::requiresApproval;
        default:
            return Status::disabled;
    }
}

bool LaunchAtLoginManager::setEnabled(bool enabled) {
    const platform::LoginItem::Status before = loginItem_.status();
    using Raw = platform::LoginItem::Status;
    if (enabled && (before == Raw::enabled || before == Raw::requiresApproval)) return true;
    if (!enabled && (before == Raw::notRegistered || before == Raw::notFound)) return true;
    const std::optional<std::string> error = enabled ? loginItem_.registerItem() : loginItem_.unregisterItem();
    if (error) {
        Log::app().error(std::string("launch at login update failed enabled=") + text(enabled) + " error=" + *error);
        return false;
    }
    settings_.setLaunchAtLoginRequested(enabled);
    Log::app().debug(std::string("launch at login updated enabled=") + text(enabled) +
                     " status=" + std::to_string(static_cast<int>(loginItem_.status())));
    return true;
}

}  // namespace tenvik
