// SPDX-License-Identifier: MIT
// WindowRecord.h: the shared, mutable record of one managed window: its key, Accessibility
// element and application, what the last scan saw of it, its learnt minimum size, the frames
// that placement and restoring work with, and the traces of its last frame write and raise.
// Records are held through std::shared_ptr by the window table and everyone who reads it.
#pragma once

#include "ArveloCore/Geometry.h"
#include "Platform/Accessibility.h"
#include "Platform/Dispatch.h"
#include "Platform/Workspace.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace arvelo {

// The icon shown for a window: its application's icon theme name, or else the generic
// window symbol "macwindow" described by the application's name.
struct WindowIcon {
    std::string name;
    bool symbol = false;
    std::string description;

    friend bool operator==(const WindowIcon&, const WindowIcon&) = default;
};

// The learnt minimum size every record starts with, and below which none is ever learnt.
inline constexpr Size kMinimumWindowSize{80, 60};

struct WindowRecord {
    WindowRecord(std::string id, platform::AccessElement element, platform::RunningApplication app, std::string title,
                 Rect frame, std::uint32_t windowNumber, platform::Seconds createdAt);
    // A record is shared, never copied.
    WindowRecord(const WindowRecord&) = delete;
    WindowRecord& operator=(const WindowRecord&) = delete;

    // The window key "<pid>:<cgID>:<hash>"; never changes.
    const std::string id;
    platform::AccessElement element;
    // The owning application as it was when the record was made; never replaced.
    const platform::RunningApplication app;
    std::string title;
    // Last known frame, top-left-origin screen space.
    Rect frame;
    // The window server's window number, 0 when none; never refreshed.
    const std::uint32_t windowNumber;
    Size minimum = kMinimumWindowSize;
    // The frame the last placement asked for; absent while parked or after a restore.
    std::optional<Rect> expectedFrame;
    // The frame read back after the last frame write or the late placement check.
    std::optional<Rect> settledFrame;
    int misplacedRetries = 0;
    // Wall-clock seconds of the last try at a frame smaller than the learnt minimum.
    platform::Seconds minimumProbeAt = 0;
    // The frame the window had before it was first moved; what restoring puts back.
    std::optional<Rect> originalFrame;
    // The frame a running restore is putting back.
    std::optional<Rect> restoreTarget;
    bool originalMinimized = false;
    bool parked = false;
    std::optional<bool> minimized;
    // What the window manager last did to it: maximised axes (2: the user's or the
    // application's maximise; 1: the manager's edge tiling) and full screen.
    int maximizedAxes = 0;
    bool fullScreen = false;
    // "stage", "before", "after", "target", "sizeResult", "positionResult" of the last write.
    nlohmann::json lastFrameWrite = nlohmann::json::object();
    // Pointer positions at each step of the last raise, in fixture mode.
    std::map<std::string, std::string> lastActivationTrace;
    bool onScreen = true;
    // No window manager manages the window right now (it is being replaced or restarted, or the
    // client withdrew the window), yet it exists: the record and its original frame are kept,
    // but the window is in no list of the arranger until it is managed again.
    bool unmanaged = false;

    // The application identity: its bundle identifier, or "pid.<pid>" without one.
    std::string applicationID() const;
    WindowIcon icon() const;
};

}  // namespace arvelo
