// SPDX-License-Identifier: MIT
// SimPanels.cpp: panels as windows of this program in the simulated world.
#include "Platform/Sim/SimPanels.h"

#include <algorithm>

namespace platform::sim {

SimPanel* SimPanels::find(PanelID id) {
    const auto it = panels_.find(id);
    return it == panels_.end() || it->second.closed ? nullptr : &it->second;
}

const SimPanel* SimPanels::panel(PanelID id) const {
    const auto it = panels_.find(id);
    return it == panels_.end() ? nullptr : &it->second;
}

std::vector<const SimPanel*> SimPanels::open() const {
    std::vector<const SimPanel*> list;
    for (const auto& [id, panel] : panels_)
        if (!panel.closed) list.push_back(&panel);
    return list;
}

PanelID SimPanels::create(const arvelo::Rect& frame) {
    WindowSpec spec;
    spec.title = "";
    spec.frame = frame;
    spec.subrole = std::nullopt;
    spec.layer = static_cast<std::int32_t>(PanelLevel::floating);
    spec.sticky = true;
    Window& window = world_->open(world_->ownPid(), spec, false);
    window.hiddenFromScreen = true;
    window.positionSettable = window.sizeSettable = false;
    SimPanel panel;
    panel.id = next_++;
    panel.number = window.number;
    panels_[panel.id] = panel;
    return panel.id;
}

void SimPanels::setFrame(PanelID id, const arvelo::Rect& frame) {
    if (SimPanel* panel = find(id)) world_->setFrame(panel->number, frame);
}

std::optional<arvelo::Rect> SimPanels::frame(PanelID id) {
    SimPanel* panel = find(id);
    if (!panel) return std::nullopt;
    const Window* window = world_->window(panel->number);
    return window ? std::optional(window->frame) : std::nullopt;
}

void SimPanels::setLevel(PanelID id, PanelLevel level) {
    SimPanel* panel = find(id);
    if (!panel) return;
    panel->level = level;
    if (Window* window = world_->window(panel->number)) window->layer = static_cast<std::int32_t>(level);
    if (level != PanelLevel::normal && panel->shown) raiseFloating();
}

void SimPanels::setIgnoresMouse(PanelID id, bool ignores) {
    if (SimPanel* panel = find(id)) panel->ignoresMouse = ignores;
}

void SimPanels::setShown(SimPanel& panel, bool shown) {
    panel.shown = shown;
    if (Window* window = world_->window(panel.number)) window->hiddenFromScreen = !shown;
}

void SimPanels::show(PanelID id) {
    SimPanel* panel = find(id);
    if (!panel) return;
    setShown(*panel, true);
    if (world_->stacking().empty() || world_->stacking().front() != panel->number) {
        world_->raise(panel->number);
        ++restacks;
    }
    raiseFloating();
}

void SimPanels::hide(PanelID id) {
    if (SimPanel* panel = find(id)) setShown(*panel, false);
}

void SimPanels::close(PanelID id) {
    SimPanel* panel = find(id);
    if (!panel) return;
    setShown(*panel, false);
    panel->closed = true;
    world_->vanish(panel->number);
}

void SimPanels::moveAbove(SimPanel& panel, std::uint32_t below) {
    const auto& order = world_->stacking();
    const auto at = std::find(order.begin(), order.end(), below);
    if (at == order.end()) return;  // that window is gone: the panel stays
    panel.above = below;
    if (at != order.begin() && *(at - 1) == panel.number) return;
    world_->placeAbove(panel.number, below);
    ++restacks;
}

void SimPanels::orderAbove(const std::vector<std::pair<PanelID, std::uint32_t>>& placements) {
    for (const auto& [id, number] : placements) {
        SimPanel* panel = find(id);
        if (!panel) continue;
        setShown(*panel, true);
        moveAbove(*panel, number);
    }
    raiseFloating();
}

void SimPanels::orderBelow(PanelID id, std::uint32_t number) {
    SimPanel* panel = find(id);
    if (!panel) return;
    setShown(*panel, true);
    const auto& order = world_->stacking();
    const auto at = std::find(order.begin(), order.end(), number);
    if (at != order.end()) {
        panel->below = number;
        if (at + 1 == order.end() || *(at + 1) != panel->number) {
            world_->placeBelow(panel->number, number);
            ++restacks;
        }
    }
    raiseFloating();
}

void SimPanels::raiseFloating() {
    // Back to front: floating panels first, pop-up panels last, so pop-ups end in front.
    for (const PanelLevel level : {PanelLevel::floating, PanelLevel::popUp}) {
        std::vector<std::uint32_t> numbers;
        for (const auto& order = world_->stacking(); const auto number : order)
            for (const auto& [id, panel] : panels_)
                if (!panel.closed && panel.shown && panel.level == level && panel.number == number)
                    numbers.push_back(number);
        for (auto it = numbers.rbegin(); it != numbers.rend(); ++it) world_->raise(*it);
    }
}

std::uint32_t SimPanels::windowNumber(PanelID id) {
    const SimPanel* panel = find(id);
    return panel ? panel->number : 0;
}

}  // namespace platform::sim
