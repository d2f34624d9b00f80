// SPDX-License-Identifier: MIT
// Connection: the X11 backend's one connection to the X server. Owns the xcb connection, the
// interned atoms, the event thread that reads the socket, and the bounded waits for replies
// that every request of the backend goes through. Safe to use from any thread.
#pragma once

#include "Platform/X11/Atoms.h"
#include "Platform/X11/Deadline.h"
#include "Platform/X11/FactCache.h"
#include "Platform/X11/Reply.h"

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace platform::x11 {

class Connection {
public:
    // Whether a connection hears the root's events (for its event thread, started with start())
    // or only sends requests and reads their replies: such a connection selects no events and
    // drops what comes anyway (errors of requests nobody checks), so nothing piles up unread.
    enum class Events { heard, none };

    // Connects to `display` (nullptr: $DISPLAY). Null when there is no X server to talk to
    // or it does not answer within `timeout` seconds.
    static std::shared_ptr<Connection> open(const char* display = nullptr, double timeout = 5.0,
                                            Events events = Events::heard);

    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection();

    xcb_connection_t* xcb() const { return c_; }
    // xcb-ewmh's atom table and request helpers; its atoms are read-only after open().
    xcb_ewmh_connection_t* ewmh() { return &ewmh_; }
    const Atoms& atoms() const { return atoms_; }
    // Facts of client windows kept between reads (see FactCache).
    FactCache& cache() { return *cache_; }
    // Selects the events the backend follows on a window (its property and structure
    // changes), once per window.
    void follow(xcb_window_t window);
    xcb_window_t root() const { return screen_->root; }
    const xcb_screen_t& screen() const { return *screen_; }
    int screenNumber() const { return screenNumber_; }
    // Windows whose DestroyNotify has been taken off the socket (by any thread) and whose news
    // has not been delivered yet (closureDelivered). The X server hands a closed client's ids
    // to the next client, so until the main thread has heard of the destruction such a number
    // may already name a new window that its readers would take for the old one. A reply read
    // after a destruction is returned only once the window is counted here.
    bool closing(xcb_window_t window) const;
    // Main thread: the news of one destruction has been delivered.
    void closureDelivered(xcb_window_t window);
    // Whether the RandR extension (1.5, monitors) is available.
    bool hasRandrMonitors() const { return randrMonitors_; }
    std::uint8_t randrEventBase() const { return randrEventBase_; }

    // True once the connection has failed; every request then fails at once.
    bool broken() const { return xcb_connection_has_error(c_) != 0; }

    // Sends the requests queued so far.
    void flush();

    // Waits for the reply to the request with this sequence number until the deadline.
    template <class T, class Cookie>
    Reply<T> await(Cookie cookie, Deadline deadline) {
        Reply<T> reply;
        xcb_generic_error_t* error = nullptr;
        void* raw = nullptr;
        reply.status = waitFor(cookie.sequence, &raw, &error, deadline);
        reply.value.reset(static_cast<T*>(raw));
        reply.error.reset(error);
        return reply;
    }

    // Waits until the server has handled every request sent so far, until the deadline.
    bool sync(Deadline deadline);

    // While one lives, this thread collects replies: the event thread leaves the socket to the
    // waiting threads (which hand it the events they read) instead of competing for each reply.
    // await() holds one itself; a batch holds one across all its awaits.
    class Waiting {
    public:
        explicit Waiting(Connection& connection);
        Waiting(const Waiting&) = delete;
        Waiting& operator=(const Waiting&) = delete;
        ~Waiting();

    private:
        Connection& connection_;
    };

    // One ConfigureNotify of a window, real (its own change, size only: the position is in
    // its parent's coordinates) or synthetic (the window manager's word of where the client
    // sits on the root, as the corner outside its border).
    struct ConfigureAnswer {
        std::int16_t x = 0, y = 0;
        std::uint16_t width = 0, height = 0, borderWidth = 0;
        bool synthetic = false;
    };

private:
    struct WatchEntry {
        xcb_window_t window;
        xcb_atom_t atom;
        int count = 0;
    };
    struct ConfigureEntry {
        xcb_window_t window;
        std::vector<ConfigureAnswer> answers;
    };

public:
    // Counts the PropertyNotify events of one property of one window from the moment it is
    // made until it is dropped. The backend has selected PropertyChange on the window first.
    class PropertyWatch {
    public:
        PropertyWatch(Connection& connection, xcb_window_t window, xcb_atom_t atom);
        PropertyWatch(const PropertyWatch&) = delete;
        PropertyWatch& operator=(const PropertyWatch&) = delete;
        ~PropertyWatch();
        // Waits until `count` notifications have arrived; false when the deadline passed first.
        bool waitForCount(int count, Deadline deadline);

    private:
        Connection& connection_;
        std::list<WatchEntry>::iterator entry_;
    };

    // Collects the ConfigureNotify events of one window from the moment it is made until it is
    // dropped. The backend has selected StructureNotify on the window first (follow()).
    class ConfigureWatch {
    public:
        ConfigureWatch(Connection& connection, xcb_window_t window);
        ConfigureWatch(const ConfigureWatch&) = delete;
        ConfigureWatch& operator=(const ConfigureWatch&) = delete;
        ~ConfigureWatch();
        // Waits until `done` holds of the answers collected so far, or the deadline passes;
        // answers whether it held. `done` is asked again whenever events were read.
        bool waitUntil(const std::function<bool(const std::vector<ConfigureAnswer>&)>& done, Deadline deadline);
        std::size_t count();

    private:
        Connection& connection_;
        std::list<ConfigureEntry>::iterator entry_;
    };

    // Starts the event thread. `onEvent` gets every event (on the event thread, in order);
    // `onLost` is called once, on the event thread, when the connection breaks.
    void start(std::function<void(const xcb_generic_event_t&)> onEvent, std::function<void()> onLost);
    // Events read off the socket and not yet dispatched by the event thread.
    std::size_t keptEvents();

private:
    Connection(xcb_connection_t* c, int screenNumber, Events events);
    bool initialise(Deadline deadline);
    ReplyStatus waitFor(unsigned int sequence, void** reply, xcb_generic_error_t** error, Deadline deadline);
    void runEvents();
    void dispatch(const xcb_generic_event_t& event);
    // Moves events that a waiter read off the socket (with its reply) to the event thread,
    // in the order they were read.
    void handOverQueuedEvents();
    // Keeps one event taken off xcb's queue for the event thread; `eventsMutex_` is held.
    void keep(xcb_generic_event_t* event);
    void wakeEventThread();
    void advanceGeneration();

    xcb_connection_t* c_;
    int screenNumber_;
    Events events_;
    xcb_screen_t* screen_ = nullptr;
    xcb_ewmh_connection_t ewmh_{};
    bool ewmhReady_ = false;
    Atoms atoms_;
    std::unique_ptr<FactCache> cache_;
    bool randrMonitors_ = false;
    std::uint8_t randrEventBase_ = 0;

    // Woken whenever the socket was read; waiters re-check their replies then.
    std::mutex mutex_;
    std::condition_variable readDone_;
    std::uint64_t generation_ = 0;
    std::list<WatchEntry> watches_;
    std::list<ConfigureEntry> configureWatches_;

    // Events taken from xcb's queue, oldest first, for the event thread to dispatch.
    std::mutex eventsMutex_;
    std::vector<XPtr<xcb_generic_event_t>> handedOver_;
    mutable std::mutex closingMutex_;
    std::multiset<xcb_window_t> closing_;

    int wakeFd_ = -1;
    std::atomic<bool> stopping_{false};
    std::atomic<int> waiters_{0};
    std::thread eventThread_;
    std::function<void(const xcb_generic_event_t&)> onEvent_;
    std::function<void()> onLost_;
};

}  // namespace platform::x11
