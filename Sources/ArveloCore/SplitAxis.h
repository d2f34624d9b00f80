// SPDX-License-Identifier: MIT
// SplitAxis.h: the direction of a split in a layout tree, with its stored text form
// ("horizontal": children side by side, first on the left; "vertical": stacked, first on top).
#pragma once

#include <nlohmann/json_fwd.hpp>

#include <optional>
#include <string_view>

namespace arvelo {

enum class SplitAxis { horizontal, vertical };

std::string_view rawValue(SplitAxis axis);
std::optional<SplitAxis> splitAxisFromRawValue(std::string_view text);

// Coded as the raw value; any other string, or a value that is not a string, fails the decode.
void to_json(nlohmann::json& json, SplitAxis axis);
void from_json(const nlohmann::json& json, SplitAxis& axis);
void to_json(nlohmann::ordered_json& json, SplitAxis axis);
void from_json(const nlohmann::ordered_json& json, SplitAxis& axis);

}  // namespace arvelo
