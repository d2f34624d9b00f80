// SPDX-License-Identifier: MIT
// Signal.h: a notification with any number of observers. An observer stays connected while
// its Subscription lives; notifying calls every connected observer in connection order.
// Main thread only.
#pragma once

#include <functional>
#include <memory>
#include <vector>

namespace platform {

// Keeps one observer connected; dropping it (or reset()) disconnects.
class Subscription {
public:
    Subscription() = default;
    explicit Subscription(std::shared_ptr<void> slot) : slot_(std::move(slot)) {}
    void reset() { slot_.reset(); }
    bool connected() const { return slot_ != nullptr; }

private:
    std::shared_ptr<void> slot_;
};

template <class... Args>
class Signal {
public:
    using Handler = std::function<void(Args...)>;

    [[nodiscard]] Subscription connect(Handler handler) {
        auto slot = std::make_shared<Handler>(std::move(handler));
        slots_.push_back(slot);
        return Subscription(slot);
    }

    // Calls every connected observer; observers connected or dropped during the call take
    // effect from the next notify.
    void notify(Args... args) {
        std::vector<std::shared_ptr<Handler>> live;
        std::erase_if(slots_, [](const std::weak_ptr<Handler>& w) { return w.expired(); });
        for (const auto& weak : slots_)
            if (auto slot = weak.lock()) live.push_back(std::move(slot));
        for (const auto& slot : live) (*slot)(args...);
    }

    bool hasObservers() const {
        for (const auto& weak : slots_)
            if (!weak.expired()) return true;
        return false;
    }

private:
    std::vector<std::weak_ptr<Handler>> slots_;
};

}  // namespace platform
