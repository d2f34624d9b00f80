// SPDX-License-Identifier: MIT
// FifoTouchpads.h: stand-in touchpads for the reader's folder watch, without /dev/uinput: in a
// folder of the test's own, a FIFO named event<N> is a two-slot touchpad with the three-finger
// key (its events are written into the FIFO), a regular file named so is a touchpad that cannot
// tell three fingers, anything else is no touchpad.
#pragma once

#include "MultitouchBridge/TouchpadReader.h"

#include <linux/input.h>

#include <string>
#include <vector>

namespace mtbridge::test {

// The opener to hand the reader (ReaderHooks::open, setDeviceOpenerForTesting).
OpenedDevice openFifoDevice(const std::string& path);

// A folder of its own under the temporary folder, removed with the object.
class DeviceFolder {
public:
    explicit DeviceFolder(const std::string& name);
    ~DeviceFolder();
    DeviceFolder(const DeviceFolder&) = delete;
    DeviceFolder& operator=(const DeviceFolder&) = delete;

    const std::string& path() const { return path_; }
    // A touchpad that tells three fingers plugged in: the FIFO is made.
    std::string plugTouchpad(const std::string& name);
    // A touchpad that cannot tell three fingers plugged in.
    std::string plugOtherTouchpad(const std::string& name);
    void unplug(const std::string& name);

private:
    std::string path_;
};

// The writing end of a FIFO touchpad, opened once the reader holds its reading end.
class FifoWriter {
public:
    explicit FifoWriter(const std::string& path);
    ~FifoWriter();
    FifoWriter(const FifoWriter&) = delete;
    FifoWriter& operator=(const FifoWriter&) = delete;

    bool open() const { return fd_ >= 0; }
    void write(const std::vector<input_event>& events);
    // The device goes away in the middle of whatever it reported: its reader sees the end.
    void close();

private:
    int fd_ = -1;
};

// Events of one frame of the two-slot pad: `fingers` down (the third only through its key), at
// the given time in seconds; 0 fingers lifts them all.
std::vector<input_event> twoSlotFrame(int fingers, double time);

}  // namespace mtbridge::test
