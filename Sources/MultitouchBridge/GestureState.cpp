// SPDX-License-Identifier: MIT
// GestureState.cpp: the three-finger state machine: a tap is three fingers that touch and
// either all lift, or drop to one or two, within 0.3 s without moving; a press is three fingers
// resting without movement for 0.35 s, reported once; four fingers or movement above 0.1
// (normalised) report nothing; the state resets only when every finger has lifted.
#include "MultitouchBridge/MultitouchBridge.h"

namespace {

constexpr double kTapWindow = 0.3;
constexpr double kHoldTime = 0.35;
constexpr float kMovementLimitSquared = 0.01f;

}  // namespace

extern "C" void MTGestureStateReset(MTGestureState* state) { *state = MTGestureState{}; }

extern "C" uint32_t MTGestureStateProcess(MTGestureState* state, int fingers, float x, float y, double timestamp) {
    if (!state) return MTGestureNone;
    if (state->active) {
        if (timestamp < state->startTime) {
            MTGestureStateReset(state);
            if (fingers > 0) state->blocked = 1;
            return MTGestureNone;
        }
        if (fingers == 0) {
            const double elapsed = timestamp - state->startTime;
            const bool clean = !state->moved && !state->pressFired && !state->tapFired && !state->blocked;
            MTGestureStateReset(state);
            return clean && elapsed >= 0 && elapsed <= kTapWindow ? MTGestureTap : MTGestureNone;
        }
    }
    if (fingers == 0) {
        MTGestureStateReset(state);
        return MTGestureNone;
    }
    if (state->blocked) return MTGestureNone;
    if (fingers >= 4) {
        state->blocked = 1;
        return MTGestureNone;
    }
    if (fingers == 3) {
        if (!state->active) {
            state->active = 1;
            state->startTime = timestamp;
            state->startX = x;
            state->startY = y;
            return MTGestureNone;
        }
        const float dx = x - state->startX;
        const float dy = y - state->startY;
        if (dx * dx + dy * dy > kMovementLimitSquared) state->moved = 1;
        if (state->pressFired || state->tapFired || state->moved) return MTGestureNone;
        if (timestamp - state->startTime >= kHoldTime) {
            state->pressFired = 1;
            return MTGesturePress;
        }
        return MTGestureNone;
    }
    // One or two fingers.
    if (!state->active) return MTGestureNone;
    if (state->tapFired || state->pressFired || state->moved) return MTGestureNone;
    const double elapsed = timestamp - state->startTime;
    if (elapsed < 0 || elapsed > kTapWindow) return MTGestureNone;
    state->tapFired = 1;
    return MTGestureTap;
}
