// WindowDragController.h: the watcher of native window drags by the title bar, which turns a
// dragged window into a drop on a screen edge or a tile. Holds the coordinator weakly.
#pragma once

#include <limits>
#include <memory>
#include <optional>

#include "Arvelo/Windows/WindowRecord.h"
#include "ArveloCore/Geometry.h"

namespace arvelo {

class Coordinator;

class WindowDragController {
public:
    WindowDragController(std::weak_ptr<Coordinator> coordinator, bool observesEvents);

    // Forgets the dragged window and hides the drop preview.
    void cancel();
    // Removes the global mouse monitor and cancels a drag in progress.
    void stop();

    bool observesEvents;
    // The global mouse monitor while one is installed.
    std::shared_ptr<void> monitor;
    std::shared_ptr<WindowRecord> source;
    std::optional<Rect> initialFrame;
    bool started = false;
    double lastSample = -std::numeric_limits<double>::infinity();
    double magnification = 0;

private:
    std::weak_ptr<Coordinator> coordinator_;
};

}  // namespace arvelo
