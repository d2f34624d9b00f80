// SPDX-License-Identifier: MIT
// ChromePress.cpp: the shared press pattern of the chrome's views.
#include "Arvelo/Chrome/ChromePress.h"

#include <cmath>

namespace arvelo {

namespace {
void call(const std::function<void()>& f) {
    if (f) f();
}
}  // namespace

bool ChromePress::beyondThreshold(Point from, Point to) {
    return std::hypot(to.x - from.x, to.y - from.y) > kDragThreshold;
}

void ChromePress::down(Point point, int clickCount, const PressCallbacks& callbacks) {
    drag_ = PaneDrag{point, false};
    clickCount_ = clickCount;
    call(callbacks.dragBegin);
}

bool ChromePress::dragged(Point point, const PressCallbacks& callbacks) {
    if (!drag_.start) return false;
    if (!drag_.moved && beyondThreshold(*drag_.start, point)) drag_.moved = true;
    if (!drag_.moved) return false;
    if (callbacks.dragUpdate) callbacks.dragUpdate(point);
    return true;
}

ChromePress::Release ChromePress::up(Point point, const PressCallbacks& callbacks) {
    if (!drag_.start) return Release::ignored;
    const bool moved = drag_.moved || beyondThreshold(*drag_.start, point);
    const bool doubleClick = clickCount_ > 1;
    drag_ = PaneDrag{};
    call(callbacks.dragStop);
    if (moved) {
        if (callbacks.dragEnd) callbacks.dragEnd(point);
        return Release::drop;
    }
    if (doubleClick) {
        call(callbacks.doubleClick ? callbacks.doubleClick : callbacks.callback);
        return Release::doubleClick;
    }
    call(callbacks.callback);
    return Release::click;
}

bool ChromePress::escape(const PressCallbacks& callbacks) {
    if (!drag_.start) return false;
    drag_ = PaneDrag{};
    call(callbacks.dragStop);
    call(callbacks.cancelDrag);
    return true;
}

}  // namespace arvelo
