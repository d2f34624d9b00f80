// SPDX-License-Identifier: MIT
// GestureAction.h: what a three-finger gesture or a kit shortcut does, with its stored raw
// value and the name pickers show.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tenvik {

enum class GestureAction { none, togglePin, toggleFocus, releaseAll };

// Every case in the order pickers list them.
inline constexpr std::array<GestureAction, 4> kAllGestureActions = {
    GestureAction::none, GestureAction::togglePin, GestureAction::toggleFocus, GestureAction::releaseAll};

std::string_view rawValue(GestureAction action);  // "none", "togglePin", ...
std::optional<GestureAction> gestureActionFromRawValue(std::string_view raw);
std::string_view displayName(GestureAction action);  // "None", "Toggle Pin", ...

}  // namespace tenvik
