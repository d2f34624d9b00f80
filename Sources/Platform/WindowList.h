// WindowList.h: the window server's list of windows (number, owner, layer, bounds, name),
// front to back, as the scan and the drag controller read it, and the news that a window was
// shown or destroyed. The list is safe from any thread.
#pragma once

#include "ArveloCore/Geometry.h"
#include "Platform/Signal.h"

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
    // A number that stays the same while nothing a scan of the windows reads has changed: the
    // list and its order, and every window's and application's facts. Absent when the backend
    // cannot tell (then every scan reads). Any thread.
    virtual std::optional<std::uint64_t> changeStamp() { return std::nullopt; }

    // Main thread: a window was just shown (opened, or mapped again), for readers that look at
    // once instead of at their next scan. Sent after the change, possibly for windows of this
    // program too; a backend that cannot tell never sends it.
    Signal<> windowDidAppear;
    // Main thread: the window with this number was destroyed. Its number may soon name another
    // window (X servers hand out the ids of closed windows again), so what was known of it goes
    // now. Sent for every destroyed window, possibly for numbers no reader knows; a backend that
    // cannot tell never sends it.
    Signal<std::uint32_t> windowDidClose;
};

}  // namespace platform
