// ContactFrameDecoder.h: turns one touchpad's evdev events into contact frames: the slots'
// tracking ids and positions are followed, and each SYN_REPORT gives a frame of the contacts
// down (positions normalised by each axis's range, the report's time in seconds). After
// SYN_DROPPED every event up to the next SYN_REPORT is dropped and the decoder waits for a
// resync from the device's state. Slots beyond the device's count are ignored.
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

class ContactFrameDecoder {
public:
    ContactFrameDecoder(int slotCount, AxisRange x, AxisRange y);

    // A frame at each SYN_REPORT outside a drop.
    std::optional<ContactFrame> feed(const input_event& event);
    // After a drop: true once the report ending it was seen; resync() then gives the frame.
    bool needsResync() const { return needsResync_; }
    ContactFrame resync(const std::vector<SlotState>& slots, double timestamp);

    int slotCount() const { return static_cast<int>(slots_.size()); }

private:
    ContactFrame frame(double timestamp) const;

    std::vector<SlotState> slots_;
    AxisRange x_;
    AxisRange y_;
    int current_ = 0;
    bool dropping_ = false;
    bool needsResync_ = false;
};

}  // namespace mtbridge
