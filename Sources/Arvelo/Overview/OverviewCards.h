// SPDX-License-Identifier: MIT
// OverviewCards.h: the spatial canvas's content without Qt: the selected display's layout
// solved into the canvas (a 14-point margin, the whole tree however the display's camera
// stands) and one card per tile with everything a card shows: its frame, whether it stands
// for the desktop or a tab group, its labels with their fallbacks, its tab buttons' names and
// whether a picture is cached for it. Also what a pinch on a card does.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "Arvelo/Windows/WindowRecord.h"
#include "ArveloCore/Geometry.h"
#include "ArveloCore/Tile.h"

namespace arvelo {

class DashboardHost;

struct OverviewCard {
    Tile tile;
    Rect frame;            // in the canvas, origin top left: at least 1 x 1, centred on the tile
    bool desktop = false;  // a tile without windows
    bool grouped = false;  // two or more windows: a header and a tab strip
    bool hasRecord = false;
    bool hasPicture = false;
    std::string appName;  // "Window" without a record, "Desktop" for the desktop tile
    std::string title;    // the window's title, "Window" without a record
    std::optional<WindowIcon> icon;
    std::vector<std::string> tabNames;  // one per key of tile.windows

    friend bool operator==(const OverviewCard&, const OverviewCard&) = default;
    // What assistive technology reads: the application name, a space, the window title.
    std::string accessibleLabel() const;
};

struct CanvasContent {
    // No layout for the selected display: the canvas shows its invitation instead.
    bool empty = true;
    std::vector<OverviewCard> cards;
    friend bool operator==(const CanvasContent&, const CanvasContent&) = default;
};

struct OverviewCards {
    static constexpr double kMargin = 14;
    static constexpr const char* kWindowName = "Window";
    static constexpr const char* kDesktopName = "Desktop";
    static constexpr const char* kEmptyTitle = "Bring your windows together";
    static constexpr const char* kEmptyMessage =
        "Choose Set Windows to give each open window its own space, then dock, group and focus them here.";
    static constexpr const char* kHoverHint = "Click to focus";

    // The rectangle the tiles are solved into: the margin on every side, never under 1 point.
    static Rect canvasRect(Size canvas);
    static CanvasContent content(const DashboardHost& arranger, Size canvas);
    // The name shown for a window key: its application's name, else its identity; "Window"
    // when the window table does not hold the key.
    static std::string applicationName(const DashboardHost& arranger, const std::string& key);
    // The topmost card under a point, if any.
    static const OverviewCard* cardAt(const CanvasContent& content, Point point);
};

// A pinch that ended: opened past 1.05 focuses, closed under 0.95 steps out, else nothing.
enum class PinchOutcome { none, focus, stepOut };
PinchOutcome pinchOutcome(double finalScale);

}  // namespace arvelo
