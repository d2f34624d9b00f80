// SPDX-License-Identifier: MIT
// StockBindings.cpp: the stock bindings of the managers the program is tried under (see
// docs/hotkeys.md for how each one can be freed).
#include "Platform/X11/StockBindings.h"

#include "Platform/HotKeys.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace platform::x11 {

namespace {

constexpr std::uint32_t kControlAlt = kControlKeyMask | kOptionKeyMask;
constexpr std::uint32_t kControlAltShift = kControlAlt | kShiftKeyMask;
constexpr std::uint32_t kUp = 126, kDown = 125, kLeft = 123, kRight = 124, kSpace = 49;
constexpr std::uint32_t kDigits[] = {18, 19, 20, 21, 23, 22, 26, 28, 25};  // 1 to 9

struct Binding {
    std::uint32_t keyCode;
    std::uint32_t modifiers;
};

struct Manager {
    const char* name;  // lower case, as found in the name the manager sets
    std::vector<Binding> bindings;
};

const std::vector<Manager>& managers() {
    static const std::vector<Manager> table = [] {
        std::vector<Manager> all;
        // Desktop switching.
        all.push_back({"openbox", {{kUp, kControlAlt}, {kDown, kControlAlt}}});
        all.push_back({"xfwm4", {{kUp, kControlAlt}, {kDown, kControlAlt}}});
        all.push_back({"marco", {{kUp, kControlAlt}, {kDown, kControlAlt}, {kLeft, kControlAlt}, {kRight, kControlAlt}}});
        all.push_back(
            {"metacity", {{kUp, kControlAlt}, {kDown, kControlAlt}, {kLeft, kControlAlt}, {kRight, kControlAlt}}});
        // The window list, and the workspaces by number.
        Manager icewm{"icewm", {{kSpace, kControlAlt}, {kDown, kControlAlt}}};
        for (const std::uint32_t digit : kDigits) {
            icewm.bindings.push_back({digit, kControlAlt});
            icewm.bindings.push_back({digit, kControlAltShift});
        }
        all.push_back(std::move(icewm));
        return all;
    }();
    return table;
}

}  // namespace

std::optional<std::string> stockBindingOwner(std::string_view windowManagerName, std::uint32_t keyCode,
                                             std::uint32_t modifiers) {
    std::string name(windowManagerName);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const Manager& manager : managers()) {
        if (name.find(manager.name) == std::string::npos) continue;
        const bool bound = std::any_of(manager.bindings.begin(), manager.bindings.end(), [&](const Binding& b) {
            return b.keyCode == keyCode && b.modifiers == (modifiers & kHotKeyModifierMask);
        });
        return bound ? std::optional<std::string>(manager.name) : std::nullopt;
    }
    return std::nullopt;
}

}  // namespace platform::x11
