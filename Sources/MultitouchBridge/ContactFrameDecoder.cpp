// ContactFrameDecoder.cpp: slot bookkeeping and frame making.
#include "MultitouchBridge/ContactFrameDecoder.h"

namespace mtbridge {

namespace {

float normalised(int value, const AxisRange& range) {
    if (range.maximum <= range.minimum) return 0;
    return static_cast<float>(value - range.minimum) / static_cast<float>(range.maximum - range.minimum);
}

double seconds(const input_event& event) {
    return static_cast<double>(event.input_event_sec) + static_cast<double>(event.input_event_usec) / 1e6;
}

}  // namespace

ContactFrameDecoder::ContactFrameDecoder(int slotCount, AxisRange x, AxisRange y)
    : slots_(static_cast<std::size_t>(slotCount > 0 ? slotCount : 1)), x_(x), y_(y) {}

ContactFrame ContactFrameDecoder::frame(double timestamp) const {
    ContactFrame out;
    out.timestamp = timestamp;
    for (const SlotState& slot : slots_)
        if (slot.trackingId >= 0) out.contacts.push_back({normalised(slot.x, x_), normalised(slot.y, y_)});
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
        return frame(seconds(event));
    }
    if (dropping_ || event.type != EV_ABS) return std::nullopt;
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

ContactFrame ContactFrameDecoder::resync(const std::vector<SlotState>& slots, double timestamp) {
    for (std::size_t i = 0; i < slots_.size(); ++i) slots_[i] = i < slots.size() ? slots[i] : SlotState{};
    dropping_ = false;
    needsResync_ = false;
    return frame(timestamp);
}

}  // namespace mtbridge
