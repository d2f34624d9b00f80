// SPDX-License-Identifier: MIT
// StatusIconChoice.h: which status image shows the kit's state, and its accessibility
// description. The first matching row wins:
//   focus locked and pinned -> lock with a pin badge, "Focus locked and pinned"
//   focus locked            -> "lock.fill", "Focus locked"
//   pinned                  -> "pin.fill", "Pinned window"
//   pin failed              -> "pin.slash", "Pin failed"
//   otherwise               -> "pin", "Idle"
// The images themselves are drawn by the kit's views (KitSymbols).
#pragma once

#include <string>

namespace tenvik {

struct StatusIconChoice {
    // A symbol name ("lock.fill", "pin.fill", "pin.slash", "pin") or kCompositeSymbol.
    std::string symbol;
    std::string description;
    friend bool operator==(const StatusIconChoice&, const StatusIconChoice&) = default;

    // The lock with a pin badge in its lower right corner.
    static constexpr const char* kCompositeSymbol = "lock.fill+pin.fill";

    static StatusIconChoice choose(bool focusLocked, bool pinned, bool pinFailed);
};

}  // namespace tenvik
