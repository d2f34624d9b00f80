// ScreenCoordinates.cpp: the vertical flip between the two screen spaces.
#include "ScreenCoordinates.h"

namespace arvelo::ScreenCoordinates {

namespace {

Rect flip(const Rect& rect, double primaryHeight) {
    const Rect r = rect.standardized();
    return {r.x, primaryHeight - r.maxY(), r.width, r.height};
}

}  // namespace

Rect appKitRect(const Rect& axRect, double primaryHeight) { return flip(axRect, primaryHeight); }
Rect axRect(const Rect& appKitRect, double primaryHeight) { return flip(appKitRect, primaryHeight); }

}  // namespace arvelo::ScreenCoordinates
