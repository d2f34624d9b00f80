// SPDX-License-Identifier: MIT
// DockEdge.cpp: raw values and JSON coding of the dock edge.
#include "DockEdge.h"

#include <nlohmann/json.hpp>

#include <string>

namespace arvelo {

std::string_view rawValue(DockEdge edge) {
    switch (edge) {
        case DockEdge::left:
            return "left";
        case DockEdge::right:
            return "right";
        case DockEdge::top:
            return "top";
        case DockEdge::bottom:
            return "bottom";
        case DockEdge::tab:
            return "tab";
    }
    return "tab";
}

std::optional<DockEdge> dockEdgeFromRawValue(std::string_view text) {
    for (const DockEdge edge : allDockEdges)
        if (rawValue(edge) == text) return edge;
    return std::nullopt;
}

namespace {

template <typename Json>
void decodeEdge(const Json& json, DockEdge& edge) {
    if (!json.is_string())
        throw nlohmann::json::type_error::create(302, std::string("type must be string, but is ") + json.type_name(),
                                                 nullptr);
    const auto parsed = dockEdgeFromRawValue(json.template get_ref<const std::string&>());
    if (!parsed)
        throw nlohmann::json::type_error::create(302, "cannot initialize DockEdge from invalid value " + json.dump(),
                                                 nullptr);
    edge = *parsed;
}

}  // namespace

void to_json(nlohmann::json& json, DockEdge edge) { json = std::string(rawValue(edge)); }
void from_json(const nlohmann::json& json, DockEdge& edge) { decodeEdge(json, edge); }
void to_json(nlohmann::ordered_json& json, DockEdge edge) { json = std::string(rawValue(edge)); }
void from_json(const nlohmann::ordered_json& json, DockEdge& edge) { decodeEdge(json, edge); }

}  // namespace arvelo
