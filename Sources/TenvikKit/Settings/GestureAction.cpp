// SPDX-License-Identifier: MIT
// GestureAction.cpp: raw values and display names of the gesture actions.
#include "TenvikKit/Settings/GestureAction.h"

namespace tenvik {

std::string_view rawValue(GestureAction action) {
    switch (action) {
        case GestureAction::none:
            return "none";
        case GestureAction::togglePin:
            return "togglePin";
        case GestureAction::toggleFocus:
            return "toggleFocus";
        case GestureAction::releaseAll:
            return "releaseAll";
    }
    return "none";
}

std::optional<GestureAction> gestureActionFromRawValue(std::string_view raw) {
    for (GestureAction action : kAllGestureActions)
        if (rawValue(action) == raw) return action;
    return std::nullopt;
}

std::string_view displayName(GestureAction action) {
    switch (action) {
        case GestureAction::none:
            return "None";
        case GestureAction::togglePin:
            return "Toggle Pin";
        case GestureAction::toggleFocus:
            return "Toggle Focus";
        case GestureAction::releaseAll:
            return "Release All";
    }
    return "None";
}

}  // namespace tenvik
