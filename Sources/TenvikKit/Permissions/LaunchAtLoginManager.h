// SPDX-License-Identifier: MIT
// LaunchAtLoginManager.h: the kit's launch at login, over the same XDG autostart entry as the
// shell's "Open at Login" (platform::LoginItem): one file, one truth. setEnabled() answers
// whether the requested state holds afterwards; a change that works is remembered in
// "settings.launchAtLoginRequested". Main thread only.
#pragma once

#include "Platform/LoginItem.h"
#include "TenvikKit/Settings/AppSettings.h"

#include <memory>

namespace tenvik {

class LaunchAtLoginManager {
public:
    enum class Status { enabled, disabled, requiresApproval };

    LaunchAtLoginManager(platform::LoginItem loginItem, AppSettings& settings);

    // Read from the entry at each call.
    Status status() const;
    bool setEnabled(bool enabled);

    const platform::LoginItem& loginItem() const { return loginItem_; }

private:
    platform::LoginItem loginItem_;
    AppSettings& settings_;
};

}  // namespace tenvik
