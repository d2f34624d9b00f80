// TickEndToEndTests.cpp: the real `arvelo` on a virtual X desktop (Xvfb + openbox, started by
// scripts/with-xvfb) arranging xlogo windows: a window opened while the others are arranged is
// docked within two beats, and a tiled window dragged away by its title bar with xdotool is put
// back in its tile.
#include "Child.h"
#include "DesktopProbe.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace e2e;
namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kLogos = {"XLogo"};
constexpr double kFewBeats = 15;  // seconds: start-up plus a few 0.7 s beats
constexpr double kBeat = 0.7;
constexpr int kTolerance = 2;     // pixels

std::string readAll(const fs::path& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class TickEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display) GTEST_SKIP() << "needs an X display (run through scripts/with-xvfb)";
        ASSERT_TRUE(probe.connected());
        char pattern[] = "/tmp/arvelo-tick-e2e.XXXXXX";
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

    Child& start(const std::string& program, const std::vector<std::string>& arguments,
                 const std::map<std::string, std::string>& environment = {}, const std::string& log = {}) {
        children.push_back(std::make_unique<Child>(program, arguments, environment, log));
        return *children.back();
    }
    void runArvelo() {
        start(std::getenv("ARVELO"), {},
              {{"XDG_CONFIG_HOME", (home / "config").string()}, {"XDG_DATA_HOME", (home / "data").string()},
               {"XDG_STATE_HOME", (home / "state").string()}, {"XDG_RUNTIME_DIR", (home / "runtime").string()},
               {"ARVELO_STATE_DIR", (home / "state-dir").string()}, {"WAYLAND_DISPLAY", ""},
               {"XDG_SESSION_TYPE", ""}},
              (home / "arvelo.log").string());
    }
    // An xlogo window, cascaded from the top left so that it overlaps the others.
    void openLogo() {
        const int step = static_cast<int>(children.size()) + 1;
        start("/usr/bin/xlogo", {"-geometry", "320x240+" + std::to_string(60 * step) + "+" + std::to_string(50 * step)});
    }

    // Tiled: `count` windows, each on screen, no two overlapping.
    bool tiled(const std::map<xcb_window_t, Frame>& frames, std::size_t count) {
        if (frames.size() != count) return false;
        std::vector<Frame> list;
        for (const auto& [window, frame] : frames) {
            if (!frame.intersects(probe.screen())) return false;
            list.push_back(frame);
        }
        for (std::size_t i = 0; i < list.size(); ++i)
            for (std::size_t j = i + 1; j < list.size(); ++j)
                if (list[i].intersects(list[j])) return false;
        return true;
    }
    // The windows' frames once `count` of them are tiled and have held still for half a second.
    std::map<xcb_window_t, Frame> arranged(std::size_t count) {
        std::map<xcb_window_t, Frame> last;
        int still = 0;
        eventually(kFewBeats, [&] {
            const auto now = probe.framesOf(kLogos);
            still = (now == last && tiled(now, count)) ? still + 1 : 0;
            last = now;
            return still >= 10;
        });
        return last;
    }

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

TEST_F(TickEndToEnd, AWindowOpenedWhileArrangingIsDockedWithinTwoBeats) {
    for (int i = 0; i < 3; ++i) openLogo();
    ASSERT_TRUE(eventually(kFewBeats, [&] { return probe.framesOf(kLogos).size() == 3; }));
    runArvelo();
    const auto three = arranged(3);
    ASSERT_TRUE(tiled(three, 3)) << describe(three);

    openLogo();
    ASSERT_TRUE(eventually(kFewBeats, [&] { return probe.framesOf(kLogos).size() == 4; }));
    // From the moment the window manager lists it, the next beat's scan sees it and its tick
    // docks it; two beats, and a margin for a busy machine.
    const auto listed = std::chrono::steady_clock::now();
    std::map<xcb_window_t, Frame> frames;
    const bool docked = eventually(2 * kBeat + 1.0, [&] {
        frames = probe.framesOf(kLogos);
        return tiled(frames, 4);
    });
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - listed).count();
    EXPECT_TRUE(docked) << "after " << took << " s:\n" << describe(frames);
    RecordProperty("dockSeconds", std::to_string(took));
}

TEST_F(TickEndToEnd, ATiledWindowDraggedByItsTitleBarIsPutBack) {
    for (int i = 0; i < 3; ++i) openLogo();
    ASSERT_TRUE(eventually(kFewBeats, [&] { return probe.framesOf(kLogos).size() == 3; }));
    runArvelo();
    const auto tiles = arranged(3);
    ASSERT_TRUE(tiled(tiles, 3)) << describe(tiles);
    const auto [window, tile] = *tiles.begin();

    // Press on the title bar (the top of the outer frame) and drag 60 px right and 42 down.
    // While the button is held nothing is corrected, so the move shows.
    const int x = tile.x + tile.width / 2, y = tile.y + 6;
    std::vector<std::string> drag{"mousemove", std::to_string(x), std::to_string(y), "mousedown", "1"};
    for (int i = 1; i <= 6; ++i)
        for (const auto& part : {std::string("mousemove"), std::to_string(x + 10 * i), std::to_string(y + 7 * i),
                                 std::string("sleep"), std::string("0.05")})
            drag.push_back(part);
    Child pressAndDrag("/usr/bin/xdotool", drag);
    ASSERT_EQ(pressAndDrag.waitForExit(10), 0);
    const bool moved = eventually(5, [&, window = window, tile = tile] {
        const auto frames = probe.framesOf(kLogos);
        return frames.count(window) && frames.at(window).x >= tile.x + 30;
    });
    Child release("/usr/bin/xdotool", {"mouseup", "1"});
    ASSERT_EQ(release.waitForExit(10), 0);
    ASSERT_TRUE(moved) << describe(probe.framesOf(kLogos));

    std::map<xcb_window_t, Frame> frames;
    const bool putBack = eventually(kFewBeats, [&, window = window, tile = tile] {
        frames = probe.framesOf(kLogos);
        return frames.count(window) && frames.at(window).near(tile, kTolerance);
    });
    EXPECT_TRUE(putBack) << "tile " << tile.text() << "\n" << describe(frames);
}
