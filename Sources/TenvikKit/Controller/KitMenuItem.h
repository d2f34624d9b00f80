// SPDX-License-Identifier: MIT
// KitMenuItem.h: one of the kit's items in the status menu, as a plain value the shell renders:
// its title, whether it is enabled or hidden, its symbol, the key equivalent it shows (the
// global hot key does the work) and what choosing it does.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tenvik {

struct KitMenuItem {
    std::string title;
    std::string action;  // the action's name ("toggleFocusFromMenu", ...); empty for none
    bool enabled = true;
    bool hidden = false;
    std::string symbol;  // a KitSymbols name; empty for none
    std::string symbolDescription;
    std::string keyEquivalent;
    std::uint32_t keyEquivalentModifierMask = 0;  // kMenu*Flag bits
    std::function<void()> onTrigger;
};

using KitMenu = std::vector<KitMenuItem>;

}  // namespace tenvik
