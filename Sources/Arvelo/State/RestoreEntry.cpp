// SPDX-License-Identifier: MIT
// RestoreEntry.cpp: the JSON form of a recovery entry: {"identity", "pid", "frame"}.
#include "Arvelo/State/RestoreEntry.h"

#include <limits>

namespace arvelo {

using namespace StateCoding;

OrderedJSON RestoreEntry::toJSON() const {
    OrderedJSON object = OrderedJSON::object();
    object["identity"] = identity;
    object["pid"] = pid;
    object["frame"] = encodeRect(frame);
    return object;
}

RestoreEntry RestoreEntry::fromJSON(const nlohmann::json& value) {
    const auto& object = requireObject(value, "restore entry");
    RestoreEntry entry;
    entry.identity = decodeString(requireMember(object, "identity"), "identity");
    entry.pid = static_cast<std::int32_t>(decodeInteger(requireMember(object, "pid"), "pid",
                                                        std::numeric_limits<std::int32_t>::min(),
                                                        std::numeric_limits<std::int32_t>::max()));
    entry.frame = decodeRect(requireMember(object, "frame"), "frame");
    return entry;
}

OrderedJSON RestoreEntry::encodeList(const std::vector<RestoreEntry>& entries) {
    OrderedJSON array = OrderedJSON::array();
    for (const auto& entry : entries) array.push_back(entry.toJSON());
    return array;
}

std::vector<RestoreEntry> RestoreEntry::decodeList(const nlohmann::json& value) {
    if (!value.is_array()) throw StateDecodeError("restore entries: expected an array");
    std::vector<RestoreEntry> entries;
    entries.reserve(value.size());
    for (const auto& item : value) entries.push_back(fromJSON(item));
    return entries;
}

}  // namespace arvelo
