// SPDX-License-Identifier: MIT
// ChromePressTests.cpp: the press every chrome view shares: 6.0 points is a click and 6.01 a
// drop, a press that left the radius stays a drag, double clicks, Escape's order of calls, and
// events without a press.
#include "Arvelo/Chrome/ChromePress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace arvelo;

namespace {

struct Recorder {
    std::vector<std::string> calls;
    PressCallbacks callbacks() {
        PressCallbacks c;
        c.callback = [this] { calls.push_back("click"); };
        c.dragUpdate = [this](Point) { calls.push_back("update"); };
        c.dragEnd = [this](Point) { calls.push_back("end"); };
        c.dragBegin = [this] { calls.push_back("begin"); };
        c.dragStop = [this] { calls.push_back("stop"); };
        c.cancelDrag = [this] { calls.push_back("cancel"); };
        return c;
    }
};

TEST(ChromePress, ReleasesAreClicksUpToSixPointsAndDropsBeyond) {
    struct Case {
        const char* what;
        std::vector<Point> drags;
        Point release;
        ChromePress::Release outcome;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"released 6 points away", {}, {106, 100}, ChromePress::Release::click, {"begin", "stop", "click"}},
        {"released 6.01 points away", {}, {106.01, 100}, ChromePress::Release::drop, {"begin", "stop", "end"}},
        {"diagonal 3 + 3 is 4.24", {}, {103, 103}, ChromePress::Release::click, {"begin", "stop", "click"}},
        {"dragged 6 then back", {{106, 100}}, {100, 100}, ChromePress::Release::click, {"begin", "stop", "click"}},
        {"dragged 6.01 then back",
         {{106.01, 100}, {100, 100}},
         {100, 100},
         ChromePress::Release::drop,
         {"begin", "update", "update", "stop", "end"}},
    };
    for (const Case& k : cases) {
        Recorder r;
        ChromePress press;
        const PressCallbacks callbacks = r.callbacks();
        press.down({100, 100}, 1, callbacks);
        for (Point p : k.drags) press.dragged(p, callbacks);
        EXPECT_EQ(press.up(k.release, callbacks), k.outcome) << k.what;
        EXPECT_EQ(r.calls, k.calls) << k.what;
        EXPECT_FALSE(press.pressed());
    }
}

TEST(ChromePress, ADoubleClickCallsTheClickOncePerReleaseWithoutADoubleClickCallback) {
    Recorder r;
    ChromePress press;
    PressCallbacks callbacks = r.callbacks();
    press.down({0, 0}, 1, callbacks);
    press.up({0, 0}, callbacks);
    press.down({0, 0}, 2, callbacks);
    EXPECT_EQ(press.up({0, 0}, callbacks), ChromePress::Release::doubleClick);
    EXPECT_EQ(r.calls, (std::vector<std::string>{"begin", "stop", "click", "begin", "stop", "click"}));
    callbacks.doubleClick = [&] { r.calls.push_back("double"); };
    press.down({0, 0}, 2, callbacks);
    press.up({0, 0}, callbacks);
    EXPECT_EQ(r.calls.back(), "double");
}

TEST(ChromePress, EscapeStopsThenCancelsOnlyDuringAPress) {
    Recorder r;
    ChromePress press;
    const PressCallbacks callbacks = r.callbacks();
    EXPECT_FALSE(press.escape(callbacks)) << "no press: the key goes on";
    press.down({0, 0}, 1, callbacks);
    press.dragged({50, 0}, callbacks);
    EXPECT_TRUE(press.escape(callbacks));
    EXPECT_EQ(r.calls, (std::vector<std::string>{"begin", "update", "stop", "cancel"}));
    EXPECT_EQ(press.up({50, 0}, callbacks), ChromePress::Release::ignored) << "the press is over";
    EXPECT_FALSE(press.dragged({60, 0}, callbacks));
    EXPECT_EQ(r.calls.size(), 4u);
}

TEST(ChromePress, UnsetCallbacksAreSkipped) {
    ChromePress press;
    press.down({0, 0}, 1, {});
    EXPECT_TRUE(press.dragged({10, 0}, {}));
    EXPECT_EQ(press.up({10, 0}, {}), ChromePress::Release::drop);
}

}  // namespace
