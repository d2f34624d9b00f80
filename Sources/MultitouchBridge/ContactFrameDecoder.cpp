// SPDX-License-Identifier: MIT
// ContactFrameDecoder.cpp: slot and finger-key bookkeeping and frame making.
#include "MultitouchBridge/ContactFrameDecoder.h"

#include <algorithm>
#include <cstdint>

namespace mtbridge {

namespace {

float normalised(int value, const AxisRange& range) {
    if (range.maximum <= range.minimum) return 0;
    // In 64 bits: an axis that spans most of the int range (INT_MIN to INT_MAX) overflows the
    // differences in int.
    const auto offset = static_cast<std::int64_t>(value) - range.minimum;
    const auto span = static_cast<std::int64_t>(range.maximum) - range.minimum;
    return static_cast<float>(static_cast<double>(offset) / static_cast<double>(span));
}

double seconds(const input_event& event) {
    return static_cast<double>(event.input_event_sec) + static_cast<double>(event.input_event_usec) / 1e6;
}

// The value of a SYN_REPORT the input core makes when it releases a device's keys.
constexpr int kReleasedKeysReport = 1;

}  // namespace

int fingersOfKey(unsigned code) {
    switch (code) {
        case BTN_TOOL_FINGER:
            return 1;
        case BTN_TOOL_DOUBLETAP:
            return 2;
        case BTN_TOOL_TRIPLETAP:
            return 3;
        case BTN_TOOL_QUADTAP:
            return 4;
        case BTN_TOOL_QUINTTAP:
            return 5;
        default:
            return 0;
    }
}

ContactFrameDecoder::ContactFrameDecoder(int slotCount, AxisRange x, AxisRange y)
    : slots_(static_cast<std::size_t>(slotCount > 0 ? slotCount : 1)), x_(x), y_(y) {}

ContactFrame ContactFrameDecoder::frame(double timestamp) const {
    ContactFrame out;
    out.timestamp = timestamp;
    for (const SlotState& slot : slots_)
        if (slot.trackingId >= 0) out.contacts.push_back({normalised(slot.x, x_), normalised(slot.y, y_)});
    int keyFingers = 0;
    for (int fingers = 1; fingers <= 5; ++fingers)
        if (keysHeld_ & (1u << fingers)) keyFingers = fingers;
    out.fingers = std::max(static_cast<int>(out.contacts.size()), keyFingers);
    return out;
}

std::optional<ContactFrame> ContactFrameDecoder::feed(const input_event& event) {
    if (event.type == EV_SYN) {
        if (event.code == SYN_DROPPED) {
            dropping_ = true;
            needsResync_ = false;
            return std::nullopt;
        }
        if (event.code != SYN_REPORT) return std::nullopt;
        if (dropping_) {
            dropping_ = false;
            needsResync_ = true;
            return std::nullopt;
        }
        if (needsResync_) return std::nullopt;
        ContactFrame out = frame(seconds(event));
        out.released = event.value == kReleasedKeysReport;
        return out;
    }
    if (dropping_) return std::nullopt;
    if (event.type == EV_KEY) {
        if (const int fingers = fingersOfKey(event.code)) {
            if (event.value != 0)
                keysHeld_ |= 1u << fingers;
            else
                keysHeld_ &= ~(1u << fingers);
        }
        return std::nullopt;
    }
    if (event.type != EV_ABS) return std::nullopt;
    if (event.code == ABS_MT_SLOT) {
        current_ = event.value >= 0 && event.value < slotCount() ? event.value : -1;
        return std::nullopt;
    }
    if (current_ < 0) return std::nullopt;
    SlotState& slot = slots_[static_cast<std::size_t>(current_)];
    switch (event.code) {
        case ABS_MT_TRACKING_ID:
            slot.trackingId = event.value;
            break;
        case ABS_MT_POSITION_X:
            slot.x = event.value;
            break;
        case ABS_MT_POSITION_Y:
            slot.y = event.value;
            break;
        default:
            break;
    }
    return std::nullopt;
}

ContactFrame ContactFrameDecoder::resync(const std::vector<SlotState>& slots, double timestamp,
                                         const std::vector<int>& keyFingers) {
    for (std::size_t i = 0; i < slots_.size(); ++i) slots_[i] = i < slots.size() ? slots[i] : SlotState{};
    keysHeld_ = 0;
    for (int fingers : keyFingers)
        if (fingers >= 1 && fingers <= 5) keysHeld_ |= 1u << fingers;
    dropping_ = false;
    needsResync_ = false;
    return frame(timestamp);
}

}  // namespace mtbridge
