// SPDX-License-Identifier: MIT
// WorkspaceState.cpp: the JSON form of a display's arrangement:
// {"root", "focus"?, "preferred"?, "autoArrange"?, "camera"?}.
#include "Arvelo/State/WorkspaceState.h"

namespace arvelo {

using namespace StateCoding;

OrderedJSON WorkspaceState::toJSON() const {
    OrderedJSON object = OrderedJSON::object();
    object["root"] = OrderedJSON(root);
    if (focus) object["focus"] = *focus;
    if (preferred) object["preferred"] = *preferred;
    if (autoArrange) object["autoArrange"] = *autoArrange;
    if (camera) object["camera"] = encodeRect(*camera);
    return object;
}

WorkspaceState WorkspaceState::fromJSON(const nlohmann::json& value) {
    const auto& object = requireObject(value, "workspace state");
    WorkspaceState state;
    try {
        state.root = requireMember(object, "root").get<LayoutNode>();
    } catch (const nlohmann::json::exception& error) {
        throw StateDecodeError(std::string("root: ") + error.what());
    }
    if (const auto* member = optionalMember(object, "focus")) state.focus = decodeString(*member, "focus");
    if (const auto* member = optionalMember(object, "preferred")) state.preferred = decodeString(*member, "preferred");
    if (const auto* member = optionalMember(object, "autoArrange"))
        state.autoArrange = decodeBool(*member, "autoArrange");
    if (const auto* member = optionalMember(object, "camera")) state.camera = decodeRect(*member, "camera");
    return state;
}

}  // namespace arvelo
