// SPDX-License-Identifier: MIT
// TouchpadReader.h: the touchpads of this machine read through libevdev: finding them among
// the event devices (without grabbing them, so the desktop's own input stack keeps working),
// keeping those that can tell three fingers (TouchpadTraits), and one reader thread that blocks
// in poll() on all of them, on a wake pipe and on an inotify watch of the devices' folder. It
// decodes their events into contact frames and hands each frame to a sink; a device plugged in
// is opened and read from then on, one that goes away (removed from the folder, ENODEV, a hang-
// up) is dropped while the others are read on. Each wake-up reads each ready device once, at
// most a turn's worth of events, and the next look comes 8 ms later at the earliest: a device
// that floods costs one read per batch and is read in turns with the others.
#pragma once

#include "MultitouchBridge/ContactFrameDecoder.h"
#include "MultitouchBridge/TouchpadTraits.h"

#include <memory>
#include <string>
#include <thread>
#include <vector>

struct libevdev;

namespace mtbridge {

struct Touchpad {
    Touchpad(int fd, libevdev* device, ContactFrameDecoder decoder, std::string path);
    ~Touchpad();
    Touchpad(const Touchpad&) = delete;
    Touchpad& operator=(const Touchpad&) = delete;

    int fd;
    libevdev* device;
    ContactFrameDecoder decoder;
    std::string path;
    TouchpadTraits traits;
};

// Multitouch slots with positions, a pointer or a button pad, and not a touchscreen.
bool isTouchpad(const libevdev* device);
TouchpadTraits traitsOf(const libevdev* device, const std::string& path);

// One event device looked at: read when it is a touchpad that tells three fingers.
struct OpenedDevice {
    std::unique_ptr<Touchpad> touchpad;     // a gesture device, open
    std::unique_ptr<TouchpadTraits> other;  // a touchpad that cannot tell three fingers, closed again
    bool unreadable = false;                // this process may not open it
};
OpenedDevice openDevice(const std::string& path);
using OpenDevice = OpenedDevice (*)(const std::string& path);

struct OpenedTouchpads {
    std::vector<std::unique_ptr<Touchpad>> touchpads;  // the gesture devices
    std::vector<TouchpadTraits> others;                // touchpads that cannot tell three fingers
    bool folderRead = false;                           // the folder could be listed
    int eventDevices = 0;                              // event devices found
    int unreadable = 0;                                // of those, ones this process may not open
};
OpenedTouchpads openTouchpads(const std::string& directory, OpenDevice open = openDevice);

// Reads one device's pending events with one read (at most a turn's worth); false when the
// device is gone.
using FrameSink = void (*)(Touchpad& touchpad, const ContactFrame& frame);
bool readTouchpad(Touchpad& touchpad, FrameSink sink);
using TouchpadRead = bool (*)(Touchpad& touchpad, FrameSink sink);

// What the reader thread tells its owner, on the reader thread.
struct ReaderHooks {
    FrameSink frame = nullptr;
    // Reads a device whose descriptor is ready (readTouchpad; tests give their own).
    TouchpadRead read = readTouchpad;
    // When set, event devices made in or removed from this folder are picked up or dropped.
    std::string watchedDirectory;
    OpenDevice open = openDevice;
    // A gesture device plugged in, read from now on.
    void (*pickedUp)(Touchpad& touchpad) = nullptr;
    // A touchpad plugged in that cannot tell three fingers (not read).
    void (*noted)(const TouchpadTraits& traits) = nullptr;
    // A device is gone: `touchpad` is the one read until now (closed after the call), null for
    // a touchpad that was not read.
    void (*dropped)(const std::string& path, Touchpad* touchpad) = nullptr;
};

class ReaderThread {
public:
    // Starts reading at once; false from started() when the thread or its pipe could not be made.
    ReaderThread(std::vector<std::unique_ptr<Touchpad>> touchpads, ReaderHooks hooks);
    ReaderThread(std::vector<std::unique_ptr<Touchpad>> touchpads, FrameSink sink, TouchpadRead read = readTouchpad);
    // Wakes the thread, waits for it, closes the devices.
    ~ReaderThread();
    ReaderThread(const ReaderThread&) = delete;
    ReaderThread& operator=(const ReaderThread&) = delete;

    bool started() const { return thread_.joinable(); }
    // Whether plugged-in devices are noticed (the folder could be watched).
    bool watching() const { return watch_ >= 0; }

private:
    void run();
    // Takes the folder's news: devices made are opened, devices removed are dropped.
    void takeFolderNews();
    void pickUp(const std::string& path);
    void drop(const std::string& path);

    std::vector<std::unique_ptr<Touchpad>> touchpads_;  // reader thread once started
    std::vector<std::string> others_;                   // paths of touchpads not read
    ReaderHooks hooks_;
    int wake_[2] = {-1, -1};
    int watch_ = -1;  // the inotify descriptor
    std::thread thread_;
};

}  // namespace mtbridge
