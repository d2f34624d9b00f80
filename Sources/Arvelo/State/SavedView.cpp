// SPDX-License-Identifier: MIT
// SavedView.cpp: the JSON form of a saved layout: {"id", "name", "displays", "identities",
// "focusWindows"?, "apps"?, "savedAt"?}.
#include "Arvelo/State/SavedView.h"

#include <limits>

namespace arvelo {

using namespace StateCoding;

namespace {

std::map<std::string, std::string> decodeStringMap(const nlohmann::json& value, const char* what) {
    if (!value.is_object()) throw StateDecodeError(std::string(what) + ": expected an object");
    std::map<std::string, std::string> result;
    for (const auto& [key, item] : value.items()) result.emplace(key, decodeString(item, what));
    return result;
}

OrderedJSON encodeStringMap(const std::map<std::string, std::string>& map) {
    OrderedJSON object = OrderedJSON::object();
    for (const auto& [key, value] : map) object[key] = value;
    return object;
}

}  // namespace

OrderedJSON SavedView::toJSON() const {
    OrderedJSON object = OrderedJSON::object();
    object["id"] = id;
    object["name"] = name;
    OrderedJSON displayObject = OrderedJSON::object();
    for (const auto& [key, state] : displays) displayObject[key] = state.toJSON();
    object["displays"] = std::move(displayObject);
    object["identities"] = encodeStringMap(identities);
    if (focusWindows) {
        OrderedJSON focusObject = OrderedJSON::object();
        for (const auto& [key, keys] : *focusWindows) focusObject[key] = keys;
        object["focusWindows"] = std::move(focusObject);
    }
    if (apps) object["apps"] = encodeStringMap(*apps);
    if (savedAt) object["savedAt"] = encodeDate(*savedAt);
    return object;
}

SavedView SavedView::fromJSON(const nlohmann::json& value) {
    const auto& object = requireObject(value, "saved view");
    SavedView view;
    view.id = decodeInteger(requireMember(object, "id"), "id", std::numeric_limits<std::int64_t>::min(),
                            std::numeric_limits<std::int64_t>::max());
    view.name = decodeString(requireMember(object, "name"), "name");
    const auto& displays = requireMember(object, "displays");
    if (!displays.is_object()) throw StateDecodeError("displays: expected an object");
    for (const auto& [key, state] : displays.items()) view.displays.emplace(key, WorkspaceState::fromJSON(state));
    view.identities = decodeStringMap(requireMember(object, "identities"), "identities");
    if (const auto* member = optionalMember(object, "focusWindows")) {
        if (!member->is_object()) throw StateDecodeError("focusWindows: expected an object");
        std::map<std::string, std::vector<std::string>> focusWindows;
        for (const auto& [key, keys] : member->items()) {
            if (!keys.is_array()) throw StateDecodeError("focusWindows: expected arrays of keys");
            std::vector<std::string> list;
            for (const auto& item : keys) list.push_back(decodeString(item, "focusWindows"));
            focusWindows.emplace(key, std::move(list));
        }
        view.focusWindows = std::move(focusWindows);
    }
    if (const auto* member = optionalMember(object, "apps")) view.apps = decodeStringMap(*member, "apps");
    if (const auto* member = optionalMember(object, "savedAt")) view.savedAt = decodeDate(*member, "savedAt");
    return view;
}

OrderedJSON SavedView::encodeList(const std::vector<SavedView>& views) {
    OrderedJSON array = OrderedJSON::array();
    for (const auto& view : views) array.push_back(view.toJSON());
    return array;
}

std::vector<SavedView> SavedView::decodeList(const nlohmann::json& value) {
    if (!value.is_array()) throw StateDecodeError("saved views: expected an array");
    std::vector<SavedView> views;
    views.reserve(value.size());
    for (const auto& item : value) views.push_back(fromJSON(item));
    return views;
}

}  // namespace arvelo
