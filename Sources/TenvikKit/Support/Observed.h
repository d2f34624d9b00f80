// SPDX-License-Identifier: MIT
// Observed.h: one observable field of a kit object: writing a value equal to the one held
// stores it silently; a different value is stored and its observers are told.
#pragma once

#include "Platform/Published.h"

#include <utility>

namespace tenvik {

template <class T>
class Observed {
public:
    explicit Observed(T initial = T()) : value_(std::move(initial)) {}
    Observed(const Observed&) = delete;
    Observed& operator=(const Observed&) = delete;

    const T& get() const { return value_; }
    operator const T&() const { return value_; }

    Observed& operator=(T value) {
        const bool changed = !(value_ == value);
        value_ = std::move(value);
        if (changed) changes.send();
        return *this;
    }

    platform::ChangeNotifier changes;

private:
    T value_;
};

}  // namespace tenvik
