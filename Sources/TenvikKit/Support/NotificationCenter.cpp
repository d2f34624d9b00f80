// SPDX-License-Identifier: MIT
// NotificationCenter.cpp: one signal per notification name.
#include "TenvikKit/Support/NotificationCenter.h"

namespace tenvik {

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

platform::Subscription NotificationCenter::observe(const std::string& name, std::function<void()> observer) {
    return signals_[name].connect(std::move(observer));
}

void NotificationCenter::post(const std::string& name) {
    const auto it = signals_.find(name);
    if (it != signals_.end()) it->second.notify();
}

}  // namespace tenvik
