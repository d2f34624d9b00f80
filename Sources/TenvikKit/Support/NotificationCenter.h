// SPDX-License-Identifier: MIT
// NotificationCenter.h: the kit's process-wide notifications by name ("AppSettingsDidChange",
// "ShortcutRecordingStateDidChange"): any number of observers per name, told synchronously
// in the order they started observing. Main thread only.
#pragma once

#include "Platform/Signal.h"

#include <map>
#include <string>

namespace tenvik {

class NotificationCenter {
public:
    // The one center of the process.
    static NotificationCenter& defaultCenter();

    // The observer stays connected while the subscription lives.
    [[nodiscard]] platform::Subscription observe(const std::string& name, std::function<void()> observer);
    void post(const std::string& name);

private:
    std::map<std::string, platform::Signal<>> signals_;
};

}  // namespace tenvik
