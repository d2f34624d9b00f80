// SPDX-License-Identifier: MIT
// SimPanels.h: this program's panels on the simulated desktop. Each panel is a window of this
// program's process in the world (so the on-screen window list shows it, at its level's
// layer, on every Space), and the service keeps what tests look at: level, input shape,
// what it was ordered above and how many times it really moved in the stacking order.
#pragma once

#include "Platform/Panels.h"
#include "Platform/Sim/World.h"

#include <map>
#include <memory>

namespace platform::sim {

struct SimPanel {
    PanelID id = 0;
    std::uint32_t number = 0;  // its window in the world
    PanelLevel level = PanelLevel::floating;
    bool ignoresMouse = false;
    bool shown = false;
    bool closed = false;
    std::optional<std::uint32_t> above;  // the window it was last ordered above
    std::optional<std::uint32_t> below;  // the window it was last ordered behind
};

class SimPanels final : public Panels {
public:
    explicit SimPanels(std::shared_ptr<World> world) : world_(std::move(world)) {}

    PanelID create(const arvelo::Rect& frame) override;
    void setFrame(PanelID panel, const arvelo::Rect& frame) override;
    std::optional<arvelo::Rect> frame(PanelID panel) override;
    void setLevel(PanelID panel, PanelLevel level) override;
    void setIgnoresMouse(PanelID panel, bool ignores) override;
    void show(PanelID panel) override;
    void hide(PanelID panel) override;
    void close(PanelID panel) override;
    void orderAbove(const std::vector<std::pair<PanelID, std::uint32_t>>& placements) override;
    void orderBelow(PanelID panel, std::uint32_t windowNumber) override;
    std::uint32_t windowNumber(PanelID panel) override;
    bool translucent() override { return compositing; }

    // For tests: the panel, its record kept after closing; null for an unknown id.
    const SimPanel* panel(PanelID id) const;
    // Panels not closed, in creation order.
    std::vector<const SimPanel*> open() const;
    // How many times a panel was moved in the stacking order (moves that changed nothing
    // are not counted).
    int restacks = 0;
    // Whether a compositing manager is running.
    bool compositing = false;
    // A compositing manager starts or stops: the panels follow (translucencyChanged) when the
    // answer changes.
    void setCompositing(bool running) {
        if (running == compositing) return;
        compositing = running;
        translucencyChanged.notify(running);
    }

private:
    SimPanel* find(PanelID id);
    void setShown(SimPanel& panel, bool shown);
    // Floating and pop-up panels in front of everything, pop-up ones first.
    void raiseFloating();
    void moveAbove(SimPanel& panel, std::uint32_t below);

    std::shared_ptr<World> world_;
    std::map<PanelID, SimPanel> panels_;
    PanelID next_ = 1;
};

}  // namespace platform::sim
