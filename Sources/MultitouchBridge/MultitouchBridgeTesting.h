// SPDX-License-Identifier: MIT
/* MultitouchBridgeTesting.h: for tests only: starts the bridge over stand-in devices instead of
 * the machine's touchpads, and feeds contact frames to them on the calling thread, through the
 * same frame callback, state machines, generation rule and main-queue delivery as real frames;
 * or lets the bridge open the event devices of its folder with the test's own opener. */
#pragma once

#include "MultitouchBridge/MultitouchBridge.h"

#ifdef __cplusplus
extern "C" {
#endif

int MTBridgeStartWithStandInDevices(void* context, MTGestureCallback callback, int deviceCount);
/* `xy` holds `count` pairs of normalised positions. Nothing happens for a device that is not
 * (or no longer) registered. */
void MTBridgeFeedFrameForTesting(int deviceIndex, const float* xy, int count, double timestamp);
/* How many devices receive frames now. */
int MTBridgeRegisteredDeviceCount(void);

#ifdef __cplusplus
}

#include "MultitouchBridge/TouchpadReader.h"

namespace mtbridge {
// The opener of event devices for the next starts (nullptr: the real one).
void setDeviceOpenerForTesting(OpenDevice open);
}  // namespace mtbridge
#endif
