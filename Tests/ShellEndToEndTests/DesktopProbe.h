// DesktopProbe.h: what the X server says about the desktop, read the way a user would see it:
// the managed client windows with their class and title, and their outer frames (client
// geometry in root coordinates grown by the window manager's frame extents).
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
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

struct Client {
    xcb_window_t window = 0;
    std::string className;
    std::string title;
    Frame frame;
    bool hidden = false;  // minimised (_NET_WM_STATE_HIDDEN)
};

class DesktopProbe {
public:
    DesktopProbe();
    ~DesktopProbe();
    DesktopProbe(const DesktopProbe&) = delete;
    DesktopProbe& operator=(const DesktopProbe&) = delete;

    bool connected() const { return connection_ != nullptr; }
    // The window manager's managed clients, in _NET_CLIENT_LIST order.
    std::vector<Client> clients();
    // Frames of the clients whose class is one of `classes`, by window.
    std::map<xcb_window_t, Frame> framesOf(const std::vector<std::string>& classes);
    Frame screen() const;

private:
    xcb_atom_t atom(const char* name);
    std::optional<std::vector<std::uint32_t>> cardinals(xcb_window_t window, xcb_atom_t property, xcb_atom_t type);
    std::string text(xcb_window_t window, xcb_atom_t property, xcb_atom_t type);

    xcb_connection_t* connection_ = nullptr;
    xcb_screen_t* screen_ = nullptr;
    std::map<std::string, xcb_atom_t> atoms_;
};

}  // namespace e2e
