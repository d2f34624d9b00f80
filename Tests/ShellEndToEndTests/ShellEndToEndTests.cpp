// SPDX-License-Identifier: MIT
// ShellEndToEndTests.cpp: the real `arvelo` on a virtual X desktop (Xvfb + openbox, started by
// scripts/with-xvfb) with the fixture's windows, xlogo and xeyes: it tiles the ordinary
// programs (or, in fixture mode, only the fixture's windows) without overlap, a SIGTERM puts
// every window back before the process exits 0, a second launch hands over and exits at once,
// and without an X11 display it refuses with a message.
#include "ArveloSession.h"
#include "Wait.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace e2e;
namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kFixture = {"org.vomira.ArveloFixture"};
const std::vector<std::string> kStandardPrograms = {"XLogo", "XEyes"};
const std::vector<std::string> kAllPrograms = {"org.vomira.ArveloFixture", "XLogo", "XEyes"};
constexpr double kFewBeats = 15;  // seconds: start-up plus a few 0.7 s beats
constexpr int kTolerance = 2;     // pixels

class ShellEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (environmentValue("DISPLAY").empty()) GTEST_SKIP() << "needs an X display (run through scripts/with-xvfb)";
        ASSERT_TRUE(session.probe.connected());
        ASSERT_TRUE(session.home.ready());
        setenv("ARVELO", ARVELO_PATH, 1);
    }

    // The fixture's three windows, xlogo and xeyes, cascaded so that they overlap.
    void openWindows() {
        session.start(ARVELO_FIXTURE_PATH, {}, {}, session.home.path("fixture.log").string());
        session.start("/usr/bin/xlogo", {"-geometry", "300x300+700+150"});
        session.start("/usr/bin/xeyes", {"-geometry", "300x200+850+300"});
    }

    Frames allFrames() { return session.probe.framesOf(kAllPrograms); }

    // Every window's frame, once all five are there and have held still for half a second.
    Frames settledFrames() {
        return session.probe.settledFrames(
            kAllPrograms, [](const Frames& frames) { return frames.size() == 5; }, kFewBeats);
    }

    // Tiled: every window moved from where it opened, and no two of them overlap on screen.
    bool tiled(const Frames& frames, const Frames& original, std::size_t count) {
        if (frames.size() != count) return false;
        std::vector<Frame> onScreen;
        for (const auto& [window, frame] : frames) {
            if (original.count(window) && original.at(window) == frame) return false;
            if (frame.intersects(session.probe.screen())) onScreen.push_back(frame);
        }
        return !anyOverlap(onScreen);
    }

    // The running instance is up once its lock is taken and it listens.
    bool listening() {
        return waitUntil(10, [&] {
            for (const auto& entry : fs::directory_iterator(session.home.path("runtime")))
                if (entry.path().extension() == ".socket") return true;
            return false;
        });
    }

    void arrangeAndRestore(const std::vector<std::string>& arguments, const std::vector<std::string>& arranged,
                           const std::vector<std::string>& leftAlone);

    std::string log(const std::string& name = "arvelo.log") const { return session.home.read(name); }

    ArveloSession session{"arvelo-e2e"};
};

}  // namespace

// Arranges one group of windows and leaves the other alone; a SIGTERM puts the group back.
void ShellEndToEnd::arrangeAndRestore(const std::vector<std::string>& arguments,
                                      const std::vector<std::string>& arranged,
                                      const std::vector<std::string>& leftAlone) {
    openWindows();
    const auto original = settledFrames();
    ASSERT_EQ(original.size(), 5u) << session.describe(original);
    const std::size_t count = session.probe.framesOf(arranged).size();

    ChildProcess& arvelo = session.runArvelo(arguments);
    Frames frames;
    ASSERT_TRUE(waitUntil(kFewBeats, [&] {
        frames = session.probe.framesOf(arranged);
        return tiled(frames, original, count);
    })) << session.describe(frames);
    for (const auto& [window, frame] : session.probe.framesOf(leftAlone))
        EXPECT_EQ(frame, original.at(window)) << window;

    arvelo.signal(SIGTERM);
    EXPECT_EQ(arvelo.waitForExit(10), 0) << log();
    const auto restored = allFrames();
    for (const auto& [window, frame] : original) {
        ASSERT_TRUE(restored.count(window)) << window;
        EXPECT_TRUE(restored.at(window).near(frame, kTolerance))
            << window << " was " << frame.text() << ", is " << restored.at(window).text();
    }
}

TEST_F(ShellEndToEnd, TilesTheStandardProgramsAndPutsThemBackOnSigterm) {
    arrangeAndRestore({}, kStandardPrograms, kFixture);
}

TEST_F(ShellEndToEnd, FixtureModeTilesOnlyTheFixtureAndPutsItBackOnSigterm) {
    arrangeAndRestore({"--fixture-only"}, kFixture, kStandardPrograms);
}

TEST_F(ShellEndToEnd, ASecondLaunchHandsOverAndExitsAtOnce) {
    ChildProcess& first = session.runArvelo();
    ASSERT_TRUE(listening()) << log();

    ChildProcess& second = session.runArvelo({"arvelo://arrange"}, "second.log");
    EXPECT_EQ(second.waitForExit(5), 0) << log("second.log");
    EXPECT_TRUE(first.running());
    // The tray host of this desktop took the status item.
    EXPECT_EQ(log().find("No system tray"), std::string::npos);
}

TEST_F(ShellEndToEnd, UsageVersionAndRefusedCommandLinesEndAtOnceAndHandNothingOver) {
    ChildProcess& first = session.runArvelo();
    ASSERT_TRUE(listening()) << log();
    const struct {
        std::vector<std::string> arguments;
        int status;
        const char* says;
    } cases[] = {
        {{"--help"}, 0, "Usage: arvelo"},
        {{"--version"}, 0, "arvelo (Vomira) "},
        {{"--bogus"}, 2, "unknown option \"--bogus\""},
        {{"arvelo://arrange", "restore"}, 2, "not an arvelo:// command"},
        {std::vector<std::string>(300, "arvelo://back"), 1, "too much to hand over"},
    };
    for (const auto& c : cases) {
        fs::remove(session.home.path("later.log"));
        ChildProcess& later = session.runArvelo(c.arguments, "later.log");
        EXPECT_EQ(later.waitForExit(5), c.status) << c.arguments.front();
        EXPECT_NE(log("later.log").find(c.says), std::string::npos) << log("later.log");
    }
    EXPECT_TRUE(first.running());
    EXPECT_EQ(log().find("handed over"), std::string::npos) << log();
}

TEST_F(ShellEndToEnd, ThePermissionsWindowNotYetClosedNamesItselfOnce) {
    // The welcome guide was done, the permissions window never closed.
    std::ofstream(session.home.path("config/Arvelo/defaults.json")) << R"({"settings.hasCompletedOnboarding": true})";
    ChildProcess& arvelo = session.runArvelo();
    ASSERT_TRUE(listening()) << log();
    std::string title;
    EXPECT_TRUE(waitUntil(10, [&] {
        for (const Client& client : session.probe.clients())
            if (client.title.find("Permissions") != std::string::npos) title = client.title;
        return !title.empty();
    })) << log();
    EXPECT_EQ(title, "Vomira Permissions");
    arvelo.signal(SIGTERM);
    EXPECT_EQ(arvelo.waitForExit(10), 0);
}

TEST_F(ShellEndToEnd, ARelaunchWaitsForTheInstanceItReplacesToEnd) {
    ChildProcess& old = session.runArvelo();
    ASSERT_TRUE(listening()) << log();
    ChildProcess& relaunched = session.runArvelo({}, "relaunched.log", {{"ARVELO_RELAUNCH", "1"}});
    // It waits on the instance lock instead of handing over: the lock file is among its open files.
    const auto holdsLockOpen = [&] {
        std::error_code error;
        const std::filesystem::path fds = "/proc/" + std::to_string(relaunched.pid()) + "/fd";
        for (const auto& fd : std::filesystem::directory_iterator(fds, error)) {
            const auto target = std::filesystem::read_symlink(fd.path(), error);
            if (!error && target.extension() == ".lock") return true;
        }
        return false;
    };
    EXPECT_TRUE(waitUntil(10, holdsLockOpen)) << log("relaunched.log");
    EXPECT_TRUE(relaunched.running()) << "it waits instead of handing over";

    // Listening comes early in a launch; a SIGTERM is a quit only once the launch has turned it
    // into one.
    ASSERT_TRUE(waitUntil(10, [&] { return old.catches(SIGTERM); })) << log();
    old.signal(SIGTERM);
    EXPECT_EQ(old.waitForExit(10), 0);
    ASSERT_TRUE(listening()) << log("relaunched.log");
    // Now it is the running instance: a later launch hands over to it.
    ChildProcess& later = session.runArvelo({}, "later.log");
    EXPECT_EQ(later.waitForExit(10), 0) << log("later.log");
    EXPECT_TRUE(relaunched.running()) << log("relaunched.log");
}

// Run on a desktop without a tray host (see CMakeLists.txt).
TEST_F(ShellEndToEnd, WithoutATrayItRunsOnAndSaysSoOnce) {
    ChildProcess& arvelo = session.runArvelo();
    ASSERT_TRUE(listening()) << log();
    EXPECT_FALSE(arvelo.waitForExit(2)) << log();
    const std::string text = log();
    const std::string notice = "No system tray";
    const auto first = text.find(notice);
    ASSERT_NE(first, std::string::npos) << text;
    EXPECT_EQ(text.find(notice, first + 1), std::string::npos) << text;
    arvelo.signal(SIGTERM);
    EXPECT_EQ(arvelo.waitForExit(10), 0);
}

TEST_F(ShellEndToEnd, WithoutAnX11DisplayItRefusesWithAMessage) {
    const struct {
        std::map<std::string, std::string> environment;
        const char* says;
    } cases[] = {
        {{{"DISPLAY", ""}}, "X11"},
        {{{"XDG_SESSION_TYPE", "wayland"}, {"WAYLAND_DISPLAY", "wayland-0"}}, "Wayland"},
    };
    for (const auto& c : cases) {
        fs::remove(session.home.path("refused.log"));
        ChildProcess& refused = session.runArvelo({}, "refused.log", c.environment);
        const auto status = refused.waitForExit(10);
        ASSERT_TRUE(status);
        EXPECT_NE(*status, 0);
        EXPECT_NE(log("refused.log").find(c.says), std::string::npos) << log("refused.log");
    }
}
