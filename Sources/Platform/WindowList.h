// WindowList.h: the window server's list of windows (number, owner, layer, bounds, name),
// front to back, as the scan and the drag controller read it. Safe from any thread.
#pragma once

#include "ArveloCore/Geometry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct WindowInfo {
    std::uint32_t number = 0;
    std::int32_t ownerPid = 0;
    std::string ownerName;
    std::int32_t layer = 0;              // 0 for ordinary windows
    std::optional<arvelo::Rect> bounds;  // top-left-origin screen space; absent when unknown
    std::string name;                    // the window's title, "" when unknown
    bool onScreen = true;

    friend bool operator==(const WindowInfo&, const WindowInfo&) = default;
};

struct WindowListOptions {
    bool onScreenOnly = true;            // only windows that are on screen now
    bool excludeDesktopElements = true;  // leave out the desktop and its icons
};

class WindowList {
public:
    virtual ~WindowList() = default;
    // The windows, front to back.
    virtual std::vector<WindowInfo> windows(const WindowListOptions& options) = 0;
};

}  // namespace platform
