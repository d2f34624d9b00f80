// SPDX-License-Identifier: MIT
// OverviewCards.cpp: the canvas's cards from the arranger's published model.
#include "Arvelo/Overview/OverviewCards.h"

#include <algorithm>

#include "Arvelo/Dashboard/DashboardHost.h"
#include "Arvelo/Dashboard/DashboardRules.h"

namespace arvelo {

namespace {

constexpr double kPinchOpen = 1.05;
constexpr double kPinchClose = 0.95;

OverviewCard cardFor(const DashboardHost& arranger, const Tile& tile) {
    OverviewCard card;
    card.tile = tile;
    const double width = std::max(tile.frame.width, 1.0);
    const double height = std::max(tile.frame.height, 1.0);
    card.frame = Rect(tile.frame.x + (tile.frame.width - width) / 2, tile.frame.y + (tile.frame.height - height) / 2,
                      width, height);
    card.desktop = tile.windows.empty();
    card.grouped = tile.windows.size() >= 2;
    const auto record = card.desktop ? nullptr : arranger.record(tile.selected);
    card.hasRecord = record != nullptr;
    card.hasPicture = !card.desktop && arranger.model().previewImages->contains(tile.selected);
    if (record) {
        card.appName = applicationName(*record);
        card.title = record->title;
        card.icon = record->icon();
    } else {
        card.appName = card.desktop ? OverviewCards::kDesktopName : OverviewCards::kWindowName;
        card.title = card.desktop ? "" : OverviewCards::kWindowName;
    }
    if (card.grouped)
        for (const std::string& key : tile.windows)
            card.tabNames.push_back(OverviewCards::applicationName(arranger, key));
    return card;
}

}  // namespace

std::string OverviewCard::accessibleLabel() const { return appName + " " + (hasRecord ? title : std::string()); }

Rect OverviewCards::canvasRect(Size canvas) {
    return Rect(kMargin, kMargin, std::max(canvas.width - 2 * kMargin, 1.0),
                std::max(canvas.height - 2 * kMargin, 1.0));
}

CanvasContent OverviewCards::content(const DashboardHost& arranger, Size canvas) {
    CanvasContent content;
    const std::string& displayID = arranger.model().selectedDisplay.get();
    if (!arranger.model().states->contains(displayID)) return content;
    content.empty = false;
    const LayoutResult result = arranger.layout(displayID, true, canvasRect(canvas));
    for (const Tile& tile : result.tiles) content.cards.push_back(cardFor(arranger, tile));
    return content;
}

std::string OverviewCards::applicationName(const DashboardHost& arranger, const std::string& key) {
    if (const auto record = arranger.record(key)) return arvelo::applicationName(*record);
    return kWindowName;
}

const OverviewCard* OverviewCards::cardAt(const CanvasContent& content, Point point) {
    for (auto it = content.cards.rbegin(); it != content.cards.rend(); ++it)
        if (it->frame.contains(point)) return &*it;
    return nullptr;
}

PinchOutcome pinchOutcome(double finalScale) {
    if (finalScale > kPinchOpen) return PinchOutcome::focus;
    if (finalScale < kPinchClose) return PinchOutcome::stepOut;
    return PinchOutcome::none;
}

}  // namespace arvelo
