// SPDX-License-Identifier: MIT
// KitEndToEndTests.cpp: the kit on a virtual X desktop (Xvfb + openbox, started by
// scripts/with-xvfb): with the focus lock on the fixture application, activating xlogo through
// the window manager is pushed back so the fixture is active again, while an allowed
// application (xcalc) keeps the focus; and in the real arvelo, Super+Alt+F locks the focus on
// the application in front and Super+Alt+R releases it.
#include "ArveloSession.h"
#include "Wait.h"

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

using namespace e2e;

namespace {

constexpr double kDeadline = 15;  // seconds

// What the window manager says is the active window.
class ActiveWindow {
public:
    ActiveWindow() : connection_(xcb_connect(nullptr, nullptr)) {
        screen_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        const char* name = "_NET_ACTIVE_WINDOW";
        auto* reply =
            xcb_intern_atom_reply(connection_, xcb_intern_atom(connection_, 0, std::strlen(name), name), nullptr);
        atom_ = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
    }
    ~ActiveWindow() { xcb_disconnect(connection_); }

    xcb_window_t get() {
        auto* reply = xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, screen_->root, atom_, XCB_ATOM_WINDOW, 0, 1), nullptr);
        xcb_window_t window = 0;
        if (reply && xcb_get_property_value_length(reply) >= 4)
            window = *static_cast<xcb_window_t*>(xcb_get_property_value(reply));
        std::free(reply);
        return window;
    }

private:
    xcb_connection_t* connection_;
    xcb_screen_t* screen_ = nullptr;
    xcb_atom_t atom_ = XCB_ATOM_NONE;
};

class KitEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (environmentValue("DISPLAY").empty()) GTEST_SKIP() << "needs an X display (run through scripts/with-xvfb)";
        ASSERT_TRUE(session.probe.connected());
        ASSERT_TRUE(session.home.ready());
        setenv("ARVELO", ARVELO_PATH, 1);
    }

    // The first managed window of a class, once there is one.
    xcb_window_t windowOf(const std::string& className) {
        xcb_window_t found = XCB_WINDOW_NONE;
        waitUntil(kDeadline, [&] {
            for (const Client& client : session.probe.clients())
                if (client.className == className) found = client.window;
            return found != XCB_WINDOW_NONE;
        });
        return found;
    }

    void activate(xcb_window_t window) {
        ChildProcess& xdotool = session.start("xdotool", {"windowactivate", std::to_string(window)});
        xdotool.waitForExit(10);
    }

    bool becomesActive(xcb_window_t window) {
        return waitUntil(kDeadline, [&] { return active.get() == window; });
    }

    // Whether the active window is one of the class's windows (the fixture has three).
    bool activeIsOf(const std::string& className) {
        const xcb_window_t window = active.get();
        for (const Client& client : session.probe.clients())
            if (client.window == window) return client.className == className;
        return false;
    }

    std::string log(const std::string& name) const { return session.home.read(name); }

    ArveloSession session{"kit-e2e"};
    ActiveWindow active;
};

TEST_F(KitEndToEnd, TheFocusLockPushesOtherApplicationsBackButNotAllowedOnes) {
    session.start(ARVELO_FIXTURE_PATH, {}, {}, session.home.path("fixture.log").string());
    session.start("/usr/bin/xlogo", {"-geometry", "300x300+700+150"});
    session.start("/usr/bin/xcalc", {"-geometry", "+850+500"});
    const xcb_window_t fixture = windowOf("org.vomira.ArveloFixture");
    const xcb_window_t xlogo = windowOf("XLogo");
    const xcb_window_t xcalc = windowOf("XCalc");
    ASSERT_NE(fixture, 0u);
    ASSERT_NE(xlogo, 0u);
    ASSERT_NE(xcalc, 0u);

    activate(fixture);
    ASSERT_TRUE(becomesActive(fixture));
    session.start(FOCUS_LOCK_DRIVER_PATH, {"XCalc"}, {}, session.home.path("driver.log").string());
    ASSERT_TRUE(waitUntil(kDeadline, [&] { return log("driver.log").find("locked ") != std::string::npos; }))
        << log("driver.log");

    activate(xlogo);
    // The window manager activates xlogo, and the lock brings the fixture back.
    ASSERT_TRUE(waitUntil(kDeadline, [&] {
        return log("driver.log").find("state", log("driver.log").find("locked ")) != std::string::npos;
    })) << log("driver.log");
    ASSERT_TRUE(waitUntil(kDeadline, [&] { return activeIsOf("org.vomira.ArveloFixture"); })) << log("driver.log");
    EXPECT_NE(log("driver.log").find("state locked="), std::string::npos);

    activate(xcalc);
    ASSERT_TRUE(becomesActive(xcalc)) << log("driver.log");
    // The lock pauses instead of pushing back: xcalc keeps the focus.
    ASSERT_TRUE(waitUntil(kDeadline, [&] { return log("driver.log").find("paused=1") != std::string::npos; }))
        << log("driver.log");
    EXPECT_FALSE(waitUntil(1.0, [&] { return active.get() != xcalc; })) << log("driver.log");
}

}  // namespace

TEST_F(KitEndToEnd, SuperAltFLocksTheFocusInArveloAndSuperAltRReleasesIt) {
    // Debug logging on, so the kit's log file shows the presses; onboarding already seen.
    std::ofstream(session.home.path("config/Arvelo/defaults.json"))
        << R"({"shownPermissions": true, "settings.debugLoggingEnabled": true, "settings.hasCompletedOnboarding": true})";
    session.start(ARVELO_FIXTURE_PATH, {}, {}, session.home.path("fixture.log").string());
    session.start("/usr/bin/xlogo", {"-geometry", "300x300+700+150"});
    const xcb_window_t fixture = windowOf("org.vomira.ArveloFixture");
    const xcb_window_t xlogo = windowOf("XLogo");
    ASSERT_NE(fixture, 0u);
    ASSERT_NE(xlogo, 0u);

    session.runArvelo({"--fixture-only"});
    ASSERT_TRUE(waitUntil(kDeadline, [&] {
        return log("arvelo.log").find("registered Super+Alt+F action=toggleFocus") != std::string::npos;
    })) << log("arvelo.log");

    activate(fixture);
    ASSERT_TRUE(waitUntil(kDeadline, [&] { return activeIsOf("org.vomira.ArveloFixture"); }));
    session.start("xdotool", {"key", "super+alt+f"}).waitForExit(10);
    ASSERT_TRUE(waitUntil(kDeadline, [&] {
        return session.home.read("state/Tenvik/tenvik.log").find("hotkey pressed action=toggleFocus") !=
               std::string::npos;
    })) << log("arvelo.log");

    activate(xlogo);
    ASSERT_TRUE(waitUntil(kDeadline, [&] { return activeIsOf("org.vomira.ArveloFixture"); }))
        << "xlogo was not pushed back\n"
        << session.home.read("state/Tenvik/tenvik.log");

    session.start("xdotool", {"key", "super+alt+r"}).waitForExit(10);
    ASSERT_TRUE(waitUntil(kDeadline, [&] {
        return session.home.read("state/Tenvik/tenvik.log").find("hotkey pressed action=releaseAll") !=
               std::string::npos;
    })) << log("arvelo.log");
    activate(xlogo);
    ASSERT_TRUE(becomesActive(xlogo));
    EXPECT_FALSE(waitUntil(1.0, [&] { return active.get() != xlogo; })) << "released: xlogo keeps the focus";
}

namespace {

// The window's pixels as raw RGB (comparable byte for byte).
std::string pixels(ArveloSession& session, xcb_window_t window, const std::string& name) {
    const std::string raw = session.home.path(name + ".rgb").string();
    ChildProcess shot("/usr/bin/import", {"-window", std::to_string(window), "-depth", "8", "rgb:" + raw});
    EXPECT_EQ(shot.waitForExit(20), 0) << name;
    return readFile(raw);
}

// The window's pixels once it has finished drawing (two pictures in a row alike), and a PNG
// beside them for people.
std::string capture(ArveloSession& session, xcb_window_t window, const std::string& name) {
    std::string previous = pixels(session, window, name);
    std::string current;
    waitUntil(kDeadline, [&] {
        current = pixels(session, window, name);
        const bool same = current == previous;
        previous = current;
        return same;
    });
    ChildProcess png("/usr/bin/import", {"-window", std::to_string(window), "kit-" + name + ".png"});
    png.waitForExit(20);
    return current;
}

// A shortcut field of the settings window as the X server shows it. Run with
// QT_USE_NATIVE_WINDOWS, arvelo gives every widget an X window of its own, so the fields are
// the window's viewable descendants of the field's fixed size, found wherever the fonts of the
// machine put them.
struct Field {
    xcb_window_t window = XCB_WINDOW_NONE;
    int centreX = 0;  // root coordinates
    int centreY = 0;
};

constexpr int kFieldWidth = 170;
constexpr int kFieldHeight = 28;

void collectFields(xcb_connection_t* connection, xcb_window_t root, xcb_window_t parent, std::vector<Field>& fields) {
    auto* tree = xcb_query_tree_reply(connection, xcb_query_tree(connection, parent), nullptr);
    if (!tree) return;
    const std::vector<xcb_window_t> children(xcb_query_tree_children(tree),
                                             xcb_query_tree_children(tree) + xcb_query_tree_children_length(tree));
    std::free(tree);
    for (xcb_window_t child : children) {
        auto* attributes =
            xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, child), nullptr);
        const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(attributes);
        if (!viewable) continue;
        auto* geometry = xcb_get_geometry_reply(connection, xcb_get_geometry(connection, child), nullptr);
        auto* origin = xcb_translate_coordinates_reply(
            connection, xcb_translate_coordinates(connection, child, root, 0, 0), nullptr);
        if (geometry && origin && geometry->width == kFieldWidth && geometry->height == kFieldHeight)
            fields.push_back({child, origin->dst_x + kFieldWidth / 2, origin->dst_y + kFieldHeight / 2});
        std::free(geometry);
        std::free(origin);
        collectFields(connection, root, child, fields);
    }
}

// The window's shortcut fields from the top down (Toggle Pin, Toggle Focus, Release All).
std::vector<Field> shortcutFields(xcb_window_t window) {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    std::vector<Field> fields;
    collectFields(connection, xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root, window, fields);
    xcb_disconnect(connection);
    std::sort(fields.begin(), fields.end(), [](const Field& a, const Field& b) { return a.centreY < b.centreY; });
    return fields;
}

}  // namespace

TEST_F(KitEndToEnd, OpenSettingsOnATabAndASecondLaunchSwitchesIt) {
    const std::string title = "Vomira \u2014 Rev & Uzidu Settings";
    session.runArvelo({"--open-settings=pin"});
    std::vector<xcb_window_t> windows;
    const auto settingsWindows = [&] {
        windows.clear();
        for (const Client& client : session.probe.clients())
            if (client.title == title) windows.push_back(client.window);
        return windows.size();
    };
    ASSERT_TRUE(waitUntil(kDeadline, [&] { return settingsWindows() == 1; })) << log("arvelo.log");
    const xcb_window_t window = windows.front();
    ASSERT_TRUE(waitUntil(kDeadline, [&] {
        return log("arvelo.log").find("settings window on tab pin") != std::string::npos;
    })) << log("arvelo.log");
    ASSERT_TRUE(becomesActive(window));
    const std::string pin = capture(session, window, "settings-pin");
    ASSERT_FALSE(pin.empty());

    // A second launch hands its arguments over and ends; the same window shows the Focus tab.
    ChildProcess& second = session.runArvelo({"--open-settings=focus"}, "second.log");
    EXPECT_EQ(second.waitForExit(kDeadline), 0) << session.home.read("second.log");
    ASSERT_TRUE(waitUntil(kDeadline, [&] {
        return log("arvelo.log").find("settings window on tab focus") != std::string::npos;
    })) << log("arvelo.log");
    EXPECT_EQ(settingsWindows(), 1u);
    EXPECT_EQ(windows.front(), window);
    const std::string focus = capture(session, window, "settings-focus");
    EXPECT_NE(focus, pin) << "the tab did not change";

    // Back on Pin: the very same picture as the first time.
    ChildProcess& third = session.runArvelo({"--open-settings=pin"}, "third.log");
    EXPECT_EQ(third.waitForExit(kDeadline), 0) << session.home.read("third.log");
    ASSERT_TRUE(waitUntil(kDeadline, [&] {
        const std::string text = log("arvelo.log");
        return text.find("settings window on tab pin") != text.rfind("settings window on tab pin");
    })) << log("arvelo.log");
    EXPECT_EQ(capture(session, window, "settings-pin-again"), pin);
}

TEST_F(KitEndToEnd, RecordingTakesAKitShortcutInsteadOfRunningIt) {
    // Debug logging on, so the kit's log file would show a press that ran.
    std::ofstream(session.home.path("config/Arvelo/defaults.json"))
        << R"({"shownPermissions": true, "settings.debugLoggingEnabled": true, "settings.hasCompletedOnboarding": true})";
    session.runArvelo({"--open-settings=shortcuts"}, "arvelo.log", {{"QT_USE_NATIVE_WINDOWS", "1"}});
    xcb_window_t window = XCB_WINDOW_NONE;
    ASSERT_TRUE(waitUntil(kDeadline, [&] {
        for (const Client& client : session.probe.clients())
            if (client.title == "Vomira \u2014 Rev & Uzidu Settings") window = client.window;
        return window != XCB_WINDOW_NONE;
    })) << log("arvelo.log");
    ASSERT_TRUE(becomesActive(window));
    ASSERT_TRUE(waitUntil(kDeadline, [&] {
        return log("arvelo.log").find("registered Super+Alt+F action=toggleFocus") != std::string::npos;
    })) << log("arvelo.log");

    // A click in the middle of the Toggle Pin field starts recording (the field is drawn
    // anew); Super+Alt+F, the kit's own focus shortcut, is then recorded for pinning (read
    // through the X keyboard mapping).
    std::vector<Field> fields;
    ASSERT_TRUE(waitUntil(kDeadline, [&] { return (fields = shortcutFields(window)).size() == 3; }))
        << fields.size() << " shortcut fields\n"
        << log("arvelo.log");
    const Field togglePin = fields.front();
    const std::string idle = capture(session, togglePin.window, "toggle-pin-idle");
    session
        .start("xdotool",
               {"mousemove", std::to_string(togglePin.centreX), std::to_string(togglePin.centreY), "click", "1"})
        .waitForExit(10);
    ASSERT_TRUE(waitUntil(kDeadline, [&] { return pixels(session, togglePin.window, "toggle-pin") != idle; }))
        << "the field did not start recording";
    session.start("xdotool", {"key", "super+alt+f"}).waitForExit(10);
    ASSERT_TRUE(waitUntil(kDeadline, [&] {
        return log("arvelo.log").find("registered Super+Alt+F action=togglePin") != std::string::npos;
    })) << log("arvelo.log");
    EXPECT_EQ(session.home.read("state/Tenvik/tenvik.log").find("hotkey pressed"), std::string::npos)
        << session.home.read("state/Tenvik/tenvik.log");
    capture(session, window, "settings-recorded");
}

TEST_F(KitEndToEnd, TheWelcomeGuideAloneShowsAtTheFirstStartAndReturnCompletesIt) {
    std::ofstream(session.home.path("config/Arvelo/defaults.json")) << "{}";  // a fresh account
    session.runArvelo();
    const auto guides = [&] {
        std::vector<xcb_window_t> found;
        for (const Client& client : session.probe.clients())
            if (client.title == "Welcome to Rev & Uzidu") found.push_back(client.window);
        return found;
    };
    ASSERT_TRUE(waitUntil(kDeadline, [&] { return guides().size() == 1; })) << log("arvelo.log");
    const xcb_window_t guide = guides().front();
    // One window on a first start: the guide shows what this desktop offers, and no permissions
    // window opens over it.
    for (const Client& client : session.probe.clients())
        EXPECT_EQ(client.title.find("Permissions"), std::string::npos) << client.title;
    ASSERT_TRUE(becomesActive(guide));
    capture(session, guide, "onboarding");

    // Typed as the user would (a key sent to the window with --window arrives twice here).
    session.start("xdotool", {"key", "Return"}).waitForExit(10);
    ASSERT_TRUE(waitUntil(kDeadline, [&] { return guides().empty(); })) << log("arvelo.log");
    EXPECT_TRUE(waitUntil(kDeadline, [&] {
        const std::string defaults = session.home.read("config/Arvelo/defaults.json");
        return defaults.find("\"settings.hasCompletedOnboarding\": true") != std::string::npos ||
               defaults.find("\"settings.hasCompletedOnboarding\":true") != std::string::npos;
    })) << session.home.read("config/Arvelo/defaults.json");

    // A later launch with --open-onboarding brings the same window back, once.
    ChildProcess& again = session.runArvelo({"--open-onboarding"}, "again.log");
    EXPECT_EQ(again.waitForExit(kDeadline), 0) << session.home.read("again.log");
    ASSERT_TRUE(waitUntil(kDeadline, [&] { return guides().size() == 1; })) << log("arvelo.log");
    EXPECT_EQ(guides().front(), guide);
    EXPECT_FALSE(waitUntil(1.0, [&] { return guides().size() != 1; })) << [&] {
        std::string text;
        for (const Client& client : session.probe.clients())
            text += std::to_string(client.window) + " " + client.title + (client.hidden ? " hidden" : "") + "\n";
        return text + log("arvelo.log");
    }();
}
