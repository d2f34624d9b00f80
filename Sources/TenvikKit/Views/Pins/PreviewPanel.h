// SPDX-License-Identifier: MIT
// PreviewPanel.h: what a pin's preview panel asks of its Qt window beyond what every panel of
// this program already is (frameless, override-redirect, never focused, on every desktop): no
// margins, no background of its own, and the preview view filling it whatever its size.
#pragma once

#include <QWidget>

namespace tenvik::views {

class PreviewStreamView;

class PreviewPanel {
public:
    // Readies `window` (a panel's Qt window) and puts a new preview view into it, replacing any
    // content it had. `translucent`: a compositing manager runs and the window has an alpha
    // channel. The view belongs to the window.
    static PreviewStreamView* fill(QWidget* window, bool translucent);
};

}  // namespace tenvik::views
