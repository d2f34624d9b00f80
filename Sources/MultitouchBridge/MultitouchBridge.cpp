// SPDX-License-Identifier: MIT
// MultitouchBridge.cpp: the bridge's process-wide state, starting and stopping, the frame
// callback and the touchpads plugged in or removed (reader thread), and the delivery of
// gestures and of that news on the main thread. Every item of state is guarded by gLock; start
// and stop swap it under the lock and start or stop the reader outside it; no callback into
// the program runs under the lock.
#include "MultitouchBridge/MultitouchBridge.h"

#include "MultitouchBridge/FrameGesture.h"
#include "MultitouchBridge/MultitouchBridgeTesting.h"
#include "MultitouchBridge/TouchpadReader.h"

#include <pthread.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

struct DeviceSlot {
    void* device;
    MTGestureState state;
};

// The devices of one start: the reader of real touchpads, or stand-ins for tests.
struct DeviceList {
    std::unique_ptr<mtbridge::ReaderThread> reader;
    std::vector<std::unique_ptr<int>> standIns;
};

struct DeliveryRecord {
    void* context;
    MTGestureCallback callback;
    uint32_t code;
    uint32_t generation;
};

pthread_mutex_t gLock = PTHREAD_MUTEX_INITIALIZER;
DeviceList* gDevices = nullptr;
std::vector<DeviceSlot> gSlots;
std::vector<MTTouchpadDescription> gTouchpads;
int gUnreadable = 0;
bool gRunning = false;
void* gContext = nullptr;
MTGestureCallback gGestureCallback = nullptr;
uint32_t gGeneration = 0;
MTMainQueuePoster gPoster = nullptr;
void* gPosterContext = nullptr;

// Main thread only.
MTBridgeFailure gStartFailure = MTBridgeFailureNone;
std::string gInputDirectory = "/dev/input";
mtbridge::OpenDevice gOpenDevice = mtbridge::openDevice;

class Locked {
public:
    Locked() { pthread_mutex_lock(&gLock); }
    ~Locked() { pthread_mutex_unlock(&gLock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
};

void deliverGestureOnMainThread(void* argument) {
    auto* record = static_cast<DeliveryRecord*>(argument);
    bool accepted = false;
    {
        Locked lock;
        accepted = record->generation == gGeneration && record->callback && record->callback == gGestureCallback &&
                   record->context == gContext;
    }
    const DeliveryRecord copy = *record;
    std::free(record);
    if (accepted) copy.callback(copy.context, copy.code);
}

// Queues a code for the main thread; gLock is held. A failed allocation drops it.
void postLocked(uint32_t code) {
    if (!gGestureCallback || !gPoster) return;
    auto* record = static_cast<DeliveryRecord*>(std::malloc(sizeof(DeliveryRecord)));
    if (!record) return;
    *record = {gContext, gGestureCallback, code, gGeneration};
    gPoster(gPosterContext, deliverGestureOnMainThread, record);
}

void contactFrameCallback(void* device, const mtbridge::ContactFrame& frame) {
    uint32_t code = MTGestureNone;
    DeliveryRecord delivery{};
    MTMainQueuePoster poster = nullptr;
    void* posterContext = nullptr;
    {
        Locked lock;
        const auto slot =
            std::find_if(gSlots.begin(), gSlots.end(), [device](const DeviceSlot& s) { return s.device == device; });
        if (slot == gSlots.end()) return;
        code = mtbridge::gestureOfFrame(slot->state, frame);
        delivery = {gContext, gGestureCallback, code, gGeneration};
        poster = gPoster;
        posterContext = gPosterContext;
    }
    if (code == MTGestureNone || !delivery.callback || !poster) return;
    auto* record = static_cast<DeliveryRecord*>(std::malloc(sizeof(DeliveryRecord)));
    if (!record) return;  // this one gesture is lost
    *record = delivery;
    poster(posterContext, deliverGestureOnMainThread, record);
}

void frameFromReader(mtbridge::Touchpad& touchpad, const mtbridge::ContactFrame& frame) {
    contactFrameCallback(&touchpad, frame);
}

MTTouchpadDescription describe(const mtbridge::TouchpadTraits& traits, bool read) {
    MTTouchpadDescription description{};
    std::strncpy(description.name, traits.name.c_str(), sizeof description.name - 1);
    std::strncpy(description.path, traits.path.c_str(), sizeof description.path - 1);
    description.slots = traits.slots;
    description.keyFingers = traits.keyFingers;
    description.tripleTap = traits.tripleTap ? 1 : 0;
    description.read = read ? 1 : 0;
    return description;
}

// Reader thread: a touchpad plugged in or removed.
void touchpadPickedUp(mtbridge::Touchpad& touchpad) {
    Locked lock;
    gSlots.push_back({&touchpad, {}});
    gTouchpads.push_back(describe(touchpad.traits, true));
    postLocked(MTBridgeTouchpadsChanged);
}

void touchpadNoted(const mtbridge::TouchpadTraits& traits) {
    Locked lock;
    gTouchpads.push_back(describe(traits, false));
    postLocked(MTBridgeTouchpadsChanged);
}

// A gesture under way on a device that goes away ends with it, without an action.
void touchpadDropped(const std::string& path, mtbridge::Touchpad* touchpad) {
    Locked lock;
    if (touchpad) std::erase_if(gSlots, [touchpad](const DeviceSlot& s) { return s.device == touchpad; });
    std::erase_if(gTouchpads, [&](const MTTouchpadDescription& d) { return path == d.path; });
    postLocked(MTBridgeTouchpadsChanged);
}

// Publishes the devices of a start; `references` are the devices in order.
void publish(DeviceList* list, const std::vector<void*>& references, std::vector<MTTouchpadDescription> touchpads,
             int unreadable, void* context, MTGestureCallback callback) {
    Locked lock;
    gDevices = list;
    gSlots.clear();
    for (void* device : references) gSlots.push_back({device, {}});
    gTouchpads = std::move(touchpads);
    gUnreadable = unreadable;
    gRunning = true;
    gContext = context;
    gGestureCallback = callback;
    ++gGeneration;
}

}  // namespace

extern "C" void MTBridgeSetMainQueue(MTMainQueuePoster poster, void* posterContext) {
    Locked lock;
    gPoster = poster;
    gPosterContext = posterContext;
}

extern "C" void MTBridgeSetInputDirectory(const char* directory) {
    gInputDirectory = directory ? directory : "/dev/input";
}

extern "C" MTBridgeFailure MTBridgeLastFailure(void) {
    Locked lock;
    if (!gRunning) return gStartFailure;
    if (!gSlots.empty()) return MTBridgeFailureNone;
    if (!gTouchpads.empty()) return MTBridgeFailureNoThreeFingers;
    return gUnreadable > 0 ? MTBridgeFailureNoPermission : MTBridgeFailureNoTouchpad;
}

extern "C" int MTBridgeStart(void* context, MTGestureCallback callback) {
    MTBridgeStop();
    {
        Locked lock;
        if (!gPoster) {
            gStartFailure = MTBridgeFailureNoMainQueue;
            return 0;
        }
    }
    mtbridge::OpenedTouchpads opened = mtbridge::openTouchpads(gInputDirectory, gOpenDevice);
    if (!opened.folderRead) {
        gStartFailure = MTBridgeFailureNoTouchpad;
        return 0;
    }
    std::vector<void*> references;
    std::vector<MTTouchpadDescription> touchpads;
    for (const auto& touchpad : opened.touchpads) {
        references.push_back(touchpad.get());
        touchpads.push_back(describe(touchpad->traits, true));
    }
    for (const auto& other : opened.others) touchpads.push_back(describe(other, false));
    auto* list = new (std::nothrow) DeviceList;
    if (!list) {
        gStartFailure = MTBridgeFailureNoMemory;
        return 0;
    }
    publish(list, references, std::move(touchpads), opened.unreadable, context, callback);
    // Outside the lock: the reader starts delivering frames to the published slots.
    mtbridge::ReaderHooks hooks;
    hooks.frame = frameFromReader;
    hooks.watchedDirectory = gInputDirectory;
    hooks.open = gOpenDevice;
    hooks.pickedUp = touchpadPickedUp;
    hooks.noted = touchpadNoted;
    hooks.dropped = touchpadDropped;
    list->reader = std::make_unique<mtbridge::ReaderThread>(std::move(opened.touchpads), std::move(hooks));
    if (!list->reader->started()) {
        MTBridgeStop();
        gStartFailure = MTBridgeFailureNoMemory;
        return 0;
    }
    gStartFailure = MTBridgeFailureNone;
    return 1;
}

extern "C" void MTBridgeStop(void) {
    DeviceList* list = nullptr;
    {
        Locked lock;
        gGestureCallback = nullptr;
        gContext = nullptr;
        ++gGeneration;
        list = gDevices;
        gDevices = nullptr;
        gRunning = false;
    }
    delete list;  // stops and joins the reader, closes the devices
    Locked lock;
    gSlots.clear();
    gTouchpads.clear();
    gUnreadable = 0;
}

extern "C" int MTBridgeDeviceCount(void) { return MTBridgeRegisteredDeviceCount(); }

extern "C" int MTBridgeDescribeTouchpads(MTTouchpadDescription* out, int capacity) {
    Locked lock;
    for (int i = 0; out && i < capacity && i < static_cast<int>(gTouchpads.size()); ++i)
        out[i] = gTouchpads[static_cast<std::size_t>(i)];
    return static_cast<int>(gTouchpads.size());
}

extern "C" int MTBridgeStartWithStandInDevices(void* context, MTGestureCallback callback, int deviceCount) {
    MTBridgeStop();
    if (deviceCount <= 0) {
        gStartFailure = MTBridgeFailureNoTouchpad;
        return 0;
    }
    auto* list = new DeviceList;
    std::vector<void*> references;
    std::vector<MTTouchpadDescription> touchpads;
    for (int i = 0; i < deviceCount; ++i) {
        list->standIns.push_back(std::make_unique<int>(i));
        references.push_back(list->standIns.back().get());
        mtbridge::TouchpadTraits traits{"Stand-in touchpad " + std::to_string(i), "", 5, 5, true};
        touchpads.push_back(describe(traits, true));
    }
    publish(list, references, std::move(touchpads), 0, context, callback);
    gStartFailure = MTBridgeFailureNone;
    return 1;
}

extern "C" void MTBridgeFeedFrameForTesting(int deviceIndex, const float* xy, int count, double timestamp) {
    void* device = nullptr;
    {
        Locked lock;
        if (gDevices && deviceIndex >= 0 && static_cast<std::size_t>(deviceIndex) < gDevices->standIns.size())
            device = gDevices->standIns[static_cast<std::size_t>(deviceIndex)].get();
    }
    mtbridge::ContactFrame frame;
    for (int i = 0; i < count; ++i) frame.contacts.push_back({xy[2 * i], xy[2 * i + 1]});
    frame.fingers = count;
    frame.timestamp = timestamp;
    contactFrameCallback(device, frame);
}

void mtbridge::setDeviceOpenerForTesting(OpenDevice open) { gOpenDevice = open ? open : openDevice; }

extern "C" int MTBridgeRegisteredDeviceCount(void) {
    Locked lock;
    return static_cast<int>(gSlots.size());
}
