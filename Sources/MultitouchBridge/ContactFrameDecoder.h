// SPDX-License-Identifier: MIT
// ContactFrameDecoder.h: turns one touchpad's evdev events into contact frames: the slots'
// tracking ids and positions are followed, and so are the finger-count keys (BTN_TOOL_FINGER
// to BTN_TOOL_QUINTTAP, by which a pad that tracks fewer slots than fingers reports how many
// touch); each SYN_REPORT gives a frame of the contacts down (positions normalised by each
// axis's range, the report's time in seconds) and its finger count, whichever of the two says
// more. A report the kernel makes itself when it releases every key of a device that goes
// away (SYN_REPORT with the value 1) marks its frame as released. After SYN_DROPPED every event
// up to the next SYN_REPORT is dropped and the decoder waits for a resync from the device's
// state. Slots beyond the device's count are ignored.
#pragma once

#include <linux/input.h>

#include <optional>
#include <vector>

namespace mtbridge {

struct Contact {
    float x = 0;
    float y = 0;
    friend bool operator==(const Contact&, const Contact&) = default;
};

struct ContactFrame {
    std::vector<Contact> contacts;
    double timestamp = 0;
    // Fingers on the pad: the contacts, or the finger-count key held, whichever is more.
    int fingers = 0;
    // The kernel released the device's keys (it is going away, or was reset): no finger can be
    // told from this frame.
    bool released = false;
};

struct AxisRange {
    int minimum = 0;
    int maximum = 0;
};

struct SlotState {
    int trackingId = -1;
    int x = 0;
    int y = 0;
};

// The most fingers a finger-count key reports: BTN_TOOL_FINGER 1 ... BTN_TOOL_QUINTTAP 5; 0
// for any other key.
int fingersOfKey(unsigned code);

class ContactFrameDecoder {
public:
    ContactFrameDecoder(int slotCount, AxisRange x, AxisRange y);

    // A frame at each SYN_REPORT outside a drop.
    std::optional<ContactFrame> feed(const input_event& event);
    // After a drop: true once the report ending it was seen; resync() then gives the frame.
    bool needsResync() const { return needsResync_; }
    // `keyFingers`: the finger counts of the finger-count keys held now (fingersOfKey).
    ContactFrame resync(const std::vector<SlotState>& slots, double timestamp, const std::vector<int>& keyFingers = {});

    int slotCount() const { return static_cast<int>(slots_.size()); }

private:
    ContactFrame frame(double timestamp) const;

    std::vector<SlotState> slots_;
    AxisRange x_;
    AxisRange y_;
    int current_ = 0;
    // Which finger-count keys are held: bit n for the key of n fingers.
    unsigned keysHeld_ = 0;
    bool dropping_ = false;
    bool needsResync_ = false;
};

}  // namespace mtbridge
