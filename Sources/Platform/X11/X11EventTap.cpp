// SPDX-License-Identifier: MIT
// X11EventTap: raw observation, the gate's button grabs, frozen presses decided on the main
// thread, and the watchdog that replays a press nobody decided.
#include "Platform/X11/X11EventTap.h"

#include "Platform/X11/X11MouseMonitor.h"

#include <array>
#include <vector>

namespace platform::x11 {

namespace {
constexpr double kQueryTimeout = 0.25;
constexpr double kGrabTimeout = 0.5;
constexpr std::uint16_t kGrabMask =
    XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_BUTTON_MOTION;
// Caps Lock and Num Lock must not change what a grab covers.
constexpr std::array<std::uint16_t, 4> kLockVariants{0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                                     XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
// The buttons a press may be: left, middle, right, back and forward (not the wheel).
constexpr std::array<std::uint8_t, 5> kPressButtons{1, 2, 3, 8, 9};

bool isWheel(std::uint32_t xButton) { return xButton >= 4 && xButton <= 7; }
}  // namespace

class X11EventTap::Installed final : public InstalledEventTap {
public:
    Installed(std::weak_ptr<X11EventTap> owner, Handler h) : owner_(std::move(owner)), handler(std::move(h)) {}
    ~Installed() override {
        if (const auto owner = owner_.lock()) {
            owner->ungrabAll();
            std::lock_guard lock(owner->mutex_);
            if (owner->frozen_) owner->release(owner->frozen_->time, false);
            owner->frozen_.reset();
            owner->grabbed_ = {};
        }
    }
    void setGate(const TapGate& gate) override {
        if (const auto owner = owner_.lock()) owner->applyGate(gate);
    }
    TapGate gate() const override {
        const auto owner = owner_.lock();
        if (!owner) return {};
        std::lock_guard lock(owner->mutex_);
        return owner->grabbed_;
    }
    void enable() override {}

    std::weak_ptr<X11EventTap> owner_;
    Handler handler;
};

std::shared_ptr<X11EventTap> X11EventTap::make(std::shared_ptr<Connection> connection,
                                               std::shared_ptr<RawInput> rawInput,
                                               std::shared_ptr<Dispatcher> dispatch) {
    if (!rawInput) return nullptr;
    std::shared_ptr<X11EventTap> tap(new X11EventTap(std::move(connection), std::move(rawInput), std::move(dispatch)));
    tap->observation_ = tap->rawInput_->observe([weak = tap->weak_from_this()](const RawInputEvent& e) {
        if (auto self = weak.lock()) self->observeRaw(e);
    });
    tap->watchdog_ = std::thread([raw = tap.get()] { raw->watch(); });
    return tap;
}

X11EventTap::X11EventTap(std::shared_ptr<Connection> connection, std::shared_ptr<RawInput> rawInput,
                         std::shared_ptr<Dispatcher> dispatch)
    : connection_(std::move(connection)), rawInput_(std::move(rawInput)), dispatch_(std::move(dispatch)) {}

X11EventTap::~X11EventTap() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (watchdog_.joinable()) watchdog_.join();
}

std::shared_ptr<InstalledEventTap> X11EventTap::install(Handler handler) {
    if (!installed_.expired()) return nullptr;
    auto installed = std::make_shared<Installed>(weak_from_this(), std::move(handler));
    installed_ = installed;
    return installed;
}

double X11EventTap::doubleClickInterval() const {
    std::lock_guard lock(mutex_);
    return clicks_.interval();
}

void X11EventTap::setDoubleClick(double interval, double distance) {
    std::lock_guard lock(mutex_);
    clicks_ = ClickCounter(interval, distance);
}

std::int64_t X11EventTap::buttonNumber(std::uint32_t xButton) {
    switch (xButton) {
        case 1:
            return 0;
        case 2:
            return 2;
        case 3:
            return 1;
        default:
            return std::int64_t(xButton) - 1;
    }
}

// ---- The gate (main thread)

void X11EventTap::ungrabAll() {
    xcb_ungrab_button(connection_->xcb(), XCB_BUTTON_INDEX_ANY, connection_->root(), XCB_MOD_MASK_ANY);
    xcb_flush(connection_->xcb());
}

TapGate X11EventTap::applyGate(const TapGate& gate) {
    {
        std::lock_guard lock(mutex_);
        if (grabbed_ == gate) return gate;
    }
    // A grab of any modifier overrides the grabs of single combinations of the same button, and
    // its release releases them, so the whole set is laid anew.
    xcb_connection_t* c = connection_->xcb();
    const xcb_window_t root = connection_->root();
    xcb_ungrab_button(c, XCB_BUTTON_INDEX_ANY, root, XCB_MOD_MASK_ANY);
    struct Asked {
        xcb_void_cookie_t cookie;
        int part;  // 0 anyPress, 1 left, 2 shiftLeft
    };
    std::vector<Asked> asked;
    auto grab = [&](std::uint8_t button, std::uint16_t modifiers, int part) {
        asked.push_back({xcb_grab_button_checked(c, 0, root, kGrabMask, XCB_GRAB_MODE_SYNC, XCB_GRAB_MODE_ASYNC,
                                                 XCB_NONE, XCB_NONE, button, modifiers),
                         part});
    };
    if (gate.anyPress) {
        for (const std::uint8_t button : kPressButtons) grab(button, XCB_MOD_MASK_ANY, 0);
    } else if (gate.left) {
        grab(1, XCB_MOD_MASK_ANY, 1);
    } else if (gate.shiftLeft) {
        for (const std::uint16_t lock : kLockVariants) {
            grab(1, XCB_MOD_MASK_SHIFT | lock, 2);
            grab(1, XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_1 | lock, 2);
        }
    }
    // After the round trip every error has arrived: the checks do not wait.
    const bool answered = connection_->sync(Deadline::in(kGrabTimeout));
    std::array<bool, 3> failed{!answered, !answered, !answered};
    for (const Asked& a : asked) {
        if (!answered) {
            xcb_discard_reply(c, a.cookie.sequence);
            continue;
        }
        if (xcb_generic_error_t* error = xcb_request_check(c, a.cookie)) {
            failed[std::size_t(a.part)] = true;
            free(error);
        }
    }
    TapGate held;
    if (gate.anyPress && !failed[0]) {
        held = gate;  // every press of every button is covered
    } else if (gate.left && !failed[1]) {
        held.left = true;
        held.shiftLeft = gate.shiftLeft;
    } else if (gate.shiftLeft && !gate.anyPress && !gate.left && !failed[2]) {
        held.shiftLeft = true;
    }
    if (held != gate) {
        // Part of it is held by another client: keep nothing half-grabbed.
        if (held == TapGate{}) xcb_ungrab_button(c, XCB_BUTTON_INDEX_ANY, root, XCB_MOD_MASK_ANY);
    }
    xcb_flush(c);
    std::lock_guard lock(mutex_);
    grabbed_ = held;
    return held;
}

// ---- Events (event thread)

TapEvent X11EventTap::pressEvent(std::uint32_t xButton, double x, double y, std::uint32_t state, xcb_timestamp_t time) {
    TapEvent event;
    event.button = buttonNumber(xButton);
    event.type = pressType(event.button);
    event.location = {x, y};
    event.modifierFlags = X11MouseMonitor::modifierFlags(state);
    event.clickState = lastClickState_ = clicks_.press(event.button, event.location, time / 1000.0);
    return event;
}

void X11EventTap::observeRaw(const RawInputEvent& raw) {
    if (raw.kind != RawInputEvent::Kind::buttonPress || isWheel(raw.button)) return;
    auto pointer = connection_->await<xcb_query_pointer_reply_t>(
        xcb_query_pointer(connection_->xcb(), connection_->root()), Deadline::in(kQueryTimeout));
    if (!pointer) return;
    TapEvent event;
    {
        std::lock_guard lock(mutex_);
        TapEvent probe;
        probe.button = buttonNumber(raw.button);
        probe.modifierFlags = X11MouseMonitor::modifierFlags(pointer->mask);
        // A grabbed press comes again as a core event and is decided there.
        if (grabbed_.covers(probe)) return;
        event = pressEvent(raw.button, pointer->root_x, pointer->root_y, pointer->mask, raw.time);
        lastObserved_ = raw.time;
    }
    dispatch_->async([weak = weak_from_this(), event] {
        if (auto self = weak.lock()) self->deliver(event);
    });
}

void X11EventTap::take(const xcb_generic_event_t& generic) {
    const std::uint8_t type = generic.response_type & 0x7f;
    if (type == XCB_BUTTON_PRESS) {
        const auto& e = reinterpret_cast<const xcb_button_press_event_t&>(generic);
        if (e.event != connection_->root() || isWheel(e.detail)) return;
        TapEvent event;
        {
            std::lock_guard lock(mutex_);
            if (e.time == lastObserved_) {
                // Already handed over as observed (the grab came just after it): let it go.
                release(e.time, false);
                return;
            }
            event = pressEvent(e.detail, e.root_x, e.root_y, e.state, e.time);
            frozen_ = Frozen{e.time, std::chrono::steady_clock::now()};
        }
        wake_.notify_all();
        dispatch_->async([weak = weak_from_this(), event, time = e.time] {
            if (auto self = weak.lock()) self->decide(event, time);
        });
    } else if (type == XCB_BUTTON_RELEASE) {
        const auto& e = reinterpret_cast<const xcb_button_release_event_t&>(generic);
        if (e.event != connection_->root() || isWheel(e.detail)) return;
        TapEvent event;
        event.button = buttonNumber(e.detail);
        event.type = releaseType(event.button);
        event.location = {double(e.root_x), double(e.root_y)};
        event.modifierFlags = X11MouseMonitor::modifierFlags(e.state);
        {
            std::lock_guard lock(mutex_);
            event.clickState = lastClickState_;
        }
        dispatch_->async([weak = weak_from_this(), event] {
            if (auto self = weak.lock()) self->deliver(event);
        });
    } else if (type == XCB_MOTION_NOTIFY) {
        const auto& e = reinterpret_cast<const xcb_motion_notify_event_t&>(generic);
        if (e.event != connection_->root() || !(e.state & XCB_BUTTON_MASK_1)) return;
        if (dragPending_.exchange(true)) return;  // one drag step waits for the main thread already
        TapEvent event;
        event.type = TapEventType::leftMouseDragged;
        event.location = {double(e.root_x), double(e.root_y)};
        event.modifierFlags = X11MouseMonitor::modifierFlags(e.state);
        dispatch_->async([weak = weak_from_this(), event] {
            if (auto self = weak.lock()) {
                self->dragPending_ = false;
                self->deliver(event);
            }
        });
    }
}

void X11EventTap::release(xcb_timestamp_t time, bool keep) {
    xcb_allow_events(connection_->xcb(), keep ? XCB_ALLOW_ASYNC_POINTER : XCB_ALLOW_REPLAY_POINTER, time);
    xcb_flush(connection_->xcb());
}

// ---- Verdicts (main thread) and the watchdog

void X11EventTap::deliver(const TapEvent& event) {
    if (const auto installed = installed_.lock()) (void)installed->handler(event);
}

void X11EventTap::decide(const TapEvent& event, xcb_timestamp_t time) {
    const auto installed = installed_.lock();
    const TapVerdict verdict = installed ? installed->handler(event) : TapVerdict::pass;
    bool late = false;
    {
        std::lock_guard lock(mutex_);
        if (frozen_ && frozen_->time == time) {
            release(time, verdict == TapVerdict::swallow);
            frozen_.reset();
        } else {
            late = true;
        }
    }
    if (late && installed) {
        // The watchdog let the press through before this verdict.
        TapEvent notice = event;
        notice.type = TapEventType::tapDisabledByTimeout;
        (void)installed->handler(notice);
    }
}

void X11EventTap::watch() {
    std::unique_lock lock(mutex_);
    const auto limit = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(kDecisionTimeout));
    while (!stopping_) {
        if (!frozen_) {
            wake_.wait(lock);
            continue;
        }
        const auto due = frozen_->since + limit;
        if (std::chrono::steady_clock::now() < due) {
            wake_.wait_until(lock, due);
            continue;
        }
        release(frozen_->time, false);
        frozen_.reset();
    }
}

}  // namespace platform::x11
