// ChromeController.h: the chrome over the arranged windows: the panels of each display (tab
// bars, seam handles, miniature tiles, the zoom bar) rebuilt from its layout, the drop-preview
// panel, and keeping tab bars stacked just above their windows. Holds the coordinator weakly.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Arvelo/Chrome/ChromePanel.h"
#include "Arvelo/Coordinator/DisplayInfo.h"
#include "ArveloCore/LayoutResult.h"

namespace arvelo {

class Coordinator;

class ChromeController {
public:
    // The height of the zoom bar at the top of a zoomed display.
    static constexpr double kZoomBarHeight = 40;

    ChromeController(std::weak_ptr<Coordinator> coordinator, bool presentsPanels);

    // Orders out the drop preview and closes every panel.
    void clear();
    // Builds the panels of one display from its layout, while the coordinator is managing
    // and the display's state holds windows.
    void show(const LayoutResult& result, const DisplayInfo& display);
    // Puts every tab bar at the normal level just above its window (not while the left
    // mouse button is down, and only when panels are presented).
    void restackTabBars();
    // Shows the drop-preview panel over the rectangle (top-left space) with the label; the
    // panel is made on first use and reused.
    void showDropPreview(const Rect& rect, const std::string& label);
    // Orders the drop-preview panel out.
    void hideDropPreview();
    // New window pictures are in the coordinator's cache: the miniature tiles redraw.
    void refreshPreviewImages();

    bool presentsPanels;
    std::vector<std::shared_ptr<ChromePanel>> panels;
    std::set<std::string> representedMinis;
    std::shared_ptr<ChromePanel> dropPanel;
    std::vector<std::shared_ptr<ChromePanel>> tabBars;
    // How many times the miniature tiles were told of new pictures.
    int pictureRefreshes = 0;

private:
    std::shared_ptr<ChromePanel> addPanel(ChromePanelKind kind, const DisplayInfo& display, Rect frame);

    std::weak_ptr<Coordinator> coordinator_;
};

}  // namespace arvelo
