// SPDX-License-Identifier: MIT
// FakeAtoms: an EWMH atom table with distinct made-up atom numbers, for rules tested without
// an X server.
#pragma once

#include "Platform/X11/Atoms.h"

#include <xcb/xcb_ewmh.h>

#include <initializer_list>

namespace x11test {

inline xcb_ewmh_connection_t fakeEwmh() {
    xcb_ewmh_connection_t e{};
    xcb_atom_t next = 1000;
    for (xcb_atom_t* atom : {&e._NET_WM_WINDOW_TYPE_NORMAL,
                             &e._NET_WM_WINDOW_TYPE_DIALOG,
                             &e._NET_WM_WINDOW_TYPE_UTILITY,
                             &e._NET_WM_WINDOW_TYPE_TOOLBAR,
                             &e._NET_WM_WINDOW_TYPE_MENU,
                             &e._NET_WM_WINDOW_TYPE_SPLASH,
                             &e._NET_WM_WINDOW_TYPE_DOCK,
                             &e._NET_WM_WINDOW_TYPE_DESKTOP,
                             &e._NET_WM_WINDOW_TYPE_NOTIFICATION,
                             &e._NET_WM_STATE_MODAL,
                             &e._NET_WM_STATE_SKIP_TASKBAR,
                             &e._NET_WM_STATE_HIDDEN,
                             &e._NET_WM_ACTION_MOVE,
                             &e._NET_WM_ACTION_RESIZE,
                             &e._NET_WM_ACTION_CLOSE,
                             &e._NET_WM_PID,
                             &e._NET_WM_WINDOW_TYPE,
                             &e._NET_WM_ALLOWED_ACTIONS,
                             &e._NET_FRAME_EXTENTS,
                             &e._NET_WM_NAME,
                             &e._NET_WM_STATE,
                             &e._NET_CLIENT_LIST,
                             &e._NET_ACTIVE_WINDOW,
                             &e._NET_CLIENT_LIST_STACKING,
                             &e._NET_CURRENT_DESKTOP,
                             &e._NET_NUMBER_OF_DESKTOPS,
                             &e._NET_WM_DESKTOP,
                             &e._NET_WM_ICON,
                             &e._NET_WM_STRUT_PARTIAL,
                             &e._NET_WM_STRUT,
                             &e._NET_SUPPORTING_WM_CHECK,
                             &e._NET_WORKAREA,
                             &e.UTF8_STRING})
        *atom = next++;
    return e;
}

inline platform::x11::Atoms fakeAtoms() {
    platform::x11::Atoms atoms;
    atoms.WM_CHANGE_STATE = 2001;
    atoms.WM_CLIENT_LEADER = 2002;
    atoms._GTK_APPLICATION_ID = 2003;
    atoms._KDE_NET_WM_DESKTOP_FILE = 2004;
    return atoms;
}

}  // namespace x11test
