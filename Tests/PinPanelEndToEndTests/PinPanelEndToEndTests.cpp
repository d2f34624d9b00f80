// SPDX-License-Identifier: MIT
// PinPanelEndToEndTests.cpp: a pin's preview panel on a real X server with openbox. The panel
// controller, over Qt panels filled by the preview views, shows one picture exactly over an
// xlogo window: the screen shows the picture there (opaque without a compositing manager,
// faded to the pin's opacity under xcompmgr), the panel is override-redirect and the xlogo
// stays the active window. Resting the pointer on the picture starts the click-through: the
// panel goes behind the xlogo with an empty input shape and a click reaches the xlogo; the
// pointer leaving ends it. After stop() the panel's window is gone from the server. A real
// capture of a coloured xlogo fills a panel laid beside the window with the window's own pixels,
// drawn by the X server or copied frame by frame (forced), with and without xcompmgr, also after
// the window is resized, and the X server stops drawing while the panel is hidden.
#include "Platform/X11/Connection.h"
#include "Platform/X11/PanelStacking.h"
#include "Platform/X11/X11Backend.h"
#include "Platform/X11/X11PinCaptureBackend.h"
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
#include <ostream>
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

    // Starts an xlogo in colours nothing else on the test desktop has.
    xcb_window_t startColouredXlogo(const std::string& geometry) {
        const auto before = clientsOfClass();
        logos.push_back(std::make_unique<ChildProcess>(
            "xlogo", std::vector<std::string>{"-geometry", geometry, "-bg", "#3080d0", "-fg", "#d08030"}));
        xcb_window_t found = 0;
        waitUntil(kWaitSeconds, [&] {
            for (const auto& client : probe.clients())
                if (client.className == "XLogo" && !before.contains(client.window)) found = client.window;
            return found != 0 && probe.activeWindow() == found;
        });
        return found;
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
    EXPECT_TRUE(waitUntil(kWaitSeconds,
                          [&] {
                              seen = screenPixel(x, y);
                              return seen && seen->near(half, 12);
                          }))
        << (seen ? seen->text() : "none") << " vs half of the picture over " << beneath->text();
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

// How a capture fills the panel: drawn by the X server or copied (forced by the switch), with
// or without a compositing manager.
struct FillCase {
    const char* name;
    bool copied;
    bool composited;
};

void PrintTo(const FillCase& fill, std::ostream* out) { *out << fill.name; }

class PinPanelFill : public PinPanelEndToEnd, public ::testing::WithParamInterface<FillCase> {
protected:
    void SetUp() override {
        if (GetParam().copied)
            setenv(kCopySwitch, "1", 1);
        else
            unsetenv(kCopySwitch);
        PinPanelEndToEnd::SetUp();
    }
    void TearDown() override {
        if (capture) {
            bool stopped = false;
            capture->stop([&] { stopped = true; });
            waitWithEvents(kWaitSeconds, [&] { return stopped; });
        }
        if (controller) controller->stop();
        unsetenv(kCopySwitch);
    }

    // A capture of the pinned xlogo into the panel, started.
    void startCapture() {
        std::optional<platform::ShareableContentWindow> window;
        ASSERT_TRUE(waitWithEvents(kWaitSeconds, [&] {
            if (auto content = services.liveCapture->shareableContent(true, true, nullptr))
                for (const auto& candidate : *content)
                    if (candidate.windowID == xlogo) window = candidate;
            return window.has_value();
        }));
        capture = services.liveCapture->makeBackend(*window, controller->displayLayer(), profileOfPinned());
        std::optional<std::optional<platform::CaptureError>> answer;
        capture->start([&](std::optional<platform::CaptureError> error) { answer = std::move(error); });
        ASSERT_TRUE(waitWithEvents(kWaitSeconds, [&] { return answer.has_value(); }));
        ASSERT_FALSE(*answer) << (*answer)->message;
    }

    // The pinned window's size (one point is one pixel here) at 30 frames a second.
    platform::PinCaptureProfile profileOfPinned() const {
        return {static_cast<int>(pinned.bounds.width), static_cast<int>(pinned.bounds.height), 30};
    }

    platform::x11::X11PinCaptureBackend& x11Capture() {
        return dynamic_cast<platform::x11::X11PinCaptureBackend&>(*capture);
    }

    // The panel laid beside the window, at the window's size.
    arvelo::Rect besideTheWindow() const {
        return {pinned.bounds.maxX() + 40, pinned.bounds.y, pinned.bounds.width, pinned.bounds.height};
    }

    // Places of the frame (title bar, logo, background near each corner) away from the panel's
    // border, as offsets from the frame's corner.
    std::vector<std::pair<int, int>> samplePlaces() const {
        const int w = static_cast<int>(pinned.bounds.width), h = static_cast<int>(pinned.bounds.height);
        return {{w / 2, 12}, {w / 2, h / 2}, {20, h - 20}, {w - 20, h - 20}, {20, 40}, {w - 20, 40}, {w / 3, h / 2}};
    }

    // Whether the panel at `panel` shows at every sample place what the window shows there; the
    // mismatch described in `why` when not.
    bool panelMatchesWindow(const arvelo::Rect& panel, std::string& why) {
        const auto screen = e2e::screenImage();
        if (!screen) {
            why = "no screen image";
            return false;
        }
        for (const auto& [dx, dy] : samplePlaces()) {
            const Colour window =
                screen->at(static_cast<int>(pinned.bounds.x) + dx, static_cast<int>(pinned.bounds.y) + dy);
            const Colour shown = screen->at(static_cast<int>(panel.x) + dx, static_cast<int>(panel.y) + dy);
            if (!shown.near(window, 4)) {
                why = "at +" + std::to_string(dx) + "+" + std::to_string(dy) + " the window shows " + window.text() +
                      " and the panel " + shown.text();
                return false;
            }
        }
        return true;
    }

    static constexpr const char* kCopySwitch = "VOMIRA_PINS_COPY_FRAMES";
    std::shared_ptr<platform::PinCaptureBackend> capture;
};

TEST_P(PinPanelFill, ThePanelShowsTheWindowsPixelsAlsoAfterAResize) {
    const FillCase& fill = GetParam();
    if (fill.composited && std::system("command -v xcompmgr >/dev/null") != 0)
        GTEST_SKIP() << "xcompmgr is not installed";
    xlogo = startColouredXlogo("300x240+60+120");
    ASSERT_NE(xlogo, 0u);
    std::optional<ChildProcess> compositor;
    if (fill.composited) {
        compositor.emplace("xcompmgr", std::vector<std::string>{"-n"});
        platform::x11::PanelStacking stacking(connection);
        ASSERT_TRUE(waitUntil(kWaitSeconds, [&] { return stacking.compositing(); })) << "xcompmgr did not start";
    }
    makeController();
    ASSERT_EQ(panels->translucent(), fill.composited);
    pinned = pinnedXlogo();
    controller->prepare(pinned, 1.0, true);
    controller->updateFrame(besideTheWindow());
    controller->setVisible(true);
    ASSERT_TRUE(waitWithEvents(kWaitSeconds, [&] { return panelWindow() != 0 && mapped(panelWindow()); }));
    startCapture();
    EXPECT_EQ(x11Capture().drawsOnServer(), !fill.copied);

    std::string why;
    EXPECT_TRUE(waitWithEvents(kWaitSeconds, [&] { return panelMatchesWindow(besideTheWindow(), why); })) << why;
    screenshot(std::string("pin-panel-fill-") + fill.name + ".png");

    // A larger window: its pixmap is named again and the panel follows at the new size.
    output("wmctrl -i -r " + std::to_string(xlogo) + " -e 0,60,120,360,300");
    const double smaller = pinned.bounds.width;
    ASSERT_TRUE(waitWithEvents(kWaitSeconds, [&] { return pinnedXlogo().bounds.width > smaller; }));
    waitWithEvents(0.5, [] { return false; });
    pinned = pinnedXlogo();
    // As a pin does: the panel over the new frame, the capture asked for the new size.
    controller->updateFrame(besideTheWindow());
    capture->applyProfile(profileOfPinned(), [](std::optional<platform::CaptureError>) {});
    EXPECT_TRUE(waitWithEvents(kWaitSeconds, [&] { return panelMatchesWindow(besideTheWindow(), why); })) << why;
    if (fill.copied) return;

    // Hidden, the panel is not drawn into whatever the window does; shown again, it is at once.
    controller->setVisible(false);
    ASSERT_TRUE(waitWithEvents(kWaitSeconds, [&] { return !mapped(panelWindow()); }));
    waitWithEvents(0.3, [] { return false; });
    const auto drawsWhileHidden = x11Capture().drawCount();
    output("wmctrl -i -r " + std::to_string(xlogo) + " -e 0,60,120,300,240");
    waitWithEvents(1.0, [] { return false; });
    EXPECT_EQ(x11Capture().drawCount(), drawsWhileHidden);
    pinned = pinnedXlogo();
    controller->updateFrame(besideTheWindow());
    controller->setVisible(true);
    EXPECT_TRUE(waitWithEvents(kWaitSeconds, [&] { return panelMatchesWindow(besideTheWindow(), why); })) << why;
    EXPECT_GT(x11Capture().drawCount(), drawsWhileHidden);
}

INSTANTIATE_TEST_SUITE_P(Paths, PinPanelFill,
                         ::testing::Values(FillCase{"drawn", false, false}, FillCase{"copied", true, false},
                                           FillCase{"drawn-composited", false, true},
                                           FillCase{"copied-composited", true, true}),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             std::erase(name, '-');
                             return name;
                         });

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
    })) << "the panel's window is still there";
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%x ", window);
    EXPECT_EQ(output("xwininfo -root -tree").find(hex), std::string::npos);
}

}  // namespace
