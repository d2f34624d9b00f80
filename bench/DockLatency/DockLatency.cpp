// SPDX-License-Identifier: MIT
// arvelo-dock-latency: times what arvelo does to the frames of a desktop where it arranges
// windows, trial after trial, from the X server's events alone. Three kinds of trial:
//   open      a new window (xlogo or xterm) is opened: from the map of its window manager frame
//             to the first change of that frame (docked) and to its last change (final frame);
//   hot-key   Ctrl+Alt+Return over a tile (focus), then Ctrl+Alt+Space (show everything): from the
//             first frame change after each key to the last;
//   drop      the rightmost window is dragged by its title bar onto the left edge band and
//             released: from the first frame change after the release to the last.
// Each trial watches the frames for a few seconds; with --pid it also reads the CPU time arvelo
// used meanwhile (utime + stime of /proc/<pid>/stat). Prints one line per trial, then the median
// and the maximum of each figure.
//
// Usage: arvelo-dock-latency [--mode open|hot-key|drop] [--open PROGRAM] [--trials N]
//                            [--settle SECONDS] [--watch SECONDS] [--pid PID]
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsBetween(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const Geometry&, const Geometry&) = default;
};

struct Options {
    std::string mode = "open";
    std::string program = "xlogo";
    int trials = 30;
    double settle = 2.0;
    double watch = 4.0;
    pid_t pid = 0;
};

// The CPU time a process used so far, in milliseconds: the run time of each of its threads
// (/proc/<pid>/task/<tid>/schedstat, nanoseconds); absent without a process to read.
std::optional<double> cpuMilliseconds(pid_t pid) {
    if (pid <= 0) return std::nullopt;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(tasks.c_str()), &closedir);
    if (!dir) return std::nullopt;
    double nanoseconds = 0;
    while (const dirent* entry = readdir(dir.get())) {
        if (entry->d_name[0] == '.') continue;
        std::ifstream file(tasks + "/" + entry->d_name + "/schedstat");
        double running = 0;
        if (file >> running) nanoseconds += running;
    }
    return nanoseconds / 1e6;
}

using Event = std::unique_ptr<xcb_generic_event_t, void (*)(void*)>;

// The desktop as the X server's events describe it: the root's children, where they are and
// which are mapped (window manager frames; override-redirect windows are left out).
struct Desktop {
    xcb_connection_t* c = nullptr;
    xcb_window_t root = 0;
    int width = 0, height = 0;
    std::map<xcb_window_t, Geometry> geometry;
    std::set<xcb_window_t> mapped;

    // Reads the root's children once; events keep the picture from then on.
    void load() {
        std::unique_ptr<xcb_query_tree_reply_t, void (*)(void*)> tree(
            xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr), &std::free);
        if (!tree) return;
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
            const xcb_window_t w = children[i];
            std::unique_ptr<xcb_get_window_attributes_reply_t, void (*)(void*)> attributes(
                xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr), &std::free);
            std::unique_ptr<xcb_get_geometry_reply_t, void (*)(void*)> g(
                xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr), &std::free);
            if (!attributes || !g) continue;
            geometry[w] = {g->x, g->y, g->width, g->height};
            if (attributes->map_state == XCB_MAP_STATE_VIEWABLE && !attributes->override_redirect) mapped.insert(w);
        }
    }

    // Waits for the next event until the deadline; null when none came. The caller notes it.
    Event next(Clock::time_point deadline) {
        for (;;) {
            if (auto* event = xcb_poll_for_event(c)) return Event(event, &std::free);
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0 || xcb_connection_has_error(c)) return Event(nullptr, &std::free);
            pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
            poll(&fd, 1, static_cast<int>(std::min<long long>(left, 50)));
        }
    }

    // The frame whose place or size the event changes (a mapped frame); absent for any other
    // event. Asked before the event is noted.
    std::optional<xcb_window_t> frameChange(const xcb_generic_event_t& event) const {
        if ((event.response_type & 0x7f) != XCB_CONFIGURE_NOTIFY) return std::nullopt;
        const auto& e = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
        if (e.event != root || e.override_redirect || !mapped.contains(e.window)) return std::nullopt;
        const auto was = geometry.find(e.window);
        if (was != geometry.end() && was->second == Geometry{e.x, e.y, e.width, e.height}) return std::nullopt;
        return e.window;
    }

    void note(const xcb_generic_event_t& event) {
        switch (event.response_type & 0x7f) {
            case XCB_CREATE_NOTIFY: {
                const auto& e = reinterpret_cast<const xcb_create_notify_event_t&>(event);
                if (e.parent == root) geometry[e.window] = {e.x, e.y, e.width, e.height};
                break;
            }
            case XCB_CONFIGURE_NOTIFY: {
                const auto& e = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
                if (e.event == root) geometry[e.window] = {e.x, e.y, e.width, e.height};
                break;
            }
            case XCB_MAP_NOTIFY: {
                const auto& e = reinterpret_cast<const xcb_map_notify_event_t&>(event);
                if (e.event == root && !e.override_redirect) mapped.insert(e.window);
                break;
            }
            case XCB_UNMAP_NOTIFY: {
                const auto& e = reinterpret_cast<const xcb_unmap_notify_event_t&>(event);
                if (e.event == root) mapped.erase(e.window);
                break;
            }
            case XCB_DESTROY_NOTIFY: {
                const auto& e = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
                geometry.erase(e.window);
                mapped.erase(e.window);
                break;
            }
            default:
                break;
        }
    }

    void drain(double seconds) {
        const auto until = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
        while (auto event = next(until)) note(*event);
    }

    xcb_keycode_t keycode(xcb_keysym_t keysym) const {
        const xcb_setup_t* setup = xcb_get_setup(c);
        const int count = setup->max_keycode - setup->min_keycode + 1;
        std::unique_ptr<xcb_get_keyboard_mapping_reply_t, void (*)(void*)> reply(
            xcb_get_keyboard_mapping_reply(
                c, xcb_get_keyboard_mapping(c, setup->min_keycode, static_cast<std::uint8_t>(count)), nullptr),
            &std::free);
        if (!reply) return 0;
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply.get());
        for (int k = 0; k < count; ++k)
            for (int j = 0; j < reply->keysyms_per_keycode; ++j)
                if (syms[k * reply->keysyms_per_keycode + j] == keysym)
                    return static_cast<xcb_keycode_t>(setup->min_keycode + k);
        return 0;
    }

    // A key, button or motion through XTest; a motion with `relative` moves by (x, y).
    void fake(std::uint8_t type, std::uint8_t detail, std::int16_t x = 0, std::int16_t y = 0) {
        xcb_test_fake_input(c, type, detail, XCB_CURRENT_TIME, type == XCB_MOTION_NOTIFY ? root : xcb_window_t{XCB_WINDOW_NONE}, x,
                            y, 0);
        xcb_flush(c);
    }

    // The mapped frame that reaches furthest right; small ones (a tray) left out.
    std::optional<xcb_window_t> rightmost() const {
        std::optional<xcb_window_t> best;
        int reach = -1;
        for (const xcb_window_t w : mapped) {
            const Geometry& g = geometry.at(w);
            if (g.width < kSmallestFrame || g.height < kSmallestFrame || g.x >= width) continue;
            if (g.x + g.width / 2 > reach) {
                reach = g.x + g.width / 2;
                best = w;
            }
        }
        return best;
    }

    static constexpr int kSmallestFrame = 60;
};

void pause(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

// The frame changes seen from a start (a map, a key, a release) on.
struct Watch {
    Clock::time_point start;
    std::optional<xcb_window_t> subject;  // the new window's frame, in open trials
    std::optional<Clock::time_point> firstSubject, lastSubject, firstAny, lastAny;
    std::optional<double> cpuAtStart;

    void see(xcb_window_t frame, Clock::time_point at) {
        if (!firstAny) firstAny = at;
        lastAny = at;
        if (subject && frame == *subject) {
            if (!firstSubject) firstSubject = at;
            lastSubject = at;
        }
    }

    // Follows the frames until `end`.
    void follow(Desktop& desktop, Clock::time_point end) {
        while (auto event = desktop.next(end)) {
            if (const auto frame = desktop.frameChange(*event)) see(*frame, Clock::now());
            desktop.note(*event);
        }
    }

    std::optional<double> since(const std::optional<Clock::time_point>& at) const {
        if (!at) return std::nullopt;
        return millisecondsBetween(start, *at);
    }
};

// One trial's figures; absent where the trial saw nothing.
struct Outcome {
    std::optional<double> first;   // ms from the start to the first change (open: of the new window)
    std::optional<double> last;    // ms from the start to the last change (open: of the new window)
    std::optional<double> spread;  // ms from the first change of any frame to the last
    std::optional<double> cpu;     // ms of arvelo's CPU over the trial
};

Outcome outcomeOf(const Watch& watch, bool bySubject, pid_t pid) {
    Outcome o;
    o.first = watch.since(bySubject ? watch.firstSubject : watch.firstAny);
    o.last = watch.since(bySubject ? watch.lastSubject : watch.lastAny);
    if (watch.firstAny && watch.lastAny) o.spread = millisecondsBetween(*watch.firstAny, *watch.lastAny);
    const auto now = cpuMilliseconds(pid);
    if (now && watch.cpuAtStart) o.cpu = *now - *watch.cpuAtStart;
    return o;
}

pid_t spawn(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return 0;
    return pid;
}

Clock::time_point after(Clock::time_point from, double seconds) {
    return from + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

// Opens a window and follows it from the map of its frame.
std::optional<Outcome> openTrial(Desktop& desktop, const Options& options, int number) {
    const std::string place = "+" + std::to_string(100 + (number % 5) * 37) + "+" + std::to_string(80 + (number % 3) * 29);
    const bool terminal = options.program == "xterm";
    const pid_t pid = spawn({options.program, "-geometry", (terminal ? "80x24" : "240x240") + place});
    if (!pid) return std::nullopt;
    Watch watch;
    watch.cpuAtStart = cpuMilliseconds(options.pid);
    const auto deadline = after(Clock::now(), 10);
    while (!watch.subject) {
        auto event = desktop.next(deadline);
        if (!event) break;
        if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
            const auto& e = reinterpret_cast<const xcb_map_notify_event_t&>(*event);
            if (e.event == desktop.root && !e.override_redirect) {
                watch.subject = e.window;
                watch.start = Clock::now();
            }
        }
        desktop.note(*event);
    }
    std::optional<Outcome> outcome;
    if (watch.subject) {
        watch.follow(desktop, after(watch.start, options.watch));
        outcome = outcomeOf(watch, true, options.pid);
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return outcome;
}

void pressKeys(Desktop& desktop, const std::vector<xcb_keycode_t>& keys) {
    for (const xcb_keycode_t key : keys) desktop.fake(XCB_KEY_PRESS, key);
    for (auto it = keys.rbegin(); it != keys.rend(); ++it) desktop.fake(XCB_KEY_RELEASE, *it);
}

// Presses the keys and follows the frames they change.
Outcome keyTrial(Desktop& desktop, const Options& options, const std::vector<xcb_keycode_t>& keys) {
    Watch watch;
    watch.cpuAtStart = cpuMilliseconds(options.pid);
    watch.start = Clock::now();
    pressKeys(desktop, keys);
    watch.follow(desktop, after(watch.start, options.watch));
    return outcomeOf(watch, false, options.pid);
}

// Drags the rightmost window by its title bar onto the left edge band, and follows the frames
// from the release.
std::optional<Outcome> dropTrial(Desktop& desktop, const Options& options) {
    const auto frame = desktop.rightmost();
    if (!frame) return std::nullopt;
    const Geometry g = desktop.geometry.at(*frame);
    int x = g.x + g.width / 2, y = g.y + 8;
    desktop.fake(XCB_MOTION_NOTIFY, 0, static_cast<std::int16_t>(x), static_cast<std::int16_t>(y));
    pause(0.1);
    desktop.fake(XCB_BUTTON_PRESS, 1);
    pause(0.05);
    // Relative steps, so every one is a raw motion the arranger's drag sees.
    const int targetX = 10, targetY = desktop.height / 2;
    constexpr int kSteps = 40;
    for (int i = 1; i <= kSteps; ++i) {
        const int nx = x + (targetX - x) / (kSteps - i + 1), ny = y + (targetY - y) / (kSteps - i + 1);
        desktop.fake(XCB_MOTION_NOTIFY, 1, static_cast<std::int16_t>(nx - x), static_cast<std::int16_t>(ny - y));
        x = nx;
        y = ny;
        pause(0.01);
    }
    // A few small moves in the band, so a look at the pointer finds it there.
    for (int i = 0; i < 10; ++i) {
        desktop.fake(XCB_MOTION_NOTIFY, 1, 0, static_cast<std::int16_t>(i % 2 ? -1 : 1));
        pause(0.05);
    }
    desktop.drain(0);
    Watch watch;
    watch.cpuAtStart = cpuMilliseconds(options.pid);
    watch.start = Clock::now();
    desktop.fake(XCB_BUTTON_RELEASE, 1);
    watch.follow(desktop, after(watch.start, options.watch));
    return outcomeOf(watch, false, options.pid);
}

void summarise(const char* what, const std::vector<Outcome>& outcomes, std::optional<double> Outcome::*field) {
    std::vector<double> values;
    for (const Outcome& o : outcomes)
        if (o.*field) values.push_back(*(o.*field));
    if (values.empty()) {
        std::printf("%s: none\n", what);
        return;
    }
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    double sum = 0;
    for (const double v : values) sum += v;
    std::printf("%s over %zu trials: median %.1f ms, mean %.1f ms, maximum %.1f ms\n", what, n, median,
                sum / static_cast<double>(n), values.back());
}

std::string text(const std::optional<double>& value) {
    if (!value) return "-";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f ms", *value);
    return buffer;
}

void printTrial(const char* label, int number, const Outcome& o) {
    std::printf("trial %d %s: first %s, last %s, first to last change %s, cpu %s\n", number, label,
                text(o.first).c_str(), text(o.last).c_str(), text(o.spread).c_str(), text(o.cpu).c_str());
    std::fflush(stdout);
}

std::optional<Options> parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (i + 1 >= argc) return std::nullopt;
        const char* value = argv[++i];
        if (flag == "--mode")
            o.mode = value;
        else if (flag == "--open")
            o.program = value;
        else if (flag == "--trials")
            o.trials = std::atoi(value);
        else if (flag == "--settle")
            o.settle = std::atof(value);
        else if (flag == "--watch")
            o.watch = std::atof(value);
        else if (flag == "--pid")
            o.pid = static_cast<pid_t>(std::atoi(value));
        else
            return std::nullopt;
    }
    if (o.trials <= 0 || o.watch <= 0 || (o.mode != "open" && o.mode != "hot-key" && o.mode != "drop"))
        return std::nullopt;
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    const auto options = parse(argc, argv);
    if (!options) {
        std::fprintf(stderr,
                     "usage: arvelo-dock-latency [--mode open|hot-key|drop] [--open PROGRAM] [--trials N] "
                     "[--settle SECONDS] [--watch SECONDS] [--pid PID]\n");
        return 2;
    }
    Desktop desktop;
    desktop.c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(desktop.c)) {
        std::fprintf(stderr, "arvelo-dock-latency: no X server\n");
        return 1;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(desktop.c)).data;
    desktop.root = screen->root;
    desktop.width = screen->width_in_pixels;
    desktop.height = screen->height_in_pixels;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(desktop.c, desktop.root, XCB_CW_EVENT_MASK, &mask);
    desktop.load();
    xcb_flush(desktop.c);

    // Keysyms: Control_L, Alt_L, space, Return.
    const xcb_keycode_t control = desktop.keycode(0xffe3), alt = desktop.keycode(0xffe9),
                        space = desktop.keycode(0x20), enter = desktop.keycode(0xff0d);

    std::vector<Outcome> outcomes, showing;
    int missed = 0;
    for (int i = 1; i <= options->trials; ++i) {
        desktop.drain(options->settle);
        if (options->mode == "open") {
            const auto outcome = openTrial(desktop, *options, i);
            if (!outcome || !outcome->first) ++missed;
            if (outcome) {
                outcomes.push_back(*outcome);
                printTrial("map", i, *outcome);
            } else {
                std::printf("trial %d: no window mapped within 10 s\n", i);
            }
        } else if (options->mode == "hot-key") {
            // Focus the tile under the pointer (the middle of the screen), then show everything.
            desktop.fake(XCB_MOTION_NOTIFY, 0, static_cast<std::int16_t>(desktop.width / 2),
                         static_cast<std::int16_t>(desktop.height / 2));
            const Outcome focus = keyTrial(desktop, *options, {control, alt, enter});
            printTrial("Ctrl+Alt+Return", i, focus);
            desktop.drain(options->settle);
            const Outcome all = keyTrial(desktop, *options, {control, alt, space});
            printTrial("Ctrl+Alt+Space", i, all);
            outcomes.push_back(focus);
            showing.push_back(all);
        } else {
            const auto outcome = dropTrial(desktop, *options);
            if (!outcome || !outcome->first) ++missed;
            if (outcome) {
                outcomes.push_back(*outcome);
                printTrial("drop", i, *outcome);
            }
        }
    }
    if (options->mode == "open") {
        summarise("map to docked", outcomes, &Outcome::first);
        summarise("map to final frame", outcomes, &Outcome::last);
        summarise("first to last frame change", outcomes, &Outcome::spread);
        summarise("arvelo CPU per docking", outcomes, &Outcome::cpu);
        std::printf("not docked: %d\n", missed);
    } else if (options->mode == "hot-key") {
        summarise("Ctrl+Alt+Return: first to last frame change", outcomes, &Outcome::spread);
        summarise("Ctrl+Alt+Return: arvelo CPU", outcomes, &Outcome::cpu);
        summarise("Ctrl+Alt+Space: key to first frame change", showing, &Outcome::first);
        summarise("Ctrl+Alt+Space: first to last frame change", showing, &Outcome::spread);
        summarise("Ctrl+Alt+Space: arvelo CPU", showing, &Outcome::cpu);
    } else {
        summarise("release to first frame change", outcomes, &Outcome::first);
        summarise("drop: first to last frame change", outcomes, &Outcome::spread);
        summarise("drop: arvelo CPU", outcomes, &Outcome::cpu);
        std::printf("drops that moved nothing: %d\n", missed);
    }
    xcb_disconnect(desktop.c);
    return outcomes.empty() ? 1 : 0;
}
