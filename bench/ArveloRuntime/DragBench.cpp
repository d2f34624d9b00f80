// SPDX-License-Identifier: MIT
// DragBench.cpp: what the window drag controller costs on the main thread, on a simulated
// display of 12 arranged windows: a drag step while no drag is armed (the button held in
// another program), a step dropped by the 0.05 s sampling during a drag, and an accepted step
// (the frame read, the hit test and the preview). Together with the X11 monitor's decoding
// (PlatformX11Bench) they give the cost of a drag at 125 motion events a second.
#include "Arvelo/Input/WindowDragController.h"

#include "ArrangedScene.h"

#include <benchmark/benchmark.h>

namespace {

struct Arranged : ArrangedScene {
    platform::MouseEvent dragged(arvelo::Point at) const {
        platform::MouseEvent event;
        event.type = platform::MouseEventType::leftMouseDragged;
        event.location = at;
        return event;
    }
};

// The button is held in some other program: every step reaches the controller, which has
// nothing armed.
void dragStepWithNothingArmed(benchmark::State& state) {
    Arranged scene;
    auto& drag = *scene.coordinator->windowDrag;
    const auto event = scene.dragged({1200, 700});
    for (auto _ : state) {
        state.PauseTiming();
        scene.desktop.clock().advance(0.06);  // past the sampling interval: the step is looked at
        state.ResumeTiming();
        drag.observe(event);
    }
}
BENCHMARK(dragStepWithNothingArmed)->Unit(benchmark::kMicrosecond);

// A window is dragged; steps between two samples are dropped.
void dragStepBetweenSamples(benchmark::State& state) {
    Arranged scene;
    const auto frame = scene.windows.back().frame();
    scene.desktop.mouseDown({frame.x + 60, frame.y + 8});
    scene.desktop.advance(0.06);
    scene.desktop.mouseDrag({frame.x + 200, frame.y + 100});
    auto& drag = *scene.coordinator->windowDrag;
    const auto event = scene.dragged({frame.x + 200, frame.y + 100});
    for (auto _ : state) drag.observe(event);
    if (!drag.started()) state.SkipWithError("the drag did not start");
}
BENCHMARK(dragStepBetweenSamples)->Unit(benchmark::kMicrosecond);

// An accepted sample: the frame read, the display's layout, the hit test and the preview.
void dragSample(benchmark::State& state) {
    Arranged scene;
    const auto frame = scene.windows.back().frame();
    scene.desktop.mouseDown({frame.x + 60, frame.y + 8});
    scene.desktop.advance(0.06);
    scene.desktop.mouseDrag({frame.x + 200, frame.y + 100});
    auto& drag = *scene.coordinator->windowDrag;
    const auto event = scene.dragged({frame.x + 200, frame.y + 100});
    for (auto _ : state) {
        state.PauseTiming();
        scene.desktop.clock().advance(0.06);
        scene.desktop.calls().clear();
        state.ResumeTiming();
        drag.observe(event);
    }
    if (!drag.started()) state.SkipWithError("the drag did not start");
}
BENCHMARK(dragSample)->Unit(benchmark::kMicrosecond);

}  // namespace
