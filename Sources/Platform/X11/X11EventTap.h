// SPDX-License-Identifier: MIT
// X11EventTap: the event tap on X11. Presses are observed through the XInput2 raw events (no
// grab). Only where the gate is open does the tap hold a synchronous passive button grab on the
// root, so such a press freezes the pointer until the main thread's verdict: ReplayPointer lets
// it through as if there had been no grab (the window manager's own grabs still take it),
// AsyncPointer keeps it, and then its release and the drags before it come to us alone. A
// watchdog thread replays a press left undecided for kDecisionTimeout, so a busy main thread
// never freezes the pointer. A grab another client holds cannot be taken: the gate then stays
// shut for that part and the next setGate tries again.
#pragma once

#include "Platform/ClickCounter.h"
#include "Platform/Dispatch.h"
#include "Platform/EventTap.h"
#include "Platform/X11/Connection.h"
#include "Platform/X11/RawInput.h"

#include <xcb/xcb.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace platform::x11 {

class X11EventTap final : public EventTap, public std::enable_shared_from_this<X11EventTap> {
public:
    static std::shared_ptr<X11EventTap> make(std::shared_ptr<Connection> connection, std::shared_ptr<RawInput> rawInput,
                                             std::shared_ptr<Dispatcher> dispatch);
    ~X11EventTap() override;

    std::shared_ptr<InstalledEventTap> install(Handler handler) override;
    double doubleClickInterval() const override;
    // The desktop's double-click interval (seconds) and distance (points).
    void setDoubleClick(double interval, double distance);

    // Event thread: the core button and motion events of our grabs.
    void take(const xcb_generic_event_t& event);

    // The X button of an event's button number and back (left 1, right 3, middle 2).
    static std::int64_t buttonNumber(std::uint32_t xButton);

private:
    class Installed;
    X11EventTap(std::shared_ptr<Connection> connection, std::shared_ptr<RawInput> rawInput,
                std::shared_ptr<Dispatcher> dispatch);

    // Event thread.
    void observeRaw(const RawInputEvent& event);
    TapEvent pressEvent(std::uint32_t xButton, double x, double y, std::uint32_t state, xcb_timestamp_t time);
    // Main thread.
    void decide(const TapEvent& event, xcb_timestamp_t time);
    void deliver(const TapEvent& event);
    TapGate applyGate(const TapGate& gate);
    void ungrabAll();
    // Any thread, under mutex_.
    void release(xcb_timestamp_t time, bool keep);
    void watch();

    std::shared_ptr<Connection> connection_;
    std::shared_ptr<RawInput> rawInput_;
    std::shared_ptr<Dispatcher> dispatch_;
    std::shared_ptr<void> observation_;

    // Main thread only.
    std::weak_ptr<Installed> installed_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    ClickCounter clicks_{0.4, 4};
    TapGate grabbed_;  // what the server's grabs cover now
    struct Frozen {
        xcb_timestamp_t time = 0;
        std::chrono::steady_clock::time_point since;
    };
    std::optional<Frozen> frozen_;
    xcb_timestamp_t lastObserved_ = 0;  // the last press handed over as observed (raw)
    std::int64_t lastClickState_ = 1;
    bool stopping_ = false;
    std::atomic<bool> dragPending_{false};
    std::thread watchdog_;
};

}  // namespace platform::x11
