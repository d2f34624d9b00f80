// SPDX-License-Identifier: MIT
// HostedWindow.h: a window of this program (the overview, the dashboard) as the coordinator
// sees it. The view layer creates the real window and fills in these operations; the window
// is kept for the coordinator's life, so closing or hiding it only hides it.
#pragma once

#include <functional>

namespace arvelo {

struct HostedWindow {
    std::function<bool()> isVisible;
    std::function<void()> hideWindow;
    std::function<void()> present;
    // Runs when the user closes the window (not when it is hidden).
    std::function<void()> onClose;

    bool visible() const { return isVisible && isVisible(); }
    void hide() const {
        if (hideWindow) hideWindow();
    }
};

}  // namespace arvelo
