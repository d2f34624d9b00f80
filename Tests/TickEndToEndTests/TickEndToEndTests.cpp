// TickEndToEndTests.cpp: a coordinator on a real X server with openbox and real X clients
// (xlogo): a window opened while the others are arranged is docked within two beats, and a
// tiled window dragged away by its title bar with xdotool is put back in its tile.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

#include "Arvelo/Coordinator.h"
#include "Arvelo/WindowScan.h"
#include "Platform/Qt/QtDispatcher.h"
#include "Platform/StandardServices.h"
#include "Platform/X11/X11Backend.h"

extern char** environ;

using namespace arvelo;

namespace {

// Waits on the real X server are bounded polls of the event loop.
constexpr double kArrangeDeadline = 30;
constexpr double kPutBackDeadline = 15;
constexpr double kTolerance = 2;

// A program run for the test and stopped when it ends.
class Client {
public:
    explicit Client(std::vector<std::string> arguments) {
        std::vector<char*> argv;
        for (auto& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        if (posix_spawnp(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) pid_ = -1;
    }
    ~Client() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        for (int i = 0; i < 100; ++i) {
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;
    // Waits for the program to end; its exit status, or -1.
    int wait() {
        int status = 0;
        if (pid_ <= 0 || waitpid(pid_, &status, 0) != pid_) return -1;
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
};

bool waitUntil(const std::function<bool()>& condition, double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        QCoreApplication::processEvents();
        if (condition()) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// Lets the event loop run for a while (the beat keeps ticking meanwhile).
void runFor(double seconds) {
    waitUntil([] { return false; }, seconds);
}

bool near(const Rect& a, const Rect& b) {
    return std::abs(a.x - b.x) <= kTolerance && std::abs(a.y - b.y) <= kTolerance &&
           std::abs(a.width - b.width) <= kTolerance && std::abs(a.height - b.height) <= kTolerance;
}

class TickEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() / ("vomira-tick-e2e-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        dispatch = std::make_shared<platform::qt::QtDispatcher>();
        backend = platform::x11::X11Backend::connect(dispatch);
        if (!backend) GTEST_SKIP() << "no X server";
        auto environment = platform::Environment::ofProcess(0, nullptr);
        environment.variables["XDG_DATA_HOME"] = (folder / "data").string();
        environment.variables["XDG_CONFIG_HOME"] = (folder / "config").string();
        environment.variables.erase("ARVELO_STATE_DIR");
        services = platform::standardServices(environment);
        services.dispatch = dispatch;
        services.clock = dispatch;
        backend->fill(services);
    }
    void TearDown() override {
        coordinator.reset();
        clients.clear();
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }

    // Opens an xlogo window with this title, cascaded from the top left.
    void openLogo(const std::string& title) {
        const int step = static_cast<int>(clients.size()) + 1;
        const std::string geometry = "320x240+" + std::to_string(40 * step) + "+" + std::to_string(40 * step);
        clients.push_back(std::make_unique<Client>(std::vector<std::string>{"xlogo", "-geometry", geometry, "-title", title}));
    }

    std::shared_ptr<WindowRecord> recordTitled(const std::string& title) const {
        for (const auto& record : coordinator->windows.get())
            if (record->title == title) return record;
        return nullptr;
    }
    bool docked(const std::string& title) const {
        const auto record = recordTitled(title);
        return record && coordinator->managedHere().contains(record->id);
    }
    // The window's frame as the X server has it now.
    Rect frameOf(const std::string& title) const {
        const auto record = recordTitled(title);
        if (!record) return Rect::null();
        return WindowScan::rect(*services.accessibility, record->element).value_or(Rect::null());
    }
    // Every window placed where it was asked to be.
    bool settled() const {
        for (const auto& record : coordinator->windows.get()) {
            if (!record->expectedFrame) return false;
            if (!near(WindowScan::rect(*services.accessibility, record->element).value_or(Rect::null()),
                      *record->expectedFrame))
                return false;
        }
        return true;
    }

    // Opens three windows and lets a coordinator arrange them.
    void arrangeThree() {
        for (const char* title : {"tick-1", "tick-2", "tick-3"}) openLogo(title);
        ASSERT_TRUE(waitUntil(
            [&] {
                const auto windows = services.windowList->windows({});
                int logos = 0;
                for (const auto& window : windows) logos += window.name.rfind("tick-", 0) == 0 ? 1 : 0;
                return logos == 3;
            },
            kArrangeDeadline))
            << "the three xlogo windows appear";
        coordinator = Coordinator::make(services, false, true, folder / "state");
        ASSERT_TRUE(waitUntil([&] { return coordinator->managedHere().size() == 3 && settled(); }, kArrangeDeadline))
            << "status: " << coordinator->status.get();
    }

    std::filesystem::path folder;
    std::shared_ptr<platform::qt::QtDispatcher> dispatch;
    std::shared_ptr<platform::x11::X11Backend> backend;
    platform::Services services;
    std::shared_ptr<Coordinator> coordinator;
    std::vector<std::unique_ptr<Client>> clients;
};

}  // namespace

TEST_F(TickEndToEnd, AWindowOpenedWhileArrangingIsDockedWithinTwoBeats) {
    arrangeThree();
    openLogo("tick-4");
    ASSERT_TRUE(waitUntil([&] { return recordTitled("tick-4") != nullptr; }, kArrangeDeadline))
        << "the fourth window is scanned";
    // Seen by a scan, it is docked by the tick that follows that very scan; give it two beats
    // and a margin for a busy machine.
    const auto seen = std::chrono::steady_clock::now();
    ASSERT_TRUE(waitUntil([&] { return docked("tick-4"); }, 2 * Coordinator::kBeatInterval + 1.0))
        << "status: " << coordinator->status.get();
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - seen).count();
    RecordProperty("dockSeconds", std::to_string(took));

    ASSERT_TRUE(waitUntil([&] { return settled(); }, kArrangeDeadline));
    std::vector<Rect> frames;
    for (const char* title : {"tick-1", "tick-2", "tick-3", "tick-4"}) frames.push_back(frameOf(title));
    for (std::size_t i = 0; i < frames.size(); ++i)
        for (std::size_t j = i + 1; j < frames.size(); ++j) {
            const Rect overlap = frames[i].intersection(frames[j]);
            EXPECT_TRUE(overlap.isNull() || overlap.width <= 1 || overlap.height <= 1)
                << toString(frames[i]) << " overlaps " << toString(frames[j]);
        }
    EXPECT_EQ(coordinator->status.get(),
              "4 docked windows. Drag a title bar to an edge to dock, or onto the Desktop to float it.");
}

TEST_F(TickEndToEnd, ATiledWindowDraggedByItsTitleBarIsPutBack) {
    arrangeThree();
    runFor(2.0);  // past the quiet time after the last apply, and every placement check done
    const Rect tile = frameOf("tick-1");
    ASSERT_FALSE(tile.isNull());

    // Press on the title bar (the top of the outer frame) and drag 60 points right and 40
    // down. While the button is held the coordinator corrects nothing, so the move shows.
    const int x = static_cast<int>(tile.midX()), y = static_cast<int>(tile.minY()) + 6;
    std::vector<std::string> drag{"xdotool", "mousemove", std::to_string(x), std::to_string(y), "mousedown", "1"};
    for (int i = 1; i <= 6; ++i)
        for (const auto& part : {std::string("mousemove"), std::to_string(x + 10 * i), std::to_string(y + 7 * i),
                                 std::string("sleep"), std::string("0.05")})
            drag.push_back(part);
    ASSERT_EQ(Client(drag).wait(), 0);
    const bool moved = waitUntil([&] { return frameOf("tick-1").x >= tile.x + 30; }, 5);
    ASSERT_EQ(Client({"xdotool", "mouseup", "1"}).wait(), 0);
    ASSERT_TRUE(moved) << "the drag moved the window: " << toString(frameOf("tick-1"));

    const bool putBack = waitUntil([&] { return near(frameOf("tick-1"), tile); }, kPutBackDeadline);
    EXPECT_TRUE(putBack) << "now " << toString(frameOf("tick-1")) << ", tile " << toString(tile);
    EXPECT_EQ(coordinator->managedHere().size(), 3u);
}
