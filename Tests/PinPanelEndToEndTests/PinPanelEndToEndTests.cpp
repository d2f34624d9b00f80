// PinPanelEndToEndTests.cpp: a pin's preview panel on a real X server with openbox. The panel
// controller, over Qt panels filled by the preview views, shows one picture exactly over an
// xlogo window: the screen shows the picture there (opaque without a compositing manager,
// faded to the pin's opacity under xcompmgr), the panel is override-redirect and the xlogo
// stays the active window. Resting the pointer on the picture starts the click-through: the
// panel goes behind the xlogo with an empty input shape and a click reaches the xlogo; the
// pointer leaving ends it. After stop() the panel's window is gone from the server.
#include "Platform/X11/Connection.h"
#include "Platform/X11/PanelStacking.h"
#include "Platform/X11/X11Backend.h"
#include "TenvikKit/Pins/PinPanelController.h"
// Qt after the platform headers: its keyword macros would clash with them.
#include "Platform/Qt/QtDispatcher.h"
#include "Platform/X11/Qt/QtPanels.h"
#include "TenvikKit/Views/Pins/PinPreviewViews.h"

#include "ChildProcess.h"
#include "ScreenPixel.h"
#include "Wait.h"
#include "XProbe.h"

#include <QCoreApplication>
#include <QEvent>

#include <gtest/gtest.h>
#include <xcb/shape.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <set>
#include <string>

namespace {

using e2e::ChildProcess;
using e2e::waitUntil;
using e2e::waitWithEvents;
constexpr double kWaitSeconds = 8;
// The picture fed to the panel: a colour nothing on the test desktop has.
constexpr std::uint32_t kPicture = 0xFFD03080;

using e2e::Colour;
using e2e::colourOf;
using e2e::screenPixel;
constexpr auto output = e2e::shellOutput;

platform::CapturedImage solidPicture(int width, int height, std::uint32_t argb) {
    return {width, height,
            std::make_shared<const std::vector<std::uint32_t>>(static_cast<std::size_t>(width) * height, argb)};
}

class PinPanelEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        dispatch = std::make_shared<platform::qt::QtDispatcher>();
        backend = platform::x11::X11Backend::connect(dispatch);
        ASSERT_TRUE(backend) << "no X server";
        backend->fill(services);
        services.dispatch = dispatch;
        services.clock = dispatch;
        connection = platform::x11::Connection::open(nullptr, 2.0);
        ASSERT_TRUE(connection);
        // The pointer out of the way of every window the tests open.
        output("xdotool mousemove 1250 780");
    }

    // The panels and the controller, made once the compositing question is settled.
    void makeController() {
        panels = std::make_shared<platform::x11::QtPanels>(std::make_shared<platform::x11::PanelStacking>(connection));
        services.panels = panels;
        auto host = tenvik::views::pinPreviewHost(panels);
        tenvik::PinPreviewHost recording;
        recording.present = [this, host](platform::PanelID id) {
            panelID = id;
            return host.present(id);
        };
        controller = std::make_unique<tenvik::PinPanelController>(services, recording);
        // The owner would raise the real window here; the tests leave the focus alone, so that
        // only a click that really reaches the window gives it the focus.
        controller->onInteractionRequest = [this] {
            ++requests;
            return true;
        };
    }

    // Starts an xlogo at a known place and waits until openbox manages and focuses it.
    xcb_window_t startXlogo(const std::string& geometry) {
        const auto before = clientsOfClass();
        logos.push_back(std::make_unique<ChildProcess>("xlogo", std::vector<std::string>{"-geometry", geometry}));
        xcb_window_t found = 0;
        waitUntil(kWaitSeconds, [&] {
            for (const auto& client : probe.clients())
                if (client.className == "XLogo" && !before.contains(client.window)) found = client.window;
            return found != 0 && probe.activeWindow() == found;
        });
        return found;
    }

    std::set<xcb_window_t> clientsOfClass() {
        std::set<xcb_window_t> windows;
        for (const auto& client : probe.clients())
            if (client.className == "XLogo") windows.insert(client.window);
        return windows;
    }

    tenvik::PinnedWindow pinnedXlogo() {
        tenvik::PinnedWindow window;
        window.windowID = xlogo;
        window.ownerPID = logos.front()->pid();
        window.ownerName = "xlogo";
        for (const auto& client : probe.clients())
            if (client.window == xlogo) {
                const auto& f = client.frame;
                window.bounds = arvelo::Rect(f.x, f.y, f.width, f.height);
            }
        window.isOnScreen = true;
        return window;
    }

    // Prepares and shows the panel over the xlogo with one picture in it.
    void showPicture(double opacity) {
        pinned = pinnedXlogo();
        controller->prepare(pinned, opacity, true);
        controller->setVisible(true);
        auto surface = controller->displayLayer().lock();
        ASSERT_TRUE(surface);
        surface->enqueue(solidPicture(160, 120, kPicture));
        ASSERT_TRUE(waitWithEvents(kWaitSeconds, [&] { return panelWindow() != 0 && mapped(panelWindow()); }));
        waitWithEvents(0.3, [] { return false; });
    }

    xcb_window_t panelWindow() { return panels && panelID ? panels->windowNumber(*panelID) : 0; }

    bool mapped(xcb_window_t window) {
        auto attributes = connection->await<xcb_get_window_attributes_reply_t>(
            xcb_get_window_attributes(connection->xcb(), window), platform::x11::Deadline::in(1));
        return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    }

    bool overrideRedirect(xcb_window_t window) {
        auto attributes = connection->await<xcb_get_window_attributes_reply_t>(
            xcb_get_window_attributes(connection->xcb(), window), platform::x11::Deadline::in(1));
        return attributes && attributes->override_redirect;
    }

    // The root's children, bottom to top.
    std::vector<xcb_window_t> rootChildren() {
        auto tree = connection->await<xcb_query_tree_reply_t>(xcb_query_tree(connection->xcb(), connection->root()),
                                                              platform::x11::Deadline::in(1));
        if (!tree) return {};
        const xcb_window_t* first = xcb_query_tree_children(tree.value.get());
        return {first, first + xcb_query_tree_children_length(tree.value.get())};
    }

    std::optional<std::size_t> stackingIndex(xcb_window_t window) {
        const auto order = rootChildren();
        for (std::size_t i = 0; i < order.size(); ++i)
            if (order[i] == window) return i;
        return std::nullopt;
    }

    // The input shape's rectangles; absent when the server has no Shape extension.
    std::optional<int> inputRectangles(xcb_window_t window) {
        auto reply = connection->await<xcb_shape_get_rectangles_reply_t>(
            xcb_shape_get_rectangles(connection->xcb(), window, XCB_SHAPE_SK_INPUT), platform::x11::Deadline::in(1));
        if (!reply) return std::nullopt;
        return xcb_shape_get_rectangles_rectangles_length(reply.value.get());
    }

    void screenshot(const std::string& name) {
        const std::string file = std::string(SCREENSHOT_FOLDER) + "/" + name;
        ChildProcess shot("/usr/bin/import", {"-window", "root", file});
        EXPECT_EQ(shot.waitForExit(20), 0) << "screenshot " << file;
    }

    // A point inside the pinned window's client area, away from openbox's title bar.
    std::pair<int, int> probePoint() const {
        return {static_cast<int>(pinned.bounds.x + 30), static_cast<int>(pinned.bounds.maxY() - 30)};
    }

    std::shared_ptr<platform::qt::QtDispatcher> dispatch;
    std::shared_ptr<platform::x11::X11Backend> backend;
    std::shared_ptr<platform::x11::Connection> connection;
    platform::Services services;
    std::shared_ptr<platform::x11::QtPanels> panels;
    std::unique_ptr<tenvik::PinPanelController> controller;
    std::optional<platform::PanelID> panelID;
    e2e::XProbe probe;
    std::vector<std::unique_ptr<ChildProcess>> logos;
    xcb_window_t xlogo = 0;
    tenvik::PinnedWindow pinned;
    int requests = 0;
};

TEST_F(PinPanelEndToEnd, ThePictureCoversTheWindowOpaqueAndTheWindowKeepsTheFocus) {
    xlogo = startXlogo("400x300+200+150");
    ASSERT_NE(xlogo, 0u);
    makeController();
    ASSERT_FALSE(panels->translucent());
    showPicture(0.5);
    screenshot("pin-panel-opaque.png");

    EXPECT_TRUE(overrideRedirect(panelWindow()));
    EXPECT_EQ(probe.activeWindow(), xlogo) << "the panel took the focus";
    // Without a compositing manager the picture is drawn opaque whatever the opacity.
    const auto [x, y] = probePoint();
    const auto seen = screenPixel(x, y);
    ASSERT_TRUE(seen);
    EXPECT_TRUE(seen->near(colourOf(kPicture), 2)) << seen->text();
    EXPECT_FALSE(controller->isInteracting());
    EXPECT_EQ(requests, 0);
}

TEST_F(PinPanelEndToEnd, UnderACompositingManagerOnlyThePictureFades) {
    if (std::system("command -v xcompmgr >/dev/null") != 0) GTEST_SKIP() << "xcompmgr is not installed";
    xlogo = startXlogo("400x300+200+150");
    ASSERT_NE(xlogo, 0u);
    pinned = pinnedXlogo();
    const auto [x, y] = probePoint();
    const auto beneath = screenPixel(x, y);
    ASSERT_TRUE(beneath);

    ChildProcess compositor("xcompmgr", {"-n"});
    platform::x11::PanelStacking stacking(connection);
    ASSERT_TRUE(waitUntil(kWaitSeconds, [&] { return stacking.compositing(); })) << "xcompmgr did not start";
    makeController();
    ASSERT_TRUE(panels->translucent());
    showPicture(0.5);
    screenshot("pin-panel-composited.png");

    const Colour picture = colourOf(kPicture);
    const Colour half{(picture.red + beneath->red) / 2, (picture.green + beneath->green) / 2,
                      (picture.blue + beneath->blue) / 2};
    std::optional<Colour> seen;
    EXPECT_TRUE(waitUntil(kWaitSeconds, [&] {
        seen = screenPixel(x, y);
        return seen && seen->near(half, 12);
    })) << (seen ? seen->text() : "none") << " vs half of the picture over " << beneath->text();
    EXPECT_EQ(probe.activeWindow(), xlogo);
}

TEST_F(PinPanelEndToEnd, RestingOnThePictureLetsTheClicksThroughToTheWindow) {
    xlogo = startXlogo("400x300+200+150");
    ASSERT_NE(xlogo, 0u);
    // A second window takes the focus: a click that reaches the first one gives it back.
    const xcb_window_t other = startXlogo("300x200+700+150");
    ASSERT_NE(other, 0u);
    makeController();
    showPicture(1.0);
    ASSERT_EQ(probe.activeWindow(), other);

    // The pointer comes to rest on the picture: the panel goes behind the window and lets
    // every click through.
    const auto [x, y] = probePoint();
    output("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y));
    ASSERT_TRUE(waitWithEvents(kWaitSeconds, [&] { return controller->isInteracting(); })) << "no hover came";
    EXPECT_EQ(requests, 1);
    EXPECT_EQ(inputRectangles(panelWindow()), std::optional(0));
    const auto frameOfXlogo = platform::x11::PanelStacking(connection).frameOf(xlogo, platform::x11::Deadline::in(1));
    ASSERT_TRUE(frameOfXlogo);
    ASSERT_TRUE(stackingIndex(panelWindow()) && stackingIndex(*frameOfXlogo));
    EXPECT_LT(*stackingIndex(panelWindow()), *stackingIndex(*frameOfXlogo)) << "the panel is not behind the window";
    screenshot("pin-panel-interaction.png");

    // A click there lands in the real window, which openbox then focuses.
    output("xdotool click 1");
    EXPECT_TRUE(waitWithEvents(kWaitSeconds, [&] { return probe.activeWindow() == xlogo; }))
        << "the click did not reach the window under the panel";

    // The pointer leaving the panel by more than the margin ends the interaction: the panel
    // floats over everything again and takes the pointer.
    output("xdotool mousemove_relative 600 0");
    ASSERT_TRUE(waitWithEvents(kWaitSeconds, [&] { return !controller->isInteracting(); }));
    waitWithEvents(0.3, [] { return false; });
    EXPECT_FALSE(controller->isInteracting());
    EXPECT_NE(inputRectangles(panelWindow()), std::optional(0));
    const auto order = rootChildren();
    ASSERT_FALSE(order.empty());
    EXPECT_EQ(order.back(), panelWindow()) << "the panel is not in front again";
}

TEST_F(PinPanelEndToEnd, StopTakesThePanelOffTheServer) {
    xlogo = startXlogo("400x300+200+150");
    ASSERT_NE(xlogo, 0u);
    makeController();
    showPicture(1.0);
    const xcb_window_t window = panelWindow();
    ASSERT_TRUE(stackingIndex(window));
    controller->stop();
    EXPECT_TRUE(waitWithEvents(kWaitSeconds, [&] {
        // No event loop runs here to delete the closed window later: it is done now.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return !stackingIndex(window);
    }))
        << "the panel's window is still there";
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%x ", window);
    EXPECT_EQ(output("xwininfo -root -tree").find(hex), std::string::npos);
}

}  // namespace
