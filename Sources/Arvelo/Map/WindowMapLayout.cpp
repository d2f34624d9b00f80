// SPDX-License-Identifier: MIT
// WindowMapLayout.cpp: panel size, panes, rows and the minimised strip.
#include "Arvelo/Map/WindowMapLayout.h"

#include <algorithm>

namespace arvelo {

namespace {
constexpr double kPaneTop = 52;
constexpr double kTitleLeft = 20;
constexpr double kHintWidth = 258;
constexpr double kHintRightInset = 278;
constexpr double kRowPadding = 6;
constexpr double kPaneBottomPadding = 4;
constexpr double kRowGap = 3;
constexpr double kMinimizedLabelOffset = 62;
constexpr double kMinimizedRowsOffset = 80;
constexpr double kStripSideRoom = 56;
constexpr double kStripColumns = 4;
}  // namespace

WindowMapLayout WindowMapLayout::make(const Rect& display, double screenVisibleWidth, const std::vector<MapTile>& tiles,
                                      const std::vector<std::string>& minimized) {
    WindowMapLayout map;
    const double W = std::min(kScreenShare * screenVisibleWidth, kMaxContentWidth);
    const double s = W / std::max(display.width, 1.0);
    const double H = display.height;
    const double strip = minimized.empty() ? 0 : kStripHeight;
    map.contentWidth = W;
    map.scale = s;
    map.displayHeight = H;
    map.panelSize = {W + 2 * kMargin, H * s + 2 * kMargin + kHeaderHeight + strip};
    map.titleLabel = {kTitleLeft, 12, 200, 18};
    map.hintLabel = {W + 2 * kMargin - kHintRightInset, 14, kHintWidth, 16};

    for (const MapTile& tile : tiles) {
        if (tile.keys.empty()) continue;
        MapPane pane;
        pane.frame = Rect(s * (tile.frame.x - display.x) + kMargin, s * (tile.frame.y - display.y) + kPaneTop,
                          s * tile.frame.width, s * tile.frame.height)
                         .insetBy(kPaneInset, kPaneInset);
        pane.tileKeys = tile.keys;
        pane.selected = tile.selected;
        pane.rows = paneRows(pane.frame.size(), tile.recordedKeys, tile.selected);
        map.panes.push_back(std::move(pane));
    }
    if (!minimized.empty()) {
        map.minimizedLabel = Rect(kTitleLeft, H * s + kMinimizedLabelOffset, 120, 14);
        map.minimizedRows = stripRows(W, H * s + kMinimizedRowsOffset, minimized);
    }
    return map;
}

std::vector<MapRow> WindowMapLayout::paneRows(Size pane, const std::vector<std::string>& keys,
                                              const std::string& selected) {
    std::vector<MapRow> rows;
    if (keys.size() == 1) {
        rows.push_back({Rect(0, 0, pane.width, pane.height), keys.front(), false, false});
        return rows;
    }
    const double n = static_cast<double>(std::max<std::size_t>(keys.size(), 1));
    const double pitch = std::clamp((pane.height - 2 * kRowPadding) / n, kLeastRowPitch, kMostRowPitch);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const double y = kRowPadding + static_cast<double>(i) * pitch;
        if (y + pitch > pane.height - kPaneBottomPadding) break;
        rows.push_back(
            {Rect(kRowPadding, y, pane.width - 2 * kRowPadding, pitch - kRowGap), keys[i], keys[i] == selected, true});
    }
    return rows;
}

std::vector<MapRow> WindowMapLayout::stripRows(double contentWidth, double top, const std::vector<std::string>& keys) {
    std::vector<MapRow> rows;
    const double width = std::min((contentWidth - kStripSideRoom) / kStripColumns, kMinimizedRowWidth);
    const double rightEdge = contentWidth + kMargin;  // the panel's inner right edge
    double x = kMargin;
    for (const std::string& key : keys) {
        if (rows.size() == kMostMinimizedRows || x + width > rightEdge) break;
        rows.push_back({Rect(x, top, width, kMinimizedRowHeight), key, false, true});
        x += width + kMinimizedRowSpacing;
    }
    return rows;
}

std::vector<const MapRow*> WindowMapLayout::rowsInOrder() const {
    std::vector<const MapRow*> rows;
    for (const MapPane& pane : panes)
        for (const MapRow& row : pane.rows) rows.push_back(&row);
    for (const MapRow& row : minimizedRows) rows.push_back(&row);
    return rows;
}

}  // namespace arvelo
