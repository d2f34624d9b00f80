// SPDX-License-Identifier: MIT
// WindowDragController.h: the watcher of native window drags by the title bar. It never moves
// a window itself (the window manager does); it notes the managed window under the pointer at
// a left mouse-down, looks at it at most every 0.05 s while the button is held, shows the drop
// preview once the window has moved more than 6 points without changing size, and at the
// mouse-up hands the window to the drop handling, or to the hand-resize handling when the
// window changed size without moving. An Option-pinch focuses the tile under the pointer or
// steps out. Sees the arranger only through a WindowDragHost.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>

#include "Arvelo/Input/WindowDragHost.h"
#include "ArveloCore/Geometry.h"
#include "Platform/Services.h"

namespace arvelo {

class WindowDragController : public std::enable_shared_from_this<WindowDragController> {
public:
    // A window moved by more than this (|dx| + |dy|) has been dragged; a width or height
    // changed by this much or more is a resize.
    static constexpr double kMoveThreshold = 6;
    // Drag steps closer together than this are dropped.
    static constexpr double kSampleInterval = 0.05;
    // A pinch whose summed magnification lies beyond this either way steps in or out.
    static constexpr double kPinchThreshold = 0.05;
    // The drag trace keeps this many newest lines.
    static constexpr std::size_t kTraceLimit = 40;

    // With `observesEvents`, installs a global mouse monitor for left presses, drags and
    // releases and pinches; on a desktop without one, docking by drag stays off and the log
    // says so once.
    static std::shared_ptr<WindowDragController> make(std::shared_ptr<WindowDragHost> host,
                                                      const platform::Services& services, bool observesEvents);

    // Forgets the dragged window and hides the drop preview.
    void cancel();
    // Removes the global mouse monitor and cancels a drag in progress.
    void stop();

    // One event of the monitor (the monitor's handler calls it on the main thread).
    void observe(const platform::MouseEvent& event);

    // The drag state, for diagnostics and tests.
    const std::optional<std::string>& source() const { return source_; }
    const std::optional<Rect>& initialFrame() const { return initialFrame_; }
    bool started() const { return started_; }
    bool monitorInstalled() const { return monitor_ != nullptr; }
    double magnification() const { return magnification_; }

private:
    WindowDragController(std::shared_ptr<WindowDragHost> host, const platform::Services& services);
    void install();

    bool gateOpen() const;
    void mouseDown(Point pointer, const platform::MouseEvent& event);
    void mouseDragged(Point pointer);
    void mouseUp(Point pointer);
    void magnify(const platform::MouseEvent& event);
    // The source window's frame now; absent without a source, a record or a readable frame.
    std::optional<Rect> sourceFrame() const;
    bool moved() const;
    void note(std::string line);

    std::shared_ptr<WindowDragHost> host_;
    std::shared_ptr<platform::MouseMonitor> mouseMonitor_;
    std::shared_ptr<platform::WindowList> windowList_;
    std::shared_ptr<platform::Workspace> workspace_;
    std::shared_ptr<platform::Clock> clock_;
    platform::Logger logger_;

    std::shared_ptr<void> monitor_;
    std::optional<std::string> source_;
    std::optional<Rect> initialFrame_;
    bool started_ = false;
    double lastSample_ = -std::numeric_limits<double>::infinity();
    double magnification_ = 0;
};

}  // namespace arvelo
