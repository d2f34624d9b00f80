// SPDX-License-Identifier: MIT
// ContactFrameDecoderTests.cpp: recorded evdev event sequences decoded into contact frames:
// slots and tracking ids, positions normalised by the axis ranges, report times, SYN_DROPPED
// and its resync, and slots beyond the device's count.
#include "MultitouchBridge/ContactFrameDecoder.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace mtbridge {
namespace {

input_event ev(double time, unsigned short type, unsigned short code, int value) {
    input_event event{};
    event.input_event_sec = static_cast<long>(time);
    event.input_event_usec = static_cast<long>((time - static_cast<long>(time)) * 1e6 + 0.5);
    event.type = type;
    event.code = code;
    event.value = value;
    return event;
}

input_event report(double time) { return ev(time, EV_SYN, SYN_REPORT, 0); }

std::vector<ContactFrame> decode(ContactFrameDecoder& decoder, const std::vector<input_event>& events) {
    std::vector<ContactFrame> frames;
    for (const input_event& event : events)
        if (auto frame = decoder.feed(event)) frames.push_back(*frame);
    return frames;
}

// A touchpad 0..1000 wide and 0..500 high with four slots.
ContactFrameDecoder touchpad() { return ContactFrameDecoder(4, {0, 1000}, {0, 500}); }

TEST(ContactFrameDecoder, SlotsAndTrackingIdsMakeFrames) {
    ContactFrameDecoder decoder = touchpad();
    const auto frames = decode(decoder, {
                                            ev(5.0, EV_ABS, ABS_MT_SLOT, 0),
                                            ev(5.0, EV_ABS, ABS_MT_TRACKING_ID, 11),
                                            ev(5.0, EV_ABS, ABS_MT_POSITION_X, 250),
                                            ev(5.0, EV_ABS, ABS_MT_POSITION_Y, 100),
                                            ev(5.0, EV_ABS, ABS_MT_SLOT, 1),
                                            ev(5.0, EV_ABS, ABS_MT_TRACKING_ID, 12),
                                            ev(5.0, EV_ABS, ABS_MT_POSITION_X, 750),
                                            ev(5.0, EV_ABS, ABS_MT_POSITION_Y, 400),
                                            report(5.0),
                                            // Only slot 1 moves; slot 0 keeps its place.
                                            ev(5.25, EV_ABS, ABS_MT_POSITION_X, 800),
                                            ev(5.25, EV_KEY, BTN_TOOL_DOUBLETAP, 1),
                                            report(5.25),
                                            ev(5.5, EV_ABS, ABS_MT_SLOT, 0),
                                            ev(5.5, EV_ABS, ABS_MT_TRACKING_ID, -1),
                                            report(5.5),
                                        });
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].contacts, (std::vector<Contact>{{0.25f, 0.2f}, {0.75f, 0.8f}}));
    EXPECT_DOUBLE_EQ(frames[0].timestamp, 5.0);
    EXPECT_EQ(frames[1].contacts, (std::vector<Contact>{{0.25f, 0.2f}, {0.8f, 0.8f}}));
    EXPECT_DOUBLE_EQ(frames[1].timestamp, 5.25);
    EXPECT_EQ(frames[2].contacts, (std::vector<Contact>{{0.8f, 0.8f}}));
}

TEST(ContactFrameDecoder, DroppedEventsWaitForAResync) {
    ContactFrameDecoder decoder = touchpad();
    auto frames = decode(decoder, {
                                      ev(1.0, EV_ABS, ABS_MT_TRACKING_ID, 1),
                                      ev(1.0, EV_ABS, ABS_MT_POSITION_X, 100),
                                      report(1.0),
                                      ev(1.1, EV_SYN, SYN_DROPPED, 0),
                                      ev(1.1, EV_ABS, ABS_MT_TRACKING_ID, -1),  // half a report: dropped
                                      report(1.1),
                                      ev(1.2, EV_ABS, ABS_MT_POSITION_X, 900),  // before the resync: no frame
                                      report(1.2),
                                  });
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_TRUE(decoder.needsResync());
    // The device's state as read after the drop: two fingers down.
    const ContactFrame resynced = decoder.resync({{1, 500, 250}, {2, 1000, 0}}, 1.3);
    EXPECT_EQ(resynced.contacts, (std::vector<Contact>{{0.5f, 0.5f}, {1.0f, 0.0f}}));
    EXPECT_FALSE(decoder.needsResync());
    frames = decode(decoder, {ev(1.4, EV_ABS, ABS_MT_SLOT, 1), ev(1.4, EV_ABS, ABS_MT_TRACKING_ID, -1), report(1.4)});
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].contacts, (std::vector<Contact>{{0.5f, 0.5f}}));
}

TEST(ContactFrameDecoder, SlotsBeyondTheDeviceCountAreIgnored) {
    ContactFrameDecoder decoder(2, {0, 100}, {0, 100});
    const auto frames = decode(decoder, {
                                            ev(1, EV_ABS, ABS_MT_SLOT, 0),
                                            ev(1, EV_ABS, ABS_MT_TRACKING_ID, 1),
                                            ev(1, EV_ABS, ABS_MT_SLOT, 7),
                                            ev(1, EV_ABS, ABS_MT_TRACKING_ID, 2),
                                            ev(1, EV_ABS, ABS_MT_POSITION_X, 50),
                                            ev(1, EV_ABS, ABS_MT_SLOT, -3),
                                            ev(1, EV_ABS, ABS_MT_TRACKING_ID, 3),
                                            report(1),
                                        });
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].contacts.size(), 1u);
    EXPECT_EQ(frames[0].contacts[0], (Contact{0, 0}));
}

TEST(ContactFrameDecoder, AnAxisWithoutARangeGivesZero) {
    ContactFrameDecoder decoder(1, {0, 0}, {10, 10});
    const auto frames =
        decode(decoder, {ev(1, EV_ABS, ABS_MT_TRACKING_ID, 1), ev(1, EV_ABS, ABS_MT_POSITION_X, 5), report(1)});
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].contacts[0], (Contact{0, 0}));
}

TEST(ContactFrameDecoder, ExtremeAxisRangesNormaliseWithoutOverflow) {
    constexpr int kMin = std::numeric_limits<int>::min();
    constexpr int kMax = std::numeric_limits<int>::max();
    const struct {
        const char* name;
        AxisRange range;
        int value;
        float expected;
    } cases[] = {
        {"whole int range, at its low end", {kMin, kMax}, kMin, 0.0f},
        {"whole int range, at its high end", {kMin, kMax}, kMax, 1.0f},
        {"whole int range, in the middle", {kMin, kMax}, 0, 0.5f},
        {"negative range", {-2000000000, -1000000000}, -1500000000, 0.5f},
        {"value far below the range", {1000000000, 2000000000}, -2000000000, -3.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ContactFrameDecoder decoder(1, c.range, c.range);
        const auto frames = decode(decoder, {ev(1, EV_ABS, ABS_MT_TRACKING_ID, 1), ev(1, EV_ABS, ABS_MT_POSITION_X, c.value),
                                             ev(1, EV_ABS, ABS_MT_POSITION_Y, c.value), report(1)});
        ASSERT_EQ(frames.size(), 1u);
        ASSERT_EQ(frames[0].contacts.size(), 1u);
        EXPECT_NEAR(frames[0].contacts[0].x, c.expected, 1e-6);
        EXPECT_NEAR(frames[0].contacts[0].y, c.expected, 1e-6);
    }
}

}  // namespace
}  // namespace mtbridge
