// SPDX-License-Identifier: MIT
// XProbe.cpp: reads the client list, classes, titles, states and frames from the X server.
#include "XProbe.h"

#include "Wait.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace e2e {

namespace {

constexpr double kPollSeconds = 0.05;  // waitUntil's default poll

template <class T>
using Owned = std::unique_ptr<T, decltype(&std::free)>;

template <class T>
Owned<T> own(T* reply) {
    return Owned<T>(reply, &std::free);
}

}  // namespace

bool Frame::intersects(const Frame& other) const {
    return x < other.x + other.width && other.x < x + width && y < other.y + other.height && other.y < y + height;
}

bool Frame::near(const Frame& other, int tolerance) const {
    return std::abs(x - other.x) <= tolerance && std::abs(y - other.y) <= tolerance &&
           std::abs(x + width - other.x - other.width) <= tolerance &&
           std::abs(y + height - other.y - other.height) <= tolerance;
}

std::string Frame::text() const {
    return "{{" + std::to_string(x) + ", " + std::to_string(y) + "}, {" + std::to_string(width) + ", " +
           std::to_string(height) + "}}";
}

bool anyOverlap(const std::vector<Frame>& frames) {
    for (std::size_t i = 0; i < frames.size(); ++i)
        for (std::size_t j = i + 1; j < frames.size(); ++j)
            if (frames[i].intersects(frames[j])) return true;
    return false;
}

bool anyOverlap(const Frames& frames) {
    std::vector<Frame> list;
    for (const auto& [window, frame] : frames) list.push_back(frame);
    return anyOverlap(list);
}

XProbe::XProbe() {
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return;
    }
    connection_ = connection;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber; ++i) xcb_screen_next(&it);
    screen_ = it.data;
}

XProbe::~XProbe() {
    if (connection_) xcb_disconnect(connection_);
}

xcb_window_t XProbe::activeWindow() {
    const auto active = cardinals(screen_->root, atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
    return active && !active->empty() ? active->front() : 0;
}

xcb_window_t XProbe::windowManagerCheck() {
    const auto check = cardinals(screen_->root, atom("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW);
    if (!check || check->empty()) return 0;
    // A manager that is gone leaves the root's property naming a window that no longer exists.
    const auto self = cardinals(check->front(), atom("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW);
    return self && !self->empty() && self->front() == check->front() ? check->front() : 0;
}

bool XProbe::pointerFree() {
    auto* reply = xcb_grab_pointer_reply(connection_,
                                         xcb_grab_pointer(connection_, 0, screen_->root, 0, XCB_GRAB_MODE_ASYNC,
                                                          XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE, XCB_CURRENT_TIME),
                                         nullptr);
    const bool free_ = reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
    std::free(reply);
    xcb_ungrab_pointer(connection_, XCB_CURRENT_TIME);
    xcb_flush(connection_);
    return free_;
}

Frame XProbe::screen() const { return {0, 0, screen_->width_in_pixels, screen_->height_in_pixels}; }

xcb_atom_t XProbe::atom(const char* name) {
    auto found = atoms_.find(name);
    if (found != atoms_.end()) return found->second;
    auto reply = own(xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::string(name).size()), name),
        nullptr));
    const xcb_atom_t value = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    atoms_[name] = value;
    return value;
}

std::optional<std::vector<std::uint32_t>> XProbe::cardinals(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) {
    auto reply = own(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, property, type, 0, 4096), nullptr));
    if (!reply || reply->format != 32 || reply->type == XCB_ATOM_NONE) return std::nullopt;
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return std::vector<std::uint32_t>(values, values + xcb_get_property_value_length(reply.get()) / 4);
}

std::string XProbe::text(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) {
    auto reply = own(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, property, type, 0, 4096), nullptr));
    if (!reply || reply->format != 8) return {};
    return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                       static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

std::vector<Client> XProbe::clients() {
    std::vector<Client> result;
    if (!connection_) return result;
    const auto list = cardinals(screen_->root, atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
    if (!list) return result;
    for (xcb_window_t window : *list) {
        Client client;
        client.window = window;
        const std::string wmClass = text(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
        const auto split = wmClass.find('\0');
        if (split != std::string::npos)
            client.className = wmClass.substr(split + 1, wmClass.find('\0', split + 1) - split - 1);
        client.title = text(window, atom("_NET_WM_NAME"), atom("UTF8_STRING"));
        if (client.title.empty()) client.title = text(window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
        if (const auto states = cardinals(window, atom("_NET_WM_STATE"), XCB_ATOM_ATOM)) {
            for (std::uint32_t state : *states) {
                client.hidden |= state == atom("_NET_WM_STATE_HIDDEN");
                client.maximizedAxes += state == atom("_NET_WM_STATE_MAXIMIZED_VERT");
                client.maximizedAxes += state == atom("_NET_WM_STATE_MAXIMIZED_HORZ");
            }
        }

        auto geometry = own(xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr));
        auto origin = own(xcb_translate_coordinates_reply(
            connection_, xcb_translate_coordinates(connection_, window, screen_->root, 0, 0), nullptr));
        if (!geometry || !origin) continue;  // gone meanwhile
        client.frame = {origin->dst_x, origin->dst_y, geometry->width, geometry->height};
        if (const auto extents = cardinals(window, atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL);
            extents && extents->size() == 4) {
            const int left = static_cast<int>((*extents)[0]), right = static_cast<int>((*extents)[1]);
            const int top = static_cast<int>((*extents)[2]), bottom = static_cast<int>((*extents)[3]);
            client.frame = {client.frame.x - left, client.frame.y - top, client.frame.width + left + right,
                            client.frame.height + top + bottom};
        }
        // A client-side-decorated window's invisible shadow is no part of what the user sees.
        if (const auto shadow = cardinals(window, atom("_GTK_FRAME_EXTENTS"), XCB_ATOM_CARDINAL);
            shadow && shadow->size() == 4) {
            const int left = static_cast<int>((*shadow)[0]), right = static_cast<int>((*shadow)[1]);
            const int top = static_cast<int>((*shadow)[2]), bottom = static_cast<int>((*shadow)[3]);
            client.frame = {client.frame.x + left, client.frame.y + top, client.frame.width - left - right,
                            client.frame.height - top - bottom};
        }
        result.push_back(std::move(client));
    }
    return result;
}

Frame XProbe::workArea() {
    Frame room = screen();
    if (!connection_) return room;
    if (const auto area = cardinals(screen_->root, atom("_NET_WORKAREA"), XCB_ATOM_CARDINAL); area && area->size() >= 4)
        room = {static_cast<int>((*area)[0]), static_cast<int>((*area)[1]), static_cast<int>((*area)[2]),
                static_cast<int>((*area)[3])};
    const Frame whole = screen();
    int left = room.x, top = room.y, right = room.x + room.width, bottom = room.y + room.height;
    const auto list = cardinals(screen_->root, atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
    for (xcb_window_t window : list.value_or(std::vector<std::uint32_t>{})) {
        auto strut = cardinals(window, atom("_NET_WM_STRUT_PARTIAL"), XCB_ATOM_CARDINAL);
        if (!strut || strut->size() < 4) strut = cardinals(window, atom("_NET_WM_STRUT"), XCB_ATOM_CARDINAL);
        if (!strut || strut->size() < 4) continue;
        left = std::max(left, whole.x + static_cast<int>((*strut)[0]));
        right = std::min(right, whole.x + whole.width - static_cast<int>((*strut)[1]));
        top = std::max(top, whole.y + static_cast<int>((*strut)[2]));
        bottom = std::min(bottom, whole.y + whole.height - static_cast<int>((*strut)[3]));
    }
    if (right <= left || bottom <= top) return room;
    return {left, top, right - left, bottom - top};
}

Frames XProbe::framesOf(const std::vector<std::string>& classes) {
    Frames frames;
    for (const Client& client : clients()) {
        for (const std::string& name : classes) {
            if (client.className == name) frames[client.window] = client.frame;
        }
    }
    return frames;
}

Frames XProbe::settledFrames(const std::vector<std::string>& classes, const std::function<bool(const Frames&)>& done,
                             double seconds, double stillSeconds) {
    const int stillPolls = static_cast<int>(stillSeconds / kPollSeconds);
    Frames last;
    int still = 0;
    waitUntil(seconds, [&] {
        const Frames now = framesOf(classes);
        still = (now == last && done(now)) ? still + 1 : 0;
        last = now;
        return still >= stillPolls;
    });
    return last;
}

}  // namespace e2e
