// MultitouchBridge.cpp: the bridge's process-wide state, starting and stopping, the frame
// callback (reader thread) and the delivery of gestures on the main thread. Every item of
// state is guarded by gLock; start and stop swap it under the lock and start or stop the
// reader outside it; no callback into the program runs under the lock.
#include "MultitouchBridge/MultitouchBridge.h"

#include "MultitouchBridge/MultitouchBridgeTesting.h"
#include "MultitouchBridge/TouchpadReader.h"

#include <pthread.h>

#include <cstdlib>
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
DeviceSlot* gSlots = nullptr;
long gSlotCount = 0;
void* gContext = nullptr;
MTGestureCallback gGestureCallback = nullptr;
uint32_t gGeneration = 0;
MTMainQueuePoster gPoster = nullptr;
void* gPosterContext = nullptr;

// Main thread only.
MTBridgeFailure gLastFailure = MTBridgeFailureNone;
std::string gInputDirectory = "/dev/input";

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

int contactFrameCallback(void* device, const mtbridge::Contact* contacts, int count, double timestamp) {
    uint32_t code = MTGestureNone;
    DeliveryRecord delivery{};
    MTMainQueuePoster poster = nullptr;
    void* posterContext = nullptr;
    {
        Locked lock;
        DeviceSlot* slot = nullptr;
        for (long i = 0; i < gSlotCount; ++i)
            if (gSlots[i].device == device) slot = &gSlots[i];
        if (!slot) return 0;
        float x = 0, y = 0;
        for (int i = 0; i < count; ++i) {
            x += contacts[i].x;
            y += contacts[i].y;
        }
        if (count > 0) {
            x /= static_cast<float>(count);
            y /= static_cast<float>(count);
        }
        code = MTGestureStateProcess(&slot->state, count, x, y, timestamp);
        delivery = {gContext, gGestureCallback, code, gGeneration};
        poster = gPoster;
        posterContext = gPosterContext;
    }
    if (code == MTGestureNone || !delivery.callback || !poster) return 0;
    auto* record = static_cast<DeliveryRecord*>(std::malloc(sizeof(DeliveryRecord)));
    if (!record) return 0;  // this one gesture is lost
    *record = delivery;
    poster(posterContext, deliverGestureOnMainThread, record);
    return 0;
}

void frameFromReader(mtbridge::Touchpad& touchpad, const mtbridge::ContactFrame& frame) {
    contactFrameCallback(&touchpad, frame.contacts.data(), static_cast<int>(frame.contacts.size()), frame.timestamp);
}

// Publishes the devices of a start; `references` are the devices in order.
int publish(DeviceList* list, const std::vector<void*>& references, void* context, MTGestureCallback callback) {
    auto* slots = static_cast<DeviceSlot*>(std::calloc(references.size(), sizeof(DeviceSlot)));
    if (!slots) {
        delete list;
        gLastFailure = MTBridgeFailureNoMemory;
        return 0;
    }
    for (std::size_t i = 0; i < references.size(); ++i) slots[i].device = references[i];
    Locked lock;
    gDevices = list;
    gSlots = slots;
    gSlotCount = static_cast<long>(references.size());
    gContext = context;
    gGestureCallback = callback;
    ++gGeneration;
    return 1;
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

extern "C" MTBridgeFailure MTBridgeLastFailure(void) { return gLastFailure; }

extern "C" int MTBridgeStart(void* context, MTGestureCallback callback) {
    MTBridgeStop();
    {
        Locked lock;
        if (!gPoster) {
            gLastFailure = MTBridgeFailureNoMainQueue;
            return 0;
        }
    }
    mtbridge::OpenedTouchpads opened = mtbridge::openTouchpads(gInputDirectory);
    if (opened.touchpads.empty()) {
        gLastFailure = opened.unreadable > 0 ? MTBridgeFailureNoPermission : MTBridgeFailureNoTouchpad;
        return 0;
    }
    std::vector<void*> references;
    for (const auto& touchpad : opened.touchpads) references.push_back(touchpad.get());
    auto* list = new (std::nothrow) DeviceList;
    if (!list) {
        gLastFailure = MTBridgeFailureNoMemory;
        return 0;
    }
    if (!publish(list, references, context, callback)) return 0;
    // Outside the lock: the reader starts delivering frames to the published slots.
    list->reader = std::make_unique<mtbridge::ReaderThread>(std::move(opened.touchpads), frameFromReader);
    if (!list->reader->started()) {
        MTBridgeStop();
        gLastFailure = MTBridgeFailureNoMemory;
        return 0;
    }
    gLastFailure = MTBridgeFailureNone;
    return 1;
}

extern "C" void MTBridgeStop(void) {
    DeviceList* list = nullptr;
    DeviceSlot* slots = nullptr;
    {
        Locked lock;
        gGestureCallback = nullptr;
        gContext = nullptr;
        ++gGeneration;
        list = gDevices;
        slots = gSlots;
        gDevices = nullptr;
        gSlots = nullptr;
        gSlotCount = 0;
    }
    delete list;  // stops and joins the reader, closes the devices
    std::free(slots);
}

extern "C" int MTBridgeDeviceCount(void) { return MTBridgeRegisteredDeviceCount(); }

extern "C" int MTBridgeStartWithStandInDevices(void* context, MTGestureCallback callback, int deviceCount) {
    MTBridgeStop();
    if (deviceCount <= 0) {
        gLastFailure = MTBridgeFailureNoTouchpad;
        return 0;
    }
    auto* list = new DeviceList;
    std::vector<void*> references;
    for (int i = 0; i < deviceCount; ++i) {
        list->standIns.push_back(std::make_unique<int>(i));
        references.push_back(list->standIns.back().get());
    }
    if (!publish(list, references, context, callback)) return 0;
    gLastFailure = MTBridgeFailureNone;
    return 1;
}

extern "C" void MTBridgeFeedFrameForTesting(int deviceIndex, const float* xy, int count, double timestamp) {
    void* device = nullptr;
    {
        Locked lock;
        if (gDevices && deviceIndex >= 0 && static_cast<std::size_t>(deviceIndex) < gDevices->standIns.size())
            device = gDevices->standIns[static_cast<std::size_t>(deviceIndex)].get();
    }
    std::vector<mtbridge::Contact> contacts;
    for (int i = 0; i < count; ++i) contacts.push_back({xy[2 * i], xy[2 * i + 1]});
    contactFrameCallback(device, contacts.data(), count, timestamp);
}

extern "C" int MTBridgeRegisteredDeviceCount(void) {
    Locked lock;
    return static_cast<int>(gSlotCount);
}
