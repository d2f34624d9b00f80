// SPDX-License-Identifier: MIT
// DashboardRules.h: what the dashboard shows and allows, computed from the coordinator's
// published flags and lists without Qt: which header buttons and banners are shown or enabled,
// the choices of the docking row's "Target" picker and the node a dock button names, the gap
// slider's range and steps, the saved-layout menu's enabled items, and the labels that fall
// back to an application identity. The dashboard's widgets only read these answers.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Arvelo/State/SavedView.h"
#include "Arvelo/Windows/WindowRecord.h"
#include "ArveloCore/LayoutNode.h"

namespace arvelo {

// The coordinator's flags that the header, the banners and the window bar follow.
struct DashboardFlags {
    bool trusted = false;
    bool managing = false;
    bool recoveryAvailable = false;
    bool resumeAvailable = false;
};

struct DashboardControls {
    bool accessibilityBanner = false;
    bool recoveryBanner = false;
    bool resumeShown = false;
    bool resumeEnabled = false;
    bool freeAllEnabled = false;
    bool setWindowsEnabled = false;
    // The selected window's "Focus" and "Float", and every "Save current layout".
    bool windowActionsEnabled = false;
    bool saveEnabled = false;
    // The status line's dot: green while trusted, orange otherwise.
    bool statusDotGreen = false;

    friend bool operator==(const DashboardControls&, const DashboardControls&) = default;
};

DashboardControls dashboardControls(const DashboardFlags& flags);

// One entry of the docking row's "Target" picker.
struct DockTargetChoice {
    std::string title;
    std::string nodeID;
    friend bool operator==(const DockTargetChoice&, const DockTargetChoice&) = default;
};

// A window of the window list as the picker needs it: its key and title, in list order.
struct ListedWindow {
    std::string key;
    std::string title;
};

inline constexpr const char* kWholeLayoutTitle = "Whole layout";

// "Whole layout" (the root) first, then every listed window of the layout other than the
// selected one, in list order, valued with the id of the leaf that holds it.
std::vector<DockTargetChoice> dockTargetChoices(const LayoutNode& root, const std::vector<ListedWindow>& windows,
                                                const std::string& selectedKey);
// The node a dock button docks beside: the picked node while the tree still holds it, else
// the root (an empty pick included).
std::string dockTargetNode(const LayoutNode& root, const std::string& target);
// A dock button's label: the edge's raw value with its first letter in capitals.
std::string dockEdgeLabel(DockEdge edge);

// The gap slider: 4 to 24 points in steps of 2, written to the user default "gap".
struct GapSlider {
    static constexpr double kMinimum = 4;
    static constexpr double kMaximum = 24;
    static constexpr double kStep = 2;
    static constexpr const char* kDefaultsKey = "gap";
    // The number of positions from kMinimum to kMaximum, both included.
    static constexpr int positions() { return static_cast<int>((kMaximum - kMinimum) / kStep) + 1; }
    // The gap of a slider position (clamped into the positions).
    static double gapAt(int position);
    // The position that shows a gap: the nearest step, clamped (a gap outside the range, as a
    // hand-edited default can give, shows at the nearer end).
    static int positionOf(double gap);
};

inline constexpr int kSavedLayoutSlots = 9;
// "Restore" of a slot is enabled exactly when a saved layout with that id exists.
bool slotRestorable(const std::vector<SavedView>& saved, int slot);

// The name shown for a window's application: its name, else its identity ("pid.<pid>").
std::string applicationName(const WindowRecord& record);

inline constexpr const char* kAllowPreviewsLabel = "Check window previews again";
inline constexpr const char* kRefreshPreviewsLabel = "Refresh window previews";
inline const char* previewsButtonLabel(bool captureAllowed) {
    return captureAllowed ? kRefreshPreviewsLabel : kAllowPreviewsLabel;
}

// Whether a status line reports something wrong (a window that refused, a file not written,
// previews unavailable, a key held by another program, no window manager): the dot beside it
// is then orange, never green.
bool statusReportsTrouble(std::string_view status);
// The status line's dot: green only while trusted and the status reports no trouble.
inline bool statusDotGreen(bool trusted, std::string_view status) { return trusted && !statusReportsTrouble(status); }

}  // namespace arvelo
