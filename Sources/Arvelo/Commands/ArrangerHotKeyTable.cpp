// SPDX-License-Identifier: MIT
// ArrangerHotKeyTable.cpp: builds the arranger's hot-key list and maps a pressed id to its command.
#include "Arvelo/Commands/ArrangerHotKeyTable.h"

#include <array>

namespace arvelo {

namespace {

// Key codes of the main keyboard's digits 1 to 9.
constexpr std::array<std::uint32_t, 9> kDigitKeyCodes{18, 19, 20, 21, 23, 22, 26, 28, 25};

}  // namespace

std::vector<ArrangerHotKey> arrangerHotKeys() {
    std::vector<ArrangerHotKey> keys{
        {1, 49, kControlOptionMask},   // Space: show everything
        {2, 125, kControlOptionMask},  // Down arrow: focus the tile under the pointer
        {3, 126, kControlOptionMask},  // Up arrow: zoom out
        {4, 36, kControlOptionMask},   // Return: focus the tile under the pointer
        {5, 33, kControlOptionMask},   // [: back
        {6, 30, kControlOptionMask},   // ]: forward
    };
    for (std::uint32_t n = 1; n <= 9; ++n) {
        keys.push_back({10 + n, kDigitKeyCodes[n - 1], kControlOptionMask});
        keys.push_back({20 + n, kDigitKeyCodes[n - 1], kControlOptionShiftMask});
    }
    return keys;
}

std::optional<ArrangerShortcut> arrangerShortcut(std::uint32_t id) {
    using Kind = ArrangerShortcut::Kind;
    switch (id) {
        case 1:
            return ArrangerShortcut{Kind::showEverything};
        case 2:
        case 4:
            return ArrangerShortcut{Kind::focusUnderPointer};
        case 3:
            return ArrangerShortcut{Kind::zoomOut};
        case 5:
            return ArrangerShortcut{Kind::back};
        case 6:
            return ArrangerShortcut{Kind::forward};
        case 7:
            return ArrangerShortcut{Kind::windowMap};
        default:
            break;
    }
    if (id >= 11 && id <= 19) return ArrangerShortcut{Kind::recallView, static_cast<int>(id - 10)};
    if (id >= 21 && id <= 29) return ArrangerShortcut{Kind::saveView, static_cast<int>(id - 20)};
    return std::nullopt;
}

std::string shortcutInUseStatus(const std::string& refusal) { return refusal + ". The menu controls still work."; }

std::string windowMapShortcutInUseStatus(const std::string& refusal) {
    return refusal + ". Open the Window Map from the menu instead.";
}

}  // namespace arvelo
