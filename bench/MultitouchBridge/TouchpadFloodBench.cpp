// SPDX-License-Identifier: MIT
// TouchpadFloodBench.cpp: what a touchpad that floods costs the bridge: a device sends a
// three-finger frame every millisecond for a few seconds (1 kHz, ten times a real pad's rate)
// while the bridge runs as in the program (its reader thread, the folder watch, the decoding,
// the state machine under its lock). Reported: the reader's CPU time as a share of one core,
// read() calls a second and frames a read. The device is a stand-in FIFO in a folder of the
// bench's own, or, with the argument 1 where /dev/uinput exists, a virtual touchpad in
// /dev/input, through the kernel's evdev.
#include "FifoTouchpads.h"
#include "MultitouchBridge/MultitouchBridge.h"
#include "MultitouchBridge/MultitouchBridgeTesting.h"

#include <benchmark/benchmark.h>

#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <functional>
#include <string>
#include <thread>

namespace {

constexpr double kSeconds = 3;
constexpr long kFrameNanoseconds = 1000000;  // 1 kHz

// Each thread's time on a CPU so far, in nanoseconds (/proc/self/task/<tid>/schedstat).
std::map<std::string, long long> threadTimes() {
    std::map<std::string, long long> times;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream in(task.path() / "schedstat");
        long long onCpu = 0;
        if (in >> onCpu) times[task.path().filename().string()] = onCpu;
    }
    return times;
}

// read() calls this process has made so far (/proc/self/io).
long readCalls() {
    std::ifstream io("/proc/self/io");
    std::string key;
    long value = 0;
    while (io >> key >> value)
        if (key == "syscr:") return value;
    return 0;
}

void noGesture(void*, uint32_t) {}
void post(void*, MTMainQueueWork work, void* argument) { work(argument); }

// Sends one frame a millisecond for kSeconds with `send`.
void flood(const std::function<void(int frame)>& send) {
    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    for (int frame = 0; frame < static_cast<int>(kSeconds * 1000); ++frame) {
        send(frame);
        next.tv_nsec += kFrameNanoseconds;
        if (next.tv_nsec >= 1000000000L) {
            next.tv_nsec -= 1000000000L;
            ++next.tv_sec;
        }
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
    }
}

void BM_TouchpadFlood(benchmark::State& state) {
    const bool virtualTouchpad = state.range(0) == 1;
    for (auto _ : state) {
        MTBridgeSetMainQueue(post, nullptr);
        std::unique_ptr<mtbridge::test::DeviceFolder> folder;
        libevdev* device = nullptr;
        libevdev_uinput* uinput = nullptr;
        std::function<void(int)> send;
        std::unique_ptr<mtbridge::test::FifoWriter> writer;
        if (virtualTouchpad) {
            if (::access("/dev/uinput", W_OK) != 0) {
                state.SkipWithError("no writable /dev/uinput");
                return;
            }
            MTBridgeSetInputDirectory(nullptr);
            device = libevdev_new();
            libevdev_set_name(device, "Vomira flood touchpad");
            libevdev_enable_property(device, INPUT_PROP_POINTER);
            libevdev_enable_event_code(device, EV_KEY, BTN_TOUCH, nullptr);
            libevdev_enable_event_code(device, EV_KEY, BTN_TOOL_TRIPLETAP, nullptr);
            const input_absinfo slot{0, 0, 1, 0, 0, 0}, axis{0, 0, 1000, 0, 0, 10}, id{0, 0, 65535, 0, 0, 0};
            libevdev_enable_event_code(device, EV_ABS, ABS_MT_SLOT, &slot);
            libevdev_enable_event_code(device, EV_ABS, ABS_MT_POSITION_X, &axis);
            libevdev_enable_event_code(device, EV_ABS, ABS_MT_POSITION_Y, &axis);
            libevdev_enable_event_code(device, EV_ABS, ABS_MT_TRACKING_ID, &id);
            libevdev_uinput_create_from_device(device, LIBEVDEV_UINPUT_OPEN_MANAGED, &uinput);
            std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the node appears
            send = [uinput](int frame) {
                for (int s = 0; s < 2; ++s) {
                    libevdev_uinput_write_event(uinput, EV_ABS, ABS_MT_SLOT, s);
                    libevdev_uinput_write_event(uinput, EV_ABS, ABS_MT_TRACKING_ID, 10 + s);
                    libevdev_uinput_write_event(uinput, EV_ABS, ABS_MT_POSITION_X, 400 + 100 * s + frame % 2);
                    libevdev_uinput_write_event(uinput, EV_ABS, ABS_MT_POSITION_Y, 500);
                }
                libevdev_uinput_write_event(uinput, EV_KEY, BTN_TOOL_TRIPLETAP, 1);
                libevdev_uinput_write_event(uinput, EV_SYN, SYN_REPORT, 0);
            };
        } else {
            folder = std::make_unique<mtbridge::test::DeviceFolder>("mtbridge-flood");
            MTBridgeSetInputDirectory(folder->path().c_str());
            mtbridge::setDeviceOpenerForTesting(mtbridge::test::openFifoDevice);
            folder->plugTouchpad("event0");
        }
        if (MTBridgeStart(nullptr, noGesture) != 1 || MTBridgeDeviceCount() < 1) {
            state.SkipWithError("the bridge reads no touchpad");
        } else {
            if (!virtualTouchpad) {
                writer = std::make_unique<mtbridge::test::FifoWriter>(folder->path() + "/event0");
                send = [&writer](int frame) {
                    auto events = mtbridge::test::twoSlotFrame(3, static_cast<double>(frame) / 1000);
                    writer->write(events);
                };
            }
            // The reader is every thread there is now but this one; the sender comes later.
            const std::string main = std::to_string(::gettid());
            const auto before = threadTimes();
            const long readsBefore = readCalls();
            std::thread flooder([&] { flood(send); });
            flooder.join();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the last frames are read
            const auto after = threadTimes();
            double reader = 0;
            for (const auto& [tid, onCpu] : before)
                if (tid != main && after.contains(tid)) reader += static_cast<double>(after.at(tid) - onCpu) / 1e9;
            // Less the main thread's own read of /proc/self/io.
            const double reads = static_cast<double>(readCalls() - readsBefore - 1);
            state.SetIterationTime(kSeconds);
            state.counters["reader_cpu_percent"] = 100 * reader / kSeconds;
            state.counters["reads_per_second"] = reads / kSeconds;
            state.counters["frames_per_second"] = 1000;
        }
        MTBridgeStop();
        mtbridge::setDeviceOpenerForTesting(nullptr);
        MTBridgeSetInputDirectory(nullptr);
        if (uinput) libevdev_uinput_destroy(uinput);
        if (device) libevdev_free(device);
    }
}
BENCHMARK(BM_TouchpadFlood)->Arg(0)->Arg(1)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
