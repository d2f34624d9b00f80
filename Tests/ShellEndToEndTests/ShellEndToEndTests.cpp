// ShellEndToEndTests.cpp: the real `arvelo` on a virtual X desktop (Xvfb + openbox, started by
// scripts/with-xvfb) with the fixture's windows, xlogo and xeyes: it tiles the ordinary
// programs (or, in fixture mode, only the fixture's windows) without overlap, a SIGTERM puts
// every window back before the process exits 0, a second launch hands over and exits at once,
// and without an X11 display it refuses with a message.
#include "Child.h"
#include "DesktopProbe.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace e2e;
namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kFixture = {"org.vomira.ArveloFixture"};
const std::vector<std::string> kStandardPrograms = {"XLogo", "XEyes"};
constexpr double kFewBeats = 15;  // seconds: start-up plus a few 0.7 s beats
constexpr int kTolerance = 2;     // pixels

std::string required(const char* variable) {
    const char* value = std::getenv(variable);
    return value ? value : "";
}

std::string readAll(const fs::path& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ShellEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (required("DISPLAY").empty()) GTEST_SKIP() << "needs an X display (run through scripts/with-xvfb)";
        ASSERT_TRUE(probe.connected());
        char pattern[] = "/tmp/arvelo-e2e.XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        home = pattern;
        for (const char* folder : {"config/Arvelo", "data", "state", "runtime", "state-dir"})
            fs::create_directories(home / folder);
        fs::permissions(home / "runtime", fs::perms::owner_all, fs::perm_options::replace);
        // The permissions are granted under openbox; the window that explains them stays away.
        std::ofstream(home / "config/Arvelo/defaults.json") << R"({"shownPermissions": true})";
    }

    void TearDown() override {
        children.clear();
        if (!home.empty()) fs::remove_all(home);
    }

    std::map<std::string, std::string> arveloEnvironment() const {
        return {{"XDG_CONFIG_HOME", (home / "config").string()}, {"XDG_DATA_HOME", (home / "data").string()},
                {"XDG_STATE_HOME", (home / "state").string()},   {"XDG_RUNTIME_DIR", (home / "runtime").string()},
                {"ARVELO_STATE_DIR", (home / "state-dir").string()}, {"WAYLAND_DISPLAY", ""},
                {"XDG_SESSION_TYPE", ""}};
    }

    Child& start(const std::string& program, const std::vector<std::string>& arguments,
                 const std::map<std::string, std::string>& environment = {}, const std::string& log = {}) {
        children.push_back(std::make_unique<Child>(program, arguments, environment, log));
        return *children.back();
    }

    // The fixture's three windows, xlogo and xeyes, cascaded so that they overlap.
    void openWindows() {
        start(required("ARVELO_FIXTURE"), {}, {}, (home / "fixture.log").string());
        start("/usr/bin/xlogo", {"-geometry", "300x300+700+150"});
        start("/usr/bin/xeyes", {"-geometry", "300x200+850+300"});
    }

    Child& runArvelo(const std::vector<std::string>& arguments = {}, const std::string& log = "arvelo.log") {
        return start(required("ARVELO"), arguments, arveloEnvironment(), (home / log).string());
    }

    std::map<xcb_window_t, Frame> allFrames() {
        auto frames = probe.framesOf(kFixture);
        frames.merge(probe.framesOf(kStandardPrograms));
        return frames;
    }

    // Every window's frame, once all five are there and have held still for half a second.
    std::map<xcb_window_t, Frame> settledFrames() {
        std::map<xcb_window_t, Frame> last;
        int still = 0;
        eventually(kFewBeats, [&] {
            const auto now = allFrames();
            still = (now == last && now.size() == 5) ? still + 1 : 0;
            last = now;
            return still >= 10;
        });
        return last;
    }

    // Tiled: every window moved from where it opened, and no two of them overlap on screen.
    bool tiled(const std::map<xcb_window_t, Frame>& frames, const std::map<xcb_window_t, Frame>& original,
               std::size_t count) {
        if (frames.size() != count) return false;
        std::vector<Frame> onScreen;
        for (const auto& [window, frame] : frames) {
            if (original.count(window) && original.at(window) == frame) return false;
            if (frame.intersects(probe.screen())) onScreen.push_back(frame);
        }
        for (std::size_t i = 0; i < onScreen.size(); ++i)
            for (std::size_t j = i + 1; j < onScreen.size(); ++j)
                if (onScreen[i].intersects(onScreen[j])) return false;
        return true;
    }

    // The running instance is up once its lock is taken and it listens.
    bool listening() {
        return eventually(10, [&] {
            for (const auto& entry : fs::directory_iterator(home / "runtime"))
                if (entry.path().extension() == ".socket") return true;
            return false;
        });
    }

    void arrangeAndRestore(const std::vector<std::string>& arguments, const std::vector<std::string>& arranged,
                           const std::vector<std::string>& leftAlone);

    std::string describe(const std::map<xcb_window_t, Frame>& frames) {
        std::string text;
        for (const auto& [window, frame] : frames) text += std::to_string(window) + " " + frame.text() + "\n";
        return text + "arvelo log:\n" + readAll(home / "arvelo.log");
    }

    DesktopProbe probe;
    fs::path home;
    std::vector<std::unique_ptr<Child>> children;
};

}  // namespace

// Arranges one group of windows and leaves the other alone; a SIGTERM puts the group back.
void ShellEndToEnd::arrangeAndRestore(const std::vector<std::string>& arguments,
                                      const std::vector<std::string>& arranged,
                                      const std::vector<std::string>& leftAlone) {
    openWindows();
    const auto original = settledFrames();
    ASSERT_EQ(original.size(), 5u) << describe(original);
    const std::size_t count = probe.framesOf(arranged).size();

    Child& arvelo = runArvelo(arguments);
    std::map<xcb_window_t, Frame> frames;
    ASSERT_TRUE(eventually(kFewBeats, [&] {
        frames = probe.framesOf(arranged);
        return tiled(frames, original, count);
    })) << describe(frames);
    for (const auto& [window, frame] : probe.framesOf(leftAlone)) EXPECT_EQ(frame, original.at(window)) << window;

    arvelo.signal(SIGTERM);
    EXPECT_EQ(arvelo.waitForExit(10), 0) << readAll(home / "arvelo.log");
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
    Child& first = runArvelo();
    ASSERT_TRUE(listening()) << readAll(home / "arvelo.log");

    Child& second = runArvelo({"arvelo://arrange"}, "second.log");
    EXPECT_EQ(second.waitForExit(5), 0) << readAll(home / "second.log");
    EXPECT_TRUE(first.running());
    // The tray host of this desktop took the status item.
    EXPECT_EQ(readAll(home / "arvelo.log").find("No system tray"), std::string::npos);
}

TEST_F(ShellEndToEnd, ARelaunchWaitsForTheInstanceItReplacesToEnd) {
    Child& old = runArvelo();
    ASSERT_TRUE(listening()) << readAll(home / "arvelo.log");
    auto environment = arveloEnvironment();
    environment["ARVELO_RELAUNCH"] = "1";
    Child& relaunched = start(required("ARVELO"), {}, environment, (home / "relaunched.log").string());
    EXPECT_FALSE(relaunched.waitForExit(1.5)) << "it waits instead of handing over";

    old.signal(SIGTERM);
    EXPECT_EQ(old.waitForExit(10), 0);
    ASSERT_TRUE(listening()) << readAll(home / "relaunched.log");
    // Now it is the running instance: a later launch hands over to it.
    Child& later = runArvelo({}, "later.log");
    EXPECT_EQ(later.waitForExit(10), 0) << readAll(home / "later.log");
    EXPECT_TRUE(relaunched.running()) << readAll(home / "relaunched.log");
}

// Run on a desktop without a tray host (see CMakeLists.txt).
TEST_F(ShellEndToEnd, WithoutATrayItRunsOnAndSaysSoOnce) {
    Child& arvelo = runArvelo();
    ASSERT_TRUE(listening()) << readAll(home / "arvelo.log");
    EXPECT_FALSE(arvelo.waitForExit(2)) << readAll(home / "arvelo.log");
    const std::string log = readAll(home / "arvelo.log");
    const std::string notice = "No system tray";
    const auto first = log.find(notice);
    ASSERT_NE(first, std::string::npos) << log;
    EXPECT_EQ(log.find(notice, first + 1), std::string::npos) << log;
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
        auto environment = arveloEnvironment();
        for (const auto& [name, value] : c.environment) environment[name] = value;
        const fs::path log = home / "refused.log";
        fs::remove(log);
        Child refused(required("ARVELO"), {}, environment, log.string());
        const auto status = refused.waitForExit(10);
        ASSERT_TRUE(status);
        EXPECT_NE(*status, 0);
        EXPECT_NE(readAll(log).find(c.says), std::string::npos) << readAll(log);
    }
}
