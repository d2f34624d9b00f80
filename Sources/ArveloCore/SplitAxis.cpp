// SPDX-License-Identifier: MIT
// SplitAxis.cpp: raw values and JSON coding of the split direction.
#include "SplitAxis.h"

#include <nlohmann/json.hpp>

#include <string>

namespace arvelo {

std::string_view rawValue(SplitAxis axis) { return axis == SplitAxis::horizontal ? "horizontal" : "vertical"; }

std::optional<SplitAxis> splitAxisFromRawValue(std::string_view text) {
    if (text == "horizontal") return SplitAxis::horizontal;
    if (text == "vertical") return SplitAxis::vertical;
    return std::nullopt;
}

namespace {

template <typename Json>
void decodeAxis(const Json& json, SplitAxis& axis) {
    if (!json.is_string())
        throw nlohmann::json::type_error::create(302, std::string("type must be string, but is ") + json.type_name(),
                                                 nullptr);
    const auto parsed = splitAxisFromRawValue(json.template get_ref<const std::string&>());
    if (!parsed)
        throw nlohmann::json::type_error::create(302, "cannot initialize SplitAxis from invalid value " + json.dump(),
                                                 nullptr);
    axis = *parsed;
}

}  // namespace

void to_json(nlohmann::json& json, SplitAxis axis) { json = std::string(rawValue(axis)); }
void from_json(const nlohmann::json& json, SplitAxis& axis) { decodeAxis(json, axis); }
void to_json(nlohmann::ordered_json& json, SplitAxis axis) { json = std::string(rawValue(axis)); }
void from_json(const nlohmann::ordered_json& json, SplitAxis& axis) { decodeAxis(json, axis); }

}  // namespace arvelo
