// SPDX-License-Identifier: MIT
// Published.h: change publication for owners that views observe. A ChangeNotifier keeps the
// observers' callbacks; a Published<T> field tells its notifier after every write, so views
// learn of each change on the main thread and read the new value.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

namespace platform {

class ChangeNotifier {
public:
    using Subscription = std::uint64_t;

    Subscription subscribe(std::function<void()> observer) {
        const Subscription id = next_++;
        observers_.emplace(id, std::move(observer));
        return id;
    }
    void unsubscribe(Subscription id) { observers_.erase(id); }

    // Tells every observer, in the order they subscribed. An observer may subscribe or
    // unsubscribe others while it runs.
    void send() {
        ++count_;
        for (auto it = observers_.begin(); it != observers_.end();) {
            const Subscription id = it->first;
            auto observer = it->second;
            observer();
            it = observers_.upper_bound(id);
        }
    }

    // How many changes were sent so far (for tests and for views that poll).
    std::uint64_t count() const { return count_; }

private:
    std::map<Subscription, std::function<void()>> observers_;
    Subscription next_ = 1;
    std::uint64_t count_ = 0;
};

template <class T>
class Published {
public:
    Published(ChangeNotifier& notifier, T initial) : notifier_(&notifier), value_(std::move(initial)) {}
    Published(const Published&) = delete;
    Published& operator=(const Published&) = delete;

    const T& get() const { return value_; }
    const T& operator*() const { return value_; }
    const T* operator->() const { return &value_; }
    operator const T&() const { return value_; }

    Published& operator=(T value) {
        value_ = std::move(value);
        notifier_->send();
        return *this;
    }

    // Changes the value in place, then tells the observers once.
    template <class Change>
    decltype(auto) modify(Change&& change) {
        struct Notify {
            ChangeNotifier* notifier;
            ~Notify() { notifier->send(); }
        } notify{notifier_};
        return std::forward<Change>(change)(value_);
    }

private:
    ChangeNotifier* notifier_;
    T value_;
};

}  // namespace platform
