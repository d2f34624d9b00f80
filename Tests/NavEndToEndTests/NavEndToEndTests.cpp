// NavEndToEndTests.cpp: the arranger's hot keys and URL commands on a virtual X desktop
// (scripts/with-xvfb): with three standard X programs tiled, Control+Alt+Down over a tile zooms
// onto it so its window fills the display, Control+Alt+Up steps out again, a second arvelo
// started with "arvelo://restore" puts every window back, and under openbox's own key
// bindings the keys it holds are reported while the others still work.
#include "Child.h"
#include "DesktopProbe.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace e2e;
namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kPrograms = {"XLogo", "XEyes", "XClock"};
constexpr double kFewBeats = 15;  // seconds: start-up plus a few 0.7 s beats
constexpr int kTolerance = 2;     // pixels

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string readAll(const fs::path& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool anyOverlap(const std::map<xcb_window_t, Frame>& frames) {
    for (auto a = frames.begin(); a != frames.end(); ++a)
        for (auto b = std::next(a); b != frames.end(); ++b)
            if (a->second.intersects(b->second)) return true;
    return false;
}

class NavEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (variable("DISPLAY").empty()) GTEST_SKIP() << "needs an X display (run through scripts/with-xvfb)";
        ASSERT_TRUE(probe.connected());
        char pattern[] = "/tmp/arvelo-nav-e2e.XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        home = pattern;
        for (const char* folder : {"config/Arvelo", "data", "state", "runtime", "state-dir"})
            fs::create_directories(home / folder);
        fs::permissions(home / "runtime", fs::perms::owner_all, fs::perm_options::replace);
        std::ofstream(home / "config/Arvelo/defaults.json") << R"({"shownPermissions": true})";
    }

    void TearDown() override {
        children.clear();
        if (!home.empty()) fs::remove_all(home);
    }

    Child& start(const std::string& program, const std::vector<std::string>& arguments,
                 const std::map<std::string, std::string>& environment = {}, const std::string& log = {}) {
        children.push_back(std::make_unique<Child>(program, arguments, environment, log));
        return *children.back();
    }

    Child& runArvelo(const std::vector<std::string>& arguments = {}, const std::string& log = "arvelo.log") {
        const std::map<std::string, std::string> environment = {
            {"XDG_CONFIG_HOME", (home / "config").string()}, {"XDG_DATA_HOME", (home / "data").string()},
            {"XDG_STATE_HOME", (home / "state").string()},   {"XDG_RUNTIME_DIR", (home / "runtime").string()},
            {"ARVELO_STATE_DIR", (home / "state-dir").string()}, {"WAYLAND_DISPLAY", ""},
            {"XDG_SESSION_TYPE", ""}};
        return start(variable("ARVELO"), arguments, environment, (home / log).string());
    }

    // xdotool plays the user; it ends within a few seconds.
    void xdotool(const std::vector<std::string>& arguments) {
        Child tool("/usr/bin/xdotool", arguments);
        ASSERT_EQ(tool.waitForExit(10), 0) << "xdotool failed";
    }

    // xlogo, xeyes and xclock, cascaded so that they overlap, once they have held still.
    std::map<xcb_window_t, Frame> openPrograms() {
        start("/usr/bin/xlogo", {"-geometry", "400x300+100+100"});
        start("/usr/bin/xeyes", {"-geometry", "300x250+250+200"});
        start("/usr/bin/xclock", {"-geometry", "250x250+400+300"});
        return settled([](const auto& frames) { return frames.size() == 3; });
    }

    // The programs' frames once they satisfy `done` and have not moved for half a second.
    template <class Done>
    std::map<xcb_window_t, Frame> settled(Done done) {
        std::map<xcb_window_t, Frame> last;
        int still = 0;
        eventually(kFewBeats, [&] {
            const auto now = probe.framesOf(kPrograms);
            still = (now == last && done(now)) ? still + 1 : 0;
            last = now;
            return still >= 10;
        });
        return last;
    }

    // Starts arvelo and waits until it has tiled the programs' windows.
    std::map<xcb_window_t, Frame> arrange(const std::map<xcb_window_t, Frame>& original) {
        first = &runArvelo();
        return settled([&](const auto& frames) {
            if (frames.size() != 3 || anyOverlap(frames)) return false;
            for (const auto& [window, frame] : frames)
                if (frame == original.at(window)) return false;
            return true;
        });
    }

    // Whether a frame takes the screen, but for the gaps and the band left for the zoom bar.
    bool fillsScreen(const Frame& frame) const {
        const Frame screen = probe.screen();
        return frame.x >= screen.x && frame.y >= screen.y && frame.x + frame.width <= screen.x + screen.width &&
               frame.y + frame.height <= screen.y + screen.height && frame.width >= screen.width * 9 / 10 &&
               frame.height >= screen.height * 85 / 100;
    }

    std::string describe(const std::map<xcb_window_t, Frame>& frames) {
        std::string text;
        for (const auto& [window, frame] : frames) text += std::to_string(window) + " " + frame.text() + "\n";
        return text + "arvelo log:\n" + readAll(home / "arvelo.log");
    }

    DesktopProbe probe;
    fs::path home;
    Child* first = nullptr;  // the arvelo that arranges
    std::vector<std::unique_ptr<Child>> children;
};

// The window whose tile is largest: its middle is surely over its own tile.
std::pair<xcb_window_t, Frame> largest(const std::map<xcb_window_t, Frame>& frames) {
    return *std::max_element(frames.begin(), frames.end(), [](const auto& a, const auto& b) {
        return a.second.width * a.second.height < b.second.width * b.second.height;
    });
}

}  // namespace

TEST_F(NavEndToEnd, ControlAltDownFocusesTheTileUnderThePointerAndControlAltUpStepsOut) {
    const auto original = openPrograms();
    ASSERT_EQ(original.size(), 3u);
    const auto tiled = arrange(original);
    ASSERT_FALSE(anyOverlap(tiled)) << describe(tiled);
    ASSERT_EQ(tiled.size(), 3u) << describe(tiled);

    const auto [window, tile] = largest(tiled);
    xdotool({"mousemove", std::to_string(tile.x + tile.width / 2), std::to_string(tile.y + tile.height / 2)});
    xdotool({"key", "ctrl+alt+Down"});
    std::map<xcb_window_t, Frame> frames;
    ASSERT_TRUE(eventually(kFewBeats, [&] {
        frames = probe.framesOf(kPrograms);
        return frames.count(window) && fillsScreen(frames.at(window));
    })) << describe(frames);

    xdotool({"key", "ctrl+alt+Up"});
    EXPECT_TRUE(eventually(kFewBeats, [&] {
        frames = probe.framesOf(kPrograms);
        for (const auto& [w, frame] : tiled)
            if (!frames.count(w) || !frames.at(w).near(frame, kTolerance)) return false;
        return true;
    })) << "tiled:\n" << describe(tiled) << "now:\n" << describe(frames);
}

TEST_F(NavEndToEnd, ARestoreURLFromASecondProcessPutsEveryWindowBack) {
    const auto original = openPrograms();
    ASSERT_EQ(original.size(), 3u);
    const auto tiled = arrange(original);
    ASSERT_FALSE(anyOverlap(tiled)) << describe(tiled);

    Child& second = runArvelo({"arvelo://restore"}, "second.log");
    EXPECT_EQ(second.waitForExit(5), 0) << readAll(home / "second.log");
    std::map<xcb_window_t, Frame> frames;
    EXPECT_TRUE(eventually(kFewBeats, [&] {
        frames = probe.framesOf(kPrograms);
        for (const auto& [w, frame] : original)
            if (!frames.count(w) || !frames.at(w).near(frame, kTolerance)) return false;
        return true;
    })) << "original:\n" << describe(original) << "now:\n" << describe(frames);
    EXPECT_TRUE(first->running()) << "the first arvelo keeps running";
}

TEST_F(NavEndToEnd, HotKeysFollowAKeyboardMappingChange) {
    const auto original = openPrograms();
    const auto tiled = arrange(original);
    ASSERT_FALSE(anyOverlap(tiled)) << describe(tiled);

    // Return moves to a key that had no symbol; the grab has to move with it.
    Child remap("/usr/bin/xmodmap", {"-e", "keycode 36 = NoSymbol", "-e", "keycode 93 = Return"});
    ASSERT_EQ(remap.waitForExit(10), 0);
    const auto [window, tile] = largest(tiled);
    xdotool({"mousemove", std::to_string(tile.x + tile.width / 2), std::to_string(tile.y + tile.height / 2)});
    std::map<xcb_window_t, Frame> frames;
    int polls = 0;
    const bool focused = eventually(kFewBeats, [&] {
        if (polls++ % 10 == 0) xdotool({"key", "ctrl+alt+Return"});
        frames = probe.framesOf(kPrograms);
        return frames.count(window) && fillsScreen(frames.at(window));
    });
    Child back("/usr/bin/xmodmap", {"-e", "keycode 93 = NoSymbol", "-e", "keycode 36 = Return"});
    EXPECT_EQ(back.waitForExit(10), 0);
    EXPECT_TRUE(focused) << describe(frames);
}

TEST_F(NavEndToEnd, DefaultOpenboxHoldsTheArrowKeysAndTheOtherKeysStillWork) {
    const auto original = openPrograms();
    const auto tiled = arrange(original);
    ASSERT_FALSE(anyOverlap(tiled)) << describe(tiled);
    const std::string log = readAll(home / "arvelo.log");
    EXPECT_NE(log.find("hot key 2 could not be registered, status -9878"), std::string::npos) << log;
    EXPECT_NE(log.find("hot key 3 could not be registered, status -9878"), std::string::npos) << log;

    // Control+Alt+Return does what Control+Alt+Down would.
    const auto [window, tile] = largest(tiled);
    xdotool({"mousemove", std::to_string(tile.x + tile.width / 2), std::to_string(tile.y + tile.height / 2)});
    xdotool({"key", "ctrl+alt+Return"});
    std::map<xcb_window_t, Frame> frames;
    EXPECT_TRUE(eventually(kFewBeats, [&] {
        frames = probe.framesOf(kPrograms);
        return frames.count(window) && fillsScreen(frames.at(window));
    })) << describe(frames);
}
