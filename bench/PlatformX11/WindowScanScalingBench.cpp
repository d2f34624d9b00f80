// SPDX-License-Identifier: MIT
// WindowScanScalingBench.cpp: how the arranger's window scan grows with the number of windows
// on a real X server (run under scripts/with-xvfb), with the window count as the benchmark's
// argument (20, 100, 200 windows, each of its own process, as xlogo windows are). Beside the
// scan, the two-round-trip floor: the client list, then every fact the scan needs of every
// client asked of the server in one pipelined batch, with no cache; the scan (which answers
// from the facts the backend keeps) should stay within twice that.
#include "Arvelo/Windows/WindowScan.h"
#include "BenchWindows.h"
#include "Platform/Qt/QtDispatcher.h"
#include "Platform/X11/X11Backend.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <thread>

namespace {

using platform::AccessElement;
namespace ax = platform::ax;

constexpr double kTimeout = 0.25;

platform::Services gServices;
std::unique_ptr<benchx11::WindowProcesses> gProcesses;
std::vector<arvelo::ScanApplication> gApplications;
std::vector<AccessElement> gWindows;

// The benchmark's own applications and their windows, as they stand now.
void collect() {
    gApplications.clear();
    gWindows.clear();
    for (const auto& app : gServices.workspace->runningApplications()) {
        if (!app.applicationID || app.applicationID->rfind("BenchClient", 0) != 0) continue;
        gApplications.push_back({app.pid, *app.applicationID, app.localizedName.value_or("Window")});
        const auto windows =
            gServices.accessibility->copyAttributeValue(AccessElement::application(app.pid), ax::kWindows, kTimeout);
        for (const AccessElement& w : windows.value.elements().value_or(std::vector<AccessElement>{})) gWindows.push_back(w);
    }
}

// Runs exactly `count` windows (one per process); false when they did not all come up.
bool provide(int count) {
    gProcesses->resize(count);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (;;) {
        QCoreApplication::processEvents();
        collect();
        if (static_cast<int>(gWindows.size()) == count) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

std::vector<arvelo::RetainedWindow> retainedWindows() {
    std::vector<arvelo::RetainedWindow> retained;
    for (const AccessElement& w : gWindows) retained.push_back({std::to_string(w.window), w.pid, w, w.window});
    return retained;
}

// The scan after any change on the desktop (a window opened, closed, moved or restacked): the
// applications and windows known, nothing of the last scan's reads taken again.
void BM_WindowScanOfKnownWindows(benchmark::State& state) {
    if (!provide(static_cast<int>(state.range(0)))) return state.SkipWithError("the windows did not all appear");
    const auto retained = retainedWindows();
    for (auto _ : state)
        benchmark::DoNotOptimize(arvelo::WindowScan::capture(*gServices.accessibility, *gServices.windowList,
                                                             gApplications, retained, false));
    state.counters["windows"] = static_cast<double>(gWindows.size());
}
BENCHMARK(BM_WindowScanOfKnownWindows)->Arg(20)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

// The first scan: every window new, its settable position and size asked too.
void BM_WindowScanOfNewWindows(benchmark::State& state) {
    if (!provide(static_cast<int>(state.range(0)))) return state.SkipWithError("the windows did not all appear");
    for (auto _ : state)
        benchmark::DoNotOptimize(
            arvelo::WindowScan::capture(*gServices.accessibility, *gServices.windowList, gApplications, {}, false));
}
BENCHMARK(BM_WindowScanOfNewWindows)->Arg(20)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

// Two round trips on a connection of its own: the client list (and stacking), then for every
// client what the scan reads of it (owner, title, kind, state, geometry with its place on the
// root, frame extents), all requests sent before the first reply is awaited.
void BM_TwoRoundTripFloor(benchmark::State& state) {
    if (!provide(static_cast<int>(state.range(0)))) return state.SkipWithError("the windows did not all appear");
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const auto atom = [c](const char* name) {
        std::unique_ptr<xcb_intern_atom_reply_t, void (*)(void*)> reply(
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr),
            &std::free);
        return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    };
    const xcb_atom_t clientList = atom("_NET_CLIENT_LIST"), stacking = atom("_NET_CLIENT_LIST_STACKING");
    const std::vector<xcb_atom_t> properties{
        atom("_NET_WM_PID"),      atom("WM_CLIENT_LEADER"),   atom("_NET_WM_NAME"),       XCB_ATOM_WM_NAME,
        atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_WM_TRANSIENT_FOR, atom("_NET_WM_STATE"), atom("_NET_FRAME_EXTENTS"),
        atom("_GTK_FRAME_EXTENTS")};
    const auto ask = [c](xcb_window_t w, xcb_atom_t a) {
        return xcb_get_property(c, 0, w, a, XCB_GET_PROPERTY_TYPE_ANY, 0, 1u << 24);
    };
    for (auto _ : state) {
        const auto listCookie = ask(root, clientList);
        const auto stackingCookie = ask(root, stacking);
        std::unique_ptr<xcb_get_property_reply_t, void (*)(void*)> list(
            xcb_get_property_reply(c, listCookie, nullptr), &std::free);
        std::free(xcb_get_property_reply(c, stackingCookie, nullptr));
        if (!list) return state.SkipWithError("no client list");
        const auto* clients = static_cast<const xcb_window_t*>(xcb_get_property_value(list.get()));
        const int count = xcb_get_property_value_length(list.get()) / 4;
        std::vector<xcb_get_property_cookie_t> propertyCookies;
        std::vector<xcb_get_geometry_cookie_t> geometryCookies;
        std::vector<xcb_translate_coordinates_cookie_t> translateCookies;
        for (int i = 0; i < count; ++i) {
            for (const xcb_atom_t a : properties) propertyCookies.push_back(ask(clients[i], a));
            geometryCookies.push_back(xcb_get_geometry(c, clients[i]));
            translateCookies.push_back(xcb_translate_coordinates(c, clients[i], root, 0, 0));
        }
        for (const auto cookie : propertyCookies) std::free(xcb_get_property_reply(c, cookie, nullptr));
        for (const auto cookie : geometryCookies) std::free(xcb_get_geometry_reply(c, cookie, nullptr));
        for (const auto cookie : translateCookies) std::free(xcb_translate_coordinates_reply(c, cookie, nullptr));
    }
    xcb_disconnect(c);
}
BENCHMARK(BM_TwoRoundTripFloor)->Arg(20)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (const auto code = benchx11::runWindowsProcessOf(argc, argv)) return *code;

    QCoreApplication app(argc, argv);
    auto dispatch = std::make_shared<platform::qt::QtDispatcher>();
    auto backend = platform::x11::X11Backend::connect(dispatch);
    if (!backend) {
        std::fprintf(stderr, "no X server: run under scripts/with-xvfb\n");
        return 1;
    }
    backend->fill(gServices);
    gProcesses = std::make_unique<benchx11::WindowProcesses>(argv[0], 0, 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    gProcesses.reset();
    return 0;
}
