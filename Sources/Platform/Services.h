// SPDX-License-Identifier: MIT
// Services.h: the bundle of platform services handed to the logic once at start-up. A backend
// (the X11 desktop or the simulated one) fills it; the logic never knows which it got.
#pragma once

#include "Platform/Accessibility.h"
#include "Platform/Dispatch.h"
#include "Platform/Environment.h"
#include "Platform/EventTap.h"
#include "Platform/Folders.h"
#include "Platform/HotKeys.h"
#include "Platform/Log.h"
#include "Platform/MouseMonitor.h"
#include "Platform/Panels.h"
#include "Platform/PinCapture.h"
#include "Platform/Pointer.h"
#include "Platform/ScreenCapture.h"
#include "Platform/Screens.h"
#include "Platform/Spaces.h"
#include "Platform/UserDefaults.h"
#include "Platform/WindowList.h"
#include "Platform/Workspace.h"

#include <memory>

namespace platform {

struct Services {
    std::shared_ptr<Dispatcher> dispatch;
    std::shared_ptr<Clock> clock;
    std::shared_ptr<Accessibility> accessibility;
    std::shared_ptr<WindowList> windowList;
    std::shared_ptr<Spaces> spaces;
    std::shared_ptr<Screens> screens;
    std::shared_ptr<Workspace> workspace;
    std::shared_ptr<Pointer> pointer;
    // Null when the desktop cannot observe the pointer globally (an X server without XInput2).
    std::shared_ptr<MouseMonitor> mouseMonitor;
    // The event tap that may swallow mouse presses; null where there is none (an X server
    // without XInput2).
    std::shared_ptr<EventTap> eventTap;
    std::shared_ptr<ScreenCapture> screenCapture;
    // Live captures of windows for pins; null when the desktop cannot capture live.
    std::shared_ptr<LiveCapture> liveCapture;
    std::shared_ptr<HotKeys> hotKeys;
    // This program's panels over other windows; null where nothing can be shown (the logic
    // then keeps its panels as models only).
    std::shared_ptr<Panels> panels;
    std::shared_ptr<UserDefaults> defaults;
    std::shared_ptr<LogSink> log;
    Folders folders;
    Environment environment;

    // A logger of this program's subsystem ("org.vomira.Arvelo") for one category.
    Logger logger(std::string category) const { return Logger(log, kSubsystem, std::move(category)); }

    static constexpr const char* kSubsystem = "org.vomira.Arvelo";
};

}  // namespace platform
