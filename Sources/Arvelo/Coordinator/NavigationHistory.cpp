// SPDX-License-Identifier: MIT
// NavigationHistory.cpp: the back and forward lists and their cap.
#include "Arvelo/Coordinator/NavigationHistory.h"

#include <utility>

namespace arvelo {

namespace {

std::optional<NavigationStep> move(std::vector<NavigationStep>& from, std::vector<NavigationStep>& to,
                                   NavigationStep shown) {
    if (from.empty()) return std::nullopt;
    NavigationStep target = std::move(from.back());
    from.pop_back();
    to.push_back(std::move(shown));
    return target;
}

}  // namespace

void NavigationHistory::record(NavigationStep shown) {
    const bool full = past_.size() >= kLimit;
    past_.push_back(std::move(shown));
    if (full) past_.erase(past_.begin());
    future_.clear();
}

std::optional<NavigationStep> NavigationHistory::back(NavigationStep shown) {
    return move(past_, future_, std::move(shown));
}

std::optional<NavigationStep> NavigationHistory::forward(NavigationStep shown) {
    return move(future_, past_, std::move(shown));
}

void NavigationHistory::clear() {
    past_.clear();
    future_.clear();
}

}  // namespace arvelo
