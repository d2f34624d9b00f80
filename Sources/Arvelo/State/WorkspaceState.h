// SPDX-License-Identifier: MIT
// WorkspaceState.h: one display's arrangement: its layout tree, the node it is zoomed onto,
// its preferred window, the auto-arrange flag and its camera. Coded to and from JSON inside
// the state files; optional members are left out when absent.
#pragma once

#include <optional>
#include <string>

#include "Arvelo/State/StateCoding.h"
#include "ArveloCore/LayoutNode.h"

namespace arvelo {

struct WorkspaceState {
    LayoutNode root = LayoutNode::desktop();
    std::optional<std::string> focus;
    std::optional<std::string> preferred;
    std::optional<bool> autoArrange;
    std::optional<Rect> camera;

    friend bool operator==(const WorkspaceState&, const WorkspaceState&) = default;

    OrderedJSON toJSON() const;
    // Throws StateDecodeError, also for a tree that does not decode.
    static WorkspaceState fromJSON(const nlohmann::json& value);
};

}  // namespace arvelo
