// SPDX-License-Identifier: MIT
// arvelo-tap-delay: how long the canvas's event tap holds a press back before the window under
// the pointer gets it, on a desktop where arvelo arranges windows. It opens a window of its own
// (an ordinary application window, so arvelo docks it), waits until arvelo has placed it, then
// plays presses over it with XTest: plain presses (outside the tap's gate: never grabbed) and
// Shift-presses (inside the gate: frozen by the tap's grab, decided on arvelo's main thread and
// replayed). For each press it notes when the XInput2 raw press reaches this client and when
// the window's own ButtonPress does (both read from one connection, in order): the time the
// press was held back on its way, by the tap or by the window manager's own grabs (openbox
// freezes and replays a plain press on a client window to focus it). Prints the median and the
// maximum of each kind; run once more with --alone (no arvelo) for the same presses without
// the tap.
//
// Usage: arvelo-tap-delay [--presses N] [--alone]
//   --presses N   presses of each kind (default 100)
//   --alone       no arvelo runs: measure at once (the same presses without the tap, to compare)
#include <xcb/xcb.h>
#include <xcb/xinput.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWidth = 640, kHeight = 480;
constexpr const char* kTitle = "tap-delay";
constexpr std::uint32_t kShiftLeftKeysym = 0xffe1;
constexpr auto kEventWait = std::chrono::seconds(1);
constexpr auto kPlacementWait = std::chrono::seconds(20);
constexpr auto kStillFor = std::chrono::seconds(2);
constexpr auto kBetweenPresses = std::chrono::milliseconds(60);

double milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

using Event = std::unique_ptr<xcb_generic_event_t, void (*)(void*)>;

struct Session {
    xcb_connection_t* c = nullptr;
    xcb_screen_t* screen = nullptr;
    xcb_window_t window = 0;
    std::uint8_t xiOpcode = 0;
    xcb_keycode_t shift = 0;

    // The next event, or null once the deadline has passed.
    Event next(Clock::time_point deadline) {
        for (;;) {
            if (auto* event = xcb_poll_for_event(c)) return Event(event, &std::free);
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0 || xcb_connection_has_error(c)) return Event(nullptr, &std::free);
            pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
            poll(&fd, 1, static_cast<int>(std::min<long long>(left, 20)));
        }
    }
    bool isRawPress(const xcb_generic_event_t& event) const {
        if ((event.response_type & 0x7f) != XCB_GE_GENERIC) return false;
        const auto& ge = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
        return ge.extension == xiOpcode && ge.event_type == XCB_INPUT_RAW_BUTTON_PRESS &&
               reinterpret_cast<const xcb_input_raw_button_press_event_t&>(event).detail == 1;
    }
    void sync() { std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); }
    void fake(std::uint8_t type, std::uint8_t detail, std::int16_t x = 0, std::int16_t y = 0) {
        xcb_test_fake_input(c, type, detail, XCB_CURRENT_TIME, type == XCB_MOTION_NOTIFY ? screen->root : XCB_NONE, x,
                            y, 0);
    }
};

bool open(Session& s) {
    s.c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(s.c)) return false;
    s.screen = xcb_setup_roots_iterator(xcb_get_setup(s.c)).data;
    const auto* xi = xcb_get_extension_data(s.c, &xcb_input_id);
    const auto* xtest = xcb_get_extension_data(s.c, &xcb_test_id);
    if (!xi || !xi->present || !xtest || !xtest->present) return false;
    s.xiOpcode = xi->major_opcode;
    std::free(xcb_input_xi_query_version_reply(s.c, xcb_input_xi_query_version(s.c, 2, 2), nullptr));
    struct {
        xcb_input_event_mask_t head;
        std::uint32_t bits;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS};
    xcb_input_xi_select_events(s.c, s.screen->root, 1, &mask.head);

    // The Shift key's key code.
    const xcb_setup_t* setup = xcb_get_setup(s.c);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    auto* mapping = xcb_get_keyboard_mapping_reply(
        s.c, xcb_get_keyboard_mapping(s.c, setup->min_keycode, static_cast<std::uint8_t>(count)), nullptr);
    if (!mapping) return false;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(mapping);
    for (int k = 0; k < count && !s.shift; ++k)
        for (int i = 0; i < mapping->keysyms_per_keycode; ++i)
            if (syms[k * mapping->keysyms_per_keycode + i] == kShiftLeftKeysym)
                s.shift = static_cast<xcb_keycode_t>(setup->min_keycode + k);
    std::free(mapping);
    if (!s.shift) return false;

    // An ordinary application window of this process.
    s.window = xcb_generate_id(s.c);
    const std::uint32_t values[] = {s.screen->white_pixel, XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
                                                              XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(s.c, XCB_COPY_FROM_PARENT, s.window, s.screen->root, 100, 100, kWidth, kHeight, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, s.screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK,
                      values);
    xcb_change_property(s.c, XCB_PROP_MODE_REPLACE, s.window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(std::strlen(kTitle)), kTitle);
    const std::string wmClass = std::string("tap-delay") + '\0' + "TapDelay" + '\0';
    xcb_change_property(s.c, XCB_PROP_MODE_REPLACE, s.window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(wmClass.size()), wmClass.data());
    const char pidName[] = "_NET_WM_PID";
    if (auto* atom = xcb_intern_atom_reply(s.c, xcb_intern_atom(s.c, 0, std::strlen(pidName), pidName), nullptr)) {
        const std::uint32_t pid = static_cast<std::uint32_t>(getpid());
        xcb_change_property(s.c, XCB_PROP_MODE_REPLACE, s.window, atom->atom, XCB_ATOM_CARDINAL, 32, 1, &pid);
        std::free(atom);
    }
    xcb_map_window(s.c, s.window);
    xcb_flush(s.c);
    return true;
}

// Waits until arvelo has moved the window and it has held still since.
bool placed(Session& s) {
    const auto end = Clock::now() + kPlacementWait;
    int configures = 0;
    auto lastChange = Clock::now();
    while (Clock::now() < end) {
        const auto event = s.next(std::min(end, Clock::now() + std::chrono::milliseconds(100)));
        if (event && (event->response_type & 0x7f) == XCB_CONFIGURE_NOTIFY) {
            ++configures;
            lastChange = Clock::now();
        }
        // arvelo moves the window into its tile; then it holds still.
        if (configures >= 1 && Clock::now() - lastChange >= kStillFor) return true;
    }
    return false;
}

struct Point {
    std::int16_t x = 0, y = 0;
};

std::optional<Point> middleOfWindow(Session& s) {
    auto* g = xcb_get_geometry_reply(s.c, xcb_get_geometry(s.c, s.window), nullptr);
    auto* o = xcb_translate_coordinates_reply(s.c, xcb_translate_coordinates(s.c, s.window, s.screen->root, 0, 0),
                                              nullptr);
    std::optional<Point> middle;
    if (g && o)
        middle = Point{static_cast<std::int16_t>(o->dst_x + g->width / 2), static_cast<std::int16_t>(o->dst_y + g->height / 2)};
    std::free(g);
    std::free(o);
    return middle;
}

// One press at `at` (with Shift held when asked) and its release: the time from the raw press
// to the window's ButtonPress, or nothing when one of them did not come.
std::optional<double> press(Session& s, Point at, bool shift) {
    s.fake(XCB_MOTION_NOTIFY, 0, at.x, at.y);
    if (shift) s.fake(XCB_KEY_PRESS, s.shift);
    s.sync();
    s.fake(XCB_BUTTON_PRESS, 1);
    xcb_flush(s.c);
    std::optional<Clock::time_point> raw, delivered;
    const auto end = Clock::now() + kEventWait;
    while (!(raw && delivered)) {
        const auto event = s.next(end);
        if (!event) break;
        if (s.isRawPress(*event) && !raw) raw = Clock::now();
        if ((event->response_type & 0x7f) == XCB_BUTTON_PRESS &&
            reinterpret_cast<const xcb_button_press_event_t&>(*event).event == s.window)
            delivered = Clock::now();
    }
    s.fake(XCB_BUTTON_RELEASE, 1);
    if (shift) s.fake(XCB_KEY_RELEASE, s.shift);
    xcb_flush(s.c);
    const auto released = Clock::now() + kEventWait;
    while (const auto event = s.next(released))
        if ((event->response_type & 0x7f) == XCB_BUTTON_RELEASE) break;
    if (!raw || !delivered) return std::nullopt;
    return milliseconds(*delivered - *raw);
}

struct Figures {
    std::size_t count = 0;
    double median = 0, maximum = 0;
};
Figures figuresOf(std::vector<double> samples) {
    if (samples.empty()) return {};
    std::sort(samples.begin(), samples.end());
    return {samples.size(), samples[samples.size() / 2], samples.back()};
}

}  // namespace

int main(int argc, char** argv) {
    int presses = 100;
    bool alone = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--presses") == 0 && i + 1 < argc) {
            presses = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--alone") == 0) {
            alone = true;
        } else {
            std::fprintf(stderr, "usage: arvelo-tap-delay [--presses N] [--alone]\n");
            return 2;
        }
    }
    if (presses < 1) {
        std::fprintf(stderr, "arvelo-tap-delay: bad press count\n");
        return 2;
    }
    Session s;
    if (!open(s)) {
        std::fprintf(stderr, "arvelo-tap-delay: needs an X server with XInput2 and XTest\n");
        return 1;
    }
    if (alone) {
        // Framed by the window manager and shown.
        const auto shown = Clock::now() + kStillFor;
        while (s.next(shown)) {
        }
    } else if (!placed(s)) {
        std::fprintf(stderr, "arvelo-tap-delay: arvelo did not place the window (is it arranging?)\n");
        return 1;
    }
    const auto middle = middleOfWindow(s);
    if (!middle) return 1;
    std::vector<double> plain, shifted;
    int lost = 0;
    for (int i = 0; i < presses; ++i) {
        // Two spots apart, so no two presses in a row make a double click.
        const Point at{static_cast<std::int16_t>(middle->x + (i % 2 ? 60 : -60)), middle->y};
        for (const bool shift : {false, true}) {
            if (const auto delay = press(s, at, shift))
                (shift ? shifted : plain).push_back(*delay);
            else
                ++lost;
            usleep(static_cast<useconds_t>(std::chrono::microseconds(kBetweenPresses).count()));
        }
    }
    const Figures p = figuresOf(plain), t = figuresOf(shifted);
    std::printf("plain presses: %zu, median %.2f ms, maximum %.2f ms\n", p.count, p.median, p.maximum);
    std::printf("Shift-presses: %zu, median %.2f ms, maximum %.2f ms\n", t.count, t.median, t.maximum);
    if (lost) std::printf("presses that never reached the window: %d\n", lost);
    xcb_disconnect(s.c);
    return lost ? 1 : 0;
}
