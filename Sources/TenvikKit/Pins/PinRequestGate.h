// SPDX-License-Identifier: MIT
// PinRequestGate.h: the generation counter that makes the late answers of a superseded pin
// request harmless. A request takes the generation as its token after the teardown that
// precedes it; every step that resumes later checks that the token is still current.
#pragma once

#include <cstdint>

namespace tenvik {

struct PinRequestGate {
    std::uint64_t generation = 0;

    // Wraps from the largest value to 0.
    void invalidate() { ++generation; }
    std::uint64_t token() const { return generation; }
    bool isCurrent(std::uint64_t token) const { return token == generation; }
};

}  // namespace tenvik
