// SPDX-License-Identifier: MIT
// HotKeysTests.cpp: the hot-key service on the simulated desktop: registration statuses, the
// handler chain that lets two signatures share the keyboard, and releasing keys.
#include "Platform/Sim/Desktop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace platform {
namespace {

constexpr std::uint32_t kARVL = 0x4152564C;
constexpr std::uint32_t kTNVK = 0x544E564B;

// A handler that takes presses of one signature and passes the others on, recording both.
HotKeys::Handler signatureHandler(std::uint32_t signature, std::vector<std::string>& seen) {
    return [signature, &seen](HotKeyID identity) {
        const bool mine = identity.signature == signature;
        seen.push_back((signature == kARVL ? "ARVL:" : "TNVK:") + std::to_string(identity.id) +
                       (mine ? "" : " declined"));
        return mine ? kNoErr : kEventNotHandledErr;
    };
}

TEST(HotKeys, TwoSignaturesShareTheKeyboardThroughDeclines) {
    sim::Desktop desktop;
    HotKeys& keys = *desktop.services().hotKeys;
    std::vector<std::string> seen;
    keys.installHandler(signatureHandler(kARVL, seen));
    keys.installHandler(signatureHandler(kTNVK, seen));

    HotKeyRef arranger = 0, kit = 0;
    ASSERT_EQ(keys.registerHotKey(49, 0x1800, {kARVL, 1}, arranger), kNoErr);
    ASSERT_EQ(keys.registerHotKey(35, 0x900, {kTNVK, 1}, kit), kNoErr);
    EXPECT_NE(arranger, 0u);
    EXPECT_NE(kit, arranger);

    EXPECT_TRUE(desktop.hotKeys().press(49, 0x1800));
    EXPECT_TRUE(desktop.hotKeys().press(35, 0x900));
    // The most recently installed handler is asked first and declines the other's key.
    EXPECT_EQ(seen, (std::vector<std::string>{"TNVK:1 declined", "ARVL:1", "TNVK:1"}));
}

TEST(HotKeys, TakenCombinationsFailAndLeaveTheRestWorking) {
    sim::Desktop desktop;
    HotKeys& keys = *desktop.services().hotKeys;
    desktop.hotKeys().occupy(49, 0x1800);

    HotKeyRef ref = 99;
    EXPECT_EQ(keys.registerHotKey(49, 0x1800, {kARVL, 1}, ref), kEventHotKeyExistsErr);
    EXPECT_EQ(ref, 0u);
    ASSERT_EQ(keys.registerHotKey(125, 0x1800, {kARVL, 2}, ref), kNoErr);
    // The same combination twice in this program is refused too, whatever the identity.
    HotKeyRef again = 0;
    EXPECT_EQ(keys.registerHotKey(125, 0x1800, {kTNVK, 9}, again), kEventHotKeyExistsErr);
    EXPECT_EQ(keys.registrations().size(), 1u);

    std::vector<std::string> seen;
    keys.installHandler(signatureHandler(kARVL, seen));
    EXPECT_FALSE(desktop.hotKeys().press(49, 0x1800));  // reaches the other application
    EXPECT_TRUE(desktop.hotKeys().press(125, 0x1800));
    EXPECT_EQ(seen, (std::vector<std::string>{"ARVL:2"}));
}

TEST(HotKeys, UnregisteredKeysAndRemovedHandlersNoLongerSeePresses) {
    sim::Desktop desktop;
    HotKeys& keys = *desktop.services().hotKeys;
    std::vector<std::string> seen;
    const HotKeyHandlerRef handler = keys.installHandler(signatureHandler(kARVL, seen));
    HotKeyRef w = 0, space = 0;
    ASSERT_EQ(keys.registerHotKey(13, 0x1800, {kARVL, 7}, w), kNoErr);
    ASSERT_EQ(keys.registerHotKey(49, 0x1800, {kARVL, 1}, space), kNoErr);

    EXPECT_EQ(keys.unregisterHotKey(w), kNoErr);
    EXPECT_EQ(keys.unregisterHotKey(w), kEventHotKeyInvalidErr);
    EXPECT_FALSE(desktop.hotKeys().holds(13, 0x1800));
    EXPECT_FALSE(desktop.hotKeys().press(13, 0x1800));

    // A released combination can be taken again.
    ASSERT_EQ(keys.registerHotKey(13, 0x1800, {kARVL, 7}, w), kNoErr);

    keys.removeHandler(handler);
    EXPECT_TRUE(desktop.hotKeys().press(49, 0x1800));
    EXPECT_TRUE(seen.empty());
}

}  // namespace
}  // namespace platform
