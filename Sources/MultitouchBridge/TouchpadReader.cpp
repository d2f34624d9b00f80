// TouchpadReader.cpp: opening touchpads with libevdev and the poll() loop of the reader thread.
#include "MultitouchBridge/TouchpadReader.h"

#include <dirent.h>
#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

namespace mtbridge {

namespace {

// Events read from one device before the others get their turn.
constexpr int kEventsPerTurn = 512;

double seconds(const input_event& event) {
    return static_cast<double>(event.input_event_sec) + static_cast<double>(event.input_event_usec) / 1e6;
}

AxisRange range(const libevdev* device, unsigned code) {
    const input_absinfo* info = libevdev_get_abs_info(device, code);
    return info ? AxisRange{info->minimum, info->maximum} : AxisRange{};
}

std::vector<SlotState> slotsOf(const libevdev* device, int count) {
    std::vector<SlotState> slots(static_cast<std::size_t>(count));
    for (int slot = 0; slot < count; ++slot) {
        slots[static_cast<std::size_t>(slot)] = {
            libevdev_get_slot_value(device, static_cast<unsigned>(slot), ABS_MT_TRACKING_ID),
            libevdev_get_slot_value(device, static_cast<unsigned>(slot), ABS_MT_POSITION_X),
            libevdev_get_slot_value(device, static_cast<unsigned>(slot), ABS_MT_POSITION_Y)};
    }
    return slots;
}

}  // namespace

Touchpad::Touchpad(int fd_, libevdev* device_, ContactFrameDecoder decoder_, std::string path_)
    : fd(fd_), device(device_), decoder(std::move(decoder_)), path(std::move(path_)) {}

Touchpad::~Touchpad() {
    if (device) libevdev_free(device);
    if (fd >= 0) ::close(fd);
}

bool isTouchpad(const libevdev* device) {
    if (!libevdev_has_event_code(device, EV_ABS, ABS_MT_SLOT)) return false;
    if (!libevdev_has_event_code(device, EV_ABS, ABS_MT_POSITION_X)) return false;
    if (!libevdev_has_event_code(device, EV_ABS, ABS_MT_POSITION_Y)) return false;
    if (libevdev_has_property(device, INPUT_PROP_DIRECT)) return false;  // a touchscreen
    return libevdev_has_property(device, INPUT_PROP_POINTER) || libevdev_has_property(device, INPUT_PROP_BUTTONPAD);
}

OpenedTouchpads openTouchpads(const std::string& directory) {
    OpenedTouchpads opened;
    DIR* folder = ::opendir(directory.c_str());
    if (!folder) return opened;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(folder))
        if (std::strncmp(entry->d_name, "event", 5) == 0) names.emplace_back(entry->d_name);
    ::closedir(folder);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        ++opened.eventDevices;
        const std::string path = directory + "/" + name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            if (errno == EACCES || errno == EPERM) ++opened.unreadable;
            continue;
        }
        libevdev* device = nullptr;
        if (libevdev_new_from_fd(fd, &device) != 0) {
            ::close(fd);
            continue;
        }
        if (!isTouchpad(device)) {
            libevdev_free(device);
            ::close(fd);
            continue;
        }
        // Frame times on the monotonic clock, as the gesture timing expects.
        libevdev_set_clock_id(device, CLOCK_MONOTONIC);
        const int slots = libevdev_get_num_slots(device);
        ContactFrameDecoder decoder(slots > 0 ? slots : 1, range(device, ABS_MT_POSITION_X),
                                    range(device, ABS_MT_POSITION_Y));
        opened.touchpads.push_back(std::make_unique<Touchpad>(fd, device, std::move(decoder), path));
    }
    return opened;
}

bool readTouchpad(Touchpad& touchpad, FrameSink sink) {
    for (int n = 0; n < kEventsPerTurn; ++n) {
        input_event event{};
        int status = libevdev_next_event(touchpad.device, LIBEVDEV_READ_FLAG_NORMAL, &event);
        if (status == LIBEVDEV_READ_STATUS_SUCCESS) {
            if (auto frame = touchpad.decoder.feed(event)) sink(touchpad, *frame);
            continue;
        }
        if (status == LIBEVDEV_READ_STATUS_SYNC) {
            // Events were dropped: libevdev brings its copy of the device state up to date, and
            // the frame is made afresh from it.
            double time = seconds(event);
            while ((status = libevdev_next_event(touchpad.device, LIBEVDEV_READ_FLAG_SYNC, &event)) ==
                   LIBEVDEV_READ_STATUS_SYNC)
                time = seconds(event);
            sink(touchpad, touchpad.decoder.resync(slotsOf(touchpad.device, touchpad.decoder.slotCount()), time));
            if (status == -ENODEV) return false;
            continue;
        }
        return status == -EAGAIN;
    }
    return true;
}

ReaderThread::ReaderThread(std::vector<std::unique_ptr<Touchpad>> touchpads, FrameSink sink, TouchpadRead read)
    : touchpads_(std::move(touchpads)), sink_(sink), read_(read) {
    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) return;
    thread_ = std::thread([this] { run(); });
}

ReaderThread::~ReaderThread() {
    if (thread_.joinable()) {
        const char stop = 1;
        while (::write(wake_[1], &stop, 1) < 0 && errno == EINTR) {}
        thread_.join();
    }
    for (int fd : wake_)
        if (fd >= 0) ::close(fd);
}

void ReaderThread::run() {
    std::vector<Touchpad*> live;
    for (const auto& touchpad : touchpads_) live.push_back(touchpad.get());
    std::vector<pollfd> fds;
    for (;;) {
        fds.clear();
        fds.push_back({wake_[0], POLLIN, 0});
        for (Touchpad* touchpad : live) fds.push_back({touchpad->fd, POLLIN, 0});
        // Blocks until a device has events or the bridge stops: no time-out, no busy loop.
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[0].revents) return;
        std::vector<Touchpad*> next;
        for (std::size_t i = 0; i < live.size(); ++i) {
            const short events = fds[i + 1].revents;
            bool keep = true;
            if (events & POLLIN) keep = read_(*live[i], sink_);
            if (events & (POLLERR | POLLHUP | POLLNVAL)) keep = false;
            if (keep) next.push_back(live[i]);  // a device that went away is read no more
        }
        live.swap(next);
    }
}

}  // namespace mtbridge
