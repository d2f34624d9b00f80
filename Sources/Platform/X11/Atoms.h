// SPDX-License-Identifier: MIT
// Atoms: the X atoms the backend needs beyond those of the EWMH connection (which xcb-ewmh
// interns), interned once when the connection opens and read-only afterwards.
#pragma once

#include <xcb/xcb.h>

namespace platform::x11 {

struct Atoms {
    xcb_atom_t WM_CHANGE_STATE = XCB_ATOM_NONE;
    xcb_atom_t WM_CLIENT_LEADER = XCB_ATOM_NONE;
    xcb_atom_t _GTK_APPLICATION_ID = XCB_ATOM_NONE;
    xcb_atom_t _KDE_NET_WM_DESKTOP_FILE = XCB_ATOM_NONE;
    xcb_atom_t _GTK_FRAME_EXTENTS = XCB_ATOM_NONE;
};

// The names, in the order of the members above.
inline constexpr const char* kAtomNames[] = {
    "WM_CHANGE_STATE", "WM_CLIENT_LEADER", "_GTK_APPLICATION_ID", "_KDE_NET_WM_DESKTOP_FILE", "_GTK_FRAME_EXTENTS",
};

inline xcb_atom_t* atomSlots(Atoms& atoms) {
    static_assert(sizeof(Atoms) == sizeof(kAtomNames) / sizeof(kAtomNames[0]) * sizeof(xcb_atom_t));
    return &atoms.WM_CHANGE_STATE;
}

}  // namespace platform::x11
