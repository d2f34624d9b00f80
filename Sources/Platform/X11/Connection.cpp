// SPDX-License-Identifier: MIT
// Connection: opening the X connection (atoms, RandR, root events), the event thread, and the
// bounded reply waits. Replies are only ever polled for (xcb_poll_for_reply), never waited for
// with xcb's blocking calls, so a server that stops answering costs at most a time-out.
#include "Platform/X11/Connection.h"

#include <xcb/composite.h>
#include <xcb/randr.h>
#include <xcb/shm.h>
#include <xcb/xcbext.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace platform::x11 {

namespace {
// A waiter whose reply has not come looks again at least this often.
constexpr std::int64_t kWaitSliceMilliseconds = 1;
// RandR 1.5 brought monitors.
constexpr std::uint32_t kRandrMajor = 1;
constexpr std::uint32_t kRandrMinor = 5;
}  // namespace

std::shared_ptr<Connection> Connection::open(const char* display, double timeout, Events events) {
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(display, &screenNumber);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return nullptr;
    }
    std::shared_ptr<Connection> connection(new Connection(c, screenNumber, events));
    if (!connection->initialise(Deadline::in(timeout))) return nullptr;
    return connection;
}

Connection::Connection(xcb_connection_t* c, int screenNumber, Events events)
    : c_(c), screenNumber_(screenNumber), events_(events) {
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

Connection::~Connection() {
    stopping_ = true;
    wakeEventThread();
    if (eventThread_.joinable()) eventThread_.join();
    if (ewmhReady_) xcb_ewmh_connection_wipe(&ewmh_);
    xcb_disconnect(c_);
    if (wakeFd_ >= 0) close(wakeFd_);
}

bool Connection::initialise(Deadline deadline) {
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c_));
    for (int i = 0; it.rem && i < screenNumber_; ++i) xcb_screen_next(&it);
    if (!it.rem) return false;
    screen_ = it.data;

    // Queue every atom and the extensions' presence, then one round trip answers them all.
    xcb_intern_atom_cookie_t* ewmhCookies = xcb_ewmh_init_atoms(c_, &ewmh_);
    std::array<xcb_intern_atom_cookie_t, std::size(kAtomNames)> cookies{};
    for (std::size_t i = 0; i < cookies.size(); ++i)
        cookies[i] = xcb_intern_atom(c_, 0, static_cast<std::uint16_t>(std::char_traits<char>::length(kAtomNames[i])),
                                     kAtomNames[i]);
    xcb_prefetch_extension_data(c_, &xcb_randr_id);
    xcb_prefetch_extension_data(c_, &xcb_composite_id);
    xcb_prefetch_extension_data(c_, &xcb_shm_id);

    if (!sync(deadline)) {
        // The replies may still come; xcb-ewmh frees its cookies only through its reply call.
        free(ewmhCookies);
        xcb_ewmh_connection_wipe(&ewmh_);
        return false;
    }
    // Everything sent before the sync has been answered: these calls no longer block.
    ewmhReady_ = xcb_ewmh_init_atoms_replies(&ewmh_, ewmhCookies, nullptr) != 0;
    if (!ewmhReady_) return false;
    xcb_atom_t* slot = atomSlots(atoms_);
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        auto reply = await<xcb_intern_atom_reply_t>(cookies[i], deadline);
        if (!reply) return false;
        slot[i] = reply->atom;
    }
    const xcb_query_extension_reply_t* randr = xcb_get_extension_data(c_, &xcb_randr_id);
    if (randr && randr->present) {
        auto version =
            await<xcb_randr_query_version_reply_t>(xcb_randr_query_version(c_, kRandrMajor, kRandrMinor), deadline);
        randrMonitors_ = version && (version->major_version > kRandrMajor ||
                                     (version->major_version == kRandrMajor && version->minor_version >= kRandrMinor));
        randrEventBase_ = randr->first_event;
    }

    cache_ = std::make_unique<FactCache>(ewmh_, atoms_, root());

    // Root events: the window manager's properties (client lists, active window, desktops,
    // work area), display changes, and the top-level windows (window manager frames) being
    // created, moved, mapped, unmapped and destroyed, which keep the fact cache exact.
    // A connection that hears nothing asks for nothing.
    if (events_ == Events::none) return sync(deadline);
    const std::uint32_t rootMask =
        XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c_, root(), XCB_CW_EVENT_MASK, &rootMask);
    if (randrMonitors_)
        xcb_randr_select_input(c_, root(),
                               XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE | XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE |
                                   XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE);
    return sync(deadline);
}

void Connection::follow(xcb_window_t window) {
    static constexpr std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    if (!cache_->startFollowing(window)) xcb_change_window_attributes(c_, window, XCB_CW_EVENT_MASK, &mask);
}

void Connection::flush() { xcb_flush(c_); }

bool Connection::sync(Deadline deadline) {
    auto reply = await<xcb_get_input_focus_reply_t>(xcb_get_input_focus(c_), deadline);
    return reply.status == ReplyStatus::answered;
}

Connection::Waiting::Waiting(Connection& connection) : connection_(connection) { ++connection_.waiters_; }

Connection::Waiting::~Waiting() {
    // The last waiter gives the socket back to the event thread.
    if (--connection_.waiters_ == 0) connection_.wakeEventThread();
}

ReplyStatus Connection::waitFor(unsigned int sequence, void** reply, xcb_generic_error_t** error, Deadline deadline) {
    const Waiting waiting(*this);
    xcb_flush(c_);
    for (;;) {
        std::uint64_t seen;
        {
            std::lock_guard lock(mutex_);
            seen = generation_;
        }
        if (xcb_poll_for_reply(c_, sequence, reply, error)) {
            // This thread may have read events off the socket along with its reply.
            handOverQueuedEvents();
            if (*reply) return ReplyStatus::answered;
            return *error ? ReplyStatus::xError : ReplyStatus::answered;
        }
        if (broken()) return ReplyStatus::lost;
        if (deadline.passed()) {
            xcb_discard_reply(c_, sequence);
            return ReplyStatus::timedOut;
        }
        {
            std::lock_guard lock(mutex_);
            if (generation_ != seen) continue;  // the event thread read something meanwhile: look again
        }
        // Sleep until data arrives; the event thread may take it first, so look again at
        // least every slice.
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline.when() - Deadline::Clock::now());
        pollfd fd{xcb_get_file_descriptor(c_), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(std::clamp<std::int64_t>(left.count() + 1, 0, kWaitSliceMilliseconds)));
    }
}

Connection::PropertyWatch::PropertyWatch(Connection& connection, xcb_window_t window, xcb_atom_t atom)
    : connection_(connection) {
    std::lock_guard lock(connection_.mutex_);
    entry_ = connection_.watches_.insert(connection_.watches_.end(), WatchEntry{window, atom, 0});
}

Connection::PropertyWatch::~PropertyWatch() {
    std::lock_guard lock(connection_.mutex_);
    connection_.watches_.erase(entry_);
}

bool Connection::PropertyWatch::waitForCount(int count, Deadline deadline) {
    connection_.flush();
    std::unique_lock lock(connection_.mutex_);
    return connection_.readDone_.wait_until(lock, deadline.when(), [&] {
        return entry_->count >= count || connection_.broken();
    }) && entry_->count >= count;
}

Connection::ConfigureWatch::ConfigureWatch(Connection& connection, xcb_window_t window) : connection_(connection) {
    std::lock_guard lock(connection_.mutex_);
    entry_ = connection_.configureWatches_.insert(connection_.configureWatches_.end(), ConfigureEntry{window, {}});
}

Connection::ConfigureWatch::~ConfigureWatch() {
    std::lock_guard lock(connection_.mutex_);
    connection_.configureWatches_.erase(entry_);
}

bool Connection::ConfigureWatch::waitUntil(const std::function<bool(const std::vector<ConfigureAnswer>&)>& done,
                                           Deadline deadline) {
    connection_.flush();
    std::unique_lock lock(connection_.mutex_);
    return connection_.readDone_.wait_until(lock, deadline.when(), [&] {
        return done(entry_->answers) || connection_.broken();
    }) && done(entry_->answers);
}

std::size_t Connection::ConfigureWatch::count() {
    std::lock_guard lock(connection_.mutex_);
    return entry_->answers.size();
}

void Connection::start(std::function<void(const xcb_generic_event_t&)> onEvent, std::function<void()> onLost) {
    onEvent_ = std::move(onEvent);
    onLost_ = std::move(onLost);
    eventThread_ = std::thread([this] { runEvents(); });
    pthread_setname_np(eventThread_.native_handle(), "x11-events");
}

void Connection::runEvents() {
    const int socket = xcb_get_file_descriptor(c_);
    while (!stopping_) {
        // While threads wait for replies they read the socket themselves.
        const bool reading = waiters_ == 0;
        std::array<pollfd, 2> fds{{{socket, static_cast<short>(reading ? POLLIN : 0), 0}, {wakeFd_, POLLIN, 0}}};
        poll(fds.data(), fds.size(), -1);
        if (fds[1].revents & POLLIN) {
            std::uint64_t count;
            [[maybe_unused]] auto n = read(wakeFd_, &count, sizeof count);
        }
        if (stopping_) break;
        std::vector<XPtr<xcb_generic_event_t>> batch;
        {
            std::lock_guard lock(eventsMutex_);
            while (xcb_generic_event_t* event = reading ? xcb_poll_for_event(c_) : xcb_poll_for_queued_event(c_))
                keep(event);
            batch.swap(handedOver_);
        }
        for (const auto& event : batch) dispatch(*event);
        advanceGeneration();
        if (broken()) {
            if (onLost_) onLost_();
            break;
        }
    }
}

void Connection::dispatch(const xcb_generic_event_t& event) {
    // Errors of unchecked requests (say, selecting events on a window that just went away)
    // arrive here too; requests whose outcome matters are checked one by one.
    if (event.response_type == 0) return;
    // The cache drops what the event makes stale before any waiter can learn of the event, so
    // a read made once a write is seen applied never answers from before it.
    cache_->take(event);
    if ((event.response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
        const auto& notify = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        std::lock_guard lock(mutex_);
        for (auto& watch : watches_)
            if (watch.window == notify.window && watch.atom == notify.atom) ++watch.count;
    }
    if ((event.response_type & 0x7f) == XCB_CONFIGURE_NOTIFY) {
        const auto& notify = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
        std::lock_guard lock(mutex_);
        for (auto& watch : configureWatches_)
            if (watch.window == notify.window)
                watch.answers.push_back({notify.x, notify.y, notify.width, notify.height, notify.border_width,
                                         (event.response_type & 0x80) != 0});
    }
    if (onEvent_) onEvent_(event);
}

void Connection::handOverQueuedEvents() {
    if (events_ == Events::none) {
        // Nobody would ever dispatch them.
        while (xcb_generic_event_t* event = xcb_poll_for_queued_event(c_)) free(event);
        return;
    }
    bool any = false;
    {
        std::lock_guard lock(eventsMutex_);
        while (xcb_generic_event_t* event = xcb_poll_for_queued_event(c_)) {
            keep(event);
            any = true;
        }
    }
    if (any) wakeEventThread();
}

void Connection::keep(xcb_generic_event_t* event) {
    // Noted before the thread that read it can return the reply that followed it.
    if ((event->response_type & 0x7f) == XCB_DESTROY_NOTIFY) {
        const auto& destroyed = reinterpret_cast<const xcb_destroy_notify_event_t&>(*event);
        std::lock_guard lock(closingMutex_);
        closing_.insert(destroyed.window);
    }
    handedOver_.emplace_back(event);
}

std::size_t Connection::keptEvents() {
    std::lock_guard lock(eventsMutex_);
    return handedOver_.size();
}

bool Connection::closing(xcb_window_t window) const {
    std::lock_guard lock(closingMutex_);
    return closing_.contains(window);
}

void Connection::closureDelivered(xcb_window_t window) {
    std::lock_guard lock(closingMutex_);
    if (const auto it = closing_.find(window); it != closing_.end()) closing_.erase(it);
}

void Connection::advanceGeneration() {
    {
        std::lock_guard lock(mutex_);
        ++generation_;
    }
    readDone_.notify_all();
}

void Connection::wakeEventThread() {
    if (wakeFd_ < 0) return;
    const std::uint64_t one = 1;
    [[maybe_unused]] auto n = write(wakeFd_, &one, sizeof one);
}

}  // namespace platform::x11
