// SPDX-License-Identifier: MIT
// Panel stacking on a real X server with openbox: a panel restacked directly above a managed
// window's frame, nothing sent when it already sits there, floating and pop-up panels put back
// in front, floating panels kept below a managed pop-up window of ours while it shows, a window that closed leaves its panel alone, the empty input shape, the compositor
// question, and the panel in the on-screen window list under this process. The stacking's own
// connection keeps none of the events of windows that come and go.
#include "ContractDesktop.h"

#include "Platform/X11/Connection.h"
#include "Platform/X11/PanelStacking.h"

#include <gtest/gtest.h>
#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace contract {
namespace {

using platform::PanelLevel;
using platform::x11::Connection;
using platform::x11::Deadline;
using platform::x11::PanelStacking;

// The test's own X client: managed windows (framed by openbox) and override-redirect panels.
class Client {
public:
    Client() : c_(xcb_connect(nullptr, nullptr)), screen_(xcb_setup_roots_iterator(xcb_get_setup(c_)).data) {}
    ~Client() { xcb_disconnect(c_); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    xcb_window_t window(bool overrideRedirect, std::int16_t x = 100) {
        const xcb_window_t w = xcb_generate_id(c_);
        const std::uint32_t values[] = {overrideRedirect ? 1u : 0u};
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, screen_->root, x, 100, 300, 200, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen_->root_visual, XCB_CW_OVERRIDE_REDIRECT, values);
        const std::uint32_t pid = static_cast<std::uint32_t>(getpid());
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1, &pid);
        xcb_map_window(c_, w);
        sync();
        return w;
    }
    void destroy(xcb_window_t w) {
        xcb_destroy_window(c_, w);
        sync();
    }
    void raise(xcb_window_t w) {
        const std::uint32_t values[] = {XCB_STACK_MODE_ABOVE};
        xcb_configure_window(c_, w, XCB_CONFIG_WINDOW_STACK_MODE, values);
        sync();
    }
    // Asks the window manager to bring a managed window forward (as a pager would).
    void activate(xcb_window_t w) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = w;
        event.type = atom("_NET_ACTIVE_WINDOW");
        event.data.data32[0] = 2;
        xcb_send_event(c_, 0, screen_->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
        sync();
    }
    xcb_window_t parent(xcb_window_t w) {
        auto* tree = xcb_query_tree_reply(c_, xcb_query_tree(c_, w), nullptr);
        const xcb_window_t p = tree ? tree->parent : xcb_window_t{XCB_WINDOW_NONE};
        free(tree);
        return p;
    }
    // The root's children, bottom to top.
    std::vector<xcb_window_t> order() {
        auto* tree = xcb_query_tree_reply(c_, xcb_query_tree(c_, screen_->root), nullptr);
        std::vector<xcb_window_t> list;
        if (tree) list.assign(xcb_query_tree_children(tree), xcb_query_tree_children(tree) + tree->children_len);
        free(tree);
        return list;
    }
    int inputRectangles(xcb_window_t w) {
        auto* reply = xcb_shape_get_rectangles_reply(c_, xcb_shape_get_rectangles(c_, w, XCB_SHAPE_SK_INPUT), nullptr);
        const int count = reply ? static_cast<int>(reply->rectangles_len) : -1;
        free(reply);
        return count;
    }
    // The window the window manager calls active.
    xcb_window_t activeWindow() {
        const xcb_atom_t active = atom("_NET_ACTIVE_WINDOW");
        auto* reply = xcb_get_property_reply(
            c_, xcb_get_property(c_, 0, screen_->root, active, XCB_ATOM_WINDOW, 0, 1), nullptr);
        xcb_window_t w = XCB_WINDOW_NONE;
        if (reply && xcb_get_property_value_length(reply) >= 4)
            std::memcpy(&w, xcb_get_property_value(reply), sizeof w);
        free(reply);
        return w;
    }
    void sync() { free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr)); }

private:
    xcb_atom_t atom(const char* name) {
        auto* reply =
            xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, std::uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        free(reply);
        return a;
    }

    xcb_connection_t* c_;
    xcb_screen_t* screen_;
};

class X11PanelStacking : public testing::Test {
protected:
    void SetUp() override {
        desktop_ = makeX11Desktop();
        ASSERT_TRUE(desktop_) << "no X server to run on (run under scripts/with-xvfb)";
        connection_ = Connection::open();
        ASSERT_TRUE(connection_);
        stacking_ = std::make_unique<PanelStacking>(connection_);
    }

    // A window openbox frames, with its frame (the root's child that holds it) once it has one.
    // openbox raises and focuses a new window last of all: waiting until it is the active one
    // keeps that late restack of its frame from landing in the middle of a test.
    std::pair<xcb_window_t, xcb_window_t> managedWindow(std::int16_t x) {
        const xcb_window_t w = client_.window(false, x);
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection_->xcb())).data->root;
        xcb_window_t frame = XCB_WINDOW_NONE;
        desktop_->waitUntil([&] {
            xcb_window_t at = w;
            for (int depth = 0; depth < 8; ++depth) {
                const xcb_window_t up = client_.parent(at);
                if (up == XCB_WINDOW_NONE) return false;
                if (up == root) {
                    frame = at;
                    return at != w;
                }
                at = up;
            }
            return false;
        });
        EXPECT_TRUE(desktop_->waitUntil([&] { return client_.activeWindow() == w; })) << "openbox never activated it";
        return {w, frame};
    }
    // The requests PanelStacking sent go over its own connection: the server handles them in no
    // fixed order with the test client's, so wait (bounded) until it has handled them before
    // reading what they did.
    void sentHandled() {
        EXPECT_TRUE(connection_->sync(Deadline::in(2))) << "no answer from the X server";
        client_.sync();
    }
    int position(xcb_window_t w) {
        const auto o = client_.order();
        const auto it = std::find(o.begin(), o.end(), w);
        return it == o.end() ? -1 : static_cast<int>(it - o.begin());
    }

    std::unique_ptr<ContractDesktop> desktop_;
    std::shared_ptr<Connection> connection_;
    std::unique_ptr<PanelStacking> stacking_;
    Client client_;
};

TEST_F(X11PanelStacking, ABarSitsDirectlyAboveItsWindowsFrameAndMovesOnlyWhenSomethingGotBetween) {
    const auto [a, frameA] = managedWindow(50);
    const auto [b, frameB] = managedWindow(500);
    ASSERT_NE(frameA, XCB_WINDOW_NONE);
    ASSERT_NE(frameB, XCB_WINDOW_NONE);
    const xcb_window_t bar = client_.window(true);
    stacking_->setShown(bar, PanelLevel::normal);

    EXPECT_EQ(stacking_->frameOf(a, Deadline::in(1)), frameA);
    EXPECT_EQ(stacking_->restack({{bar, a}}), 1);
    // openbox may still restack the frames it just made: each pass puts the bar back, and once
    // it holds still a pass sends nothing.
    const auto barOnItsWindow = [&] {
        sentHandled();
        return position(bar) == position(frameA) + 1;
    };
    EXPECT_TRUE(desktop_->waitUntil([&] { return stacking_->restack({{bar, a}}) == 0 && barOnItsWindow(); }));
    EXPECT_EQ(position(bar), position(frameA) + 1);
    EXPECT_EQ(stacking_->restack({{bar, a}}), 0) << "already in place: nothing sent";

    client_.activate(b);
    client_.activate(a);  // the window comes to the front without its bar
    EXPECT_TRUE(desktop_->waitUntil([&] { return position(frameA) > position(bar); }));
    EXPECT_EQ(stacking_->restack({{bar, a}}), 1);
    sentHandled();
    EXPECT_EQ(position(bar), position(frameA) + 1);
}

TEST_F(X11PanelStacking, FloatingAndPopUpPanelsGoBackInFrontOfEverything) {
    const auto [a, frameA] = managedWindow(50);
    ASSERT_NE(frameA, XCB_WINDOW_NONE);
    const xcb_window_t preview = client_.window(true);
    const xcb_window_t handle = client_.window(true);
    const xcb_window_t bar = client_.window(true);
    stacking_->setShown(preview, PanelLevel::popUp);
    stacking_->setShown(handle, PanelLevel::floating);
    stacking_->setShown(bar, PanelLevel::normal);
    // Made last, the bar is on top and the handle is above the preview: both are wrong.
    EXPECT_GT(stacking_->restack({{bar, a}}), 1);
    // openbox may still restack the frame it just made (seen under load: the frame put back above
    // the bar): each pass puts the panels back, and once they hold still a pass sends nothing.
    const auto inPlace = [&] {
        sentHandled();
        const int top = static_cast<int>(client_.order().size()) - 1;
        return position(preview) == top && position(handle) == top - 1 && position(bar) == position(frameA) + 1;
    };
    EXPECT_TRUE(desktop_->waitUntil([&] { return stacking_->restack({{bar, a}}) == 0 && inPlace(); }));
    const int top = static_cast<int>(client_.order().size()) - 1;
    EXPECT_EQ(position(preview), top);
    EXPECT_EQ(position(handle), top - 1);
    EXPECT_EQ(position(bar), position(frameA) + 1);
    EXPECT_EQ(stacking_->restack({{bar, a}}), 0);
}

TEST_F(X11PanelStacking, FloatingPanelsStayBelowAShownPopUpWindowAndGoBackOnTopOnceItIsHidden) {
    const auto [a, frameA] = managedWindow(50);
    const auto [popUpWindow, popUpFrame] = managedWindow(400);
    ASSERT_NE(frameA, XCB_WINDOW_NONE);
    ASSERT_NE(popUpFrame, XCB_WINDOW_NONE);
    const xcb_window_t handle = client_.window(true);
    const xcb_window_t zoomBar = client_.window(true);
    const xcb_window_t preview = client_.window(true);
    const xcb_window_t bar = client_.window(true);
    stacking_->setShown(handle, PanelLevel::floating);
    stacking_->setShown(zoomBar, PanelLevel::floating);
    stacking_->setShown(preview, PanelLevel::popUp);
    stacking_->setShown(bar, PanelLevel::normal);
    stacking_->setPopUpWindow(popUpWindow, true);

    // The floating panels directly below the pop-up window's frame, the preview on top, the bar
    // on its window.
    const auto underThePopUp = [&] {
        sentHandled();
        const int top = static_cast<int>(client_.order().size()) - 1;
        const int frame = position(popUpFrame);
        return std::min(position(zoomBar), position(handle)) == frame - 2 &&
               std::max(position(zoomBar), position(handle)) == frame - 1 && position(preview) == top &&
               position(bar) == position(frameA) + 1;
    };
    // openbox may still restack the frames it just made: each pass puts the panels back, and
    // once they hold still a pass sends nothing.
    EXPECT_GT(stacking_->restack({{bar, a}}), 1);
    EXPECT_TRUE(desktop_->waitUntil([&] { return stacking_->restack({{bar, a}}) == 0 && underThePopUp(); }));

    // A floating panel raised on its own (as a panel ordered front is) goes back below it.
    client_.raise(handle);
    EXPECT_GT(stacking_->restack({{bar, a}}), 0);
    EXPECT_TRUE(underThePopUp());

    stacking_->setPopUpWindow(popUpWindow, false);
    EXPECT_GT(stacking_->restack({{bar, a}}), 0);
    sentHandled();
    const int top = static_cast<int>(client_.order().size()) - 1;
    EXPECT_EQ(position(preview), top);
    EXPECT_EQ(std::min(position(zoomBar), position(handle)), top - 2);
    EXPECT_EQ(std::max(position(zoomBar), position(handle)), top - 1);
}

TEST_F(X11PanelStacking, AWindowThatClosedLeavesItsBarWhereItIs) {
    const auto [a, frameA] = managedWindow(50);
    ASSERT_NE(frameA, XCB_WINDOW_NONE);
    const xcb_window_t bar = client_.window(true);
    stacking_->setShown(bar, PanelLevel::normal);
    stacking_->restack({{bar, a}});
    client_.destroy(a);
    desktop_->waitUntil([&] { return position(frameA) == -1; });
    const auto before = client_.order();
    EXPECT_EQ(stacking_->restack({{bar, a}, {bar, 0x7fffff}}), 0);
    sentHandled();
    EXPECT_EQ(client_.order(), before);
}

TEST_F(X11PanelStacking, AnEmptyInputShapeLetsThePointerThroughAndComesBack) {
    const xcb_window_t preview = client_.window(true);
    EXPECT_EQ(client_.inputRectangles(preview), 1);
    stacking_->setInputEmpty(preview, true);
    sentHandled();
    EXPECT_EQ(client_.inputRectangles(preview), 0);
    stacking_->setInputEmpty(preview, false);
    sentHandled();
    EXPECT_EQ(client_.inputRectangles(preview), 1);
}

TEST_F(X11PanelStacking, NoCompositorUnderPlainOpenboxAndPanelsAreListedUnderThisProcess) {
    EXPECT_FALSE(stacking_->compositing());
    const xcb_window_t panel = client_.window(true);
    const auto list = desktop_->services.windowList->windows({});
    const auto it = std::find_if(list.begin(), list.end(), [&](const auto& w) { return w.number == panel; });
    ASSERT_NE(it, list.end());
    EXPECT_EQ(it->ownerPid, getpid());
}

TEST_F(X11PanelStacking, AConnectionThatOnlySendsRequestsKeepsNoEventsOfWindowsThatComeAndGo) {
    struct Case {
        const char* what;
        Connection::Events events;
        bool keeps;
    };
    const Case cases[] = {
        {"a connection that hears the root's events, without its event thread", Connection::Events::heard, true},
        {"the stacking's kind of connection", Connection::Events::none, false},
    };
    Client client;
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        const auto connection = Connection::open(nullptr, 5.0, test.events);
        ASSERT_TRUE(connection);
        PanelStacking stacking(connection);
        const xcb_window_t panel = client.window(true);
        stacking.setShown(panel, PanelLevel::floating);
        for (int i = 0; i < 20; ++i) client.destroy(client.window(true, static_cast<std::int16_t>(10 * i)));
        // A restack waits for replies: whatever came meanwhile is read off the socket with them.
        stacking.restack({});
        EXPECT_EQ(connection->keptEvents() > 0, test.keeps) << connection->keptEvents() << " events kept";
        stacking.forget(panel);
        client.destroy(panel);
    }
}

}  // namespace
}  // namespace contract
