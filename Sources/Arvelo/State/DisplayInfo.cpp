// SPDX-License-Identifier: MIT
// DisplayInfo.cpp: making a display's key and top-left frames from a platform screen.
#include "Arvelo/State/DisplayInfo.h"

#include "ArveloCore/ScreenCoordinates.h"

namespace arvelo {

DisplayInfo DisplayInfo::make(const platform::Screen& screen, double primaryHeight) {
    DisplayInfo display;
    display.id = std::to_string(screen.number.value_or(0));
    display.name = screen.name;
    display.frame = ScreenCoordinates::topLeftRect(screen.visibleFrame, primaryHeight);
    display.screenFrame = ScreenCoordinates::topLeftRect(screen.frame, primaryHeight);
    display.screen = screen;
    return display;
}

}  // namespace arvelo
