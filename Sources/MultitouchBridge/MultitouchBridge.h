/* MultitouchBridge.h: three-finger taps and holds from the touchpads of this machine, as a
 * C-style interface with process-wide state. MTBridgeStart finds every touchpad among
 * /dev/input/event* (multitouch slots, a pointer or button pad, not a touchscreen), reads them
 * without grabbing them on one reader thread, runs one gesture state machine per device on
 * each contact frame, and hands every recognised gesture to the main thread through the poster
 * given to MTBridgeSetMainQueue. A stop or a new start between recognition and delivery drops
 * the gesture (each start and stop moves the generation on). Start and stop: main thread. */
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Gesture codes. */
enum { MTGestureNone = 0, MTGestureTap = 1, MTGesturePress = 2 };

/* Why the last MTBridgeStart failed. */
typedef enum {
    MTBridgeFailureNone = 0,
    MTBridgeFailureNoTouchpad = 1,   /* no touchpad among the input devices */
    MTBridgeFailureNoPermission = 2, /* input devices exist but may not be read (the input group) */
    MTBridgeFailureNoMemory = 3,
    MTBridgeFailureNoMainQueue = 4, /* MTBridgeSetMainQueue was not called */
} MTBridgeFailure;

/* The state machine of one device. */
typedef struct MTGestureState {
    int active; /* three fingers have been seen and are followed */
    int moved;
    int pressFired;
    int tapFired;
    int blocked; /* four or more fingers, or time went back: nothing until all lift */
    double startTime;
    float startX;
    float startY;
} MTGestureState;

void MTGestureStateReset(MTGestureState* state);
/* One contact frame: the number of fingers, their centroid (normalised) and the frame's time
 * in seconds. Answers a gesture code. */
uint32_t MTGestureStateProcess(MTGestureState* state, int fingers, float x, float y, double timestamp);

typedef void (*MTGestureCallback)(void* context, uint32_t code);
typedef void (*MTMainQueueWork)(void* argument);
/* Queues work(argument) on the main thread; called from the reader thread. */
typedef void (*MTMainQueuePoster)(void* posterContext, MTMainQueueWork work, void* argument);

void MTBridgeSetMainQueue(MTMainQueuePoster poster, void* posterContext);
/* 1 on success; 0 with nothing started (see MTBridgeLastFailure). */
int MTBridgeStart(void* context, MTGestureCallback callback);
void MTBridgeStop(void);
MTBridgeFailure MTBridgeLastFailure(void);
/* The number of touchpads read since the last successful start. */
int MTBridgeDeviceCount(void);

/* The folder searched for event devices ("/dev/input" unless set; NULL restores it). */
void MTBridgeSetInputDirectory(const char* directory);

#ifdef __cplusplus
}
#endif
