// SPDX-License-Identifier: MIT
// WindowScan.h: the window scan: finds every window the arranger may manage, with its key,
// frame, window number and on-screen state, as one ScanSnapshot value. It runs on the scan
// queue, reads only its arguments and the platform, and never touches a WindowRecord.
// Also the window key and the small attribute readers the rest of window access uses.
#pragma once

#include "ArveloCore/Geometry.h"
#include "Platform/Accessibility.h"
#include "Platform/WindowList.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace arvelo {

// One application to scan.
struct ScanApplication {
    std::int32_t pid = 0;
    std::string bundle;  // "" when it has none
    std::string name;    // "Window" when it has none

    friend bool operator==(const ScanApplication&, const ScanApplication&) = default;
};

// One window already in the window table, handed in so that it keeps its key.
struct RetainedWindow {
    std::string id;
    std::int32_t pid = 0;
    platform::AccessElement element;
    std::uint32_t windowNumber = 0;

    friend bool operator==(const RetainedWindow&, const RetainedWindow&) = default;
};

// One window found.
struct ScannedWindow {
    std::string id;
    std::int32_t pid = 0;
    platform::AccessElement element;
    std::string title;
    Rect frame;  // top-left-origin screen space
    std::uint32_t windowNumber = 0;
    std::optional<bool> minimized;
    // Maximised axes (2: maximised; 1: tiled to an edge by the window manager) and full screen.
    int maximizedAxes = 0;
    bool fullScreen = false;

    friend bool operator==(const ScannedWindow&, const ScannedWindow&) = default;
};

// What a scan read, kept for the next one under the platform's change stamps: an application's
// window list, and each window's attributes, are read again only once their stamp moved.
struct ScanMemo {
    struct Application {
        std::uint64_t stamp = 0;
        platform::AccessResult windows;
    };
    struct Window {
        std::uint64_t stamp = 0;
        // Shared by the scans that find the window unchanged; never null.
        std::shared_ptr<const std::vector<platform::AccessResult>> values;
    };
    std::unordered_map<std::int32_t, Application> applications;
    std::unordered_map<platform::AccessElement, Window> windows;
};

// The result of one scan.
struct ScanSnapshot {
    std::vector<ScannedWindow> windows;
    // Processes whose windows were unreadable; the table keeps their records.
    std::set<std::int32_t> failedPIDs;
    // One object per application when asked for: "application", "pid", "windowReadError",
    // "windowCount", "recoveredWindowCount".
    std::vector<nlohmann::json> diagnostics;
    // Every window number on the on-screen list, of every owner and layer.
    std::set<std::uint32_t> onScreenIDs;
    // Whether the window server answered that list in full: a window missing from a list that
    // is not complete may still be on screen.
    bool onScreenComplete = true;
    // The on-screen list itself (desktop elements left out), as the scan read it.
    std::vector<platform::WindowInfo> onScreen;
    // What this scan read, for the next one.
    std::shared_ptr<const ScanMemo> memo;
    // The window list's change stamp taken before the first read, and whether every read was
    // answered and kept in the memo: while the stamp stands, a scan of the same applications
    // and windows would find exactly this again.
    std::optional<std::uint64_t> stamp;
    bool settled = false;
    // Keys of known windows that were not found but still exist (no window manager manages
    // them right now, or the window server did not answer for them); the table keeps them.
    std::set<std::string> unmanaged;
    // Keys of known windows that were not found although the window list names them.
    std::set<std::string> unreadable;
};

namespace WindowScan {

// Every Accessibility request of the scan waits at most this long.
inline constexpr double kTimeout = 0.25;
// Windows smaller than this are never scanned.
inline constexpr Size kSmallestWindow{80, 60};
// Without a window number, a window is on screen when its best window-list match is closer.
inline constexpr double kOnScreenDistance = 80;
// How many elements ancestorWindow tests: the element and 19 ancestors.
inline constexpr int kAncestorLimit = 20;
// The score of a window-list entry without bounds.
inline constexpr double kNoScore = 1.7976931348623157e308;

// `previous`: what the last scan read; answers whose change stamp still stands are taken from
// it instead of being read again.
ScanSnapshot capture(platform::Accessibility& accessibility, platform::WindowList& windowList,
                     const std::vector<ScanApplication>& applications, const std::vector<RetainedWindow>& retained,
                     bool diagnostic, const ScanMemo* previous = nullptr);

// The window key "<pid>:<cgID>:<hash>". A window found under the key of one destroyed before
// it (X servers give the numbers of closed windows out again) is told apart by its
// incarnation, added to the hash above bit 48.
std::string windowKey(std::int32_t pid, std::uint32_t windowNumber, const platform::AccessElement& element,
                      std::uint32_t incarnation = 0);

// The element's position and size (ax::kPosition, ax::kSize) as a rectangle; absent when either read fails or
// does not hold a point or a size.
std::optional<Rect> rect(platform::Accessibility& accessibility, const platform::AccessElement& element,
                         double timeout = kTimeout);
// The named attribute as a Boolean; false when the read fails or holds no Boolean.
bool boolValue(platform::Accessibility& accessibility, const platform::AccessElement& element, std::string_view attribute,
               double timeout = kTimeout);
// |Δ min x| + |Δ min y| + |Δ width| + |Δ height| between the entry's bounds and the rectangle;
// kNoScore when the entry has no bounds.
double score(const platform::WindowInfo& entry, const Rect& rect);
// The element itself when its role is a window (ax::kWindowRole), else the nearest such ancestor within
// kAncestorLimit elements; absent when a parent cannot be read.
std::optional<platform::AccessElement> ancestorWindow(platform::Accessibility& accessibility,
                                                  const platform::AccessElement& element);

}  // namespace WindowScan

}  // namespace arvelo
