// SPDX-License-Identifier: MIT
// DockEdge.h: where a docked window or group goes relative to its target node: beside it
// on one of four sides, or into it as a tab; with its stored text form.
#pragma once

#include <nlohmann/json_fwd.hpp>

#include <array>
#include <optional>
#include <string_view>

namespace arvelo {

enum class DockEdge { left, right, top, bottom, tab };

// Every edge, in the order the hit test and the labels use.
inline constexpr std::array<DockEdge, 5> allDockEdges{DockEdge::left, DockEdge::right, DockEdge::top, DockEdge::bottom,
                                                      DockEdge::tab};

std::string_view rawValue(DockEdge edge);
std::optional<DockEdge> dockEdgeFromRawValue(std::string_view text);

// Coded as the raw value; any other string, or a value that is not a string, fails the decode.
void to_json(nlohmann::json& json, DockEdge edge);
void from_json(const nlohmann::json& json, DockEdge& edge);
void to_json(nlohmann::ordered_json& json, DockEdge edge);
void from_json(const nlohmann::ordered_json& json, DockEdge& edge);

}  // namespace arvelo
