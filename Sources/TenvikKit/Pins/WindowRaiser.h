// SPDX-License-Identifier: MIT
// WindowRaiser.h: brings a pinned window's real window to the front through Accessibility and
// makes its application active; also finds the window's element for the observer. The window
// list's number is not known to Accessibility, so the window is matched by frame (a summed
// difference below 180 points), else by a title no other window of the application has. Keeps
// no state; main thread.
#pragma once

#include "Platform/Accessibility.h"
#include "Platform/Workspace.h"
#include "TenvikKit/Pins/PinnedWindow.h"

#include <memory>
#include <optional>

namespace tenvik {

class WindowRaiser {
public:
    static constexpr double kFrameMatchLimit = 180.0;

    WindowRaiser(std::shared_ptr<platform::Accessibility> accessibility,
                   std::shared_ptr<platform::Workspace> workspace)
        : accessibility_(std::move(accessibility)), workspace_(std::move(workspace)) {}

    // True only when the window was found and raised.
    bool raise(const PinnedWindow& window) const;
    // The window's element; absent without Accessibility trust or without a match.
    std::optional<platform::AccessElement> axWindow(const PinnedWindow& window) const;

private:
    std::optional<platform::AccessElement> bestAXWindow(const PinnedWindow& window,
                                                    const platform::AccessElement& application) const;
    void logNoMatch(const PinnedWindow& window) const;

    std::shared_ptr<platform::Accessibility> accessibility_;
    std::shared_ptr<platform::Workspace> workspace_;
};

}  // namespace tenvik
