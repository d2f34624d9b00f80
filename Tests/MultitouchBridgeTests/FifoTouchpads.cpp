// SPDX-License-Identifier: MIT
// FifoTouchpads.cpp: the stand-in devices and their folder.
#include "FifoTouchpads.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace mtbridge::test {

namespace {

constexpr int kSlots = 2;
constexpr AxisRange kRange{0, 1000};

input_event event(double time, unsigned short type, unsigned short code, int value) {
    input_event e{};
    e.input_event_sec = static_cast<long>(time);
    e.input_event_usec = static_cast<long>((time - static_cast<double>(static_cast<long>(time))) * 1e6 + 0.5);
    e.type = type;
    e.code = code;
    e.value = value;
    return e;
}

}  // namespace

OpenedDevice openFifoDevice(const std::string& path) {
    OpenedDevice opened;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return opened;
    TouchpadTraits traits{"Stand-in touchpad", path, kSlots, 3, S_ISFIFO(info.st_mode)};
    if (!S_ISFIFO(info.st_mode)) {
        traits.keyFingers = 2;
        opened.other = std::make_unique<TouchpadTraits>(traits);
        return opened;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return opened;
    opened.touchpad = std::make_unique<Touchpad>(fd, nullptr, ContactFrameDecoder(kSlots, kRange, kRange), path);
    opened.touchpad->traits = traits;
    return opened;
}

DeviceFolder::DeviceFolder(const std::string& name)
    : path_((std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()))).string()) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

DeviceFolder::~DeviceFolder() { std::filesystem::remove_all(path_); }

std::string DeviceFolder::plugTouchpad(const std::string& name) {
    const std::string device = path_ + "/" + name;
    ::mkfifo(device.c_str(), 0600);
    return device;
}

std::string DeviceFolder::plugOtherTouchpad(const std::string& name) {
    const std::string device = path_ + "/" + name;
    std::ofstream{device};
    return device;
}

void DeviceFolder::unplug(const std::string& name) { std::filesystem::remove(path_ + "/" + name); }

FifoWriter::FifoWriter(const std::string& path) : fd_(::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)) {}

FifoWriter::~FifoWriter() { close(); }

void FifoWriter::write(const std::vector<input_event>& events) {
    if (fd_ < 0) return;
    const auto bytes = static_cast<ssize_t>(events.size() * sizeof(input_event));
    (void)!::write(fd_, events.data(), static_cast<std::size_t>(bytes));
}

void FifoWriter::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

std::vector<input_event> twoSlotFrame(int fingers, double time) {
    std::vector<input_event> events;
    for (int slot = 0; slot < kSlots; ++slot) {
        events.push_back(event(time, EV_ABS, ABS_MT_SLOT, slot));
        events.push_back(event(time, EV_ABS, ABS_MT_TRACKING_ID, slot < fingers ? 10 + slot : -1));
        events.push_back(event(time, EV_ABS, ABS_MT_POSITION_X, 400 + 100 * slot));
        events.push_back(event(time, EV_ABS, ABS_MT_POSITION_Y, 500));
    }
    for (unsigned code : {BTN_TOOL_FINGER, BTN_TOOL_DOUBLETAP, BTN_TOOL_TRIPLETAP})
        events.push_back(event(time, EV_KEY, static_cast<unsigned short>(code), fingersOfKey(code) == fingers ? 1 : 0));
    events.push_back(event(time, EV_SYN, SYN_REPORT, 0));
    return events;
}

}  // namespace mtbridge::test
