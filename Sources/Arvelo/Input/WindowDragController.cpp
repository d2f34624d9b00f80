// WindowDragController.cpp: the drag watcher's state and its cancellation.
#include "Arvelo/Input/WindowDragController.h"

#include "Arvelo/Chrome/ChromeController.h"
#include "Arvelo/Coordinator/Coordinator.h"

namespace arvelo {

WindowDragController::WindowDragController(std::weak_ptr<Coordinator> coordinator, bool observesEvents_)
    : observesEvents(observesEvents_), coordinator_(std::move(coordinator)) {}

void WindowDragController::cancel() {
    source.reset();
    initialFrame.reset();
    const auto coordinator = coordinator_.lock();
    if (coordinator && coordinator->chrome && coordinator->chrome->dropPanel)
        coordinator->chrome->dropPanel->orderOut();
}

void WindowDragController::stop() {
    monitor.reset();
    cancel();
}

}  // namespace arvelo
