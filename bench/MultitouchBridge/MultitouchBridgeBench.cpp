// SPDX-License-Identifier: MIT
// MultitouchBridgeBench.cpp: the three-finger state machine per contact frame (a stream of
// taps, presses and moves), and decoding a recorded stream of 10,000 evdev events of a
// three-finger touchpad into contact frames.
#include "MultitouchBridge/ContactFrameDecoder.h"
#include "MultitouchBridge/MultitouchBridge.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

void BM_GestureStatePerFrame(benchmark::State& state) {
    MTGestureState gesture{};
    double time = 0;
    int step = 0;
    for (auto _ : state) {
        // Cycles of 40 frames at 100 Hz: three fingers resting, drifting, then lifting.
        const int phase = step++ % 40;
        const int fingers = phase < 35 ? 3 : 0;
        const float x = 0.5f + (phase > 20 ? 0.01f * static_cast<float>(phase - 20) : 0.0f);
        time += 0.01;
        benchmark::DoNotOptimize(MTGestureStateProcess(&gesture, fingers, x, 0.5f, time));
    }
}
BENCHMARK(BM_GestureStatePerFrame);

std::vector<input_event> recordedStream(std::size_t count) {
    std::vector<input_event> events;
    double time = 100;
    int tracking = 1;
    auto push = [&](unsigned short type, unsigned short code, int value) {
        input_event event{};
        event.input_event_sec = static_cast<long>(time);
        event.input_event_usec = static_cast<long>((time - static_cast<long>(time)) * 1e6);
        event.type = type;
        event.code = code;
        event.value = value;
        events.push_back(event);
    };
    for (int frame = 0; events.size() < count; ++frame) {
        time += 0.007;
        for (int slot = 0; slot < 3; ++slot) {
            push(EV_ABS, ABS_MT_SLOT, slot);
            if (frame % 50 == 0) push(EV_ABS, ABS_MT_TRACKING_ID, tracking++);
            push(EV_ABS, ABS_MT_POSITION_X, 1000 + slot * 300 + frame % 7);
            push(EV_ABS, ABS_MT_POSITION_Y, 800 + frame % 5);
        }
        push(EV_SYN, SYN_REPORT, 0);
    }
    events.resize(count);
    return events;
}

void BM_DecodeTenThousandEvents(benchmark::State& state) {
    const std::vector<input_event> events = recordedStream(10000);
    for (auto _ : state) {
        mtbridge::ContactFrameDecoder decoder(5, {0, 3000}, {0, 2000});
        std::size_t frames = 0;
        for (const input_event& event : events)
            if (auto frame = decoder.feed(event)) frames += frame->contacts.size();
        benchmark::DoNotOptimize(frames);
    }
}
BENCHMARK(BM_DecodeTenThousandEvents)->Unit(benchmark::kMicrosecond);

}  // namespace
