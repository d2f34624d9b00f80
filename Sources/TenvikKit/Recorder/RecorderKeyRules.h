// SPDX-License-Identifier: MIT
// RecorderKeyRules.h: what a key press does to a shortcut recorder, in key codes and modifier
// bits: Space or Return starts recording; while recording, Tab moves the focus, Escape cancels,
// Delete clears, a key without Super, Alt or Ctrl shows the hint, and any key with one of them
// is recorded. Shift alone is no modifier here. Pure; the recorder view acts on it.
#pragma once

#include "TenvikKit/Settings/HotKey.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tenvik {

enum class RecorderAction {
    passOn,             // not the recorder's key: the view's parent gets it
    beginRecording,     //
    moveFocusNext,      // recording ends, the focus moves on
    moveFocusPrevious,  // recording ends, the focus moves back
    cancel,             // recording ends, the shortcut stays
    clear,              // the shortcut is cleared, recording ends
    showHint,           // "Use Super, Alt or Ctrl with a key", recording goes on
    record,             // `hotKey` is the new shortcut; recording ends and the focus leaves
};

struct RecorderDecision {
    RecorderAction action = RecorderAction::passOn;
    std::optional<HotKey> hotKey;
    friend bool operator==(const RecorderDecision&, const RecorderDecision&) = default;
};

struct RecorderKeyRules {
    static constexpr std::uint32_t kReturn = 36;
    static constexpr std::uint32_t kTab = 48;
    static constexpr std::uint32_t kSpace = 49;
    static constexpr std::uint32_t kDelete = 51;
    static constexpr std::uint32_t kEscape = 53;
    static constexpr std::uint32_t kForwardDelete = 117;

    // `modifiers` are the four bits of HotKey; any others are dropped from a recorded shortcut.
    static RecorderDecision decide(bool recording, std::uint32_t keyCode, std::uint32_t modifiers);

    // The hint the field shows when a key is refused.
    static constexpr const char* kHintText = "Use Super, Alt or Ctrl with a key";
    // Why a refused key is no shortcut, in full: a key that types text says so ("K alone types
    // the letter K in every window"); any other key gets the hint.
    static std::string refusalReason(std::uint32_t keyCode, std::uint32_t modifiers);
};

}  // namespace tenvik
