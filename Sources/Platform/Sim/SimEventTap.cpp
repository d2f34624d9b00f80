// SPDX-License-Identifier: MIT
// SimEventTap: gate, verdicts and the kept buttons of the simulated event tap.
#include "Platform/Sim/SimEventTap.h"

namespace platform::sim {

class SimEventTap::Installed final : public InstalledEventTap {
public:
    explicit Installed(Handler h) : handler(std::move(h)) {}
    void setGate(const TapGate& g) override { current = g; }
    TapGate gate() const override { return current; }
    void enable() override { enabled = true; }

    Handler handler;
    TapGate current;
    bool enabled = true;
};

std::shared_ptr<InstalledEventTap> SimEventTap::install(Handler handler) {
    if (refused_ || !installed_.expired()) return nullptr;
    auto tap = std::make_shared<Installed>(std::move(handler));
    installed_ = tap;
    return tap;
}

bool SimEventTap::installed() const { return !installed_.expired(); }

TapGate SimEventTap::gate() const {
    const auto tap = installed_.lock();
    return tap ? tap->current : TapGate{};
}

void SimEventTap::send(const TapEvent& event, bool covered) {
    const auto tap = installed_.lock();
    if (!tap) {
        passed.push_back(event);
        return;
    }
    if (covered && stalled_) {
        // The verdict comes too late: the press has passed by then.
        (void)tap->handler(event);
        passed.push_back(event);
        TapEvent notice = event;
        notice.type = TapEventType::tapDisabledByTimeout;
        (void)tap->handler(notice);
        return;
    }
    const TapVerdict verdict = tap->handler(event);
    if (covered && verdict == TapVerdict::swallow) {
        kept_.insert(event.button);
        return;
    }
    passed.push_back(event);
}

void SimEventTap::press(arvelo::Point at, std::uint64_t flags, std::int64_t button) {
    pointer_ = at;
    TapEvent event{pressType(button), at, flags, button, 1};
    event.clickState = lastClickState_ = clicks_.press(button, at, clock_->uptime());
    const auto tap = installed_.lock();
    const bool covered = tap && tap->current.covers(event);
    if (covered) ++decided;
    send(event, covered);
}

void SimEventTap::drag(arvelo::Point to, std::uint64_t flags) {
    pointer_ = to;
    const TapEvent event{TapEventType::leftMouseDragged, to, flags, kLeftButtonNumber, lastClickState_};
    if (kept_.contains(kLeftButtonNumber)) {
        // Held by the swallowed press: the handler sees it, nobody else does.
        if (auto tap = installed_.lock()) (void)tap->handler(event);
        return;
    }
    send(event, false);
}

void SimEventTap::release(std::int64_t button, std::uint64_t flags) {
    const TapEvent event{releaseType(button), pointer_, flags, button, lastClickState_};
    if (kept_.erase(button)) {
        if (auto tap = installed_.lock()) (void)tap->handler(event);
        return;
    }
    send(event, false);
}

}  // namespace platform::sim
