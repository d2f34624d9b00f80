// X11WindowList: the window server's list on X11: every top-level window front to back, as
// the X server stacks them, each managed client named by its client window (not the window
// manager's frame) with its outer frame as bounds; unmanaged (override-redirect) windows such
// as menus are listed as themselves. Layer 0 for ordinary windows.
#pragma once

#include "Platform/WindowList.h"
#include "Platform/X11/Connection.h"
#include "Platform/X11/EventHub.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace platform::x11 {

// Layers of windows that are not ordinary, as the desktop platform numbers them.
inline constexpr std::int32_t kDockLayer = 20;
inline constexpr std::int32_t kPopUpLayer = 101;
inline constexpr std::int32_t kDesktopLayer = -2147483623;

class X11WindowList final : public WindowList {
public:
    // `events`: windowDidAppear is told when the window manager maps a frame or its client
    // list changes; windowDidClose at every DestroyNotify.
    X11WindowList(std::shared_ptr<Connection> connection, std::shared_ptr<EventHub> events);
    std::vector<WindowInfo> windows(const WindowListOptions& options) override;
    // The same list; absent when the X server did not answer.
    std::optional<std::vector<WindowInfo>> read(const WindowListOptions& options);
    // The fact cache's generation and its count of restacks together: both only grow, so their
    // sum stands exactly while neither moved.
    std::optional<std::uint64_t> changeStamp() override;

private:
    // For each client, its ancestor that is a child of the root (its window manager frame).
    std::map<xcb_window_t, xcb_window_t> framesOf(const std::vector<xcb_window_t>& clients,
                                                  const std::vector<xcb_window_t>& rootChildren, Deadline deadline);

    std::shared_ptr<Connection> connection_;
    Subscription subscription_;
    // Frames found before: still right while the frame is a child of the root.
    std::mutex framesMutex_;
    std::map<xcb_window_t, xcb_window_t> frames_;
};

}  // namespace platform::x11
