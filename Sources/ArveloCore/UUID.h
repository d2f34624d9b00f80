// SPDX-License-Identifier: MIT
// UUID.h: fresh random identifiers for the nodes that builders and edits make, in the
// standard 36-character upper-case form (8-4-4-4-12 hexadecimal digits).
#pragma once

#include <string>

namespace arvelo {

// A new random (version 4) UUID, e.g. "3F2504E0-4F89-41D3-9A0C-0305E82C3301".
std::string makeUUID();

}  // namespace arvelo
