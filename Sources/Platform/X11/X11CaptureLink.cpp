// SPDX-License-Identifier: MIT
// X11CaptureLink.cpp: opening the capture connection, asking for the extensions, and carrying
// damage, structure and exposure events to the main thread in batches.
#include "Platform/X11/X11CaptureLink.h"

#include <xcb/composite.h>
#include <xcb/damage.h>
#include <xcb/render.h>

#include <cstdlib>

namespace platform::x11 {

namespace {
constexpr double kOpenTimeout = 2.0;
// Solid fills (the picture's opacity) came with XRender 0.10.
constexpr std::uint32_t kRenderMinor = 10;
constexpr const char* kCopySwitch = "VOMIRA_PINS_COPY_FRAMES";
}  // namespace

std::shared_ptr<X11CaptureLink> X11CaptureLink::open(std::shared_ptr<Dispatcher> dispatch, const char* display) {
    auto connection = Connection::open(display, kOpenTimeout);
    if (!connection) return nullptr;
    std::shared_ptr<X11CaptureLink> link(new X11CaptureLink(std::move(connection), std::move(dispatch)));
    std::weak_ptr<X11CaptureLink> weak = link;
    link->connection_->start(
        [weak](const xcb_generic_event_t& event) {
            if (auto self = weak.lock()) self->take(event);
        },
        [] {});
    return link;
}

X11CaptureLink::X11CaptureLink(std::shared_ptr<Connection> connection, std::shared_ptr<Dispatcher> dispatch)
    : connection_(std::move(connection)), dispatch_(std::move(dispatch)) {
    xcb_connection_t* c = connection_->xcb();
    const Deadline deadline = Deadline::in(kOpenTimeout);
    if (const auto* ext = xcb_get_extension_data(c, &xcb_composite_id); ext && ext->present) {
        auto version = connection_->await<xcb_composite_query_version_reply_t>(
            xcb_composite_query_version(c, XCB_COMPOSITE_MAJOR_VERSION, XCB_COMPOSITE_MINOR_VERSION), deadline);
        composite_ = static_cast<bool>(version);
    }
    if (const auto* ext = xcb_get_extension_data(c, &xcb_damage_id); ext && ext->present) {
        // Damage must be told the client's version before it takes requests.
        auto version = connection_->await<xcb_damage_query_version_reply_t>(
            xcb_damage_query_version(c, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION), deadline);
        damage_ = static_cast<bool>(version);
        damageEventBase_ = ext->first_event;
    }
    if (const auto* ext = xcb_get_extension_data(c, &xcb_render_id); ext && ext->present) {
        auto version = connection_->await<xcb_render_query_version_reply_t>(
            xcb_render_query_version(c, XCB_RENDER_MAJOR_VERSION, XCB_RENDER_MINOR_VERSION), deadline);
        if (version && (version->major_version > 0 || version->minor_version >= kRenderMinor))
            renderFormats_ = RenderFormats::read(*connection_, deadline);
    }
    const char* copy = std::getenv(kCopySwitch);
    copyForced_ = copy && *copy && std::string(copy) != "0";
}

void X11CaptureLink::tellOnce(const std::string& line) {
    if (told_) return;
    told_ = true;
    logger_.info(line);
}

X11CaptureLink::~X11CaptureLink() = default;

void X11CaptureLink::follow(xcb_window_t window, std::function<void(const CaptureEvent&)> handler) {
    handlers_[window] = std::move(handler);
}

void X11CaptureLink::unfollow(xcb_window_t window) { handlers_.erase(window); }

void X11CaptureLink::take(const xcb_generic_event_t& event) {
    CaptureEvent record;
    const std::uint8_t type = event.response_type & 0x7f;
    if (damage_ && type == damageEventBase_ + XCB_DAMAGE_NOTIFY) {
        const auto& e = reinterpret_cast<const xcb_damage_notify_event_t&>(event);
        record = {CaptureEvent::Kind::damage, e.drawable};
    } else {
        switch (type) {
            case XCB_CONFIGURE_NOTIFY: {
                const auto& e = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
                if (e.event != e.window) return;  // a child's news, or the root's
                record = {CaptureEvent::Kind::configure, e.window, e.width + 2 * e.border_width,
                          e.height + 2 * e.border_width, e.x,      e.y};
                break;
            }
            case XCB_MAP_NOTIFY: {
                const auto& e = reinterpret_cast<const xcb_map_notify_event_t&>(event);
                if (e.event != e.window) return;
                record = {CaptureEvent::Kind::map, e.window};
                break;
            }
            case XCB_UNMAP_NOTIFY: {
                const auto& e = reinterpret_cast<const xcb_unmap_notify_event_t&>(event);
                if (e.event != e.window) return;
                record = {CaptureEvent::Kind::unmap, e.window};
                break;
            }
            case XCB_EXPOSE: {
                const auto& e = reinterpret_cast<const xcb_expose_event_t&>(event);
                if (e.count != 0) return;  // the last of a series stands for all of them
                record = {CaptureEvent::Kind::expose, e.window};
                break;
            }
            case XCB_DESTROY_NOTIFY: {
                const auto& e = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
                if (e.event != e.window) return;
                record = {CaptureEvent::Kind::destroy, e.window};
                break;
            }
            default:
                return;
        }
    }
    bool first;
    {
        std::lock_guard lock(mutex_);
        first = pending_.empty();
        pending_.push_back(record);
    }
    if (first)
        dispatch_->async([weak = weak_from_this()] {
            if (auto self = weak.lock()) self->deliver();
        });
}

void X11CaptureLink::deliver() {
    std::vector<CaptureEvent> batch;
    {
        std::lock_guard lock(mutex_);
        batch.swap(pending_);
    }
    for (const CaptureEvent& event : batch) {
        const auto found = handlers_.find(event.window);
        // A handler may unfollow (and its capture go away) while handling.
        if (found != handlers_.end()) {
            auto handler = found->second;
            handler(event);
        }
    }
}

}  // namespace platform::x11
