// SPDX-License-Identifier: MIT
// WindowFacts: what the X server and the window manager say about a client window, and about
// the desktop (client lists, active window, desktops), grouped as they are read.
#pragma once

#include "ArveloCore/Geometry.h"

#include <xcb/xcb.h>
#include <xcb/xcb_icccm.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform::x11 {

// Groups of facts about a window; a batch asks only for the groups it needs.
namespace fact {
inline constexpr unsigned kOwner = 1u << 0;       // _NET_WM_PID, WM_CLIENT_LEADER
inline constexpr unsigned kTitle = 1u << 1;       // _NET_WM_NAME, WM_NAME
inline constexpr unsigned kKind = 1u << 2;        // _NET_WM_WINDOW_TYPE, WM_TRANSIENT_FOR
inline constexpr unsigned kState = 1u << 3;       // _NET_WM_STATE
inline constexpr unsigned kGeometry = 1u << 4;    // geometry in root coordinates (with kExtents: the frame)
inline constexpr unsigned kHints = 1u << 5;       // WM_NORMAL_HINTS, _NET_WM_ALLOWED_ACTIONS
inline constexpr unsigned kDesktop = 1u << 6;     // _NET_WM_DESKTOP
inline constexpr unsigned kClass = 1u << 7;       // WM_CLASS, _GTK_APPLICATION_ID, _KDE_NET_WM_DESKTOP_FILE
inline constexpr unsigned kAttributes = 1u << 8;  // map state, override-redirect
inline constexpr unsigned kStrut = 1u << 9;       // _NET_WM_STRUT_PARTIAL, _NET_WM_STRUT
inline constexpr unsigned kExtents = 1u << 10;    // _NET_FRAME_EXTENTS, _GTK_FRAME_EXTENTS; read with kGeometry
}  // namespace fact

// Groups of facts about the desktop (root window properties).
namespace rootfact {
inline constexpr unsigned kClients = 1u << 0;        // _NET_CLIENT_LIST
inline constexpr unsigned kStacking = 1u << 1;       // _NET_CLIENT_LIST_STACKING
inline constexpr unsigned kActive = 1u << 2;         // _NET_ACTIVE_WINDOW
inline constexpr unsigned kDesktops = 1u << 3;       // _NET_CURRENT_DESKTOP, _NET_NUMBER_OF_DESKTOPS
inline constexpr unsigned kWindowManager = 1u << 4;  // _NET_SUPPORTING_WM_CHECK, confirmed on its window
}  // namespace rootfact

// Widths on each side of a client: the decorations the window manager adds around it
// (_NET_FRAME_EXTENTS), or the invisible shadow a client-side-decorated window draws inside
// its own area (_GTK_FRAME_EXTENTS).
// No window manager decorates a side, and no toolkit draws a shadow, wider than this (pixels).
inline constexpr std::uint32_t kMaxFrameExtent = 256;

struct FrameExtents {
    std::uint32_t left = 0, right = 0, top = 0, bottom = 0;
    friend bool operator==(const FrameExtents&, const FrameExtents&) = default;

    // The property's four values (left, right, top, bottom; none with fewer). Any client may
    // set either property on its own window: a side wider than a decoration or a shadow can be
    // is a lie, and is taken only kMaxFrameExtent wide.
    static FrameExtents fromProperty(const std::vector<std::uint32_t>& values);
};

struct WindowFacts {
    xcb_window_t window = XCB_WINDOW_NONE;
    // False when the window no longer exists (the server answered BadWindow).
    bool exists = true;
    // False when a reply did not come before the deadline (or the connection broke).
    bool answered = true;

    // kOwner
    std::optional<std::uint32_t> netPid;
    xcb_window_t leader = XCB_WINDOW_NONE;
    // kTitle
    std::string title;
    // kKind
    std::vector<xcb_atom_t> types;
    xcb_window_t transientFor = XCB_WINDOW_NONE;
    // kState
    std::vector<xcb_atom_t> states;
    // kGeometry: the client area in root coordinates (inside its border) and its border width;
    // kExtents: the decorations around it and the shadow inside it.
    std::optional<arvelo::Rect> client;
    std::uint16_t borderWidth = 0;
    FrameExtents extents;
    FrameExtents shadow;
    // kHints
    std::optional<xcb_size_hints_t> normalHints;
    std::optional<std::vector<xcb_atom_t>> allowedActions;  // absent: the property is not set
    // kDesktop: the desktop index, 0xFFFFFFFF for every desktop
    std::optional<std::uint32_t> desktop;
    // kClass
    std::string instance;
    std::string className;
    std::string gtkApplicationId;
    std::string kdeDesktopFile;
    // kAttributes
    std::uint8_t mapState = XCB_MAP_STATE_UNMAPPED;
    bool overrideRedirect = false;
    // kStrut: left, right, top, bottom, then the start and end of each (as in the partial strut).
    std::vector<std::uint32_t> strut;

    bool hasState(xcb_atom_t state) const;
    bool hasType(xcb_atom_t type) const;
    // The visible frame: the client area grown by the frame extents and shrunk by the shadow;
    // absent when unread.
    std::optional<arvelo::Rect> frame() const;
};

struct RootFacts {
    bool answered = true;
    std::vector<xcb_window_t> clients;
    std::vector<xcb_window_t> stacking;  // bottom to top, as the window manager lists it
    xcb_window_t active = XCB_WINDOW_NONE;
    std::optional<std::uint32_t> currentDesktop;
    std::uint32_t numberOfDesktops = 0;
    bool windowManager = false;
    xcb_window_t checkWindow = XCB_WINDOW_NONE;  // the window manager's check window, when read

    bool isClient(xcb_window_t window) const;
};

}  // namespace platform::x11
