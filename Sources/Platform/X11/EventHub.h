// SPDX-License-Identifier: MIT
// EventHub: carries the X events the backend follows from the connection's event thread to
// the main thread, in batches, and hands them to the services that observe them there
// (running applications, screens, Accessibility observers).
#pragma once

#include "Platform/Dispatch.h"
#include "Platform/Signal.h"

#include <xcb/xcb.h>

#include <memory>
#include <mutex>
#include <vector>

namespace platform::x11 {

struct EventRecord {
    enum class Kind {
        property,      // a property of `window` changed (`atom`)
        configure,     // `window` was moved or resized
        destroy,       // `window` was destroyed
        map,           // `window`, a top-level window the window manager manages (a frame), was mapped
        unmap,         // `window`, such a top-level window, was unmapped
        screenChange,  // the displays changed (RandR)
    };
    Kind kind = Kind::property;
    xcb_window_t window = XCB_WINDOW_NONE;
    xcb_atom_t atom = XCB_ATOM_NONE;
};

class EventHub : public std::enable_shared_from_this<EventHub> {
public:
    EventHub(std::shared_ptr<Dispatcher> dispatch, std::uint8_t randrEventBase, xcb_window_t root);

    // Event thread: notes one event; the batch goes to the main thread.
    void take(const xcb_generic_event_t& event);

    // Main thread: every batch, in order.
    Signal<const std::vector<EventRecord>&> didReceive;

private:
    void deliver();

    std::shared_ptr<Dispatcher> dispatch_;
    std::uint8_t randrEventBase_;
    xcb_window_t root_;
    std::mutex mutex_;
    std::vector<EventRecord> pending_;
};

}  // namespace platform::x11
