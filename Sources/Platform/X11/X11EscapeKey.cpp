// SPDX-License-Identifier: MIT
// X11EscapeKey.cpp: raw key presses selected while watched, Escape picked out by its keysym.
#include "Platform/X11/X11EscapeKey.h"

#include "Platform/X11/KeyboardMapping.h"

#include <vector>

namespace platform::x11 {

namespace {
constexpr double kReplyTimeout = 0.25;
constexpr xcb_keysym_t kEscapeKeysym = 0xff1b;
// The usual keycode of Escape (evdev), when the mapping does not come in time.
constexpr std::uint32_t kUsualEscapeKeycode = 9;
}  // namespace

std::shared_ptr<X11EscapeKey> X11EscapeKey::make(std::shared_ptr<Connection> connection,
                                                 std::shared_ptr<RawInput> rawInput,
                                                 std::shared_ptr<Dispatcher> dispatch) {
    if (!connection || !rawInput || !dispatch) return nullptr;
    return std::shared_ptr<X11EscapeKey>(
        new X11EscapeKey(std::move(connection), std::move(rawInput), std::move(dispatch)));
}

X11EscapeKey::X11EscapeKey(std::shared_ptr<Connection> connection, std::shared_ptr<RawInput> rawInput,
                           std::shared_ptr<Dispatcher> dispatch)
    : connection_(std::move(connection)), rawInput_(std::move(rawInput)), dispatch_(std::move(dispatch)) {}

void X11EscapeKey::readEscapeKeycodes() {
    xcb_connection_t* c = connection_->xcb();
    const xcb_setup_t* setup = xcb_get_setup(c);
    const auto count = static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    auto reply = connection_->await<xcb_get_keyboard_mapping_reply_t>(
        xcb_get_keyboard_mapping(c, setup->min_keycode, count), Deadline::in(kReplyTimeout));
    std::set<std::uint32_t> found;
    if (reply) {
        const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(reply.value.get());
        const int length = xcb_get_keyboard_mapping_keysyms_length(reply.value.get());
        const KeyboardMapping mapping{setup->min_keycode, reply->keysyms_per_keycode, {symbols, symbols + length}};
        for (xcb_keycode_t keycode : mapping.keycodes(kEscapeKeysym)) found.insert(keycode);
    }
    if (found.empty()) found.insert(kUsualEscapeKeycode);
    std::lock_guard lock(mutex_);
    escapeKeycodes_ = std::move(found);
}

std::shared_ptr<void> X11EscapeKey::watch(std::function<void()> handler) {
    const std::uint64_t id = next_++;
    handlers_[id] = std::move(handler);
    if (!observation_) {
        readEscapeKeycodes();
        observation_ = rawInput_->observe([weak = weak_from_this()](const RawInputEvent& event) {
            if (auto self = weak.lock()) self->observe(event);
        });
        rawInput_->setKeysWanted(true);
    }
    std::weak_ptr<X11EscapeKey> weak = weak_from_this();
    return std::shared_ptr<void>(new std::uint64_t(id), [weak](void* p) {
        auto* number = static_cast<std::uint64_t*>(p);
        if (auto self = weak.lock()) self->drop(*number);
        delete number;
    });
}

void X11EscapeKey::drop(std::uint64_t id) {
    handlers_.erase(id);
    if (!handlers_.empty()) return;
    rawInput_->setKeysWanted(false);
    observation_.reset();
}

void X11EscapeKey::observe(const RawInputEvent& event) {
    if (event.kind != RawInputEvent::Kind::keyPress) return;
    {
        std::lock_guard lock(mutex_);
        if (!escapeKeycodes_.contains(event.keycode)) return;
    }
    dispatch_->async([weak = weak_from_this()] {
        if (auto self = weak.lock()) self->deliver();
    });
}

void X11EscapeKey::deliver() {
    std::vector<std::function<void()>> live;
    for (const auto& [id, handler] : handlers_) live.push_back(handler);
    for (const auto& handler : live)
        if (handler) handler();
}

}  // namespace platform::x11
