// SPDX-License-Identifier: MIT
// WindowMapLayout.h: the window map's geometry, computed from plain inputs: the panel's size
// for a display and a screen, one pane per tile scaled into it with a row per window, and the
// strip of minimised windows below. Positions are in the panel's content, origin top left.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ArveloCore/Geometry.h"

namespace arvelo {

struct MapRow {
    Rect frame;  // within its pane, or within the panel for minimised rows
    std::string key;
    bool selected = false;
    bool compact = true;

    friend bool operator==(const MapRow&, const MapRow&) = default;
};

struct MapPane {
    Rect frame;
    std::vector<std::string> tileKeys;  // every window key of the tile
    std::string selected;               // the tile's shown window
    std::vector<MapRow> rows;
};

// One tile as the map sees it: its frame, its window keys, the keys that have a record (in
// the tile's order) and its selected key.
struct MapTile {
    Rect frame;
    std::vector<std::string> keys;
    std::vector<std::string> recordedKeys;
    std::string selected;
};

struct WindowMapLayout {
    static constexpr double kMaxContentWidth = 1180;
    static constexpr double kScreenShare = 0.66;
    static constexpr double kMargin = 18;
    static constexpr double kHeaderHeight = 34;
    static constexpr double kStripHeight = 70;
    static constexpr double kPaneInset = 3;
    static constexpr double kLeastRowPitch = 22;
    static constexpr double kMostRowPitch = 34;
    static constexpr std::size_t kMostMinimizedRows = 8;
    static constexpr double kMinimizedRowWidth = 220;
    static constexpr double kMinimizedRowHeight = 30;
    static constexpr double kMinimizedRowSpacing = 8;

    double contentWidth = 0;   // W
    double scale = 0;          // s
    double displayHeight = 0;  // H
    Size panelSize;
    Rect titleLabel;
    Rect hintLabel;
    std::vector<MapPane> panes;
    std::optional<Rect> minimizedLabel;
    std::vector<MapRow> minimizedRows;

    // `display` is the display's visible frame (top-left-origin), `screenVisibleWidth` the width
    // of the visible frame of the screen under the pointer.
    static WindowMapLayout make(const Rect& display, double screenVisibleWidth, const std::vector<MapTile>& tiles,
                                const std::vector<std::string>& minimized);
    // The rows of a pane of this size holding these keys.
    static std::vector<MapRow> paneRows(Size pane, const std::vector<std::string>& keys, const std::string& selected);
    // The minimised strip's rows: at most eight, each only where it fits inside the panel.
    static std::vector<MapRow> stripRows(double contentWidth, double top, const std::vector<std::string>& keys);

    // Every row in the order the keyboard walks them: the panes' rows, then the strip.
    std::vector<const MapRow*> rowsInOrder() const;
};

}  // namespace arvelo
