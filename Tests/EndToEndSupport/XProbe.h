// SPDX-License-Identifier: MIT
// XProbe.h: what the X server says about the desktop, read the way a user would see it: the
// managed client windows with their class and title, and their visible frames (client geometry
// in root coordinates grown by the window manager's frame extents, less a client-side-decorated
// window's shadow).
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

struct Frame {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Frame&, const Frame&) = default;

    bool intersects(const Frame& other) const;
    // Every edge within `tolerance` pixels of the other's.
    bool near(const Frame& other, int tolerance) const;
    std::string text() const;
};

// Client windows' frames, by window.
using Frames = std::map<xcb_window_t, Frame>;

// Whether any two of the frames overlap.
bool anyOverlap(const std::vector<Frame>& frames);
bool anyOverlap(const Frames& frames);

struct Client {
    xcb_window_t window = 0;
    std::string className;
    std::string title;
    Frame frame;
    bool hidden = false;    // minimised (_NET_WM_STATE_HIDDEN)
    int maximizedAxes = 0;  // _NET_WM_STATE_MAXIMIZED_VERT and _HORZ
};

class XProbe {
public:
    XProbe();
    ~XProbe();
    XProbe(const XProbe&) = delete;
    XProbe& operator=(const XProbe&) = delete;

    bool connected() const { return connection_ != nullptr; }
    // The window manager's managed clients, in _NET_CLIENT_LIST order.
    std::vector<Client> clients();
    // Frames of the clients whose class is one of `classes`, by window.
    Frames framesOf(const std::vector<std::string>& classes);
    // Their frames once `done` holds of them and they have held still for `stillSeconds`, or
    // the last ones read when that does not happen within `seconds`.
    Frames settledFrames(const std::vector<std::string>& classes, const std::function<bool(const Frames&)>& done,
                         double seconds, double stillSeconds = 0.5);
    Frame screen() const;
    // The room arranged windows may take: the window manager's work area (_NET_WORKAREA of the
    // first desktop; the screen without one) less the struts clients reserve along its edges
    // (a manager may shape its work area around a narrow strut in its own way).
    Frame workArea();
    // The window manager's active window (_NET_ACTIVE_WINDOW); 0 when none.
    xcb_window_t activeWindow();
    // The running window manager's check window (_NET_SUPPORTING_WM_CHECK, confirmed on the
    // window itself); 0 when no manager runs. A new manager has a new one.
    xcb_window_t windowManagerCheck();
    // No client holds the pointer grabbed: a grab of our own is taken (and let go at once).
    bool pointerFree();

private:
    xcb_atom_t atom(const char* name);
    std::optional<std::vector<std::uint32_t>> cardinals(xcb_window_t window, xcb_atom_t property, xcb_atom_t type);
    std::string text(xcb_window_t window, xcb_atom_t property, xcb_atom_t type);

    xcb_connection_t* connection_ = nullptr;
    xcb_screen_t* screen_ = nullptr;
    std::map<std::string, xcb_atom_t> atoms_;
};

}  // namespace e2e
