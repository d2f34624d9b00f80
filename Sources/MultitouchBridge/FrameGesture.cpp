// SPDX-License-Identifier: MIT
// FrameGesture.cpp: the centroid of a frame's contacts and its gesture.
#include "MultitouchBridge/FrameGesture.h"

namespace mtbridge {

std::uint32_t gestureOfFrame(MTGestureState& state, const ContactFrame& frame) {
    if (frame.released) {
        MTGestureStateReset(&state);
        return MTGestureNone;
    }
    float x = 0, y = 0;
    for (const Contact& contact : frame.contacts) {
        x += contact.x;
        y += contact.y;
    }
    if (!frame.contacts.empty()) {
        x /= static_cast<float>(frame.contacts.size());
        y /= static_cast<float>(frame.contacts.size());
    }
    return MTGestureStateProcess(&state, frame.fingers, x, y, frame.timestamp);
}

}  // namespace mtbridge
