// SPDX-License-Identifier: MIT
// RawInput: the XInput2 raw observation of the pointer on the root window. Raw button and
// motion events reach every client that selects them on the root, even while the window
// manager or another client holds a grab (a title-bar move), which plain pointer events do
// not. Where the server offers XInput 2.4, pinches that no window below takes arrive as well.
// Decoded on the connection's event thread and handed to the observers there; the mouse
// monitor and any other global observer of the pointer share this one selection.
#pragma once

#include "Platform/X11/Connection.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace platform::x11 {

struct RawInputEvent {
    enum class Kind {
        buttonPress,    // a button went down (`button`)
        buttonRelease,  // a button went up (`button`)
        motion,         // the pointer device moved (no position: raw events carry none)
        pinchBegin,     // a pinch began at (`rootX`, `rootY`)
        pinchUpdate,
        pinchEnd,
        keyPress,       // a key went down (`keycode`); only while keys are wanted
    };
    Kind kind = Kind::motion;
    std::uint32_t button = 0;  // 1 left, 2 middle, 3 right, 4-7 wheel
    std::uint32_t keycode = 0;
    xcb_timestamp_t time = 0;
    // Pinches only: where, the scale since the pinch began (1 at its beginning), the
    // modifier state (X key masks), and whether the pinch was cancelled rather than ended.
    double rootX = 0;
    double rootY = 0;
    double scale = 1;
    std::uint32_t modifiers = 0;
    bool cancelled = false;
};

class RawInput {
public:
    // Selects the raw events on the root; null when the server has no XInput 2.1 or later
    // (raw events during grabs came with 2.1).
    static std::shared_ptr<RawInput> open(std::shared_ptr<Connection> connection);

    // Event thread: decodes one event of the connection; events of other kinds are ignored.
    void take(const xcb_generic_event_t& event);

    // The observer is called on the connection's event thread for every raw event, until
    // the returned token is dropped. It must be quick: it holds up the event thread.
    [[nodiscard]] std::shared_ptr<void> observe(std::function<void(const RawInputEvent&)> observer);

    // Raw key presses are selected too while wanted (Escape during a drag), and only then: no
    // key of the desktop reaches this program otherwise. Nothing is grabbed. Any thread.
    void setKeysWanted(bool wanted);

    // The XInput version the server agreed to, and whether pinches can arrive.
    std::uint16_t majorVersion() const { return major_; }
    std::uint16_t minorVersion() const { return minor_; }
    bool deliversPinches() const { return pinches_; }

    // Decodes an XInput generic event of this extension; absent for any other event.
    static std::optional<RawInputEvent> decode(const xcb_generic_event_t& event, std::uint8_t extension);

private:
    RawInput(std::shared_ptr<Connection> connection, std::uint32_t bits, std::uint8_t opcode, std::uint16_t major,
             std::uint16_t minor, bool pinches);
    void select(std::uint32_t bits);

    using Observer = std::function<void(const RawInputEvent&)>;

    std::shared_ptr<Connection> connection_;
    std::uint32_t bits_;  // the events selected without keys
    bool keysWanted_ = false;
    std::uint8_t opcode_;
    std::uint16_t major_;
    std::uint16_t minor_;
    bool pinches_;
    std::mutex mutex_;
    std::vector<std::weak_ptr<Observer>> observers_;
};

}  // namespace platform::x11
