// SPDX-License-Identifier: MIT
// X11WindowIcons.cpp: _NET_WM_ICON read on demand, kept per window until PropertyNotify.
#include "Platform/X11/X11WindowIcons.h"

#include <xcb/xcb_ewmh.h>

namespace platform::x11 {

namespace {
constexpr double kReadTimeout = 0.25;
// Every picture up to kLargestIconSide square, in 32-bit words.
constexpr std::uint32_t kLongestProperty = 4 * 1024 * 1024 / 4;
}  // namespace

X11WindowIcons::X11WindowIcons(std::shared_ptr<Connection> connection, std::shared_ptr<EventHub> events)
    : connection_(std::move(connection)) {
    const xcb_atom_t iconAtom = connection_->ewmh()->_NET_WM_ICON;
    subscription_ = events->didReceive.connect([this, iconAtom](const std::vector<EventRecord>& batch) {
        for (const EventRecord& r : batch) {
            const bool iconChanged = r.kind == EventRecord::Kind::property && r.atom == iconAtom;
            if (!iconChanged && r.kind != EventRecord::Kind::destroy) continue;
            if (kept_.erase(r.window) > 0) changed.notify(r.window);
        }
    });
}

std::optional<IconPicture> X11WindowIcons::icon(std::uint32_t window, int side) {
    if (window == 0) return std::nullopt;
    auto kept = kept_.find(window);
    if (kept == kept_.end()) {
        Connection& c = *connection_;
        if (c.closing(window)) return std::nullopt;
        c.follow(window);  // its PropertyNotify tells when the icon changes
        ++reads;
        auto reply = c.await<xcb_get_property_reply_t>(
            xcb_get_property(c.xcb(), 0, window, c.ewmh()->_NET_WM_ICON, XCB_ATOM_CARDINAL, 0, kLongestProperty),
            Deadline::in(kReadTimeout));
        if (!reply) return std::nullopt;  // unknown: asked again next time
        std::vector<IconPicture> pictures;
        if (reply->format == 32) {
            const auto* words = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.value.get()));
            const auto count = static_cast<std::size_t>(xcb_get_property_value_length(reply.value.get())) / 4;
            pictures = iconPictures(words, count);
        }
        kept = kept_.emplace(window, std::move(pictures)).first;
    }
    return bestIconPicture(kept->second, side);
}

}  // namespace platform::x11
