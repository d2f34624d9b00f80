// SPDX-License-Identifier: MIT
// ShortcutHints.h: the texts that advertise the arranger's keys on screen (the overview's
// footer, the dashboard's hint, the zoom bar's tool tip), written from the key table in the
// desktop's notation, and the note that a window manager may keep some of them for itself.
#pragma once

#include <string>

namespace arvelo {

// "Ctrl+Alt+Down focus · Ctrl+Alt+Up step out · Ctrl+Alt+[ back · Ctrl+Alt+] forward"
std::string overviewKeysHint();
// "Ctrl+Alt+Space overview"
std::string showEverythingKeyHint();
// "Back to all your windows (Ctrl+Alt+Space)"
std::string zoomBarToolTip();

// Said beside every hint above: the keys are not ours when the window manager holds them.
inline constexpr const char* kManagerHeldKeysNote =
    "Some window managers keep some of these keys for themselves (openbox and xfwm4 switch "
    "desktops with Ctrl+Alt and the arrows). A key held that way does nothing here; the menu "
    "and the buttons do the same.";

}  // namespace arvelo
