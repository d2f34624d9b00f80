// SPDX-License-Identifier: MIT
/* MultitouchBridge.h: three-finger taps and holds from the touchpads of this machine, as a
 * C-style interface with process-wide state. MTBridgeStart finds every touchpad among
 * /dev/input/event* (multitouch slots, a pointer or button pad, not a touchscreen) that can
 * tell three fingers (three contact slots, or the BTN_TOOL_TRIPLETAP key), reads them without
 * grabbing them on one reader thread, picks up touchpads plugged in later and drops those
 * removed, counts the fingers of each contact frame from the slots and from the finger-count
 * keys (whichever says more), runs one gesture state machine per device on each frame, and
 * hands every recognised gesture, and the news that the touchpads changed, to the main thread
 * through the poster given to MTBridgeSetMainQueue. A stop or a new start between recognition
 * and delivery drops the gesture (each start and stop moves the generation on). Start, stop
 * and the questions: main thread. */
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Gesture codes, and the code of the news that a touchpad was plugged in or removed (not a
 * gesture: ask MTBridgeDeviceCount and MTBridgeDescribeTouchpads again). */
enum { MTGestureNone = 0, MTGestureTap = 1, MTGesturePress = 2, MTBridgeTouchpadsChanged = 3 };

/* Why no gesture can come: the last MTBridgeStart failed, or it runs without a touchpad that
 * can tell three fingers. */
typedef enum {
    MTBridgeFailureNone = 0,
    MTBridgeFailureNoTouchpad = 1,   /* no touchpad among the input devices */
    MTBridgeFailureNoPermission = 2, /* input devices exist but may not be read (the input group) */
    MTBridgeFailureNoMemory = 3,
    MTBridgeFailureNoMainQueue = 4,       /* MTBridgeSetMainQueue was not called */
    MTBridgeFailureNoThreeFingers = 5,    /* touchpads, but none tells three fingers */
} MTBridgeFailure;

/* One touchpad as the bridge sees it. */
typedef struct MTTouchpadDescription {
    char name[128];
    char path[256];
    int slots;      /* contacts it tracks at once */
    int keyFingers; /* the most fingers one of its finger-count keys reports; 0 without any */
    int tripleTap;  /* it has BTN_TOOL_TRIPLETAP */
    int read;       /* it tells three fingers and is read for gestures */
} MTTouchpadDescription;

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
/* 1 when the bridge runs: it reads every touchpad that tells three fingers and, where the input
 * folder can be watched, picks up those plugged in later (MTBridgeTouchpadsChanged), even when
 * there is none yet; 0 with nothing started (see MTBridgeLastFailure). */
int MTBridgeStart(void* context, MTGestureCallback callback);
void MTBridgeStop(void);
/* After a failed start, why; while running, why no touchpad is read (MTBridgeFailureNone while
 * one is). */
MTBridgeFailure MTBridgeLastFailure(void);
/* The number of touchpads read now. */
int MTBridgeDeviceCount(void);
/* The touchpads seen now (read or not), up to `capacity` of them into `out`, in the order they
 * were found; answers how many there are. */
int MTBridgeDescribeTouchpads(MTTouchpadDescription* out, int capacity);

/* The folder searched for event devices ("/dev/input" unless set; NULL restores it). */
void MTBridgeSetInputDirectory(const char* directory);

#ifdef __cplusplus
}
#endif
