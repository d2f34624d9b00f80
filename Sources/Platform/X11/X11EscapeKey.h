// SPDX-License-Identifier: MIT
// X11EscapeKey: the Escape key pressed anywhere on the desktop, seen while someone watches for
// it (a drag of a tab, a tab bar's header or a miniature tile: our panels never have the
// keyboard). Raw key presses of XInput2 are selected on the root only while a watch lives;
// nothing is grabbed, so the key still reaches the focused application. Escape is whichever
// keycode the keyboard mapping gives the Escape keysym, read when watching begins.
#pragma once

#include "Platform/Dispatch.h"
#include "Platform/X11/Connection.h"
#include "Platform/X11/RawInput.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>

namespace platform::x11 {

class X11EscapeKey : public std::enable_shared_from_this<X11EscapeKey> {
public:
    // Null without XInput2 (no raw input).
    static std::shared_ptr<X11EscapeKey> make(std::shared_ptr<Connection> connection,
                                              std::shared_ptr<RawInput> rawInput,
                                              std::shared_ptr<Dispatcher> dispatch);

    // Main thread: `handler` is called on the main thread at each press of Escape until the
    // returned token is dropped.
    [[nodiscard]] std::shared_ptr<void> watch(std::function<void()> handler);

private:
    X11EscapeKey(std::shared_ptr<Connection> connection, std::shared_ptr<RawInput> rawInput,
                 std::shared_ptr<Dispatcher> dispatch);
    void drop(std::uint64_t id);
    void readEscapeKeycodes();
    void observe(const RawInputEvent& event);  // event thread
    void deliver();

    std::shared_ptr<Connection> connection_;
    std::shared_ptr<RawInput> rawInput_;
    std::shared_ptr<Dispatcher> dispatch_;
    std::map<std::uint64_t, std::function<void()>> handlers_;  // main thread
    std::uint64_t next_ = 1;
    std::shared_ptr<void> observation_;
    std::mutex mutex_;
    std::set<std::uint32_t> escapeKeycodes_;  // guarded: read on the event thread
};

}  // namespace platform::x11
