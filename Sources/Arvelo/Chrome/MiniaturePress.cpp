// SPDX-License-Identifier: MIT
// MiniaturePress.cpp: the accessibility press of a miniature tile, and the panels' view names.
#include "Arvelo/Chrome/MiniaturePress.h"

namespace arvelo {

bool accessibilityPress(const MiniatureContent& content) {
    if (content.inputTrace) content.inputTrace("accessibilityPress", std::nullopt);
    if (!content.press.callback) return false;
    content.press.callback();
    return true;
}

const char* panelViewName(ChromePanelKind kind) {
    switch (kind) {
        case ChromePanelKind::tabBar:
            return "TabBarView";
        case ChromePanelKind::seamHandle:
            return "SeamView";
        case ChromePanelKind::miniature:
            return "ProxyTileView";
        case ChromePanelKind::zoomBar:
            return "ZoomBarView";
        case ChromePanelKind::dropPreview:
            return "DropPreviewView";
    }
    return "PanelView";
}

}  // namespace arvelo
