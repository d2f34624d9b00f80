// SPDX-License-Identifier: MIT
// PinStreamBench: what a pin's live stream costs, on both of its paths. A painter process (this
// program started again with --painter) shows a 1920 × 1080 window and repaints it continuously,
// or not at all; the stream shows it at 30 fps at half size, either copied (frames read and
// handed to this process) or drawn by the X server into a half-size panel window (XRender, no
// pixel read). Reported side by side: this process's CPU share of one core and the X server's
// (VOMIRA_XVFB_PID) with a repainting and with a still window and with the panel hidden, the
// frames delivered a second, the same for `ffmpeg -f x11grab -window_id <id> -framerate 30`
// writing raw half-size frames to /dev/null (when ffmpeg is installed), and the median time from
// a repaint of the window to its frame (copied: on the main queue; drawn: read back from the
// panel on the screen). Needs an X server with a window manager (scripts/with-xvfb --size
// 2400x1500; scripts/measure-pin runs it several times and prints the ratios to ffmpeg).
#include "Platform/Qt/QtDispatcher.h"
#include "Platform/X11/X11Backend.h"
#include "TenvikKit/Pins/PinStream.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWidth = 1920, kHeight = 1080;
constexpr double kMeasureSeconds = 5;
constexpr const char* kPainterFlag = "--painter";
// The drawn path's panel: half the window's size, where the window does not cover it.
constexpr int kPanelX = 1400, kPanelY = 940, kPanelWidth = kWidth / 2, kPanelHeight = kHeight / 2;

// ---- The painter: one window, repainted every few milliseconds (or never).

int runPainter(bool repaint, const char* title) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) return 1;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = xcb_generate_id(c);
    const std::uint32_t values[] = {screen->white_pixel};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, kWidth, kHeight, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL, values);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(std::strlen(title)), title);
    xcb_map_window(c, window);
    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, window, 0, nullptr);
    const xcb_rectangle_t all{0, 0, kWidth, kHeight};
    for (std::uint32_t i = 0;; ++i) {
        if (repaint || i == 0) {
            const std::uint32_t colour = 0x203040 + (i * 0x010305 & 0x7F7F7F);
            xcb_change_gc(c, gc, XCB_GC_FOREGROUND, &colour);
            xcb_poly_fill_rectangle(c, window, gc, 1, &all);
        }
        xcb_flush(c);
        if (xcb_connection_has_error(c)) return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(repaint ? 4 : 100));
    }
}

class Painter {
public:
    Painter(const char* self, bool repaint, const char* title) {
        pid_ = fork();
        if (pid_ == 0) {
            execl(self, self, kPainterFlag, repaint ? "1" : "0", title, nullptr);
            _exit(127);
        }
    }
    ~Painter() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }

private:
    pid_t pid_ = -1;
};

// ---- The program's side.

platform::Services gServices;
std::shared_ptr<platform::qt::QtDispatcher> gDispatch;
const char* gSelf = nullptr;

// Runs the event loop, sleeping while nothing happens (the measured CPU is the program's own).
void runEventsFor(double seconds) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

std::optional<platform::ShareableContentWindow> findWindow(const std::string& title) {
    const auto end = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < end) {
        if (auto content = gServices.liveCapture->shareableContent(true, true, nullptr))
            for (const auto& window : *content)
                if (window.title == title && window.frame.width >= kWidth) return window;
        runEventsFor(0.05);
    }
    return std::nullopt;
}

double cpuSeconds(const rusage& usage) {
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double selfCpu() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return cpuSeconds(usage);
}

// CPU seconds (user + system) of another process from /proc/<pid>/stat.
double processCpu(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; fields >> field; ++i)
        if (i == 14 || i == 15) ticks += std::stod(field);
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// The X server's CPU seconds, when with-xvfb said which process it is.
double serverCpu() {
    const char* pid = getenv("VOMIRA_XVFB_PID");
    return pid ? processCpu(static_cast<pid_t>(std::atoi(pid))) : 0;
}

// A panel for the drawn path: an override-redirect window of the bench's own, as the program's
// preview panels are.
class Panel {
public:
    Panel() : c_(xcb_connect(nullptr, nullptr)) {
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
        window_ = xcb_generate_id(c_);
        const std::uint32_t values[] = {screen->black_pixel, 1};
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, window_, screen->root, kPanelX, kPanelY, kPanelWidth, kPanelHeight,
                          0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
        show(true);
    }
    ~Panel() { xcb_disconnect(c_); }
    void show(bool shown) {
        if (shown)
            xcb_map_window(c_, window_);
        else
            xcb_unmap_window(c_, window_);
        free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
    }
    std::uint32_t window() const { return window_; }
    // The colour the screen shows at the panel's centre.
    std::uint32_t centreColour() {
        auto* image = xcb_get_image_reply(
            c_, xcb_get_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, kPanelWidth / 2, kPanelHeight / 2, 1, 1, ~0u),
            nullptr);
        if (!image) return 0;
        std::uint32_t pixel = 0;
        if (xcb_get_image_data_length(image) >= 4) std::memcpy(&pixel, xcb_get_image_data(image), 4);
        free(image);
        return pixel & 0xFFFFFF;
    }

private:
    xcb_connection_t* c_;
    xcb_window_t window_ = 0;
};

struct Frames : platform::PinFrameTarget {
    void enqueue(const platform::CapturedImage& frame) override {
        ++count;
        lastAt = Clock::now();
        lastColour = frame.pixel(frame.width / 2, frame.height / 2) & 0xFFFFFF;
    }
    std::optional<platform::PinDrawing> drawing() const override {
        if (!panel) return std::nullopt;
        platform::PinDrawing drawing;
        drawing.window = panel->window();
        return drawing;
    }
    void drawn() override { ++count; }
    Panel* panel = nullptr;
    int count = 0;
    Clock::time_point lastAt;
    std::uint32_t lastColour = 0;
};

// A running half-size 30 fps stream of the window, with its frame counter; drawn into `panel`
// by the X server when there is one.
struct Stream {
    explicit Stream(const platform::ShareableContentWindow& window, Panel* panel = nullptr) {
        frames->panel = panel;
        const platform::PinCaptureProfile profile{static_cast<int>(window.frame.width) / 2,
                                                  static_cast<int>(window.frame.height) / 2, 30};
        stream =
            tenvik::PinStream::make(gDispatch, gServices.liveCapture->makeBackend(window, frames, profile), profile);
        bool started = false;
        stream->start([&](std::optional<platform::CaptureError> error) {
            started = true;
            ok = !error;
        });
        while (!started) runEventsFor(0.01);
    }
    ~Stream() {
        auto shutdown = stream->stop();
        while (shutdown && !shutdown->isFinished()) runEventsFor(0.01);
    }
    std::shared_ptr<Frames> frames = std::make_shared<Frames>();
    std::shared_ptr<tenvik::PinStream> stream;
    bool ok = false;
};

enum class Path { copied, drawn, drawnHidden };

void streamCost(benchmark::State& state, bool repaint, Path path) {
    // A title of its own for each run: the window of an earlier run may still be listed.
    const std::string title =
        std::string(repaint ? "bench-busy-" : "bench-still-") + (path == Path::copied  ? "copied"
                                                                 : path == Path::drawn ? "drawn"
                                                                                       : "hidden");
    Painter painter(gSelf, repaint, title.c_str());
    const auto window = findWindow(title);
    if (!window) {
        state.SkipWithError("the painter's window did not appear");
        return;
    }
    std::optional<Panel> panel;
    if (path != Path::copied) panel.emplace();
    Stream stream(*window, panel ? &*panel : nullptr);
    if (!stream.ok) {
        state.SkipWithError("the stream did not start");
        return;
    }
    if (path == Path::drawnHidden) panel->show(false);
    runEventsFor(1.0);  // settle: first frame, redirect, shared memory
    for (auto _ : state) {
        const int frames = stream.frames->count;
        const double cpu = selfCpu();
        const double server = serverCpu();
        const auto began = Clock::now();
        runEventsFor(kMeasureSeconds);
        const double wall = std::chrono::duration<double>(Clock::now() - began).count();
        state.SetIterationTime(wall);
        state.counters["cpu_percent_of_core"] = 100 * (selfCpu() - cpu) / wall;
        state.counters["server_cpu_percent_of_core"] = 100 * (serverCpu() - server) / wall;
        state.counters["frames_per_second"] = (stream.frames->count - frames) / wall;
    }
}

void BM_StreamOfRepaintingWindow30fpsHalfSize(benchmark::State& state) { streamCost(state, true, Path::copied); }
BENCHMARK(BM_StreamOfRepaintingWindow30fpsHalfSize)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

void BM_StreamOfStillWindow(benchmark::State& state) { streamCost(state, false, Path::copied); }
BENCHMARK(BM_StreamOfStillWindow)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

void BM_DrawnStreamOfRepaintingWindow30fpsHalfSize(benchmark::State& state) { streamCost(state, true, Path::drawn); }
BENCHMARK(BM_DrawnStreamOfRepaintingWindow30fpsHalfSize)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

void BM_DrawnStreamOfStillWindow(benchmark::State& state) { streamCost(state, false, Path::drawn); }
BENCHMARK(BM_DrawnStreamOfStillWindow)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

// A pin whose panel is hidden while its window keeps repainting.
void BM_DrawnStreamHiddenPanel(benchmark::State& state) { streamCost(state, true, Path::drawnHidden); }
BENCHMARK(BM_DrawnStreamHiddenPanel)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

// The peer: ffmpeg grabbing the same repainting window at 30 fps, scaled to half size, raw
// frames to /dev/null.
void BM_FfmpegX11grabPeer30fpsHalfSize(benchmark::State& state) {
    if (system("command -v ffmpeg >/dev/null 2>&1") != 0) {
        state.SkipWithError("ffmpeg is not installed");
        return;
    }
    Painter painter(gSelf, true, "bench-peer");
    const auto window = findWindow("bench-peer");
    if (!window) {
        state.SkipWithError("the painter's window did not appear");
        return;
    }
    const std::string id = std::to_string(window->windowID);
    const pid_t ffmpeg = fork();
    if (ffmpeg == 0) {
        const char* display = getenv("DISPLAY");
        execlp("ffmpeg", "ffmpeg", "-loglevel", "error", "-f", "x11grab", "-window_id", id.c_str(), "-framerate", "30",
               "-i", display ? display : ":0", "-vf", "scale=iw/2:ih/2", "-f", "rawvideo", "-y", "/dev/null", nullptr);
        _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::seconds(2));
    for (auto _ : state) {
        const double cpu = processCpu(ffmpeg);
        const double server = serverCpu();
        const auto began = Clock::now();
        std::this_thread::sleep_for(std::chrono::duration<double>(kMeasureSeconds));
        const double wall = std::chrono::duration<double>(Clock::now() - began).count();
        state.SetIterationTime(wall);
        state.counters["cpu_percent_of_core"] = 100 * (processCpu(ffmpeg) - cpu) / wall;
        state.counters["server_cpu_percent_of_core"] = 100 * (serverCpu() - server) / wall;
    }
    kill(ffmpeg, SIGTERM);
    waitpid(ffmpeg, nullptr, 0);
}
BENCHMARK(BM_FfmpegX11grabPeer30fpsHalfSize)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

// From a repaint of the window (drawn by this process's own connection, flushed and seen done by
// the server) to the frame that shows it: copied, on the main queue; drawn, on the screen where
// the panel is (read back with GetImage while the event loop runs).
void repaintToFrame(benchmark::State& state, bool drawn) {
    // A title of its own: the window of an earlier run may still be listed for a moment.
    const std::string title = drawn ? "bench-latency-drawn" : "bench-latency";
    Painter painter(gSelf, false, title.c_str());
    const auto window = findWindow(title);
    if (!window) {
        state.SkipWithError("the painter's window did not appear");
        return;
    }
    std::optional<Panel> panel;
    if (drawn) panel.emplace();
    Stream stream(*window, panel ? &*panel : nullptr);
    runEventsFor(1.0);
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, window->windowID, 0, nullptr);
    const xcb_rectangle_t all{0, 0, kWidth, kHeight};
    std::vector<double> latencies;
    std::uint32_t colour = 0x102030;
    for (auto _ : state) {
        for (int i = 0; i < 30; ++i) {
            colour = (colour + 0x030507) & 0x7F7F7F;
            // Spaced out so the pacer never holds a frame back.
            runEventsFor(0.1);
            xcb_change_gc(c, gc, XCB_GC_FOREGROUND, &colour);
            xcb_poly_fill_rectangle(c, window->windowID, gc, 1, &all);
            free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));  // drawn by now
            const auto painted = Clock::now();
            const auto end = painted + std::chrono::seconds(2);
            if (drawn) {
                std::uint32_t seen = 0;
                while ((seen = panel->centreColour()) != colour && Clock::now() < end)
                    QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
                if (seen == colour)
                    latencies.push_back(std::chrono::duration<double, std::milli>(Clock::now() - painted).count());
                continue;
            }
            while (stream.frames->lastColour != colour && Clock::now() < end)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            if (stream.frames->lastColour == colour)
                latencies.push_back(std::chrono::duration<double, std::milli>(stream.frames->lastAt - painted).count());
        }
    }
    xcb_disconnect(c);
    if (latencies.empty()) {
        state.SkipWithError("no frame showed a repaint");
        return;
    }
    std::sort(latencies.begin(), latencies.end());
    state.counters["median_ms"] = latencies[latencies.size() / 2];
    state.counters["p90_ms"] = latencies[latencies.size() * 9 / 10];
    state.counters["samples"] = static_cast<double>(latencies.size());
}

void BM_RepaintToFrameLatency(benchmark::State& state) { repaintToFrame(state, false); }
BENCHMARK(BM_RepaintToFrameLatency)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_RepaintToDrawnPanelLatency(benchmark::State& state) { repaintToFrame(state, true); }
BENCHMARK(BM_RepaintToDrawnPanelLatency)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], kPainterFlag) == 0)
        return runPainter(std::strcmp(argv[2], "1") == 0, argv[3]);
    gSelf = argv[0];
    QCoreApplication app(argc, argv);
    gDispatch = std::make_shared<platform::qt::QtDispatcher>();
    auto backend = platform::x11::X11Backend::connect(gDispatch);
    if (!backend) {
        std::fprintf(stderr, "PinStreamBench needs an X server (scripts/with-xvfb --size 2400x1500)\n");
        return 1;
    }
    backend->fill(gServices);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
