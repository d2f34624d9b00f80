// SPDX-License-Identifier: MIT
// GestureStateTests.cpp: the three-finger state machine over sequences of timed frames.
#include "MultitouchBridge/MultitouchBridge.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Frame {
    int fingers;
    double time;
    float x = 0.5f;
    float y = 0.5f;
};

// The gesture codes the sequence produced, in order, with the time of each.
std::vector<std::pair<uint32_t, double>> run(const std::vector<Frame>& frames) {
    MTGestureState state{};
    std::vector<std::pair<uint32_t, double>> out;
    for (const Frame& frame : frames) {
        const uint32_t code = MTGestureStateProcess(&state, frame.fingers, frame.x, frame.y, frame.time);
        if (code != MTGestureNone) out.emplace_back(code, frame.time);
    }
    return out;
}

using Results = std::vector<std::pair<uint32_t, double>>;

TEST(GestureState, RecognitionTable) {
    struct Case {
        const char* name;
        std::vector<Frame> frames;
        Results expected;
    };
    const std::vector<Case> cases = {
        {"three fingers lift after 0.2 s: a tap", {{3, 10.0}, {3, 10.1}, {0, 10.2}}, {{MTGestureTap, 10.2}}},
        {"lift just under 0.3 s is still a tap", {{3, 10.0}, {0, 10.29}}, {{MTGestureTap, 10.29}}},
        {"lift after 0.31 s: nothing", {{3, 10.0}, {3, 10.2}, {0, 10.31}}, {}},
        {"resting 0.4 s: one press at the 0.35 s mark, no tap",
         {{3, 10.0}, {3, 10.2}, {3, 10.36}, {3, 10.38}, {3, 10.4}, {0, 10.45}},
         {{MTGesturePress, 10.36}}},
        {"press not reached before 0.35 s", {{3, 10.0}, {3, 10.349}, {0, 10.5}}, {}},
        {"fingers lifting one at a time: a tap at the first drop to two",
         {{3, 10.0}, {2, 10.1}, {1, 10.15}, {0, 10.2}},
         {{MTGestureTap, 10.1}}},
        {"a drop to two after 0.3 s gives nothing", {{3, 10.0}, {2, 10.31}, {0, 10.35}}, {}},
        {"a fourth finger cancels until all lift",
         {{3, 10.0}, {4, 10.05}, {3, 10.1}, {0, 10.15}, {3, 11.0}, {0, 11.1}},
         {{MTGestureTap, 11.1}}},
        {"four fingers first, then three: nothing until all lift", {{4, 10.0}, {3, 10.05}, {3, 10.5}, {0, 10.6}}, {}},
        {"centroid moving by more than 0.1: neither tap nor press",
         {{3, 10.0, 0.5f, 0.5f}, {3, 10.1, 0.58f, 0.58f}, {3, 10.4, 0.58f, 0.58f}, {0, 10.45}},
         {}},
        {"movement just under 0.1 stays still",
         {{3, 10.0, 0.5f, 0.5f}, {3, 10.1, 0.59f, 0.5f}, {0, 10.2}},
         {{MTGestureTap, 10.2}}},
        {"one or two fingers alone never start a gesture", {{2, 10.0}, {1, 10.1}, {0, 10.2}}, {}},
        {"a frame earlier than the start blocks until all lift",
         {{3, 10.0}, {3, 9.9}, {3, 10.2}, {0, 10.25}, {3, 12.0}, {0, 12.1}},
         {{MTGestureTap, 12.1}}},
        {"two taps in a row are two taps",
         {{3, 1.0}, {0, 1.1}, {3, 1.3}, {0, 1.4}},
         {{MTGestureTap, 1.1}, {MTGestureTap, 1.4}}},
    };
    for (const Case& c : cases) EXPECT_EQ(run(c.frames), c.expected) << c.name;
}

TEST(GestureState, NoStateAnswersNothing) { EXPECT_EQ(MTGestureStateProcess(nullptr, 3, 0, 0, 1), 0u); }

}  // namespace
