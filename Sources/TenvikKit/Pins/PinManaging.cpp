// SPDX-License-Identifier: MIT
// PinManaging.cpp: the pin facts the controller shows.
#include "TenvikKit/Pins/PinManaging.h"

#include <algorithm>

namespace tenvik {

namespace {

bool isLive(const PinState& pin) { return pin.kind == PinState::Kind::starting || pin.windowID.has_value(); }

std::string ownText(const PinState& pin) {
    switch (pin.kind) {
        case PinState::Kind::active:
        case PinState::Kind::failed:
            return pin.text;
        case PinState::Kind::idle:
            return "None";
        case PinState::Kind::starting:
            return pin.text.empty() ? "Starting pin..." : pin.text;
    }
    return "None";
}

}  // namespace

std::string PinManaging::pinnedWindowDescription() const {
    const std::vector<PinState> all = pins();
    std::vector<PinState> live;
    std::copy_if(all.begin(), all.end(), std::back_inserter(live), isLive);
    if (live.empty()) return all.empty() ? "None" : ownText(all.back());
    if (live.size() == 1) return ownText(live.front());
    return std::to_string(live.size()) + " windows";
}

bool PinManaging::hasActivePin() const {
    const auto all = pins();
    return std::any_of(all.begin(), all.end(), [](const PinState& p) { return p.kind == PinState::Kind::active; });
}

bool PinManaging::hasLivePin() const {
    const auto all = pins();
    return std::any_of(all.begin(), all.end(), isLive);
}

bool PinManaging::lastPinFailed() const {
    const auto all = pins();
    return !all.empty() && all.back().kind == PinState::Kind::failed;
}

std::vector<std::uint32_t> PinManaging::pinnedWindowIDs() const {
    std::vector<std::uint32_t> ids;
    for (const PinState& pin : pins())
        if (pin.windowID) ids.push_back(*pin.windowID);
    return ids;
}

}  // namespace tenvik
