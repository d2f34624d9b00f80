// TouchpadReader.h: the touchpads of this machine read through libevdev: finding them among
// the event devices (without grabbing them, so the desktop's own input stack keeps working),
// and one reader thread that blocks in poll() on all of them and on a wake pipe, decodes
// their events into contact frames and hands each frame to a sink. A device that goes away
// (ENODEV) is dropped and the others are read on; a device that floods is read in turns.
#pragma once

#include "MultitouchBridge/ContactFrameDecoder.h"

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
};

// Multitouch slots with positions, a pointer or a button pad, and not a touchscreen.
bool isTouchpad(const libevdev* device);

struct OpenedTouchpads {
    std::vector<std::unique_ptr<Touchpad>> touchpads;
    int eventDevices = 0;  // event devices found
    int unreadable = 0;    // of those, ones this process may not open
};
OpenedTouchpads openTouchpads(const std::string& directory);

// Reads one device's pending events (at most a turn's worth); false when the device is gone.
using FrameSink = void (*)(Touchpad& touchpad, const ContactFrame& frame);
bool readTouchpad(Touchpad& touchpad, FrameSink sink);
using TouchpadRead = bool (*)(Touchpad& touchpad, FrameSink sink);

class ReaderThread {
public:
    // Starts reading at once; false from started() when the thread or its pipe could not be made.
    // `read` reads a device whose descriptor is ready (readTouchpad; tests give their own).
    ReaderThread(std::vector<std::unique_ptr<Touchpad>> touchpads, FrameSink sink, TouchpadRead read = readTouchpad);
    // Wakes the thread, waits for it, closes the devices.
    ~ReaderThread();
    ReaderThread(const ReaderThread&) = delete;
    ReaderThread& operator=(const ReaderThread&) = delete;

    bool started() const { return thread_.joinable(); }
    const std::vector<std::unique_ptr<Touchpad>>& touchpads() const { return touchpads_; }

private:
    void run();

    std::vector<std::unique_ptr<Touchpad>> touchpads_;
    FrameSink sink_;
    TouchpadRead read_;
    int wake_[2] = {-1, -1};
    std::thread thread_;
};

}  // namespace mtbridge
