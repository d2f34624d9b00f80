// SPDX-License-Identifier: MIT
// WindowRoles: the rules that map window types, transient-for, states and size hints onto the
// Accessibility roles and settable attributes the rest of the program expects.
#include "Platform/X11/WindowRoles.h"

#include <algorithm>

namespace platform::x11 {

namespace {
bool contains(const std::vector<xcb_atom_t>& list, xcb_atom_t atom) {
    return std::find(list.begin(), list.end(), atom) != list.end();
}

bool allows(const WindowFacts& facts, xcb_atom_t action) {
    return !facts.allowedActions || contains(*facts.allowedActions, action);
}

// The first window type of the list that this backend knows; NORMAL when it knows none.
xcb_atom_t windowType(const WindowFacts& facts, const xcb_ewmh_connection_t& e) {
    const xcb_atom_t known[] = {
        e._NET_WM_WINDOW_TYPE_NORMAL,  e._NET_WM_WINDOW_TYPE_DIALOG,  e._NET_WM_WINDOW_TYPE_UTILITY,
        e._NET_WM_WINDOW_TYPE_TOOLBAR, e._NET_WM_WINDOW_TYPE_MENU,    e._NET_WM_WINDOW_TYPE_SPLASH,
        e._NET_WM_WINDOW_TYPE_DOCK,    e._NET_WM_WINDOW_TYPE_DESKTOP, e._NET_WM_WINDOW_TYPE_NOTIFICATION};
    for (xcb_atom_t type : facts.types)
        if (std::find(std::begin(known), std::end(known), type) != std::end(known)) return type;
    return e._NET_WM_WINDOW_TYPE_NORMAL;
}
}  // namespace

xcb_window_t parentOf(const WindowFacts& facts, xcb_window_t root) {
    const xcb_window_t parent = facts.transientFor;
    if (parent == XCB_WINDOW_NONE || parent == root || parent == facts.window) return XCB_WINDOW_NONE;
    return parent;
}

bool isSheet(const WindowFacts& facts, const xcb_ewmh_connection_t& ewmh, xcb_window_t root) {
    return parentOf(facts, root) != XCB_WINDOW_NONE && facts.hasState(ewmh._NET_WM_STATE_MODAL);
}

std::string roleOf(const WindowFacts& facts, const xcb_ewmh_connection_t& ewmh, xcb_window_t root) {
    return isSheet(facts, ewmh, root) ? "AXSheet" : "AXWindow";
}

std::optional<std::string> subroleOf(const WindowFacts& facts, const xcb_ewmh_connection_t& ewmh, xcb_window_t root) {
    if (isSheet(facts, ewmh, root)) return std::nullopt;
    const xcb_atom_t type = windowType(facts, ewmh);
    if (type == ewmh._NET_WM_WINDOW_TYPE_DIALOG || parentOf(facts, root) != XCB_WINDOW_NONE) return "AXDialog";
    if (type == ewmh._NET_WM_WINDOW_TYPE_NORMAL) return "AXStandardWindow";
    if (type == ewmh._NET_WM_WINDOW_TYPE_UTILITY || type == ewmh._NET_WM_WINDOW_TYPE_TOOLBAR ||
        type == ewmh._NET_WM_WINDOW_TYPE_MENU)
        return "AXFloatingWindow";
    return "AXUnknown";
}

bool positionSettable(const WindowFacts& facts, const xcb_ewmh_connection_t& ewmh) {
    return allows(facts, ewmh._NET_WM_ACTION_MOVE);
}

bool sizeSettable(const WindowFacts& facts, const xcb_ewmh_connection_t& ewmh) {
    if (facts.normalHints) {
        const xcb_size_hints_t& h = *facts.normalHints;
        const bool hasMin = h.flags & XCB_ICCCM_SIZE_HINT_P_MIN_SIZE;
        const bool hasMax = h.flags & XCB_ICCCM_SIZE_HINT_P_MAX_SIZE;
        if (hasMin && hasMax && h.min_width == h.max_width && h.min_height == h.max_height) return false;
    }
    return allows(facts, ewmh._NET_WM_ACTION_RESIZE);
}

bool hasCloseButton(const WindowFacts& facts, const xcb_ewmh_connection_t& ewmh) {
    return allows(facts, ewmh._NET_WM_ACTION_CLOSE);
}

bool countsAsRegular(const WindowFacts& facts, const xcb_ewmh_connection_t& ewmh, xcb_window_t root) {
    return windowType(facts, ewmh) == ewmh._NET_WM_WINDOW_TYPE_NORMAL && parentOf(facts, root) == XCB_WINDOW_NONE &&
           !facts.hasState(ewmh._NET_WM_STATE_SKIP_TASKBAR);
}

}  // namespace platform::x11
