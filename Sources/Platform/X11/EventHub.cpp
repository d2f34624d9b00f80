// SPDX-License-Identifier: MIT
// EventHub: decodes the events of interest and posts them to the main queue, one post per batch.
#include "Platform/X11/EventHub.h"

#include <xcb/randr.h>

namespace platform::x11 {

EventHub::EventHub(std::shared_ptr<Dispatcher> dispatch, std::uint8_t randrEventBase, xcb_window_t root)
    : dispatch_(std::move(dispatch)), randrEventBase_(randrEventBase), root_(root) {}

void EventHub::take(const xcb_generic_event_t& event) {
    EventRecord record;
    const std::uint8_t type = event.response_type & 0x7f;
    switch (type) {
        case XCB_PROPERTY_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            record = {EventRecord::Kind::property, e.window, e.atom};
            break;
        }
        case XCB_CONFIGURE_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
            record = {EventRecord::Kind::configure, e.window, XCB_ATOM_NONE};
            break;
        }
        case XCB_MAP_NOTIFY: {
            // Only the root's own news of its children: a window shown by the window manager.
            const auto& e = reinterpret_cast<const xcb_map_notify_event_t&>(event);
            if (e.event == root_ && !e.override_redirect) {
                record = {EventRecord::Kind::map, e.window, XCB_ATOM_NONE};
                break;
            }
            return;
        }
        case XCB_UNMAP_NOTIFY: {
            // Likewise: a top-level window hidden (minimised, or on another desktop).
            const auto& e = reinterpret_cast<const xcb_unmap_notify_event_t&>(event);
            if (e.event == root_) {
                record = {EventRecord::Kind::unmap, e.window, XCB_ATOM_NONE};
                break;
            }
            return;
        }
        case XCB_DESTROY_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
            record = {EventRecord::Kind::destroy, e.window, XCB_ATOM_NONE};
            break;
        }
        default:
            if (randrEventBase_ && (type == randrEventBase_ + XCB_RANDR_SCREEN_CHANGE_NOTIFY ||
                                    type == randrEventBase_ + XCB_RANDR_NOTIFY)) {
                record.kind = EventRecord::Kind::screenChange;
                break;
            }
            return;
    }
    bool first;
    {
        std::lock_guard lock(mutex_);
        first = pending_.empty();
        pending_.push_back(record);
    }
    if (first)
        dispatch_->async([weak = weak_from_this()] {
            if (auto hub = weak.lock()) hub->deliver();
        });
}

void EventHub::deliver() {
    std::vector<EventRecord> batch;
    {
        std::lock_guard lock(mutex_);
        batch.swap(pending_);
    }
    if (!batch.empty()) didReceive.notify(batch);
}

}  // namespace platform::x11
