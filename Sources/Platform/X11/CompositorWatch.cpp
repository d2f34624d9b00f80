// SPDX-License-Identifier: MIT
// CompositorWatch.cpp: the compositing manager's selection followed through XFixes.
#include "Platform/X11/CompositorWatch.h"

#include <xcb/xfixes.h>

#include <string>

namespace platform::x11 {

namespace {
constexpr double kReplyTimeout = 0.25;
}

CompositorWatch::CompositorWatch(std::shared_ptr<Dispatcher> dispatch, std::uint8_t eventBase, xcb_atom_t selection,
                                 bool owned)
    : dispatch_(std::move(dispatch)), eventBase_(eventBase), selection_(selection), compositing_(owned) {}

std::shared_ptr<CompositorWatch> CompositorWatch::open(std::shared_ptr<Connection> connection,
                                                       std::shared_ptr<Dispatcher> dispatch) {
    xcb_connection_t* c = connection->xcb();
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (!extension || !extension->present) return nullptr;
    const Deadline deadline = Deadline::in(kReplyTimeout);
    // XFixes answers nothing before a client says which version it speaks.
    const auto version = connection->await<xcb_xfixes_query_version_reply_t>(
        xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION), deadline);
    if (!version || version->major_version < 1) return nullptr;
    const std::string name = "_NET_WM_CM_S" + std::to_string(connection->screenNumber());
    const auto atom = connection->await<xcb_intern_atom_reply_t>(
        xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.c_str()), deadline);
    if (!atom) return nullptr;
    xcb_xfixes_select_selection_input(c, connection->root(), atom->atom,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    // Asked after selecting: an owner that came in between is either in this answer or in an event.
    const auto owner = connection->await<xcb_get_selection_owner_reply_t>(xcb_get_selection_owner(c, atom->atom),
                                                                          Deadline::in(kReplyTimeout));
    connection->flush();
    return std::shared_ptr<CompositorWatch>(new CompositorWatch(
        std::move(dispatch), extension->first_event, atom->atom, owner && owner->owner != XCB_WINDOW_NONE));
}

std::optional<bool> CompositorWatch::decode(const xcb_generic_event_t& event, std::uint8_t eventBase,
                                            xcb_atom_t selection) {
    if ((event.response_type & 0x7f) != eventBase + XCB_XFIXES_SELECTION_NOTIFY) return std::nullopt;
    const auto& notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t&>(event);
    if (notify.selection != selection) return std::nullopt;
    return notify.subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER && notify.owner != XCB_WINDOW_NONE;
}

void CompositorWatch::take(const xcb_generic_event_t& event) {
    const auto owned = decode(event, eventBase_, selection_);
    if (!owned) return;
    compositing_.store(*owned);
    std::weak_ptr<CompositorWatch> weak = weak_from_this();
    dispatch_->async([weak, now = *owned] {
        if (auto self = weak.lock()) self->changed.notify(now);
    });
}

}  // namespace platform::x11
