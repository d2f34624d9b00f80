// SPDX-License-Identifier: MIT
// TopLevel: climbing the window tree one QueryTree at a time.
#include "Platform/X11/TopLevel.h"

namespace platform::x11 {

std::optional<xcb_window_t> topLevelOf(Connection& connection, xcb_window_t window, Deadline deadline) {
    xcb_window_t at = window;
    for (int depth = 0; depth <= kMaxFrameDepth; ++depth) {
        auto tree = connection.await<xcb_query_tree_reply_t>(xcb_query_tree(connection.xcb(), at), deadline);
        if (!tree) return std::nullopt;
        if (tree->parent == connection.root() || tree->parent == XCB_WINDOW_NONE) return at;
        at = tree->parent;
    }
    return std::nullopt;
}

}  // namespace platform::x11
