// SPDX-License-Identifier: MIT
// SavedView.h: a layout of all displays as the user saved it in a numbered slot, or as the
// last layout ("Last layout", id 0): each display's arrangement and, for every window key
// in it, the window's identity (and for saved slots its application and the time saved).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Arvelo/State/StateCoding.h"
#include "Arvelo/State/WorkspaceState.h"

namespace arvelo {

struct SavedView {
    std::int64_t id = 0;
    std::string name;
    std::map<std::string, WorkspaceState> displays;
    std::map<std::string, std::string> identities;
    std::optional<std::map<std::string, std::vector<std::string>>> focusWindows;
    std::optional<std::map<std::string, std::string>> apps;
    std::optional<Date> savedAt;

    friend bool operator==(const SavedView&, const SavedView&) = default;

    OrderedJSON toJSON() const;
    // Throws StateDecodeError when a required member is missing or any member has the
    // wrong type.
    static SavedView fromJSON(const nlohmann::json& value);

    static OrderedJSON encodeList(const std::vector<SavedView>& views);
    // One bad entry fails the whole list.
    static std::vector<SavedView> decodeList(const nlohmann::json& value);
};

}  // namespace arvelo
