// SPDX-License-Identifier: MIT
// RestoreEntry.h: one remembered original window frame of the recovery file "restore.json":
// the window's identity (application identity, "|", title), its process id when written,
// and the frame it had before it was first arranged (top-left screen space).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Arvelo/State/StateCoding.h"

namespace arvelo {

struct RestoreEntry {
    std::string identity;
    std::int32_t pid = 0;
    Rect frame;

    friend bool operator==(const RestoreEntry&, const RestoreEntry&) = default;

    OrderedJSON toJSON() const;
    // Throws StateDecodeError when a member is missing or of the wrong type.
    static RestoreEntry fromJSON(const nlohmann::json& value);

    static OrderedJSON encodeList(const std::vector<RestoreEntry>& entries);
    // One bad entry fails the whole list.
    static std::vector<RestoreEntry> decodeList(const nlohmann::json& value);
};

}  // namespace arvelo
