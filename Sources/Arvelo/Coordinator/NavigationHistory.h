// SPDX-License-Identifier: MIT
// NavigationHistory.h: the back and forward lists of view positions behind the back and
// forward commands. Recording a step keeps at most kLimit steps to go back to (the oldest is
// dropped) and forgets the steps ahead; going back or forward moves one step between the
// lists and hands it to the caller, who shows it. The lists only ever hold values: the
// coordinator takes the snapshots and applies the steps.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "Arvelo/Coordinator/ViewPosition.h"

namespace arvelo {

class NavigationHistory {
public:
    static constexpr std::size_t kLimit = 40;

    // Remembers `shown` (the view now shown) as the step to go back to and forgets the steps
    // ahead; beyond kLimit steps the oldest is dropped.
    void record(NavigationStep shown);
    // The step to go back to, with `shown` kept as the step ahead of it; absent, and nothing
    // changes, when there is none.
    std::optional<NavigationStep> back(NavigationStep shown);
    // The step ahead, with `shown` kept as a step to go back to; absent, and nothing changes,
    // when there is none.
    std::optional<NavigationStep> forward(NavigationStep shown);
    // Forgets both lists (the arrangement they refer to is gone).
    void clear();

    // Oldest first; the last element is the next step back (or forward).
    const std::vector<NavigationStep>& past() const { return past_; }
    const std::vector<NavigationStep>& future() const { return future_; }

private:
    std::vector<NavigationStep> past_;
    std::vector<NavigationStep> future_;
};

}  // namespace arvelo
