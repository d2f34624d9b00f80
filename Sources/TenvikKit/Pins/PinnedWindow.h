// SPDX-License-Identifier: MIT
// PinnedWindow.h: the facts of the window a pin shows, one window as either window list sees it
// when the two are matched, and the error of an application with no window to capture.
#pragma once

#include "ArveloCore/Geometry.h"

#include <cstdint>
#include <string>

namespace tenvik {

// The window a pin shows, as the window list reports it. `bounds` are in the top-left-origin
// space of window frames.
struct PinnedWindow {
    std::uint32_t windowID = 0;
    std::int32_t ownerPID = 0;
    std::string ownerName;
    std::string title;
    arvelo::Rect bounds;
    bool isOnScreen = false;
};

// One window as the capturable list or the window list sees it. `isActive` is only ever true
// for an entry of the capturable list.
struct WindowMatchCandidate {
    std::uint32_t windowID = 0;
    std::int32_t ownerPID = 0;
    std::string title;
    arvelo::Rect bounds;
    bool isActive = false;
};

// No window of the application can be captured.
enum class PreviewError { windowUnavailable };

}  // namespace tenvik
