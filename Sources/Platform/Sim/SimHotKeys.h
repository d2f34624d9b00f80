// SPDX-License-Identifier: MIT
// SimHotKeys.h: the simulated desktop's global hot keys: combinations that other applications
// already hold, and key presses scripted by tests, which reach this program's handlers only
// for combinations it registered.
#pragma once

#include "Platform/HotKeys.h"

#include <cstdint>
#include <set>
#include <utility>

namespace platform::sim {

class SimHotKeys : public HotKeys {
public:
    // Another application holds the combination: registering it fails with kEventHotKeyExistsErr.
    void occupy(std::uint32_t keyCode, std::uint32_t modifiers);
    // The user presses the combination. True when it reached this program (it was registered);
    // false when it went to the frontmost application instead.
    bool press(std::uint32_t keyCode, std::uint32_t modifiers);
    // Whether this program holds the combination now.
    bool holds(std::uint32_t keyCode, std::uint32_t modifiers) const;

protected:
    StatusCode grab(std::uint32_t keyCode, std::uint32_t modifiers) override;
    void ungrab(std::uint32_t keyCode, std::uint32_t modifiers) override;

private:
    std::set<std::pair<std::uint32_t, std::uint32_t>> occupied_;
    std::set<std::pair<std::uint32_t, std::uint32_t>> grabbed_;
};

}  // namespace platform::sim
