// SPDX-License-Identifier: MIT
// Faults only a real X server shows: a window destroyed while it is being read or written, a
// server that stops answering (another client grabbed it), reads from several threads at once,
// and a connection that breaks. None may crash, hang past its time-out or go unreported.
#include "ContractDesktop.h"

#include "Platform/Qt/QtDispatcher.h"
#include "Platform/X11/X11Backend.h"
#include "Platform/X11/X11HotKeys.h"

#include <QCoreApplication>

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace contract {
namespace {

using platform::AccessElement;
using platform::AccessError;
using platform::AccessValue;
namespace ax = platform::ax;
using Clock = std::chrono::steady_clock;

constexpr double kTimeout = 0.25;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// A plain X client of the test's own: one connection, windows it creates, maps and destroys.
class TestClient {
public:
    TestClient() : c_(xcb_connect(nullptr, nullptr)) {}
    ~TestClient() { xcb_disconnect(c_); }
    TestClient(const TestClient&) = delete;
    TestClient& operator=(const TestClient&) = delete;

    xcb_connection_t* xcb() { return c_; }

    xcb_window_t openWindow(const std::string& title) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
        const xcb_window_t w = xcb_generate_id(c_);
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, screen->root, 100, 100, 300, 200, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            static_cast<std::uint32_t>(title.size()), title.data());
        const char wmClass[] = "faulttest\0FaultTest";
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, sizeof wmClass,
                            wmClass);
        xcb_map_window(c_, w);
        xcb_flush(c_);
        return w;
    }

    // Waits, at most 10 s, until the window manager lists the window among its clients (asked
    // on this client's own connection, so no reader of the backend keeps anything of it), or
    // with `managed` false until it no longer does.
    bool waitUntilManaged(xcb_window_t w, bool managed = true) {
        const auto listed = [&] {
            const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
            const auto atom = xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, 16, "_NET_CLIENT_LIST"), nullptr);
            if (!atom) return false;
            auto* reply =
                xcb_get_property_reply(c_, xcb_get_property(c_, 0, root, atom->atom, XCB_ATOM_WINDOW, 0, 4096), nullptr);
            free(atom);
            if (!reply) return false;
            const auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(reply));
            const auto* end = ids + xcb_get_property_value_length(reply) / 4;
            const bool found = std::find(ids, end, w) != end;
            free(reply);
            return found;
        };
        const auto start = Clock::now();
        bool done = false;
        while (!(done = listed() == managed) && secondsSince(start) < 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return done;
    }

    // Destroys the window and waits until the server has done so.
    void destroy(xcb_window_t w) {
        xcb_destroy_window(c_, w);
        free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
    }

private:
    xcb_connection_t* c_;
};

class X11Faults : public testing::Test {
protected:
    void SetUp() override {
        desktop_ = makeX11Desktop();
        ASSERT_TRUE(desktop_) << "no X server to run on (run under scripts/with-xvfb)";
    }

    platform::Accessibility& ax() { return *desktop_->services.accessibility; }

    // The test client's window as an element, once the window manager manages it.
    std::optional<AccessElement> managed(xcb_window_t window) {
        std::optional<AccessElement> found;
        desktop_->waitUntil([&] {
            for (const auto& app : desktop_->services.workspace->runningApplications()) {
                if (app.applicationID != "FaultTest") continue;
                const auto windows = ax().copyAttributeValue(AccessElement::application(app.pid), ax::kWindows, kTimeout);
                for (const AccessElement& e : windows.value.elements().value_or(std::vector<AccessElement>{}))
                    if (e.window == window) found = e;
            }
            return found.has_value();
        });
        return found;
    }

    std::unique_ptr<ContractDesktop> desktop_;
};

TEST_F(X11Faults, WindowDestroyedWhileBeingReadOrWrittenAnswersInvalidElement) {
    TestClient client;
    for (int round = 0; round < 5; ++round) {
        const xcb_window_t window = client.openWindow("Doomed " + std::to_string(round));
        const auto element = managed(window);
        ASSERT_TRUE(element);
        // Gone before the window manager (or our cached lists) know it.
        client.destroy(window);
        const auto values = ax().copyAttributeValues(
            {*element}, {std::string(ax::kRole), std::string(ax::kPosition), std::string(ax::kTitle)}, kTimeout);
        for (const auto& value : values.front()) EXPECT_EQ(value.error, AccessError::invalidUIElement);
        EXPECT_EQ(ax().setAttributeValue(*element, ax::kPosition, AccessValue(arvelo::Point{5, 5}), kTimeout),
                  AccessError::invalidUIElement);
        EXPECT_EQ(ax().performAction(*element, ax::kRaiseAction, kTimeout), AccessError::invalidUIElement);
        EXPECT_FALSE(ax().isAttributeSettable(*element, ax::kSize, kTimeout).yes());
    }
}

// The X server hands a client that quit its id range to the next client that connects, so a
// new window can get a closed window's number (and, without _NET_WM_PID, its stand-in process)
// before the main thread has heard that the old one is gone. Until that news is delivered the
// number names no window: a follow-up write meant for the closed window must not move the new
// one, and nothing may take the new window for the old.
TEST_F(X11Faults, AClosedWindowsNumberTakenByANewClientNamesNoWindowUntilTheClosingIsDelivered) {
    auto first = std::make_unique<TestClient>();
    const xcb_window_t window = first->openWindow("Closing");
    const auto element = managed(window);
    ASSERT_TRUE(element);
    ASSERT_TRUE(ax().copyAttributeValue(*element, ax::kPosition, kTimeout).ok());

    // Nothing runs on the main thread from here until the checks below: the news of the
    // destruction waits there.
    first.reset();
    TestClient second;
    // The window manager lets the closed window go first, so the new one's listing is its own.
    ASSERT_TRUE(second.waitUntilManaged(window, false)) << "the window manager still lists the closed window";
    const xcb_window_t reborn = second.openWindow("Reborn");
    if (reborn != window) GTEST_SKIP() << "the X server gave the new client other ids";
    ASSERT_TRUE(second.waitUntilManaged(reborn)) << "the window manager did not manage the new window";

    EXPECT_EQ(ax().copyAttributeValue(*element, ax::kPosition, kTimeout).error, AccessError::invalidUIElement);
    EXPECT_EQ(ax().setAttributeValue(*element, ax::kSize, AccessValue(arvelo::Size{900, 700}), kTimeout),
              AccessError::invalidUIElement);

    // Once the main thread has heard of the closing, the number names the new window.
    EXPECT_TRUE(managed(reborn).has_value());
}

TEST_F(X11Faults, ServerThatStopsAnsweringCostsNoMoreThanTheTimeOut) {
    const OpenedApp app = desktop_->openFixture();
    ASSERT_NE(app.pid, 0);
    const auto windows = ax().copyAttributeValue(AccessElement::application(app.pid), ax::kWindows, kTimeout);
    ASSERT_TRUE(windows.value.elements() && !windows.value.elements()->empty());
    const AccessElement window = windows.value.elements()->front();

    TestClient grabber;
    xcb_grab_server(grabber.xcb());
    free(xcb_get_input_focus_reply(grabber.xcb(), xcb_get_input_focus(grabber.xcb()), nullptr));

    auto start = Clock::now();
    EXPECT_EQ(ax().copyAttributeValue(window, ax::kPosition, kTimeout).error, AccessError::cannotComplete);
    EXPECT_LT(secondsSince(start), kTimeout + 0.25);
    start = Clock::now();
    EXPECT_EQ(ax().setAttributeValue(window, ax::kPosition, AccessValue(arvelo::Point{10, 10}), kTimeout),
              AccessError::cannotComplete);
    EXPECT_LT(secondsSince(start), kTimeout + 0.25);

    xcb_ungrab_server(grabber.xcb());
    xcb_flush(grabber.xcb());
    EXPECT_TRUE(desktop_->waitUntil([&] { return ax().copyAttributeValue(window, ax::kPosition, kTimeout).ok(); }));
}

// A server that stops answering says nothing of windows or applications that went: a window
// whose facts must be read again is unknown, not destroyed; the window list is not complete;
// the applications, the trust and the current desktop stay as last answered.
TEST_F(X11Faults, AServerThatStopsAnsweringSaysNothingIsGone) {
    using Answer = platform::WindowLookup::Answer;
    TestClient client;
    const auto element = managed(client.openWindow("Kept"));
    ASSERT_TRUE(element);
    platform::WindowList& list = *desktop_->services.windowList;
    platform::Workspace& workspace = *desktop_->services.workspace;
    const auto screens = desktop_->services.screens->screens();
    ASSERT_FALSE(screens.empty());
    ASSERT_TRUE(screens.front().number);
    const platform::SpaceID space = desktop_->services.spaces->currentSpace(*screens.front().number);
    ASSERT_TRUE(workspace.application(element->pid));
    ASSERT_TRUE(ax().isProcessTrusted());

    // A window the backend has never read, managed already, then the server stops answering.
    const xcb_window_t late = client.openWindow("Late");
    ASSERT_TRUE(client.waitUntilManaged(late));
    TestClient grabber;
    xcb_grab_server(grabber.xcb());
    free(xcb_get_input_focus_reply(grabber.xcb(), xcb_get_input_focus(grabber.xcb()), nullptr));

    auto start = Clock::now();
    EXPECT_EQ(list.lookUp(late).answer, Answer::unknown);
    EXPECT_LT(secondsSince(start), 0.75);
    EXPECT_FALSE(list.readWindows({.onScreenOnly = false, .excludeDesktopElements = false}).complete);
    EXPECT_TRUE(workspace.application(element->pid));
    EXPECT_FALSE(workspace.processEnded(element->pid));
    EXPECT_TRUE(ax().isProcessTrusted());
    EXPECT_EQ(desktop_->services.spaces->currentSpace(*screens.front().number), space);

    xcb_ungrab_server(grabber.xcb());
    xcb_flush(grabber.xcb());
    EXPECT_TRUE(desktop_->waitUntil([&] { return list.lookUp(late).answer == Answer::listed; }));
    client.destroy(late);
    EXPECT_TRUE(desktop_->waitUntil([&] { return list.lookUp(late).answer == Answer::destroyed; }));
}

TEST_F(X11Faults, HotKeysWaitNoLongerThanTheirTimeOutOnAServerThatStopsAnswering) {
    using platform::x11::X11HotKeys;
    auto keys = X11HotKeys::open(std::make_shared<platform::qt::QtDispatcher>(), {});
    ASSERT_TRUE(keys);
    TestClient grabber;
    xcb_grab_server(grabber.xcb());
    free(xcb_get_input_focus_reply(grabber.xcb(), xcb_get_input_focus(grabber.xcb()), nullptr));
    // Should a wait never end, the server is let go after a while so the test fails instead
    // of hanging.
    std::atomic<bool> finished{false};
    std::thread watchdog([&] {
        const auto start = Clock::now();
        while (!finished && secondsSince(start) < 10) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        xcb_ungrab_server(grabber.xcb());
        xcb_flush(grabber.xcb());
    });

    platform::HotKeyRef ref = 0;
    auto start = Clock::now();
    EXPECT_NE(keys->registerHotKey(49, platform::kControlKeyMask | platform::kOptionKeyMask, {1, 1}, ref),
              platform::kNoErr);
    EXPECT_LT(secondsSince(start), X11HotKeys::kReplyTimeout + 0.5);
    start = Clock::now();
    keys.reset();  // ending the hot keys needs no answer either
    EXPECT_LT(secondsSince(start), 0.5);
    finished = true;
    watchdog.join();
}

TEST_F(X11Faults, ReadsFromSeveralThreadsAtOnceAllAnswer) {
    const OpenedApp app = desktop_->openFixture();
    ASSERT_NE(app.pid, 0);
    const auto windows = ax().copyAttributeValue(AccessElement::application(app.pid), ax::kWindows, kTimeout)
                             .value.elements()
                             .value_or(std::vector<AccessElement>{});
    ASSERT_EQ(windows.size(), 3u);

    std::atomic<int> failures{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t) {
        readers.emplace_back([&, t] {
            for (int i = 0; i < 100; ++i) {
                const AccessElement& w = windows[static_cast<std::size_t>((t + i) % 3)];
                if (!ax().copyAttributeValue(w, ax::kPosition, 1.0).ok() ||
                    !ax().copyAttributeValue(AccessElement::application(app.pid), ax::kWindows, 1.0).ok())
                    ++failures;
            }
        });
    }
    // Meanwhile the main thread takes the events the readers' replies brought along.
    std::atomic<bool> done{false};
    std::thread joiner([&] {
        for (auto& reader : readers) reader.join();
        done = true;
    });
    desktop_->waitUntil([&] { return done.load(); });
    joiner.join();
    EXPECT_EQ(failures.load(), 0);
}

TEST_F(X11Faults, BrokenConnectionIsReportedOnceAndRequestsThenFailAtOnce) {
    auto dispatch = std::make_shared<platform::qt::QtDispatcher>();
    auto backend = platform::x11::X11Backend::connect(dispatch);
    ASSERT_TRUE(backend);
    platform::Services services;
    backend->fill(services);
    int reports = 0;
    backend->onConnectionLost = [&] { ++reports; };

    shutdown(xcb_get_file_descriptor(backend->connection().xcb()), SHUT_RDWR);
    EXPECT_TRUE(desktop_->waitUntil([&] { return reports == 1; }));

    const auto start = Clock::now();
    EXPECT_EQ(services.accessibility->copyAttributeValue(AccessElement::application(getpid()), ax::kWindows, 2.0).error,
              AccessError::cannotComplete);
    EXPECT_EQ(services.accessibility->setAttributeValue(AccessElement::windowOf(getpid(), 1), ax::kPosition,
                                                        AccessValue(arvelo::Point{0, 0}), 2.0),
              AccessError::cannotComplete);
    EXPECT_FALSE(services.accessibility->isProcessTrusted());
    EXPECT_TRUE(services.windowList->windows({}).empty());
    EXPECT_LT(secondsSince(start), 0.5);

    desktop_->pause();
    EXPECT_EQ(reports, 1);
}

}  // namespace
}  // namespace contract
