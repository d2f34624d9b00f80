// SPDX-License-Identifier: MIT
// X11Observer: following windows, and turning configure, state and destroy events into the
// notifications the registrations ask for.
#include "Platform/X11/X11Observer.h"

#include "Platform/X11/ClientTable.h"
#include "Platform/X11/TopLevel.h"

#include <algorithm>

namespace platform::x11 {

namespace {
// How long one look at the followed windows may wait for the server.
constexpr double kLookTimeout = 0.25;
}  // namespace

X11Observer::X11Observer(std::shared_ptr<Connection> connection, std::shared_ptr<EventHub> events, std::int32_t pid)
    : connection_(std::move(connection)), pid_(pid) {
    subscription_ = events->didReceive.connect([this](const std::vector<EventRecord>& batch) { handle(batch); });
}

AccessError X11Observer::addNotification(const AccessElement& element, std::string_view notification) {
    if (element.pid != pid_) return AccessError::illegalArgument;
    if (element.kind == AccessElementKind::window) {
        const ClientTable table =
            ClientTable::readSome(*connection_, 0, {element.window}, 0, Deadline::in(kLookTimeout));
        if (!table.answered) return AccessError::cannotComplete;
        if (!table.find(element.window) || !table.isClient(element.window) || table.pidOf(element.window) != pid_)
            return AccessError::invalidUIElement;
        followed_.try_emplace(element.window);
    }
    registrations_.emplace_back(element, std::string(notification));
    look(false);
    return AccessError::success;
}

AccessError X11Observer::removeNotification(const AccessElement& element, std::string_view notification) {
    const auto removed =
        std::erase_if(registrations_, [&](const auto& r) { return r.first == element && r.second == notification; });
    return removed ? AccessError::success : AccessError::noValue;
}

bool X11Observer::wantsEveryWindow() const {
    return std::any_of(registrations_.begin(), registrations_.end(),
                       [](const auto& r) { return r.first.kind == AccessElementKind::application; });
}

void X11Observer::handle(const std::vector<EventRecord>& batch) {
    if (registrations_.empty()) return;
    const xcb_atom_t state = connection_->ewmh()->_NET_WM_STATE;
    const xcb_atom_t clients = connection_->ewmh()->_NET_CLIENT_LIST;
    const bool relevant = std::any_of(batch.begin(), batch.end(), [&](const EventRecord& r) {
        if (r.kind == EventRecord::Kind::property && r.window == connection_->root()) return r.atom == clients;
        if (frameClients_.contains(r.window)) return r.kind != EventRecord::Kind::property;
        const bool mine = followed_.contains(r.window);
        return mine && (r.kind != EventRecord::Kind::property || r.atom == state);
    });
    if (relevant) look(true);
}

void X11Observer::look(bool report) {
    // Windows seen for the first time are followed before their first read, so no change
    // between the read and the first event is lost.
    const auto follow = [this](xcb_window_t window) {
        connection_->follow(window);
        followFrameOf(window);
    };
    std::vector<xcb_window_t> windows;
    for (const auto& [window, seen] : followed_) {
        windows.push_back(window);
        if (!seen.frame) follow(window);
    }
    ClientTable table;
    if (wantsEveryWindow()) {
        table = ClientTable::read(*connection_, 0, fact::kGeometry | fact::kState, Deadline::in(kLookTimeout));
        for (std::size_t i : table.clientsOf(pid_))
            if (followed_.try_emplace(table.clients[i].window).second) {
                windows.push_back(table.clients[i].window);
                follow(table.clients[i].window);
            }
    } else {
        table =
            ClientTable::readSome(*connection_, 0, windows, fact::kGeometry | fact::kState, Deadline::in(kLookTimeout));
    }
    connection_->flush();
    if (!table.answered) return;
    const xcb_atom_t hidden = connection_->ewmh()->_NET_WM_STATE_HIDDEN;
    for (xcb_window_t window : windows) {
        const AccessElement element = AccessElement::windowOf(pid_, window);
        const WindowFacts* facts = table.find(window);
        if (!facts || !table.isClient(window)) {
            followed_.erase(window);
            std::erase_if(frameClients_, [&](const auto& entry) { return entry.second == window; });
            if (report) deliver(element, std::string(ax::kDestroyedNotification));
            continue;
        }
        Seen& seen = followed_[window];
        const Seen now{facts->frame(), facts->hasState(hidden)};
        if (report && seen.frame && now.frame) {
            if (now.frame->origin() != seen.frame->origin()) deliver(element, std::string(ax::kMovedNotification));
            if (now.frame->size() != seen.frame->size()) deliver(element, std::string(ax::kResizedNotification));
        }
        if (report && seen.frame && now.minimised != seen.minimised)
            deliver(element,
                    std::string(now.minimised ? ax::kMiniaturizedNotification : ax::kDeminiaturizedNotification));
        seen = now;
    }
}

void X11Observer::followFrameOf(xcb_window_t window) {
    const auto frame = topLevelOf(*connection_, window, Deadline::in(kLookTimeout));
    if (!frame || *frame == window || *frame == connection_->root()) return;
    frameClients_[*frame] = window;
    connection_->follow(*frame);
}

void X11Observer::deliver(const AccessElement& element, const std::string& notification) {
    if (!onNotification) return;
    for (const auto& [registered, name] : registrations_) {
        if (name == notification && (registered == element || registered.kind == AccessElementKind::application)) {
            onNotification(element, notification);
            return;
        }
    }
}

}  // namespace platform::x11
