// SPDX-License-Identifier: MIT
// MiniaturePress.h: the press a screen reader or a UI script makes on a miniature tile: it is
// traced (when the tile traces its input), then the tile's click action runs. Answers whether
// an action ran, so a tile without one does not report a press that did nothing.
#pragma once

#include "Arvelo/Chrome/ChromePanel.h"

namespace arvelo {

bool accessibilityPress(const MiniatureContent& content);

// The class name of the view that draws a panel of this kind ("ProxyTileView", "SeamView", ...).
const char* panelViewName(ChromePanelKind kind);

}  // namespace arvelo
