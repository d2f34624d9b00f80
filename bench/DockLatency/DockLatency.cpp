// arvelo-dock-latency: opens an xlogo window again and again on a desktop where arvelo runs and
// measures, for each, the time from the map of its window manager frame to the first change of
// that frame's geometry (arvelo docking it). Between trials the window is closed and the
// arrangement given time to settle. Prints one line per trial, then the median and the maximum.
//
// Usage: arvelo-dock-latency [--trials N] [--settle SECONDS]
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const Geometry&, const Geometry&) = default;
};

struct Desktop {
    xcb_connection_t* c = nullptr;
    xcb_window_t root = 0;
    std::map<xcb_window_t, Geometry> geometry;  // of the root's children, from their events

    // Waits for the next event until the deadline; null when none came.
    auto next(Clock::time_point deadline) {
        for (;;) {
            if (auto* event = xcb_poll_for_event(c)) {
                note(*event);
                return std::unique_ptr<xcb_generic_event_t, void (*)(void*)>(event, &std::free);
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0 || xcb_connection_has_error(c)) return std::unique_ptr<xcb_generic_event_t, void (*)(void*)>(nullptr, &std::free);
            pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
            poll(&fd, 1, static_cast<int>(std::min<long long>(left, 50)));
        }
    }

    void note(const xcb_generic_event_t& event) {
        switch (event.response_type & 0x7f) {
            case XCB_CREATE_NOTIFY: {
                const auto& e = reinterpret_cast<const xcb_create_notify_event_t&>(event);
                geometry[e.window] = {e.x, e.y, e.width, e.height};
                break;
            }
            case XCB_CONFIGURE_NOTIFY: {
                const auto& e = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
                if (e.event == root) geometry[e.window] = {e.x, e.y, e.width, e.height};
                break;
            }
            case XCB_DESTROY_NOTIFY: {
                const auto& e = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
                geometry.erase(e.window);
                break;
            }
            default:
                break;
        }
    }

    void drain(double seconds) {
        const auto until = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
        while (next(until)) {
        }
    }
};

pid_t openWindow(int trial) {
    const std::string geometry = "240x240+" + std::to_string(100 + (trial % 5) * 37) + "+" +
                                 std::to_string(80 + (trial % 3) * 29);
    const char* argv[] = {"xlogo", "-geometry", geometry.c_str(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, "xlogo", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) return 0;
    return pid;
}

// Milliseconds from the map of the new window's frame to its first move or resize; absent
// when either does not come within the deadline.
std::optional<double> trial(Desktop& desktop, int number) {
    const pid_t pid = openWindow(number);
    if (!pid) return std::nullopt;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    std::optional<xcb_window_t> frame;
    Geometry mapped;
    Clock::time_point mapTime;
    std::optional<double> latency;
    while (!latency) {
        auto event = desktop.next(deadline);
        if (!event) break;
        const std::uint8_t type = event->response_type & 0x7f;
        if (!frame && type == XCB_MAP_NOTIFY) {
            const auto& e = reinterpret_cast<const xcb_map_notify_event_t&>(*event);
            if (e.event != desktop.root || e.override_redirect) continue;
            frame = e.window;
            mapTime = Clock::now();
            mapped = desktop.geometry[e.window];
        } else if (frame && type == XCB_CONFIGURE_NOTIFY) {
            const auto& e = reinterpret_cast<const xcb_configure_notify_event_t&>(*event);
            if (e.event != desktop.root || e.window != *frame) continue;
            if (Geometry{e.x, e.y, e.width, e.height} == mapped) continue;
            latency = std::chrono::duration<double, std::milli>(Clock::now() - mapTime).count();
        }
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return latency;
}

}  // namespace

int main(int argc, char** argv) {
    int trials = 30;
    double settle = 2.0;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--trials") && i + 1 < argc) {
            trials = std::atoi(argv[++i]);
        } else if (!std::strcmp(argv[i], "--settle") && i + 1 < argc) {
            settle = std::atof(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: arvelo-dock-latency [--trials N] [--settle SECONDS]\n");
            return 2;
        }
    }
    Desktop desktop;
    desktop.c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(desktop.c)) {
        std::fprintf(stderr, "arvelo-dock-latency: no X server\n");
        return 1;
    }
    desktop.root = xcb_setup_roots_iterator(xcb_get_setup(desktop.c)).data->root;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(desktop.c, desktop.root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(desktop.c);

    std::vector<double> latencies;
    int missed = 0;
    for (int i = 0; i < trials; ++i) {
        desktop.drain(settle);
        const auto latency = trial(desktop, i);
        if (latency) {
            latencies.push_back(*latency);
            std::printf("trial %d: %.1f ms\n", i + 1, *latency);
        } else {
            ++missed;
            std::printf("trial %d: not docked within 10 s\n", i + 1);
        }
        std::fflush(stdout);
    }
    if (latencies.empty()) return 1;
    std::vector<double> sorted = latencies;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t n = sorted.size();
    const double median = n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    std::printf("map to docked over %zu trials: median %.1f ms, maximum %.1f ms, not docked %d\n", n, median,
                sorted.back(), missed);
    xcb_disconnect(desktop.c);
    return 0;
}
