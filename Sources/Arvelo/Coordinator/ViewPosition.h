// SPDX-License-Identifier: MIT
// ViewPosition.h: one display's step in the camera navigation history: the window keys the
// view framed, its preferred window and its camera. Not stored in any file.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>

#include "ArveloCore/Geometry.h"

namespace arvelo {

struct ViewPosition {
    std::optional<std::set<std::string>> keys;
    std::optional<std::string> preferred;
    std::optional<Rect> camera;

    friend bool operator==(const ViewPosition&, const ViewPosition&) = default;
};

// One navigation step: display id to the view it showed.
using NavigationStep = std::map<std::string, ViewPosition>;

}  // namespace arvelo
