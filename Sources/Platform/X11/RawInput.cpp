// SPDX-License-Identifier: MIT
// RawInput: the XInput2 version handshake, the selection on the root, and decoding the raw
// button, motion and pinch events.
#include "Platform/X11/RawInput.h"

#include <xcb/xinput.h>

#include <array>

namespace platform::x11 {

namespace {
constexpr double kHandshakeTimeout = 1.0;
// XInput 2.1 delivers raw events to the root during grabs; 2.4 brought gesture events.
constexpr std::uint16_t kWantedMajor = 2;
constexpr std::uint16_t kWantedMinor = 4;
constexpr std::uint16_t kNeededMinor = 1;
constexpr std::uint16_t kPinchMinor = 4;
// Gesture events' mask bits are their event types (absent from older xcb headers).
constexpr std::uint32_t kPinchBeginEvent = 27;
constexpr std::uint32_t kPinchUpdateEvent = 28;
constexpr std::uint32_t kPinchEndEvent = 29;
constexpr std::uint32_t kPinchCancelledFlag = 1;

double fixed1616(std::int32_t value) { return value / 65536.0; }
}  // namespace

std::shared_ptr<RawInput> RawInput::open(std::shared_ptr<Connection> connection) {
    xcb_connection_t* c = connection->xcb();
    const Deadline deadline = Deadline::in(kHandshakeTimeout);
    // Asked and answered before the look-up, which then does not wait.
    xcb_prefetch_extension_data(c, &xcb_input_id);
    if (!connection->sync(deadline)) return nullptr;
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(c, &xcb_input_id);
    if (!extension || !extension->present) return nullptr;
    auto version = connection->await<xcb_input_xi_query_version_reply_t>(
        xcb_input_xi_query_version(c, kWantedMajor, kWantedMinor), deadline);
    if (!version || version->major_version < kWantedMajor ||
        (version->major_version == kWantedMajor && version->minor_version < kNeededMinor))
        return nullptr;
    const bool pinches = version->major_version > kWantedMajor || version->minor_version >= kPinchMinor;

    struct {
        xcb_input_event_mask_t head;
        std::uint32_t bits;
    } mask{};
    mask.head.deviceid = XCB_INPUT_DEVICE_ALL_MASTER;
    mask.head.mask_len = 1;
    mask.bits = XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE |
                XCB_INPUT_XI_EVENT_MASK_RAW_MOTION;
    if (pinches) mask.bits |= (1u << kPinchBeginEvent) | (1u << kPinchUpdateEvent) | (1u << kPinchEndEvent);
    xcb_input_xi_select_events(c, connection->root(), 1, &mask.head);
    if (!connection->sync(deadline)) return nullptr;
    return std::shared_ptr<RawInput>(new RawInput(connection, mask.bits, extension->major_opcode,
                                                  version->major_version, version->minor_version, pinches));
}

RawInput::RawInput(std::shared_ptr<Connection> connection, std::uint32_t bits, std::uint8_t opcode,
                   std::uint16_t major, std::uint16_t minor, bool pinches)
    : connection_(std::move(connection)), bits_(bits), opcode_(opcode), major_(major), minor_(minor), pinches_(pinches) {}

void RawInput::select(std::uint32_t bits) {
    struct {
        xcb_input_event_mask_t head;
        std::uint32_t bits;
    } mask{};
    mask.head.deviceid = XCB_INPUT_DEVICE_ALL_MASTER;
    mask.head.mask_len = 1;
    mask.bits = bits;
    xcb_input_xi_select_events(connection_->xcb(), connection_->root(), 1, &mask.head);
    connection_->flush();
}

void RawInput::setKeysWanted(bool wanted) {
    std::lock_guard lock(mutex_);
    if (wanted == keysWanted_) return;
    keysWanted_ = wanted;
    select(wanted ? bits_ | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS : bits_);
}

std::optional<RawInputEvent> RawInput::decode(const xcb_generic_event_t& event, std::uint8_t extension) {
    if ((event.response_type & 0x7f) != XCB_GE_GENERIC) return std::nullopt;
    const auto& generic = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
    if (generic.extension != extension) return std::nullopt;
    RawInputEvent decoded;
    switch (generic.event_type) {
        case XCB_INPUT_RAW_BUTTON_PRESS:
        case XCB_INPUT_RAW_BUTTON_RELEASE: {
            const auto& raw = reinterpret_cast<const xcb_input_raw_button_press_event_t&>(event);
            decoded.kind = generic.event_type == XCB_INPUT_RAW_BUTTON_PRESS ? RawInputEvent::Kind::buttonPress
                                                                            : RawInputEvent::Kind::buttonRelease;
            decoded.button = raw.detail;
            decoded.time = raw.time;
            return decoded;
        }
        case XCB_INPUT_RAW_KEY_PRESS: {
            const auto& raw = reinterpret_cast<const xcb_input_raw_key_press_event_t&>(event);
            decoded.kind = RawInputEvent::Kind::keyPress;
            decoded.keycode = raw.detail;
            decoded.time = raw.time;
            return decoded;
        }
        case XCB_INPUT_RAW_MOTION: {
            const auto& raw = reinterpret_cast<const xcb_input_raw_motion_event_t&>(event);
            decoded.kind = RawInputEvent::Kind::motion;
            decoded.time = raw.time;
            return decoded;
        }
        case kPinchBeginEvent:
        case kPinchUpdateEvent:
        case kPinchEndEvent: {
            // The three pinch events share one layout.
            const auto& pinch = reinterpret_cast<const xcb_input_gesture_pinch_begin_event_t&>(event);
            decoded.kind = generic.event_type == kPinchBeginEvent    ? RawInputEvent::Kind::pinchBegin
                           : generic.event_type == kPinchUpdateEvent ? RawInputEvent::Kind::pinchUpdate
                                                                     : RawInputEvent::Kind::pinchEnd;
            decoded.time = pinch.time;
            decoded.rootX = fixed1616(pinch.root_x);
            decoded.rootY = fixed1616(pinch.root_y);
            decoded.scale = fixed1616(pinch.scale);
            decoded.modifiers = pinch.mods.effective;
            decoded.cancelled = (pinch.flags & kPinchCancelledFlag) != 0;
            return decoded;
        }
        default:
            return std::nullopt;
    }
}

void RawInput::take(const xcb_generic_event_t& event) {
    const auto decoded = decode(event, opcode_);
    if (!decoded) return;
    std::vector<std::shared_ptr<Observer>> live;
    {
        std::lock_guard lock(mutex_);
        std::erase_if(observers_, [](const std::weak_ptr<Observer>& w) { return w.expired(); });
        for (const auto& weak : observers_)
            if (auto observer = weak.lock()) live.push_back(std::move(observer));
    }
    for (const auto& observer : live) (*observer)(*decoded);
}

std::shared_ptr<void> RawInput::observe(std::function<void(const RawInputEvent&)> observer) {
    auto slot = std::make_shared<Observer>(std::move(observer));
    std::lock_guard lock(mutex_);
    observers_.push_back(slot);
    return slot;
}

}  // namespace platform::x11
