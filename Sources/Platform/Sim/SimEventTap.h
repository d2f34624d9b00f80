// SPDX-License-Identifier: MIT
// SimEventTap: the event tap on the simulated desktop, modelled on the X11 one: presses that
// the gate covers wait for the handler's verdict, others pass whatever it says; a swallowed
// press keeps its release and the left drags before it. Tests script the user's buttons here
// (sim::Desktop's tapDown, tapDrag, tapUp) and read what reached the other programs. The
// handler runs synchronously on the main thread (tests are the main thread); click states come
// from the desktop's double-click interval and distance on the virtual clock.
#pragma once

#include "Platform/ClickCounter.h"
#include "Platform/Dispatch.h"
#include "Platform/EventTap.h"

#include <memory>
#include <set>
#include <vector>

namespace platform::sim {

class SimEventTap final : public EventTap, public std::enable_shared_from_this<SimEventTap> {
public:
    static constexpr double kDoubleClickInterval = 0.4;
    static constexpr double kDoubleClickDistance = 4;

    explicit SimEventTap(std::shared_ptr<Clock> clock) : clock_(std::move(clock)) {}

    std::shared_ptr<InstalledEventTap> install(Handler handler) override;
    double doubleClickInterval() const override { return kDoubleClickInterval; }

    // The script (top-left-origin points, event modifier flags, button numbers of EventTap.h).
    void press(arvelo::Point at, std::uint64_t flags, std::int64_t button);
    void drag(arvelo::Point to, std::uint64_t flags);
    void release(std::int64_t button, std::uint64_t flags);
    // Taps cannot be made while refused (another program holds the buttons).
    void setRefused(bool refused) { refused_ = refused; }
    // Press verdicts do not come back in time while stalled (a busy main thread): covered
    // presses pass, and the handler hears of it.
    void setStalled(bool stalled) { stalled_ = stalled; }

    // What reached the other programs, in order.
    std::vector<TapEvent> passed;
    // How many presses waited for a verdict (the gate covered them).
    int decided = 0;
    bool installed() const;
    TapGate gate() const;

private:
    class Installed;
    void send(const TapEvent& event, bool covered);

    std::shared_ptr<Clock> clock_;
    std::weak_ptr<Installed> installed_;
    ClickCounter clicks_{kDoubleClickInterval, kDoubleClickDistance};
    arvelo::Point pointer_;
    std::set<std::int64_t> kept_;  // buttons whose press was swallowed and is still down
    std::int64_t lastClickState_ = 1;
    bool refused_ = false;
    bool stalled_ = false;
};

}  // namespace platform::sim
