// SPDX-License-Identifier: MIT
// PinManagerEndToEndTests.cpp: the real `arvelo` pinning xlogo on a virtual X desktop with
// openbox. Super+Alt+P over the arranged xlogo pins it: the pin goes live, a preview panel of
// arvelo's lies over xlogo, and the arranger gives xlogo's tile to the other window; pressing it
// again unpins it, the panel goes and xlogo comes back into the layout. Pinning and unpinning in
// a loop leaves no panel behind and arvelo's CPU time stops growing. The pin is drawn by the X
// server: the screen over xlogo shows what xlogo showed before it was pinned, and the log says so. A pinned xlogo that quits
// fails its pin and takes the panel with it; one whose X server stops for 2 s keeps its pin.
#include "ArveloSession.h"
#include "ScreenPixel.h"
#include "Wait.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>
#include <thread>
#include <unistd.h>

using namespace e2e;

namespace {

constexpr double kFewBeats = 15;  // seconds: start-up plus a few 0.7 s beats
constexpr double kPinDeadline = 8;
constexpr int kLoops = 20;

class PinManagerEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (environmentValue("DISPLAY").empty()) GTEST_SKIP() << "needs an X display (run through scripts/with-xvfb)";
        setenv("ARVELO", ARVELO_PATH, 0);
        ASSERT_TRUE(session.probe.connected());
        ASSERT_TRUE(session.home.ready());
    }

    // xlogo and xeyes, overlapping, then arvelo arranging them side by side.
    void arrange() {
        xlogoProcess = &session.start("/usr/bin/xlogo", {"-geometry", "300x300+700+150"});
        session.start("/usr/bin/xeyes", {"-geometry", "300x200+850+300"});
        const Frames original = session.probe.settledFrames(
            {"XLogo", "XEyes"}, [](const Frames& frames) { return frames.size() == 2; }, kFewBeats);
        ASSERT_EQ(original.size(), 2u) << session.describe(original);
        arvelo = &session.runArvelo();
        // Tiled, and held still for a moment.
        const Frames frames = session.probe.settledFrames(
            {"XLogo", "XEyes"},
            [&](const Frames& now) { return now.size() == 2 && !anyOverlap(now) && now != original; }, kFewBeats);
        ASSERT_TRUE(frames.size() == 2 && !anyOverlap(frames) && frames != original)
            << session.describe(frames) << log();
        xlogo = only("XLogo");
        xeyes = only("XEyes");
    }

    xcb_window_t only(const std::string& className) {
        const Frames frames = session.probe.framesOf({className});
        return frames.empty() ? 0 : frames.begin()->first;
    }
    Frame frameOf(xcb_window_t window) {
        const Frames frames = session.probe.framesOf({"XLogo", "XEyes"});
        return frames.count(window) ? frames.at(window) : Frame{};
    }

    // The pin key over xlogo, brought to the front first.
    void pressPinKeyOverXlogo() {
        session.start("xdotool", {"windowactivate", "--sync", std::to_string(xlogo)}).waitForExit(10);
        session.start("xdotool", {"key", "super+alt+p"}).waitForExit(10);
    }

    std::string log() const { return session.home.read("arvelo.log"); }
    int occurrences(const std::string& text) const {
        const std::string all = log();
        int count = 0;
        for (auto at = all.find(text); at != std::string::npos; at = all.find(text, at + 1)) ++count;
        return count;
    }
    std::string pinActive() const { return "pin active windowID=" + std::to_string(xlogo); }
    std::string unpinToggle() const {
        return "pin toggle front=" + std::to_string(xlogo) + " pinned=" + std::to_string(xlogo);
    }

    // Top-level windows of arvelo's own that are mapped and lie over the frame (its panels).
    int panelsOver(const Frame& frame) {
        std::istringstream lines(shellOutput("xdotool search --all --onlyvisible --pid " +
                                             std::to_string(arvelo->pid()) + " --class '' 2>/dev/null"));
        int count = 0;
        std::string id;
        while (std::getline(lines, id)) {
            const std::string geometry = shellOutput("xdotool getwindowgeometry --shell " + id);
            Frame panel;
            std::istringstream fields(geometry);
            std::string field;
            while (std::getline(fields, field)) {
                const auto equals = field.find('=');
                if (equals == std::string::npos) continue;
                const std::string key = field.substr(0, equals);
                const int value = std::atoi(field.c_str() + equals + 1);
                if (key == "X") panel.x = value;
                if (key == "Y") panel.y = value;
                if (key == "WIDTH") panel.width = value;
                if (key == "HEIGHT") panel.height = value;
            }
            if (panel.near(frame, 2)) ++count;
        }
        return count;
    }

    // User and system CPU seconds of a process so far.
    static double cpuSeconds(pid_t pid) {
        std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
        std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::istringstream fields(stat.substr(stat.rfind(')') + 2));
        std::string field;
        double ticks = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i)
            if (i >= 14) ticks += std::stod(field);
        return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
    }

    ArveloSession session{"arvelo-pins-e2e"};
    ChildProcess* arvelo = nullptr;
    ChildProcess* xlogoProcess = nullptr;
    xcb_window_t xlogo = 0;
    xcb_window_t xeyes = 0;
};

}  // namespace

TEST_F(PinManagerEndToEnd, APinnedWindowLeavesTheLayoutAndComesBackWhenUnpinned) {
    arrange();
    const Frame tiledEyes = frameOf(xeyes);
    const Frame tiledLogo = frameOf(xlogo);

    const auto unpinned = screenImage();
    ASSERT_TRUE(unpinned);

    pressPinKeyOverXlogo();
    ASSERT_TRUE(waitUntil(kPinDeadline, [&] { return occurrences(pinActive()) == 1; })) << log();
    // The panel over xlogo shows xlogo's own pixels (away from the panel's border), drawn there by
    // the X server: the places of xlogo read the same as before the pin.
    EXPECT_TRUE(waitUntil(kPinDeadline, [&] { return panelsOver(frameOf(xlogo)) == 1; }));
    const Frame logo = frameOf(xlogo);
    const std::pair<int, int> places[] = {{logo.width / 2, logo.height / 2},
                                          {logo.width / 4, logo.height / 2},
                                          {logo.width * 3 / 4, logo.height / 2},
                                          {logo.width / 2, logo.height - 20},
                                          {20, logo.height - 20}};
    std::string mismatch;
    EXPECT_TRUE(waitUntil(kPinDeadline, [&] {
        const auto pinnedScreen = screenImage();
        if (!pinnedScreen) return false;
        for (const auto& [dx, dy] : places) {
            const Colour before = unpinned->at(logo.x + dx, logo.y + dy);
            const Colour now = pinnedScreen->at(logo.x + dx, logo.y + dy);
            if (!now.near(before, 4)) {
                mismatch = "at +" + std::to_string(dx) + "+" + std::to_string(dy) + ": " + now.text() +
                           " where xlogo showed " + before.text();
                return false;
            }
        }
        return true;
    })) << mismatch;
    EXPECT_EQ(occurrences("Pins are drawn by the X server"), 1) << log();
    // xlogo's tile goes to xeyes; xlogo itself stays where it was, under its preview.
    Frame eyes;
    EXPECT_TRUE(waitUntil(kFewBeats,
                          [&] {
                              eyes = frameOf(xeyes);
                              return eyes.width * eyes.height > tiledEyes.width * tiledEyes.height;
                          }))
        << "xeyes " << eyes.text() << ", tiled " << tiledEyes.text();
    EXPECT_TRUE(frameOf(xlogo).near(tiledLogo, 2)) << frameOf(xlogo).text();
    EXPECT_TRUE(waitUntil(kPinDeadline, [&] { return panelsOver(frameOf(xlogo)) == 1; }))
        << "a preview panel over xlogo at " << frameOf(xlogo).text();

    pressPinKeyOverXlogo();
    ASSERT_TRUE(waitUntil(kPinDeadline, [&] { return occurrences(unpinToggle()) == 1; })) << log();
    EXPECT_TRUE(waitUntil(kFewBeats,
                          [&] {
                              const Frames frames = session.probe.framesOf({"XLogo", "XEyes"});
                              return frames.size() == 2 && !anyOverlap(frames) && frameOf(xeyes).near(tiledEyes, 2);
                          }))
        << "xeyes " << frameOf(xeyes).text() << ", tiled " << tiledEyes.text();
    EXPECT_TRUE(waitUntil(kPinDeadline, [&] { return panelsOver(frameOf(xlogo)) == 0; }));
}

TEST_F(PinManagerEndToEnd, PinningAndUnpinningInALoopLeavesNothingRunning) {
    arrange();
    for (int i = 1; i <= kLoops; ++i) {
        pressPinKeyOverXlogo();
        ASSERT_TRUE(waitUntil(kPinDeadline, [&] { return occurrences(pinActive()) == i; })) << i << "\n" << log();
        pressPinKeyOverXlogo();
        ASSERT_TRUE(waitUntil(kPinDeadline, [&] { return occurrences(unpinToggle()) == i; })) << i << "\n" << log();
    }
    // Release All with nothing pinned changes nothing.
    session.start("xdotool", {"key", "super+alt+r"}).waitForExit(10);
    EXPECT_TRUE(waitUntil(kPinDeadline, [&] { return panelsOver(frameOf(xlogo)) == 0; }));

    // No capture left running: over a second, arvelo takes a small part of one core.
    double used = 0;
    EXPECT_TRUE(waitUntil(kFewBeats,
                          [&] {
                              const double before = cpuSeconds(arvelo->pid());
                              usleep(1000000);
                              used = cpuSeconds(arvelo->pid()) - before;
                              return used < 0.1;
                          }))
        << "CPU seconds in the last second: " << used;
    EXPECT_TRUE(arvelo->running()) << log();
}

TEST_F(PinManagerEndToEnd, APinnedWindowThatQuitsLeavesNoPanel) {
    arrange();
    const Frame tiledLogo = frameOf(xlogo);
    pressPinKeyOverXlogo();
    ASSERT_TRUE(waitUntil(kPinDeadline, [&] { return occurrences(pinActive()) == 1; })) << log();
    ASSERT_TRUE(waitUntil(kPinDeadline, [&] { return panelsOver(tiledLogo) == 1; }));

    // Whichever sees it first, the refresh ("Preview source unavailable") or the capture's own
    // end ("Preview stream failed: The window was closed."), the pin fails once.
    xlogoProcess->signal(SIGTERM);
    EXPECT_TRUE(waitUntil(kPinDeadline, [&] { return occurrences("pin failed: ") == 1; })) << log();
    EXPECT_TRUE(waitUntil(kPinDeadline, [&] { return panelsOver(tiledLogo) == 0; }));
    EXPECT_TRUE(arvelo->running()) << log();
}

TEST_F(PinManagerEndToEnd, APinOutlivesAnXServerThatStopsFor2Seconds) {
    const std::string server = environmentValue("VOMIRA_XVFB_PID");
    if (server.empty()) GTEST_SKIP() << "needs the X server's process id (run through scripts/with-xvfb)";
    arrange();
    const Frame tiledEyes = frameOf(xeyes);
    pressPinKeyOverXlogo();
    ASSERT_TRUE(waitUntil(kPinDeadline, [&] { return occurrences(pinActive()) == 1; })) << log();
    ASSERT_TRUE(waitUntil(kPinDeadline, [&] { return panelsOver(frameOf(xlogo)) == 1; }));
    // xeyes takes xlogo's tile; that arrangement must survive the stop as well.
    const Frame logo = frameOf(xlogo);
    const Frames grown = session.probe.settledFrames(
        {"XEyes"},
        [&](const Frames& now) {
            return now.size() == 1 &&
                   now.begin()->second.width * now.begin()->second.height > tiledEyes.width * tiledEyes.height;
        },
        kFewBeats);
    ASSERT_EQ(grown.size(), 1u);
    const Frame eyes = grown.begin()->second;
    ASSERT_GT(eyes.width * eyes.height, tiledEyes.width * tiledEyes.height) << eyes.text();

    // Every reply arvelo waits for in the meantime times out.
    const pid_t xvfb = static_cast<pid_t>(std::stol(server));
    ASSERT_EQ(kill(xvfb, SIGSTOP), 0);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    ASSERT_EQ(kill(xvfb, SIGCONT), 0);

    // Still pinned: the preview follows xlogo to a new place, and nothing failed.
    session.start("xdotool", {"windowmove", "--sync", std::to_string(xlogo), "200", "150"}).waitForExit(10);
    Frame moved;
    EXPECT_TRUE(waitUntil(kPinDeadline,
                          [&] {
                              moved = frameOf(xlogo);
                              return !moved.near(logo, 2) && panelsOver(moved) == 1;
                          }))
        << "xlogo at " << moved.text() << "\n"
        << log();
    EXPECT_EQ(occurrences("pin failed: "), 0) << log();
    EXPECT_TRUE(frameOf(xeyes).near(eyes, 2)) << "xeyes " << frameOf(xeyes).text() << ", was " << eyes.text();
    EXPECT_TRUE(arvelo->running()) << log();
}
