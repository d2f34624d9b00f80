// SPDX-License-Identifier: MIT
// TouchpadTraits.h: what a touchpad can tell of the fingers on it: how many contacts it tracks
// (its slots) and the most fingers its finger-count keys (BTN_TOOL_FINGER ... QUINTTAP) report,
// and the rule that makes it a gesture device: three fingers told one way or the other.
#pragma once

#include <string>

namespace mtbridge {

struct TouchpadTraits {
    std::string name;
    std::string path;
    int slots = 0;           // contacts it tracks at once
    int keyFingers = 0;      // the most fingers one of its finger-count keys reports; 0 without any
    bool tripleTap = false;  // it has BTN_TOOL_TRIPLETAP

    // Three fingers can be told: from three slots, or from BTN_TOOL_TRIPLETAP.
    bool tellsThreeFingers() const { return slots >= 3 || tripleTap; }
};

}  // namespace mtbridge
