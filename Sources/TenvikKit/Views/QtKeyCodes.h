// SPDX-License-Identifier: MIT
// QtKeyCodes.h: Qt key events to the kit's stored key codes (ANSI virtual key codes) and
// back, the inverse of the hot-key service's key table. A key event is read by its native scan
// code through the desktop's keyboard mapping (the key's unshifted keysym, from the reader the
// shell picks), so Shift+1 is the "1" key whatever it types; without a reader or a native code
// (offscreen, synthesized events) its Qt key stands in. Modifiers: Meta (Super) is Command, Alt is Option.
#pragma once

#include "Platform/ScanCodes.h"
#include "TenvikKit/Settings/HotKey.h"

#include <Qt>

#include <cstdint>
#include <optional>

class QKeyEvent;

namespace tenvik {

struct QtKeyCodes {
    // The desktop's scan-code reader, picked once at start-up.
    static void readScanCodesWith(platform::ScanCodeReader reader);
    // The key code of the event's key; absent for keys without one (modifier keys alone,
    // media keys).
    static std::optional<std::uint32_t> keyCode(const QKeyEvent& event);
    // The four modifier bits of HotKey; Caps Lock, keypad and the rest are dropped.
    static std::uint32_t hotKeyModifiers(Qt::KeyboardModifiers modifiers);

    static std::optional<std::uint32_t> keyCodeForQtKey(int key);
    static std::optional<int> qtKeyForKeyCode(std::uint32_t keyCode);
    static Qt::KeyboardModifiers qtModifiers(std::uint32_t hotKeyModifiers);
    // Whether the key is a modifier alone (Shift, Control, Alt, Super, Meta, AltGr, Caps Lock).
    static bool isModifierKey(int key);
};

}  // namespace tenvik
