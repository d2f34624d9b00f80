// SPDX-License-Identifier: MIT
// X11HotKeys.h: global hot keys on an X server: each registered combination becomes passive key
// grabs on the root window, one per key that carries the symbol and per lock-key state
// (Caps Lock and Num Lock on or off), on a connection of its own whose event thread hands
// presses to the main queue. A keyboard mapping change moves the grabs to the keys that carry
// the symbols now, taking the new grabs before releasing the old ones so no press is lost.
// Every wait for the X server is bounded: a server that stops answering costs a time-out.
#pragma once

#include "Platform/Dispatch.h"
#include "Platform/HotKeys.h"
#include "Platform/Log.h"
#include "Platform/X11/Deadline.h"
#include "Platform/X11/KeyboardMapping.h"
#include "Platform/X11/Reply.h"

#include <xcb/xcb.h>

#include <atomic>
#include <compare>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace platform::x11 {

class X11HotKeys : public HotKeys, public std::enable_shared_from_this<X11HotKeys> {
public:
    // Connects to `display` (nullptr: $DISPLAY); null when no X server answers.
    static std::shared_ptr<X11HotKeys> open(std::shared_ptr<Dispatcher> dispatch, Logger logger,
                                            const char* display = nullptr);
    ~X11HotKeys() override;
    X11HotKeys(const X11HotKeys&) = delete;
    X11HotKeys& operator=(const X11HotKeys&) = delete;

    // The longest one wait for the X server may take.
    static constexpr double kReplyTimeout = 1.0;

protected:
    StatusCode grab(std::uint32_t keyCode, std::uint32_t modifiers) override;
    void ungrab(std::uint32_t keyCode, std::uint32_t modifiers) override;
    std::optional<std::string> holderOf(std::uint32_t keyCode, std::uint32_t modifiers) override;
    std::optional<std::string> invalidReason(std::uint32_t keyCode, std::uint32_t modifiers) override;

private:
    // One passive grab: a key and the exact modifier state it answers to.
    struct Combo {
        xcb_keycode_t keycode = 0;
        std::uint16_t state = 0;
        auto operator<=>(const Combo&) const = default;
    };
    // One registered combination as the X server knows it.
    struct Grab {
        std::uint32_t keyCode = 0;
        std::uint32_t modifiers = 0;
        std::vector<xcb_keycode_t> keycodes;  // the keys that carry its symbol
        std::uint16_t mask = 0;               // its modifiers as X modifier bits
        std::set<Combo> combos;               // the grabs held for it
    };
    // The modifier bits that Alt, Super and Num Lock sit on in the current modifier mapping.
    struct ModifierBits {
        std::uint16_t alt = XCB_MOD_MASK_1;
        std::uint16_t super = XCB_MOD_MASK_4;
        std::uint16_t numLock = XCB_MOD_MASK_2;
    };

    X11HotKeys(xcb_connection_t* connection, std::shared_ptr<Dispatcher> dispatch, Logger logger);
    // Event thread: waits on the socket and the wake descriptor, hands presses and mapping
    // changes to the main queue.
    void runEvents();
    void forward(const xcb_generic_event_t& event, const std::weak_ptr<X11HotKeys>& weak);
    void wakeEventThread();

    // Waits for the reply to one request until the deadline, without blocking in xcb.
    template <class T>
    Reply<T> await(unsigned int sequence, Deadline deadline);

    // Main thread.
    void keyPressed(xcb_keycode_t keycode, std::uint16_t state);
    void mappingChanged(const xcb_mapping_notify_event_t& event);
    // Reads the keyboard and modifier mappings again; what cannot be read in time is kept.
    void readKeyboard();
    // Why a grab failed, for the log: who holds a taken combination, when that can be told.
    void reportFailure(const Grab& grab, StatusCode status);
    // The running window manager's name, read once.
    // The combination whose last grab went unanswered by the server, if the last grab did.
    std::optional<std::pair<std::uint32_t, std::uint32_t>> unanswered_;
    bool grabUnanswered_ = false;
    const std::string& windowManagerName();
    // Fills the grab's keycodes and mask from the current mappings; false when no key carries it.
    bool resolve(Grab& grab) const;
    std::set<Combo> combosFor(const Grab& grab) const;
    // Takes the grabs; answers the first failure's status and leaves the failed ones out of `taken`.
    StatusCode grabCombos(const std::set<Combo>& combos, std::set<Combo>& taken);
    void ungrabCombos(const std::set<Combo>& combos);

    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
    int wakeFd_ = -1;  // written to wake the event thread (to read queued events, or to end)
    std::shared_ptr<Dispatcher> dispatch_;
    Logger logger_;
    KeyboardMapping keyboard_;
    ModifierBits bits_;
    std::optional<std::string> windowManager_;
    std::vector<Grab> grabs_;

    std::atomic<bool> stopping_{false};
    std::thread eventThread_;
};

}  // namespace platform::x11
