// SPDX-License-Identifier: MIT
// WindowManagerInfo: reading the manager's name and supported list, and keeping them.
#include "Platform/X11/WindowManagerInfo.h"

#include "Platform/X11/PropertyValue.h"

#include <algorithm>

namespace platform::x11 {

namespace {
constexpr std::uint32_t kWholeProperty = 1u << 16;
}

bool WindowManagerFacts::supports(xcb_atom_t atom) const {
    return std::find(supported.begin(), supported.end(), atom) != supported.end();
}

WindowManagerFacts readWindowManagerFacts(Connection& connection, Deadline deadline) {
    xcb_connection_t* c = connection.xcb();
    const xcb_ewmh_connection_t& e = *connection.ewmh();
    const auto ask = [&](xcb_window_t window, xcb_atom_t atom) {
        return xcb_get_property(c, 0, window, atom, XCB_GET_PROPERTY_TYPE_ANY, 0, kWholeProperty);
    };
    const auto supportedCookie = ask(connection.root(), e._NET_SUPPORTED);
    const auto checkCookie = ask(connection.root(), e._NET_SUPPORTING_WM_CHECK);
    WindowManagerFacts facts;
    auto supported = connection.await<xcb_get_property_reply_t>(supportedCookie, deadline);
    auto check = connection.await<xcb_get_property_reply_t>(checkCookie, deadline);
    if (supported.status != ReplyStatus::answered || check.status != ReplyStatus::answered) return facts;
    facts.answered = true;
    facts.supported = cardinals(supported.value.get());
    if (const auto window = firstCardinal(check.value.get()); window && *window != XCB_WINDOW_NONE) {
        auto name = connection.await<xcb_get_property_reply_t>(ask(*window, e._NET_WM_NAME), deadline);
        if (name) facts.name = text(name.value.get(), e.UTF8_STRING).value_or(std::string());
    }
    return facts;
}

WindowManagerInfo::WindowManagerInfo(std::shared_ptr<Connection> connection, EventHub& events)
    : connection_(std::move(connection)) {
    const xcb_ewmh_connection_t& e = *connection_->ewmh();
    const xcb_atom_t supported = e._NET_SUPPORTED, check = e._NET_SUPPORTING_WM_CHECK;
    const xcb_window_t root = connection_->root();
    subscription_ = events.didReceive.connect([this, supported, check, root](const std::vector<EventRecord>& batch) {
        for (const EventRecord& r : batch) {
            if (r.kind == EventRecord::Kind::property && r.window == root && (r.atom == supported || r.atom == check)) {
                std::lock_guard lock(mutex_);
                ++changes_;
                kept_ = {};
                return;
            }
        }
    });
}

WindowManagerFacts WindowManagerInfo::facts(Deadline deadline) {
    std::uint64_t changes;
    {
        std::lock_guard lock(mutex_);
        if (kept_.answered) return kept_;
        changes = changes_;
    }
    WindowManagerFacts facts = readWindowManagerFacts(*connection_, deadline);
    std::lock_guard lock(mutex_);
    if (facts.answered && changes == changes_) kept_ = facts;
    return facts;
}

std::uint64_t WindowManagerInfo::generation() {
    std::lock_guard lock(mutex_);
    return changes_;
}

}  // namespace platform::x11
