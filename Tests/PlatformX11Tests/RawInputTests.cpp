// SPDX-License-Identifier: MIT
// RawInputTests.cpp: decoding the XInput2 events of the raw observation: raw presses, releases
// and motion of this extension only, and pinches with their position, scale and modifiers;
// and the modifier flags of X key masks.
#include "Platform/X11/RawInput.h"
#include "Platform/X11/X11MouseMonitor.h"

#include <xcb/xinput.h>

#include <gtest/gtest.h>

using namespace platform;
using namespace platform::x11;

namespace {

constexpr std::uint8_t kOpcode = 131;

template <class Event>
xcb_generic_event_t& generic(Event& event) {
    return reinterpret_cast<xcb_generic_event_t&>(event);
}

xcb_input_raw_button_press_event_t raw(std::uint16_t type, std::uint32_t detail, std::uint8_t extension = kOpcode) {
    xcb_input_raw_button_press_event_t event{};
    event.response_type = XCB_GE_GENERIC;
    event.extension = extension;
    event.event_type = type;
    event.detail = detail;
    event.time = 77;
    return event;
}

TEST(RawInputDecoding, RawButtonsMotionAndKeyPressesOfThisExtensionOnly) {
    struct Case {
        std::uint16_t type;
        std::uint32_t detail;
        std::uint8_t extension;
        std::optional<RawInputEvent::Kind> kind;
    };
    const Case cases[] = {
        {XCB_INPUT_RAW_BUTTON_PRESS, 1, kOpcode, RawInputEvent::Kind::buttonPress},
        {XCB_INPUT_RAW_BUTTON_RELEASE, 3, kOpcode, RawInputEvent::Kind::buttonRelease},
        {XCB_INPUT_RAW_MOTION, 0, kOpcode, RawInputEvent::Kind::motion},
        {XCB_INPUT_RAW_KEY_PRESS, 9, kOpcode, RawInputEvent::Kind::keyPress},
        {XCB_INPUT_RAW_KEY_RELEASE, 9, kOpcode, std::nullopt},
        {XCB_INPUT_RAW_BUTTON_PRESS, 1, kOpcode + 1, std::nullopt},
    };
    for (const Case& c : cases) {
        auto event = raw(c.type, c.detail, c.extension);
        const auto decoded = RawInput::decode(generic(event), kOpcode);
        ASSERT_EQ(decoded.has_value(), c.kind.has_value()) << c.type;
        if (!decoded) continue;
        EXPECT_EQ(decoded->kind, *c.kind);
        if (c.type == XCB_INPUT_RAW_KEY_PRESS) {
            EXPECT_EQ(decoded->keycode, c.detail);
        } else if (c.type != XCB_INPUT_RAW_MOTION) {
            EXPECT_EQ(decoded->button, c.detail);
        }
        EXPECT_EQ(decoded->time, 77u);
    }
    xcb_property_notify_event_t property{};
    property.response_type = XCB_PROPERTY_NOTIFY;
    EXPECT_FALSE(RawInput::decode(generic(property), kOpcode));
}

TEST(RawInputDecoding, PinchesCarryTheirPlaceScaleModifiersAndCancellation) {
    xcb_input_gesture_pinch_begin_event_t event{};
    event.response_type = XCB_GE_GENERIC;
    event.extension = kOpcode;
    event.event_type = 29;  // pinch end
    event.root_x = 300 << 16;
    event.root_y = (200 << 16) + (1 << 15);
    event.scale = (1 << 16) + (1 << 14);
    event.mods.effective = XCB_MOD_MASK_1;
    event.flags = 1;
    const auto decoded = RawInput::decode(generic(event), kOpcode);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->kind, RawInputEvent::Kind::pinchEnd);
    EXPECT_DOUBLE_EQ(decoded->rootX, 300);
    EXPECT_DOUBLE_EQ(decoded->rootY, 200.5);
    EXPECT_DOUBLE_EQ(decoded->scale, 1.25);
    EXPECT_EQ(decoded->modifiers, std::uint32_t(XCB_MOD_MASK_1));
    EXPECT_TRUE(decoded->cancelled);
}

TEST(RawInputDecoding, ModifierFlagsOfXMasks) {
    EXPECT_EQ(X11MouseMonitor::modifierFlags(0), 0u);
    EXPECT_EQ(
        X11MouseMonitor::modifierFlags(std::uint32_t(XCB_MOD_MASK_SHIFT) | std::uint32_t(XCB_KEY_BUT_MASK_BUTTON_1)),
        kEventShiftFlag);
    EXPECT_EQ(X11MouseMonitor::modifierFlags(XCB_MOD_MASK_1 | XCB_MOD_MASK_CONTROL),
              kEventOptionFlag | kEventControlFlag);
    EXPECT_EQ(X11MouseMonitor::modifierFlags(XCB_MOD_MASK_4 | XCB_MOD_MASK_LOCK), kEventCommandFlag);
}

}  // namespace
