// SPDX-License-Identifier: MIT
// DashboardRules.cpp: the dashboard's visibility and enabled rules, the docking row's choices,
// the gap slider's steps and the fallback labels.
#include "Arvelo/Dashboard/DashboardRules.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "ArveloCore/DockEdge.h"

namespace arvelo {

DashboardControls dashboardControls(const DashboardFlags& flags) {
    DashboardControls controls;
    controls.accessibilityBanner = !flags.trusted;
    controls.recoveryBanner = flags.recoveryAvailable && !flags.managing;
    controls.resumeShown = flags.resumeAvailable && !flags.managing;
    controls.resumeEnabled = flags.trusted;
    controls.freeAllEnabled = flags.managing;
    controls.setWindowsEnabled = flags.trusted;
    controls.windowActionsEnabled = flags.managing;
    controls.saveEnabled = flags.managing;
    controls.statusDotGreen = flags.trusted;
    return controls;
}

std::vector<DockTargetChoice> dockTargetChoices(const LayoutNode& root, const std::vector<ListedWindow>& windows,
                                                const std::string& selectedKey) {
    std::vector<DockTargetChoice> choices{{kWholeLayoutTitle, root.id}};
    const std::vector<std::string> held = root.allWindows();
    for (const ListedWindow& window : windows) {
        if (window.key == selectedKey) continue;
        if (std::find(held.begin(), held.end(), window.key) == held.end()) continue;
        const auto leaf = root.leaf(window.key);
        choices.push_back({window.title, leaf ? leaf->id : root.id});
    }
    return choices;
}

std::string dockTargetNode(const LayoutNode& root, const std::string& target) {
    if (const auto node = root.node(target)) return node->id;
    return root.id;
}

std::string dockEdgeLabel(DockEdge edge) {
    std::string label(rawValue(edge));
    if (!label.empty()) label[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(label[0])));
    return label;
}

double GapSlider::gapAt(int position) { return kMinimum + kStep * std::clamp(position, 0, positions() - 1); }

int GapSlider::positionOf(double gap) {
    if (!std::isfinite(gap)) return gap > 0 ? positions() - 1 : 0;
    const double steps = std::round((gap - kMinimum) / kStep);
    return static_cast<int>(std::clamp(steps, 0.0, static_cast<double>(positions() - 1)));
}

bool slotRestorable(const std::vector<SavedView>& saved, int slot) {
    return std::any_of(saved.begin(), saved.end(), [slot](const SavedView& view) { return view.id == slot; });
}

std::string applicationName(const WindowRecord& record) {
    if (record.app.localizedName && !record.app.localizedName->empty()) return *record.app.localizedName;
    return record.applicationID();
}

bool statusReportsTrouble(std::string_view status) {
    // The words every trouble status of the arranger and the kit is written with.
    constexpr std::string_view kMarkers[] = {
        "unavailable", "cannot",     "could not",     "not available",  "refused",  "is held by", "No EWMH",
        "No movable",  "No managed", "No folder",     "Quit ",          "is empty", "None of",    "this session only",
        "not be read", "failed",     "not answering", "does not offer",
    };
    for (const std::string_view marker : kMarkers)
        if (status.find(marker) != std::string_view::npos) return true;
    return false;
}

}  // namespace arvelo
