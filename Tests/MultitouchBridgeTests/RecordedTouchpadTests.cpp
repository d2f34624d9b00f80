// SPDX-License-Identifier: MIT
// RecordedTouchpadTests.cpp: touchpads recorded in evemu's format (the files in recordings/)
// replayed through the reader's decoding: the device's description (its contact slots and
// finger-count keys) decides whether it can tell three fingers, and its events, written into a
// pipe and read back by readTouchpad, go frame by frame through its gesture state machine. A
// five-slot pad and a two-slot pad that reports the third finger only through
// BTN_TOOL_TRIPLETAP both give a tap and a hold; the two-slot pad unplugged with three fingers
// down gives nothing; a two-slot pad without the three-finger key is no gesture device.
#include "MultitouchBridge/FrameGesture.h"
#include "MultitouchBridge/TouchpadReader.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace mtbridge {
namespace {

// One recording: the device as evemu describes it, and its events.
struct Recording {
    TouchpadTraits traits;
    AxisRange x;
    AxisRange y;
    std::vector<input_event> events;
};

bool hasBit(const std::vector<unsigned>& bytes, unsigned bit) {
    return bit / 8 < bytes.size() && (bytes[bit / 8] & (1u << (bit % 8))) != 0;
}

Recording load(const std::string& name) {
    Recording recording;
    std::ifstream file(std::string(MTBRIDGE_RECORDINGS) + "/" + name);
    EXPECT_TRUE(file) << name;
    std::vector<unsigned> keyBits;
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream in(line.substr(0, line.find('#')));
        std::string kind;
        in >> kind;
        if (kind == "N:") {
            std::getline(in >> std::ws, recording.traits.name);
        } else if (kind == "B:") {
            unsigned type = 0, byte = 0;
            in >> std::hex >> type;
            while (type == EV_KEY && in >> byte) keyBits.push_back(byte);
        } else if (kind == "A:") {
            unsigned code = 0;
            int minimum = 0, maximum = 0;
            in >> std::hex >> code >> std::dec >> minimum >> maximum;
            if (code == ABS_MT_SLOT) recording.traits.slots = maximum + 1;
            if (code == ABS_MT_POSITION_X) recording.x = {minimum, maximum};
            if (code == ABS_MT_POSITION_Y) recording.y = {minimum, maximum};
        } else if (kind == "E:") {
            std::string time;
            unsigned type = 0, code = 0;
            int value = 0;
            in >> time >> std::hex >> type >> code >> std::dec >> value;
            input_event event{};
            const auto point = time.find('.');
            event.input_event_sec = std::stol(time.substr(0, point));
            event.input_event_usec = std::stol(time.substr(point + 1));
            event.type = static_cast<unsigned short>(type);
            event.code = static_cast<unsigned short>(code);
            event.value = value;
            recording.events.push_back(event);
        }
    }
    for (unsigned code : {BTN_TOOL_FINGER, BTN_TOOL_DOUBLETAP, BTN_TOOL_TRIPLETAP, BTN_TOOL_QUADTAP, BTN_TOOL_QUINTTAP})
        if (hasBit(keyBits, code)) recording.traits.keyFingers = std::max(recording.traits.keyFingers, fingersOfKey(code));
    recording.traits.tripleTap = hasBit(keyBits, BTN_TOOL_TRIPLETAP);
    return recording;
}

std::vector<ContactFrame> gFrames;
void keepFrame(Touchpad&, const ContactFrame& frame) { gFrames.push_back(frame); }

// The gestures of the recording, with the time of each, as the reader decodes it.
std::vector<std::pair<std::uint32_t, double>> replay(const Recording& recording) {
    int fds[2];
    EXPECT_EQ(::pipe2(fds, O_NONBLOCK | O_CLOEXEC), 0);
    // Written a turn's worth at a time, each read back at once: the pipe never fills.
    Touchpad touchpad(fds[0], nullptr, ContactFrameDecoder(recording.traits.slots, recording.x, recording.y), "pipe");
    gFrames.clear();
    constexpr std::size_t kChunk = 256;
    for (std::size_t at = 0; at < recording.events.size(); at += kChunk) {
        const std::size_t count = std::min(kChunk, recording.events.size() - at);
        EXPECT_EQ(::write(fds[1], recording.events.data() + at, count * sizeof(input_event)),
                  static_cast<ssize_t>(count * sizeof(input_event)));
        EXPECT_TRUE(readTouchpad(touchpad, keepFrame));
    }
    ::close(fds[1]);
    EXPECT_FALSE(readTouchpad(touchpad, keepFrame)) << "the end of the pipe is a device gone";
    MTGestureState state{};
    std::vector<std::pair<std::uint32_t, double>> gestures;
    for (const ContactFrame& frame : gFrames)
        if (const std::uint32_t code = gestureOfFrame(state, frame); code != MTGestureNone)
            gestures.emplace_back(code, frame.timestamp);
    return gestures;
}

TEST(RecordedTouchpad, EachKindOfPadGivesItsGesturesOrNone) {
    struct Case {
        const char* file;
        int slots;
        bool tellsThreeFingers;
        std::vector<std::uint32_t> gestures;
    };
    const Case cases[] = {
        {"five-slot-touchpad.evemu", 5, true, {MTGestureTap, MTGesturePress}},
        {"two-slot-touchpad.evemu", 2, true, {MTGestureTap, MTGesturePress}},
        {"two-slot-touchpad-unplugged.evemu", 2, true, {}},
        {"two-slot-touchpad-without-triple-tap.evemu", 2, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const Recording recording = load(c.file);
        EXPECT_EQ(recording.traits.slots, c.slots);
        EXPECT_EQ(recording.traits.tellsThreeFingers(), c.tellsThreeFingers);
        std::vector<std::uint32_t> codes;
        for (const auto& [code, time] : replay(recording)) codes.push_back(code);
        EXPECT_EQ(codes, c.gestures);
    }
}

TEST(RecordedTouchpad, TheTwoSlotPadCountsItsThirdFingerFromItsKey) {
    const Recording recording = load("two-slot-touchpad.evemu");
    const auto gestures = replay(recording);
    ASSERT_EQ(gestures.size(), 2u);
    // The tap when the three fingers lift, 0.14 s after the third landed; the hold 0.35 s after.
    EXPECT_NEAR(gestures[0].second, 1.154, 0.004);
    EXPECT_NEAR(gestures[1].second, 2.014 + 0.35, 0.008);
    std::size_t threeFingers = 0;
    for (const ContactFrame& frame : gFrames)
        if (frame.fingers == 3) {
            ++threeFingers;
            EXPECT_EQ(frame.contacts.size(), 2u) << "two slots, the third finger from BTN_TOOL_TRIPLETAP";
        }
    EXPECT_GT(threeFingers, 20u);
}

}  // namespace
}  // namespace mtbridge
