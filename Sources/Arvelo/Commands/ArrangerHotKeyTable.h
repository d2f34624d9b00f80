// SPDX-License-Identifier: MIT
// ArrangerHotKeyTable.h: the arranger's fixed global hot keys (ids, key codes, modifier masks),
// the command each id runs and the status texts of a failed registration. Pure data.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace arvelo {

// The four-character signature under which the arranger's hot keys are registered.
inline constexpr std::uint32_t kArrangerHotKeySignature = 0x4152564C;  // 'ARVL'

// Modifier masks of the arranger's keys (command 0x100, shift 0x200, option 0x800, control 0x1000).
inline constexpr std::uint32_t kControlOptionMask = 0x1800;
inline constexpr std::uint32_t kControlOptionShiftMask = 0x1A00;

struct ArrangerHotKey {
    std::uint32_t id = 0;
    std::uint32_t keyCode = 0;
    std::uint32_t modifiers = 0;
    friend bool operator==(const ArrangerHotKey&, const ArrangerHotKey&) = default;
};

// Every key registered at launch, in registration order: ids 1 to 6, then for each digit n
// Ctrl+Alt+n (10 + n) followed by Ctrl+Alt+Shift+n (20 + n). The window-map key is not among them.
std::vector<ArrangerHotKey> arrangerHotKeys();

// Ctrl+Alt+W, registered only while the user default "windowMapEnabled" is true.
inline constexpr ArrangerHotKey kWindowMapHotKey{7, 13, kControlOptionMask};

// The user default that switches the window-map key (and the "map" URL command) on.
inline constexpr const char* kWindowMapEnabledDefault = "windowMapEnabled";

// What one id does.
struct ArrangerShortcut {
    enum class Kind { showEverything, focusUnderPointer, zoomOut, back, forward, windowMap, recallView, saveView };
    Kind kind;
    int slot = 0;  // 1 to 9 for recallView and saveView
    friend bool operator==(const ArrangerShortcut&, const ArrangerShortcut&) = default;
};

// The command of an id; none for ids the table does not name.
std::optional<ArrangerShortcut> arrangerShortcut(std::uint32_t id);

// Status line after a key could not be registered, from the sentence naming the key and who
// holds it ("Ctrl+Alt+Down is held by openbox's default key bindings").
std::string shortcutInUseStatus(const std::string& refusal);
std::string windowMapShortcutInUseStatus(const std::string& refusal);

}  // namespace arvelo
