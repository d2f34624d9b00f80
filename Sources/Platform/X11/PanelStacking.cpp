// SPDX-License-Identifier: MIT
// PanelStacking.cpp: restacking panels over their windows' frames in one pipelined pass.
#include "Platform/X11/PanelStacking.h"

#include <xcb/shape.h>

#include <algorithm>
#include <set>
#include <string>

namespace platform::x11 {

namespace {
constexpr double kReplyTimeout = 0.25;
// Window managers nest a client at most a few windows below its frame.
constexpr int kMaxFrameDepth = 8;

void configureAbove(xcb_connection_t* c, xcb_window_t panel, std::optional<xcb_window_t> sibling) {
    if (sibling) {
        const std::uint32_t values[] = {*sibling, XCB_STACK_MODE_ABOVE};
        xcb_configure_window(c, panel, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
    } else {
        const std::uint32_t values[] = {XCB_STACK_MODE_ABOVE};
        xcb_configure_window(c, panel, XCB_CONFIG_WINDOW_STACK_MODE, values);
    }
}

void configureBelow(xcb_connection_t* c, xcb_window_t panel, xcb_window_t sibling) {
    const std::uint32_t values[] = {sibling, XCB_STACK_MODE_BELOW};
    xcb_configure_window(c, panel, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
}

// Moves `window` in the local copy of the stacking order (bottom to top) directly above `below`
// (or to the top).
void moveInOrder(std::vector<xcb_window_t>& order, xcb_window_t window, std::optional<xcb_window_t> below) {
    std::erase(order, window);
    if (!below) {
        order.push_back(window);
        return;
    }
    auto at = std::find(order.begin(), order.end(), *below);
    order.insert(at == order.end() ? order.end() : at + 1, window);
}
}  // namespace

PanelStacking::PanelStacking(std::shared_ptr<Connection> connection) : connection_(std::move(connection)) {
    xcb_connection_t* c = connection_->xcb();
    const std::string name = "_NET_WM_CM_S" + std::to_string(connection_->screenNumber());
    const auto atomCookie = xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.c_str());
    const auto shapeCookie = xcb_shape_query_version(c);
    const Deadline deadline = Deadline::in(kReplyTimeout);
    if (auto atom = connection_->await<xcb_intern_atom_reply_t>(atomCookie, deadline))
        compositorSelection_ = atom->atom;
    if (auto shape = connection_->await<xcb_shape_query_version_reply_t>(shapeCookie, deadline))
        hasShape_ = shape->major_version > 1 || (shape->major_version == 1 && shape->minor_version >= 1);
}

void PanelStacking::setShown(xcb_window_t panel, PanelLevel level) {
    std::lock_guard lock(mutex_);
    shown_[panel] = level;
}

void PanelStacking::forget(xcb_window_t panel) {
    std::lock_guard lock(mutex_);
    shown_.erase(panel);
}

void PanelStacking::setPopUpWindow(xcb_window_t client, bool shown) {
    std::lock_guard lock(mutex_);
    if (shown)
        popUpWindows_.insert(client);
    else
        popUpWindows_.erase(client);
}

bool PanelStacking::compositing() {
    if (compositorSelection_ == XCB_ATOM_NONE) return false;
    auto owner = connection_->await<xcb_get_selection_owner_reply_t>(
        xcb_get_selection_owner(connection_->xcb(), compositorSelection_), Deadline::in(kReplyTimeout));
    return owner && owner->owner != XCB_WINDOW_NONE;
}

void PanelStacking::setInputEmpty(xcb_window_t panel, bool empty) {
    if (!hasShape_) return;
    xcb_connection_t* c = connection_->xcb();
    if (empty)
        xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED, panel, 0, 0, 0,
                             nullptr);
    else
        xcb_shape_mask(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, panel, 0, 0, XCB_PIXMAP_NONE);
    connection_->flush();
}

std::map<xcb_window_t, xcb_window_t> PanelStacking::framesOf(const std::vector<xcb_window_t>& clients,
                                                             const std::vector<xcb_window_t>& rootChildren,
                                                             Deadline deadline) {
    xcb_connection_t* c = connection_->xcb();
    const std::set<xcb_window_t> tops(rootChildren.begin(), rootChildren.end());
    std::map<xcb_window_t, xcb_window_t> frames;
    std::map<xcb_window_t, xcb_window_t> climbing;  // client -> the ancestor to ask about next
    {
        std::lock_guard lock(mutex_);
        for (xcb_window_t client : clients) {
            if (tops.contains(client)) {
                frames[client] = client;  // not reparented: the client is its own frame
                continue;
            }
            const auto known = frames_.find(client);
            if (known != frames_.end() && tops.contains(known->second))
                frames[client] = known->second;
            else
                climbing[client] = client;
        }
    }
    for (int depth = 0; depth < kMaxFrameDepth && !climbing.empty(); ++depth) {
        std::vector<std::pair<xcb_window_t, xcb_query_tree_cookie_t>> asked;
        for (const auto& [client, at] : climbing) asked.emplace_back(client, xcb_query_tree(c, at));
        std::map<xcb_window_t, xcb_window_t> next;
        for (const auto& [client, cookie] : asked) {
            auto tree = connection_->await<xcb_query_tree_reply_t>(cookie, deadline);
            if (!tree) continue;  // gone, or no answer in time: the panel stays where it is
            if (tree->parent == connection_->root())
                frames[client] = climbing[client];
            else if (tree->parent != XCB_WINDOW_NONE)
                next[client] = tree->parent;
        }
        climbing.swap(next);
    }
    std::lock_guard lock(mutex_);
    for (const auto& [client, frame] : frames) frames_[client] = frame;
    return frames;
}

bool PanelStacking::placeBelow(xcb_window_t panel, xcb_window_t client) {
    const auto frame = frameOf(client, Deadline::in(kReplyTimeout));
    if (!frame) return false;
    const std::uint32_t values[] = {*frame, XCB_STACK_MODE_BELOW};
    xcb_configure_window(connection_->xcb(), panel, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
    connection_->flush();
    return true;
}

std::optional<xcb_window_t> PanelStacking::frameOf(xcb_window_t client, Deadline deadline) {
    auto tree =
        connection_->await<xcb_query_tree_reply_t>(xcb_query_tree(connection_->xcb(), connection_->root()), deadline);
    if (!tree) return std::nullopt;
    const xcb_window_t* first = xcb_query_tree_children(tree.value.get());
    const std::vector<xcb_window_t> children(first, first + xcb_query_tree_children_length(tree.value.get()));
    const auto frames = framesOf({client}, children, deadline);
    const auto it = frames.find(client);
    return it == frames.end() ? std::nullopt : std::optional(it->second);
}

int PanelStacking::restack(const std::vector<Placement>& placements) {
    xcb_connection_t* c = connection_->xcb();
    const Deadline deadline = Deadline::in(kReplyTimeout);
    auto tree = connection_->await<xcb_query_tree_reply_t>(xcb_query_tree(c, connection_->root()), deadline);
    if (!tree) return 0;
    const xcb_window_t* first = xcb_query_tree_children(tree.value.get());
    std::vector<xcb_window_t> order(first, first + xcb_query_tree_children_length(tree.value.get()));

    std::vector<xcb_window_t> clients;
    for (const Placement& p : placements) clients.push_back(p.client);
    std::vector<xcb_window_t> popUpClients;
    {
        std::lock_guard lock(mutex_);
        popUpClients.assign(popUpWindows_.begin(), popUpWindows_.end());
    }
    clients.insert(clients.end(), popUpClients.begin(), popUpClients.end());
    const auto frames = framesOf(clients, order, deadline);

    int sent = 0;
    for (const Placement& p : placements) {
        const auto frame = frames.find(p.client);
        if (frame == frames.end()) continue;
        const auto at = std::find(order.begin(), order.end(), frame->second);
        if (at + 1 != order.end() && *(at + 1) == p.panel) continue;  // already right above it
        configureAbove(c, p.panel, frame->second);
        moveInOrder(order, p.panel, frame->second);
        ++sent;
    }

    std::vector<xcb_window_t> floating, popUp;
    {
        std::lock_guard lock(mutex_);
        for (xcb_window_t w : order) {
            const auto level = shown_.find(w);
            if (level == shown_.end() || level->second == PanelLevel::normal) continue;
            (level->second == PanelLevel::popUp ? popUp : floating).push_back(w);
        }
    }
    // The lowest frame of a shown pop-up window: the floating panels' ceiling.
    std::optional<xcb_window_t> ceiling;
    for (xcb_window_t client : popUpClients) {
        const auto frame = frames.find(client);
        if (frame == frames.end()) continue;
        const auto at = std::find(order.begin(), order.end(), frame->second);
        if (at == order.end()) continue;
        if (!ceiling || at < std::find(order.begin(), order.end(), *ceiling)) ceiling = frame->second;
    }

    // Floating panels, then pop-up panels, on top: nothing to do when the top of the order
    // already holds exactly them in that arrangement.
    std::vector<xcb_window_t> wanted = ceiling ? std::vector<xcb_window_t>{} : floating;
    wanted.insert(wanted.end(), popUp.begin(), popUp.end());
    if (!wanted.empty() && !std::equal(wanted.begin(), wanted.end(), order.end() - static_cast<long>(wanted.size()))) {
        for (xcb_window_t w : wanted) {
            configureAbove(c, w, std::nullopt);
            moveInOrder(order, w, std::nullopt);
            ++sent;
        }
    }
    // Under a pop-up window: the floating panels, in their order, directly below its frame.
    if (ceiling && !floating.empty()) {
        const auto at = std::find(order.begin(), order.end(), *ceiling);
        const auto count = static_cast<long>(floating.size());
        if (at - order.begin() < count || !std::equal(floating.begin(), floating.end(), at - count)) {
            for (xcb_window_t w : floating) {
                configureBelow(c, w, *ceiling);
                std::erase(order, w);
                order.insert(std::find(order.begin(), order.end(), *ceiling), w);
                ++sent;
            }
        }
    }
    if (sent > 0) connection_->flush();
    return sent;
}

}  // namespace platform::x11
