// SPDX-License-Identifier: MIT
// ShellHost.h: what the application delegate itself asks of the arranger: the published
// model behind the status menu, the display under the pointer, whether windows must go back
// before a quit, and the commands of the menu, the kit, the workspace observers and the quit
// path. The coordinator answers it; the delegate (Shell/Application) owns the coordinator and
// hands each other client its own face. It sits with the other command faces, below the Qt
// shell, so that the coordinator's header includes nothing from above the runtime.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Arvelo/State/ArrangementModel.h"
#include "Arvelo/State/DisplayInfo.h"

namespace arvelo {

class ShellHost {
public:
    virtual ~ShellHost() = default;

    // ---- Reads
    virtual const ArrangementModel& model() const = 0;
    virtual std::optional<DisplayInfo> displayUnderPointer() const = 0;
    // Windows are arranged, or some window still remembers the frame it had before it was moved.
    virtual bool hasWindowsToRestore() const = 0;

    // ---- The status menu
    virtual void showDashboard() = 0;
    virtual void showEverything() = 0;
    virtual void selectDisplay(const std::string& displayID) = 0;
    virtual void arrange() = 0;
    virtual void freeAllWindows() = 0;
    virtual void saveView(int slot) = 0;
    virtual void recallView(int slot) = 0;
    virtual void setStatus(std::string text) = 0;

    // ---- The kit and the workspace
    // The window numbers of every pinned window, each time the pins change.
    virtual void setPinned(const std::vector<std::uint32_t>& windowIDs) = 0;
    // Puts the tab bars back just above their windows (another application came forward).
    virtual void restackTabBars() = 0;
    virtual void refresh(std::function<void()> completion = nullptr) = 0;
    // The active Space changed (after a refresh).
    virtual void desktopChanged() = 0;

    // ---- Quitting
    virtual void restoreForQuit() = 0;
    virtual void shutDown() = 0;
};

}  // namespace arvelo
