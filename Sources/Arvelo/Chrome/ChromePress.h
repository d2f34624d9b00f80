// SPDX-License-Identifier: MIT
// ChromePress.h: the press that every chrome view shares (tab, tab-bar header, miniature tile):
// the record of where it started and whether it became a drag, and the one pattern of
// callbacks it drives: begin at mouse-down, drag updates once the pointer has been more than
// 6 points from the start (and for the rest of the press), stop at release or Escape, then the
// end, click or cancel callback. Points are in the bottom-left screen space.
#pragma once

#include <functional>
#include <optional>

#include "ArveloCore/Geometry.h"

namespace arvelo {

// The press record: `start` none while idle; `moved` once the pointer was more than 6 points
// away, kept for the rest of the press.
struct PaneDrag {
    std::optional<Point> start;
    bool moved = false;

    friend bool operator==(const PaneDrag&, const PaneDrag&) = default;
};

// What a view does with a press; every closure may be absent.
struct PressCallbacks {
    std::function<void()> callback;  // a click
    std::function<void(Point)> dragUpdate;
    std::function<void(Point)> dragEnd;
    std::function<void()> dragBegin;
    std::function<void()> dragStop;
    std::function<void()> cancelDrag;
    std::function<void()> doubleClick;  // a double click that did not move; else `callback`
};

class ChromePress {
public:
    // More than this many points from the start makes a press a drag.
    static constexpr double kDragThreshold = 6;
    static constexpr int kEscapeKeyCode = 53;

    enum class Release { ignored, click, doubleClick, drop };

    // Mouse-down at `point` with the platform's click count: begins a press.
    void down(Point point, int clickCount, const PressCallbacks& callbacks);
    // A drag event: true when it was passed on as a drag update.
    bool dragged(Point point, const PressCallbacks& callbacks);
    // Mouse-up: stop, then the end or the click (a double click calls `doubleClick`, or the
    // click callback when there is none). Ignored without a press.
    Release up(Point point, const PressCallbacks& callbacks);
    // Escape: during a press, stop then cancel, and true; otherwise false (the key goes on).
    bool escape(const PressCallbacks& callbacks);

    const PaneDrag& drag() const { return drag_; }
    bool pressed() const { return drag_.start.has_value(); }
    int clickCount() const { return clickCount_; }

    // More than 6 points apart (straight-line distance).
    static bool beyondThreshold(Point from, Point to);

private:
    PaneDrag drag_;
    int clickCount_ = 1;
};

}  // namespace arvelo
