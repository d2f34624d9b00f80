// SPDX-License-Identifier: MIT
// WindowRaiser.cpp: the frame pass, the title pass, and the raise with its activation and
// focus writes.
#include "TenvikKit/Pins/WindowRaiser.h"

#include "TenvikKit/Log/LogChannel.h"
#include "TenvikKit/Pins/PinMessaging.h"
#include "TenvikKit/Pins/WindowMatcher.h"

namespace tenvik {

namespace ax = platform::ax;
using platform::AccessElement;

std::optional<AccessElement> WindowRaiser::axWindow(const PinnedWindow& window) const {
    if (!accessibility_->isProcessTrusted()) return std::nullopt;
    return bestAXWindow(window, AccessElement::application(window.ownerPID));
}

std::optional<AccessElement> WindowRaiser::bestAXWindow(const PinnedWindow& window, const AccessElement& application) const {
    const auto listed = accessibility_->copyAttributeValue(application, ax::kWindows, kPinMessagingTimeout);
    if (!listed.ok()) return std::nullopt;
    const auto windows = listed.value.elements();
    if (!windows || windows->empty()) return std::nullopt;

    // By frame: the closest window, the earlier one on a tie.
    std::optional<AccessElement> best;
    double bestScore = 0;
    for (const AccessElement& candidate : *windows) {
        const auto position = accessibility_->copyAttributeValue(candidate, ax::kPosition, kPinMessagingTimeout);
        const auto size = accessibility_->copyAttributeValue(candidate, ax::kSize, kPinMessagingTimeout);
        const auto point = position.ok() ? position.value.point() : std::nullopt;
        const auto extent = size.ok() ? size.value.size() : std::nullopt;
        if (!point || !extent) continue;
        const double score =
            WindowMatcher::frameDistance({point->x, point->y, extent->width, extent->height}, window.bounds);
        if (!best || score < bestScore) {
            best = candidate;
            bestScore = score;
        }
    }
    if (best && bestScore < kFrameMatchLimit) return best;

    // By title, when exactly one window has the pinned window's title.
    if (window.title.empty()) return std::nullopt;
    std::optional<AccessElement> titled;
    int matches = 0;
    for (const AccessElement& candidate : *windows) {
        const auto title = accessibility_->copyAttributeValue(candidate, ax::kTitle, kPinMessagingTimeout);
        if (title.ok() && title.value.string() == window.title) {
            titled = candidate;
            ++matches;
        }
    }
    return matches == 1 ? titled : std::nullopt;
}

void WindowRaiser::logNoMatch(const PinnedWindow& window) const {
    Log::pin().debug("raiseSourceWindow no-match pid=" + std::to_string(window.ownerPID), "title=" + window.title);
}

bool WindowRaiser::raise(const PinnedWindow& window) const {
    if (!accessibility_->isProcessTrusted()) {
        logNoMatch(window);
        return false;
    }
    const AccessElement application = AccessElement::application(window.ownerPID);
    const auto target = bestAXWindow(window, application);
    if (!target) {
        logNoMatch(window);
        return false;
    }
    const platform::AccessError raised = accessibility_->performAction(*target, ax::kRaiseAction, kPinMessagingTimeout);
    if (raised != platform::AccessError::success) {
        Log::pin().error("raiseSourceWindow raise failed pid=" + std::to_string(window.ownerPID) +
                         " error=" + std::to_string(platform::rawValue(raised)));
        return false;
    }
    if (workspace_ && workspace_->application(window.ownerPID))
        workspace_->activate(window.ownerPID, platform::ActivationOptions::allWindows);
    // A second application element, as the first may have gone stale with the activation.
    const AccessElement focusedApplication = AccessElement::application(window.ownerPID);
    accessibility_->setAttributeValue(*target, ax::kMain, true, kPinMessagingTimeout);
    accessibility_->setAttributeValue(*target, ax::kFocused, true, kPinMessagingTimeout);
    accessibility_->setAttributeValue(focusedApplication, ax::kFocusedWindow, *target, kPinMessagingTimeout);
    return true;
}

}  // namespace tenvik
