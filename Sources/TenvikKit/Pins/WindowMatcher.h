// SPDX-License-Identifier: MIT
// WindowMatcher.h: the rule that picks, among an application's capturable windows, the one the
// user sees in front, by reconciling the capturable list with the window list (front to back).
#pragma once

#include "TenvikKit/Pins/PinnedWindow.h"

#include <optional>
#include <vector>

namespace tenvik::WindowMatcher {

// Scores of the best-pair rule: a title match, and a frame within the near distance.
inline constexpr double kTitleMatchScore = 800;
inline constexpr double kNearFrameBonus = 200;
inline constexpr double kNearFrameDistance = 80;

// The chosen window number, or nothing when there is nothing capturable.
std::optional<std::uint32_t> select(const std::vector<WindowMatchCandidate>& shareable,
                                    const std::vector<WindowMatchCandidate>& frontToBack);

// The summed difference of two frames in their left edges, top edges, widths and heights.
double frameDistance(const arvelo::Rect& a, const arvelo::Rect& b);

// A title trimmed of white space and new lines and lowercased, as the title rule compares it.
std::string normalizedTitle(const std::string& title);

}  // namespace tenvik::WindowMatcher
