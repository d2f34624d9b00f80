// SPDX-License-Identifier: MIT
// PanelStackingBench.cpp: restacking 12 tab bars above their windows on a real X server (run
// under scripts/with-xvfb): the pass the beat runs when every bar already sits right (one
// QueryTree of the root, nothing sent), and the pass after the windows came forward without
// their bars (12 pipelined ConfigureWindow requests).
#include "Platform/X11/Connection.h"
#include "Platform/X11/PanelStacking.h"

#include <benchmark/benchmark.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

namespace {

using platform::x11::PanelStacking;

constexpr int kBars = 12;

struct Bars {
    Bars() : client(xcb_connect(nullptr, nullptr)) {
        connection = platform::x11::Connection::open();
        if (!connection) return;
        stacking = std::make_unique<PanelStacking>(connection);
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(client)).data;
        for (int i = 0; i < kBars; ++i) {
            for (const bool overrideRedirect : {false, true}) {
                const xcb_window_t w = xcb_generate_id(client);
                const std::uint32_t values[] = {overrideRedirect ? 1u : 0u};
                xcb_create_window(client, XCB_COPY_FROM_PARENT, w, screen->root, std::int16_t(20 * i), 40, 200, 150, 0,
                                  XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_OVERRIDE_REDIRECT, values);
                xcb_map_window(client, w);
                if (overrideRedirect) {
                    placements.push_back({w, windows.back()});
                    stacking->setShown(w, platform::PanelLevel::normal);
                } else {
                    windows.push_back(w);
                }
            }
        }
        xcb_flush(client);
        // The window manager frames the windows: wait until every one has its frame.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        for (xcb_window_t w : windows) {
            while (std::chrono::steady_clock::now() < deadline) {
                auto* tree = xcb_query_tree_reply(client, xcb_query_tree(client, w), nullptr);
                const bool framed = tree && tree->parent != screen->root;
                free(tree);
                if (framed) break;
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        }
    }
    ~Bars() { xcb_disconnect(client); }
    // The windows come forward over their bars, as after an activation.
    void raiseWindows() {
        for (const auto& p : placements) {
            const std::uint32_t values[] = {XCB_STACK_MODE_BELOW};
            xcb_configure_window(client, p.panel, XCB_CONFIG_WINDOW_STACK_MODE, values);
        }
        free(xcb_get_input_focus_reply(client, xcb_get_input_focus(client), nullptr));
    }

    xcb_connection_t* client;
    std::shared_ptr<platform::x11::Connection> connection;
    std::unique_ptr<PanelStacking> stacking;
    std::vector<xcb_window_t> windows;
    std::vector<PanelStacking::Placement> placements;
};

Bars& bars() {
    static Bars b;
    return b;
}

void BM_RestackTwelveBarsAlreadyInPlace(benchmark::State& state) {
    Bars& b = bars();
    if (!b.stacking) return state.SkipWithError("no X server");
    b.stacking->restack(b.placements);
    int sent = 0;
    for (auto _ : state) sent += b.stacking->restack(b.placements);
    state.counters["requests"] = benchmark::Counter(sent, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_RestackTwelveBarsAlreadyInPlace)->Unit(benchmark::kMicrosecond);

void BM_RestackTwelveBarsAfterTheirWindowsCameForward(benchmark::State& state) {
    Bars& b = bars();
    if (!b.stacking) return state.SkipWithError("no X server");
    int sent = 0;
    for (auto _ : state) {
        state.PauseTiming();
        b.raiseWindows();
        state.ResumeTiming();
        sent += b.stacking->restack(b.placements);
    }
    state.counters["requests"] = benchmark::Counter(sent, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_RestackTwelveBarsAfterTheirWindowsCameForward)->Unit(benchmark::kMicrosecond);

}  // namespace
