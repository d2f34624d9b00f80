// SPDX-License-Identifier: MIT
// PicturesBench: what window pictures cost on X11. Painter processes (this program started
// again with --painter) each show one window of a plain colour. Measured:
// - one picture of a 1920 × 1080 window through X11ScreenCapture, read through MIT-SHM and
//   through plain GetImage (median and maximum of 50);
// - the peer, side by side in the same run: ImageMagick's `import -window <id>` of the same
//   window writing raw pixels to /dev/null (median of 20 runs, process start included), and the
//   ratio of its median to ours (skipped with a message when `import` is missing);
// - a picture pass over 12 windows, arranged by the coordinator, through its capturePreviews:
//   the main-thread time it takes (the call itself plus every piece of work it queued on the main
//   queue, until it hands its keys back), median and maximum of 20 passes.
// Needs an X server with Composite and a window manager (scripts/with-xvfb --size 2400x1500).
#include "Arvelo/Coordinator/Coordinator.h"
#include "Platform/Qt/QtDispatcher.h"
#include "Platform/StandardServices.h"
#include "Platform/X11/X11Backend.h"
#include "Platform/X11/X11ScreenCapture.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kPainterFlag = "--painter";
constexpr const char* kPainterClass = "BenchPicture";
constexpr int kLargeWidth = 1920, kLargeHeight = 1080;
constexpr int kPassWindows = 12, kPassWidth = 480, kPassHeight = 360;
constexpr int kPictureSamples = 50, kImportSamples = 20, kPassSamples = 20;

double milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct Figures {
    double median = 0, maximum = 0;
};
Figures figuresOf(std::vector<double> samples) {
    if (samples.empty()) return {};
    std::sort(samples.begin(), samples.end());
    return {samples[samples.size() / 2], samples.back()};
}

// ---- The painter: one window of one colour (the server paints its background), until killed.

int runPainter(int width, int height, std::uint32_t colour, const char* title) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) return 1;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = xcb_generate_id(c);
    const std::uint32_t values[] = {colour};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, static_cast<std::uint16_t>(width),
                      static_cast<std::uint16_t>(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL, values);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(std::strlen(title)), title);
    const std::string wmClass = std::string("bench-picture") + '\0' + kPainterClass + '\0';
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(wmClass.size()), wmClass.data());
    const char pidName[] = "_NET_WM_PID";
    if (auto* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(pidName), pidName), nullptr)) {
        const std::uint32_t pid = static_cast<std::uint32_t>(getpid());
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, atom->atom, XCB_ATOM_CARDINAL, 32, 1, &pid);
        std::free(atom);
    }
    xcb_map_window(c, window);
    xcb_flush(c);
    while (auto* event = xcb_wait_for_event(c)) std::free(event);
    return 0;
}

class Painter {
public:
    Painter(const char* self, int width, int height, std::uint32_t colour, const std::string& title) {
        const std::string w = std::to_string(width), h = std::to_string(height), rgb = std::to_string(colour);
        pid_ = fork();
        if (pid_ == 0) {
            execl(self, self, kPainterFlag, w.c_str(), h.c_str(), rgb.c_str(), title.c_str(), nullptr);
            _exit(127);
        }
    }
    ~Painter() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    Painter(const Painter&) = delete;
    Painter& operator=(const Painter&) = delete;

private:
    pid_t pid_ = -1;
};

// ---- The program's side.

platform::Services gServices;
std::shared_ptr<platform::qt::QtDispatcher> gDispatch;
const char* gSelf = nullptr;
std::optional<double> gSharedMemoryMedian;

void runEventsFor(double seconds) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

// The window with this title once it is listed at least this large.
std::optional<platform::ShareableWindow> findWindow(const std::string& title, int width, int height) {
    const auto end = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < end) {
        for (const auto& info : gServices.windowList->windows({true, true}))
            if (info.name == title && info.bounds && info.bounds->width >= width && info.bounds->height >= height)
                return platform::ShareableWindow{info.number, *info.bounds};
        runEventsFor(0.05);
    }
    return std::nullopt;
}

void onePicture(benchmark::State& state, bool sharedMemory) {
    Painter painter(gSelf, kLargeWidth, kLargeHeight, 0x2e5eaa, "bench-large");
    const auto window = findWindow("bench-large", kLargeWidth, kLargeHeight);
    if (!window) {
        state.SkipWithError("the painter's window did not appear");
        return;
    }
    auto& capture = static_cast<platform::x11::X11ScreenCapture&>(*gServices.screenCapture);
    capture.setSharedMemoryAllowed(sharedMemory);
    const int width = static_cast<int>(window->frame.width), height = static_cast<int>(window->frame.height);
    // The first picture redirects the frame and finds where its pixels are.
    if (!capture.captureWindow(*window, width, height).image) {
        state.SkipWithError("no picture of the window");
        return;
    }
    if (sharedMemory && !capture.usesSharedMemory()) {
        state.SkipWithError("the X server offers no MIT-SHM");
        return;
    }
    std::vector<double> samples;
    for (auto _ : state) {
        const auto began = Clock::now();
        auto outcome = capture.captureWindow(*window, width, height);
        samples.push_back(milliseconds(Clock::now() - began));
        benchmark::DoNotOptimize(outcome);
        if (!outcome.image) state.SkipWithError(("a picture failed: " + outcome.error).c_str());
    }
    capture.setSharedMemoryAllowed(true);
    const Figures figures = figuresOf(samples);
    if (sharedMemory) gSharedMemoryMedian = figures.median;
    state.counters["median_ms"] = figures.median;
    state.counters["max_ms"] = figures.maximum;
    state.counters["pixels"] = width * height;
}

void BM_PictureOf1920x1080Window_SharedMemory(benchmark::State& state) { onePicture(state, true); }
BENCHMARK(BM_PictureOf1920x1080Window_SharedMemory)->Iterations(kPictureSamples)->Unit(benchmark::kMillisecond);

void BM_PictureOf1920x1080Window_GetImage(benchmark::State& state) { onePicture(state, false); }
BENCHMARK(BM_PictureOf1920x1080Window_GetImage)->Iterations(kPictureSamples)->Unit(benchmark::kMillisecond);

// The peer: `import -window <id>` of the same window, raw RGB to /dev/null; a whole run each
// time (that is how a program would use it).
void BM_ImportPeerOf1920x1080Window(benchmark::State& state) {
    if (std::system("command -v import >/dev/null 2>&1") != 0) {
        state.SkipWithError("ImageMagick's import is not installed");
        return;
    }
    Painter painter(gSelf, kLargeWidth, kLargeHeight, 0x2e5eaa, "bench-large");
    const auto window = findWindow("bench-large", kLargeWidth, kLargeHeight);
    if (!window) {
        state.SkipWithError("the painter's window did not appear");
        return;
    }
    const std::string id = std::to_string(window->windowID);
    std::vector<double> samples;
    for (auto _ : state) {
        const char* argv[] = {"import", "-silent", "-window", id.c_str(), "rgb:/dev/null", nullptr};
        const auto began = Clock::now();
        pid_t pid = 0;
        if (posix_spawnp(&pid, "import", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) {
            state.SkipWithError("import did not start");
            return;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        samples.push_back(milliseconds(Clock::now() - began));
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("import failed");
            return;
        }
    }
    const Figures figures = figuresOf(samples);
    state.counters["median_ms"] = figures.median;
    state.counters["max_ms"] = figures.maximum;
    if (gSharedMemoryMedian && *gSharedMemoryMedian > 0)
        state.counters["import_to_ours"] = figures.median / *gSharedMemoryMedian;
}
BENCHMARK(BM_ImportPeerOf1920x1080Window)->Iterations(kImportSamples)->Unit(benchmark::kMillisecond);

// The main queue as the coordinator sees it, adding up how long the work it queues runs.
class TimingDispatcher final : public platform::Dispatcher {
public:
    explicit TimingDispatcher(std::shared_ptr<platform::Dispatcher> inner) : inner_(std::move(inner)) {}
    void async(std::function<void()> work) override { inner_->async(timed(std::move(work))); }
    platform::TimerHandle after(platform::Seconds delay, std::function<void()> work) override {
        return inner_->after(delay, timed(std::move(work)));
    }
    platform::TimerHandle scheduleTimer(platform::Seconds interval, bool repeats, platform::RunLoopMode mode,
                                        std::function<void()> fire) override {
        return inner_->scheduleTimer(interval, repeats, mode, timed(std::move(fire)));
    }
    std::shared_ptr<platform::SerialQueue> makeSerialQueue(std::string label) override {
        return inner_->makeSerialQueue(std::move(label));
    }
    // Main thread only. Shared with the queued work, which may outlive this dispatcher.
    std::shared_ptr<Clock::duration> busy = std::make_shared<Clock::duration>();

private:
    std::function<void()> timed(std::function<void()> work) {
        return [busy = busy, work = std::move(work)] {
            const auto began = Clock::now();
            work();
            *busy += Clock::now() - began;
        };
    }
    std::shared_ptr<platform::Dispatcher> inner_;
};

void BM_PicturePassOver12WindowsMainThread(benchmark::State& state) {
    std::vector<std::unique_ptr<Painter>> painters;
    for (int i = 0; i < kPassWindows; ++i)
        painters.push_back(std::make_unique<Painter>(gSelf, kPassWidth, kPassHeight,
                                                     0x203040u + static_cast<std::uint32_t>(i) * 0x0a0b0c,
                                                     "bench-pass-" + std::to_string(i)));
    for (int i = 0; i < kPassWindows; ++i)
        if (!findWindow("bench-pass-" + std::to_string(i), kPassWidth, kPassHeight)) {
            state.SkipWithError("a painter's window did not appear");
            return;
        }
    auto timing = std::make_shared<TimingDispatcher>(gDispatch);
    platform::Services services = gServices;
    services.dispatch = timing;
    const auto folder = std::filesystem::temp_directory_path() / ("pictures-bench-" + std::to_string(getpid()));
    // Arranged as the program arranges them: the 12 windows tiled on the screen. The beat runs
    // beside the passes (its work, when it falls into a pass, counts too: the medians are
    // what to read).
    auto coordinator = arvelo::Coordinator::make(services, false, true, folder);
    const auto end = Clock::now() + std::chrono::seconds(15);
    while ((!coordinator->managing.get() || coordinator->windows->size() < kPassWindows) && Clock::now() < end)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    if (coordinator->windows->size() < kPassWindows) {
        state.SkipWithError("the coordinator did not list the 12 windows");
        coordinator->shutDown();
        return;
    }
    runEventsFor(3);  // the arrangement's read-back checks
    const auto pass = [&](std::size_t& stored) {
        bool finished = false;
        *timing->busy = {};
        const auto began = Clock::now();
        coordinator->capturePreviews(std::nullopt, [&](std::set<std::string> keys) {
            stored = keys.size();
            finished = true;
        });
        const auto called = Clock::now() - began;
        while (!finished) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return std::pair(milliseconds(called + *timing->busy), milliseconds(Clock::now() - began));
    };
    std::size_t stored = 0;
    pass(stored);  // the first pass redirects every frame
    std::vector<double> mainThread, wall;
    for (auto _ : state) {
        const auto [busy, elapsed] = pass(stored);
        mainThread.push_back(busy);
        wall.push_back(elapsed);
        state.SetIterationTime(busy / 1000);
    }
    coordinator->shutDown();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    const Figures busy = figuresOf(mainThread), elapsed = figuresOf(wall);
    state.counters["median_ms"] = busy.median;
    state.counters["max_ms"] = busy.maximum;
    state.counters["wall_median_ms"] = elapsed.median;
    state.counters["pictures"] = static_cast<double>(stored);
}
BENCHMARK(BM_PicturePassOver12WindowsMainThread)
    ->UseManualTime()
    ->Iterations(kPassSamples)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 6 && std::strcmp(argv[1], kPainterFlag) == 0)
        return runPainter(std::atoi(argv[2]), std::atoi(argv[3]), static_cast<std::uint32_t>(std::stoul(argv[4])),
                          argv[5]);
    gSelf = argv[0];
    QCoreApplication app(argc, argv);
    gDispatch = std::make_shared<platform::qt::QtDispatcher>();
    auto backend = platform::x11::X11Backend::connect(gDispatch);
    if (!backend) {
        std::fprintf(stderr, "PicturesBench needs an X server (scripts/with-xvfb --size 2400x1500)\n");
        return 1;
    }
    gServices = platform::standardServices(platform::Environment::ofProcess(argc, argv));
    gServices.dispatch = gDispatch;
    gServices.clock = gDispatch;
    backend->fill(gServices);
    if (!gServices.screenCapture->preflightAccess()) {
        std::fprintf(stderr, "PicturesBench needs the Composite extension\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
