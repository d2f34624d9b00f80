// SPDX-License-Identifier: MIT
// TouchpadLog.cpp: the sentence, from the bridge's description of the touchpad.
#include "TenvikKit/Gestures/TouchpadLog.h"

namespace tenvik {

namespace {

constexpr int kGestureFingers = 3;

std::string slots(int count) { return std::to_string(count) + (count == 1 ? " contact slot" : " contact slots"); }

}  // namespace

std::string describeTouchpad(const MTTouchpadDescription& touchpad) {
    std::string text = "touchpad \"" + std::string(touchpad.name) + "\"";
    if (touchpad.path[0] != '\0') text += " (" + std::string(touchpad.path) + ")";
    const bool bySlots = touchpad.slots >= kGestureFingers;
    const bool byKeys = touchpad.keyFingers >= kGestureFingers;
    if (!touchpad.read)
        return text + " cannot tell three fingers (" + slots(touchpad.slots) +
               ", no three-finger key): not used for gestures";
    if (bySlots && byKeys)
        return text + " counts fingers from its " + slots(touchpad.slots) + " and its finger-count keys (up to " +
               std::to_string(touchpad.keyFingers) + "), whichever says more";
    if (bySlots) return text + " counts fingers from its " + slots(touchpad.slots);
    return text + " counts fingers from its finger-count keys (up to " + std::to_string(touchpad.keyFingers) +
           "): it tracks only " + slots(touchpad.slots);
}

}  // namespace tenvik
