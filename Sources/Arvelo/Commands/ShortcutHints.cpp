// SPDX-License-Identifier: MIT
// ShortcutHints.cpp: the arranger's key hints from its key table.
#include "Arvelo/Commands/ShortcutHints.h"

#include "Arvelo/Commands/ArrangerHotKeyTable.h"
#include "Platform/HotKeys.h"

namespace arvelo {

namespace {

// The text of the first key that runs `kind`.
std::string keyOf(ArrangerShortcut::Kind kind) {
    for (const ArrangerHotKey& key : arrangerHotKeys()) {
        const auto shortcut = arrangerShortcut(key.id);
        if (shortcut && shortcut->kind == kind) return platform::hotKeyName(key.keyCode, key.modifiers);
    }
    return {};
}

}  // namespace

std::string overviewKeysHint() {
    using Kind = ArrangerShortcut::Kind;
    constexpr const char* kSeparator = "   \u00b7   ";
    return keyOf(Kind::focusUnderPointer) + " focus" + kSeparator + keyOf(Kind::zoomOut) + " step out" + kSeparator +
           keyOf(Kind::back) + " back" + kSeparator + keyOf(Kind::forward) + " forward";
}

std::string showEverythingKeyHint() { return keyOf(ArrangerShortcut::Kind::showEverything) + "  overview"; }

std::string zoomBarToolTip() {
    return "Back to all your windows (" + keyOf(ArrangerShortcut::Kind::showEverything) + ")";
}

}  // namespace arvelo
