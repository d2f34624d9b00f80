// SPDX-License-Identifier: MIT
// CardDrag.cpp: a card press, its drag threshold and its drop.
#include "Arvelo/Overview/CardDrag.h"

#include <cmath>

#include "Arvelo/Overview/CardDrop.h"
#include "Arvelo/Overview/OverviewCards.h"

namespace arvelo {

void CardDrag::press(std::string nodeID, std::string key, Point at) {
    pressed_ = true;
    started_ = false;
    nodeID_ = std::move(nodeID);
    key_ = std::move(key);
    origin_ = at;
    location_ = at;
}

bool CardDrag::move(Point to) {
    if (!pressed_) return false;
    location_ = to;
    if (started_ || key_.empty()) return false;
    if (std::hypot(to.x - origin_.x, to.y - origin_.y) <= kThreshold) return false;
    started_ = true;
    return true;
}

void CardDrag::cancel() {
    pressed_ = false;
    started_ = false;
    key_.clear();
    nodeID_.clear();
}

std::optional<CardDrag::Dock> CardDrag::release(Point at, const CanvasContent& content) {
    const bool wasDragging = dragging();
    const std::string key = key_;
    cancel();
    if (!wasDragging) return std::nullopt;
    const OverviewCard* card = OverviewCards::cardAt(content, at);
    if (!card) return std::nullopt;
    const Point inCard{at.x - card->frame.x, at.y - card->frame.y};
    return Dock{key, card->tile.nodeID, CardDrop::edge(inCard, card->tile.frame.size())};
}

}  // namespace arvelo
