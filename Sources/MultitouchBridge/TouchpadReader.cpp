// SPDX-License-Identifier: MIT
// TouchpadReader.cpp: opening touchpads with libevdev, reading their events with one read per
// wake-up, the resync after dropped events, and the poll() loop of the reader thread with its
// watch of the devices' folder.
#include "MultitouchBridge/TouchpadReader.h"

#include <dirent.h>
#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>

namespace mtbridge {

namespace {

// Events read from one device before the others get their turn: one read takes at most these.
constexpr int kEventsPerTurn = 512;
// After a turn that read events, the reader lets this many milliseconds pass before it looks at
// the devices again, so a device that floods is read in batches: at most one read per device
// every 8 ms, whatever its rate, for 8 ms of delay at the most (a tap takes 300; a touchpad
// reports every 7 to 12 ms).
constexpr int kBatchMilliseconds = 8;
// The folder's news taken in one read: room for many events with their names.
constexpr std::size_t kFolderNewsBytes = 64 * (sizeof(inotify_event) + NAME_MAX + 1);
constexpr unsigned kFolderEvents = IN_CREATE | IN_ATTRIB | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM;

AxisRange range(const libevdev* device, unsigned code) {
    const input_absinfo* info = libevdev_get_abs_info(device, code);
    return info ? AxisRange{info->minimum, info->maximum} : AxisRange{};
}

bool isEventDevice(const char* name) { return std::strncmp(name, "event", 5) == 0; }

double monotonicSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// One multitouch axis of every slot, as the kernel holds it now; false when the device is gone.
bool slotValues(int fd, unsigned code, std::vector<int>& values) {
    std::vector<std::int32_t> request(values.size() + 1);
    request[0] = static_cast<std::int32_t>(code);
    if (::ioctl(fd, EVIOCGMTSLOTS(request.size() * sizeof(std::int32_t)), request.data()) < 0) return false;
    std::copy(request.begin() + 1, request.end(), values.begin());
    return true;
}

// The device's contacts and finger-count keys as the kernel holds them now, made into a frame;
// false when the device is gone.
bool resync(Touchpad& touchpad, FrameSink sink) {
    const std::size_t count = static_cast<std::size_t>(touchpad.decoder.slotCount());
    std::vector<int> ids(count, -1), xs(count, 0), ys(count, 0);
    std::array<unsigned char, KEY_MAX / 8 + 1> keys{};
    if (!slotValues(touchpad.fd, ABS_MT_TRACKING_ID, ids) || !slotValues(touchpad.fd, ABS_MT_POSITION_X, xs) ||
        !slotValues(touchpad.fd, ABS_MT_POSITION_Y, ys) ||
        ::ioctl(touchpad.fd, EVIOCGKEY(keys.size()), keys.data()) < 0)
        return false;
    std::vector<SlotState> slots(count);
    for (std::size_t i = 0; i < count; ++i) slots[i] = {ids[i], xs[i], ys[i]};
    std::vector<int> held;
    for (unsigned code : {BTN_TOOL_FINGER, BTN_TOOL_DOUBLETAP, BTN_TOOL_TRIPLETAP, BTN_TOOL_QUADTAP, BTN_TOOL_QUINTTAP})
        if (keys[code / 8] & (1u << (code % 8))) held.push_back(fingersOfKey(code));
    sink(touchpad, touchpad.decoder.resync(slots, monotonicSeconds(), held));
    return true;
}

}  // namespace

Touchpad::Touchpad(int fd_, libevdev* device_, ContactFrameDecoder decoder_, std::string path_)
    : fd(fd_), device(device_), decoder(std::move(decoder_)), path(std::move(path_)) {
    traits.path = path;
    traits.slots = decoder.slotCount();
}

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

TouchpadTraits traitsOf(const libevdev* device, const std::string& path) {
    TouchpadTraits traits;
    traits.name = libevdev_get_name(device) ? libevdev_get_name(device) : "";
    traits.path = path;
    traits.slots = std::max(0, libevdev_get_num_slots(device));
    for (unsigned code : {BTN_TOOL_FINGER, BTN_TOOL_DOUBLETAP, BTN_TOOL_TRIPLETAP, BTN_TOOL_QUADTAP, BTN_TOOL_QUINTTAP})
        if (libevdev_has_event_code(device, EV_KEY, code)) traits.keyFingers = std::max(traits.keyFingers, fingersOfKey(code));
    traits.tripleTap = libevdev_has_event_code(device, EV_KEY, BTN_TOOL_TRIPLETAP);
    return traits;
}

OpenedDevice openDevice(const std::string& path) {
    OpenedDevice opened;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        opened.unreadable = errno == EACCES || errno == EPERM;
        return opened;
    }
    libevdev* device = nullptr;
    if (libevdev_new_from_fd(fd, &device) != 0) {
        ::close(fd);
        return opened;
    }
    if (!isTouchpad(device)) {
        libevdev_free(device);
        ::close(fd);
        return opened;
    }
    TouchpadTraits traits = traitsOf(device, path);
    if (!traits.tellsThreeFingers()) {
        libevdev_free(device);
        ::close(fd);
        opened.other = std::make_unique<TouchpadTraits>(std::move(traits));
        return opened;
    }
    // Frame times on the monotonic clock, as the gesture timing expects.
    libevdev_set_clock_id(device, CLOCK_MONOTONIC);
    ContactFrameDecoder decoder(traits.slots > 0 ? traits.slots : 1, range(device, ABS_MT_POSITION_X),
                                range(device, ABS_MT_POSITION_Y));
    opened.touchpad = std::make_unique<Touchpad>(fd, device, std::move(decoder), path);
    opened.touchpad->traits = std::move(traits);
    return opened;
}

OpenedTouchpads openTouchpads(const std::string& directory, OpenDevice open) {
    OpenedTouchpads opened;
    DIR* folder = ::opendir(directory.c_str());
    if (!folder) return opened;
    opened.folderRead = true;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(folder))
        if (isEventDevice(entry->d_name)) names.emplace_back(entry->d_name);
    ::closedir(folder);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        ++opened.eventDevices;
        OpenedDevice device = open(directory + "/" + name);
        if (device.unreadable) ++opened.unreadable;
        if (device.touchpad) opened.touchpads.push_back(std::move(device.touchpad));
        if (device.other) opened.others.push_back(std::move(*device.other));
    }
    return opened;
}

bool readTouchpad(Touchpad& touchpad, FrameSink sink) {
    input_event events[kEventsPerTurn];
    const ssize_t length = ::read(touchpad.fd, events, sizeof events);
    if (length < 0) return errno == EAGAIN || errno == EINTR;
    if (length == 0) return false;
    const std::size_t count = static_cast<std::size_t>(length) / sizeof(input_event);
    for (std::size_t i = 0; i < count; ++i) {
        if (auto frame = touchpad.decoder.feed(events[i])) sink(touchpad, *frame);
        // Events were dropped: the frame is made afresh from the device's state once the drop
        // has ended.
        if (touchpad.decoder.needsResync() && !resync(touchpad, sink)) return false;
    }
    return true;
}

ReaderThread::ReaderThread(std::vector<std::unique_ptr<Touchpad>> touchpads, FrameSink sink, TouchpadRead read)
    : ReaderThread(std::move(touchpads), ReaderHooks{.frame = sink, .read = read}) {}

ReaderThread::ReaderThread(std::vector<std::unique_ptr<Touchpad>> touchpads, ReaderHooks hooks)
    : touchpads_(std::move(touchpads)), hooks_(std::move(hooks)) {
    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) return;
    if (!hooks_.watchedDirectory.empty()) {
        watch_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (watch_ >= 0 && ::inotify_add_watch(watch_, hooks_.watchedDirectory.c_str(), kFolderEvents) < 0) {
            ::close(watch_);
            watch_ = -1;
        }
    }
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
    if (watch_ >= 0) ::close(watch_);
}

void ReaderThread::pickUp(const std::string& path) {
    const auto known = [&](const auto& touchpad) { return touchpad->path == path; };
    if (std::any_of(touchpads_.begin(), touchpads_.end(), known)) return;
    if (std::find(others_.begin(), others_.end(), path) != others_.end()) return;
    // Not yet readable (its permissions are set a moment after it appears) is tried again at
    // the next change of its attributes.
    OpenedDevice device = hooks_.open(path);
    if (device.touchpad) {
        touchpads_.push_back(std::move(device.touchpad));
        if (hooks_.pickedUp) hooks_.pickedUp(*touchpads_.back());
    } else if (device.other) {
        others_.push_back(path);
        if (hooks_.noted) hooks_.noted(*device.other);
    }
}

void ReaderThread::drop(const std::string& path) {
    const auto it = std::find_if(touchpads_.begin(), touchpads_.end(),
                                 [&](const auto& touchpad) { return touchpad->path == path; });
    if (it != touchpads_.end()) {
        if (hooks_.dropped) hooks_.dropped(path, it->get());
        touchpads_.erase(it);
        return;
    }
    if (const auto other = std::find(others_.begin(), others_.end(), path); other != others_.end()) {
        others_.erase(other);
        if (hooks_.dropped) hooks_.dropped(path, nullptr);
    }
}

void ReaderThread::takeFolderNews() {
    alignas(inotify_event) char buffer[kFolderNewsBytes];
    for (;;) {
        const ssize_t length = ::read(watch_, buffer, sizeof buffer);
        if (length <= 0) return;
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->len == 0 || !isEventDevice(event->name)) continue;
            const std::string path = hooks_.watchedDirectory + "/" + event->name;
            if (event->mask & (IN_DELETE | IN_MOVED_FROM))
                drop(path);
            else
                pickUp(path);
        }
    }
}

void ReaderThread::run() {
    std::vector<pollfd> fds;
    for (;;) {
        fds.clear();
        fds.push_back({wake_[0], POLLIN, 0});
        fds.push_back({watch_, POLLIN, 0});  // a negative descriptor is not polled
        for (const auto& touchpad : touchpads_) fds.push_back({touchpad->fd, POLLIN, 0});
        // Blocks until a device has events, the folder changed or the bridge stops: no time-out,
        // no busy loop.
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[0].revents) return;
        std::vector<std::string> gone;
        bool read = false;
        for (std::size_t i = 0; i < touchpads_.size(); ++i) {
            const short events = fds[i + 2].revents;
            bool keep = true;
            if (events & POLLIN) {
                keep = hooks_.read(*touchpads_[i], hooks_.frame);
                read = true;
            }
            if (events & (POLLERR | POLLHUP | POLLNVAL)) keep = false;
            if (!keep) gone.push_back(touchpads_[i]->path);  // a device that went away is read no more
        }
        for (const std::string& path : gone) drop(path);
        if (fds[1].revents & POLLIN) takeFolderNews();
        // Events that come meanwhile wait for the next batch; a stop does not.
        if (read) {
            pollfd wake{wake_[0], POLLIN, 0};
            if (::poll(&wake, 1, kBatchMilliseconds) > 0) return;
        }
    }
}

}  // namespace mtbridge
