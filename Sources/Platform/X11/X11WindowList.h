// SPDX-License-Identifier: MIT
// X11WindowList: the window server's list on X11: every top-level window front to back, as
// the X server stacks them, each managed client named by its client window (not the window
// manager's frame) with its outer frame as bounds; unmanaged (override-redirect) windows such
// as menus are listed as themselves. Layer 0 for ordinary windows. Also one client's facts on
// their own (from the fact cache while no event changed them), and the news of one client
// followed through the events of the client and of its frame.
#pragma once

#include "Platform/WindowList.h"
#include "Platform/X11/Connection.h"
#include "Platform/X11/EventHub.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

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
    // Complete when every reply came in time (the clients, their frames and the unmanaged
    // top-level windows).
    WindowListRead readWindows(const WindowListOptions& options) override;
    // The same list; absent when the X server did not answer for the clients.
    std::optional<std::vector<WindowInfo>> read(const WindowListOptions& options);
    // Listed when the window manager manages the window; unlisted when it exists but is no
    // client (withdrawn, or no manager runs); destroyed on BadWindow or once its DestroyNotify
    // has been read.
    WindowLookup lookUp(std::uint32_t number) override;
    // Follows the client's property and structure changes and those of its frame.
    std::optional<Subscription> watch(std::uint32_t number, std::function<void()> onChange) override;
    // The fact cache's generation and its count of restacks together: both only grow, so their
    // sum stands exactly while neither moved.
    std::optional<std::uint64_t> changeStamp() override;

private:
    struct Listing {
        std::optional<std::vector<WindowInfo>> windows;  // absent: the clients did not answer
        bool complete = false;
    };
    Listing list(const WindowListOptions& options);
    struct Watch {
        xcb_window_t client = XCB_WINDOW_NONE;
        xcb_window_t frame = XCB_WINDOW_NONE;
        std::function<void()> onChange;
    };
    // Main thread: tells every watch an event of the batch concerns.
    void tellWatches(const std::vector<EventRecord>& batch);

    // For each client, its ancestor that is a child of the root (its window manager frame).
    std::map<xcb_window_t, xcb_window_t> framesOf(const std::vector<xcb_window_t>& clients,
                                                  const std::vector<xcb_window_t>& rootChildren, Deadline deadline,
                                                  bool& answered);

    std::shared_ptr<Connection> connection_;
    Subscription subscription_;
    // Frames found before: still right while the frame is a child of the root.
    std::mutex framesMutex_;
    std::map<xcb_window_t, xcb_window_t> frames_;
    // Main thread.
    std::vector<std::weak_ptr<Watch>> watches_;
};

}  // namespace platform::x11
