// SPDX-License-Identifier: MIT
// PinnedWindowObserver.h: watches one pinned window through Accessibility and calls onChange when it
// moves, resizes, is minimised, comes back or closes; also answers whether it is minimised.
// The moved and resized notifications are required, the other three are taken when the
// application grants them. Destroying a live observer stops it, so no registration outlives the object. Main thread.
#pragma once

#include "Platform/Accessibility.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tenvik {

class PinnedWindowObserver {
public:
    explicit PinnedWindowObserver(std::shared_ptr<platform::Accessibility> accessibility)
        : accessibility_(std::move(accessibility)) {}
    ~PinnedWindowObserver() { stop(); }
    PinnedWindowObserver(const PinnedWindowObserver&) = delete;
    PinnedWindowObserver& operator=(const PinnedWindowObserver&) = delete;

    // The notifications asked for, in order.
    static const std::vector<std::string>& notifications();

    // True when the observer is live.
    bool start(std::int32_t pid, const platform::AccessElement& window);
    // Safe when not started; onChange stays.
    void stop();
    bool isMinimized() const;

    const std::vector<std::string>& registeredNotifications() const { return registeredNotifications_; }
    bool isLive() const { return observer_ != nullptr; }

    std::function<void()> onChange;

private:
    std::shared_ptr<platform::Accessibility> accessibility_;
    std::unique_ptr<platform::AccessObserver> observer_;
    std::optional<platform::AccessElement> element_;
    std::vector<std::string> registeredNotifications_;
};

}  // namespace tenvik
