// SPDX-License-Identifier: MIT
// WindowResolver.cpp: filtering the capturable windows, reading the application's windows from
// the window list, choosing one and describing it.
#include "TenvikKit/Pins/WindowResolver.h"

#include "TenvikKit/Log/LogChannel.h"
#include "TenvikKit/Pins/WindowMatcher.h"

#include <algorithm>

namespace tenvik {

namespace {

bool largeEnough(const arvelo::Rect& frame) {
    return frame.absWidth() > WindowResolver::kMinimumWidth && frame.absHeight() > WindowResolver::kMinimumHeight;
}

constexpr platform::WindowListOptions kOnScreenWithoutDesktop{true, true};
constexpr platform::WindowListOptions kAllWindows{false, false};
constexpr platform::WindowListOptions kOnScreenWindows{true, false};

}  // namespace

WindowResolver::WindowResolver(std::shared_ptr<platform::LiveCapture> capture, ListWindows listWindows)
    : capture_(std::move(capture)), listWindows_(std::move(listWindows)) {
    lookUp_ = [list = listWindows_](std::uint32_t number) -> platform::WindowLookup {
        const auto all = list(kAllWindows);
        if (!all) return {};
        for (const auto& info : *all)
            if (info.number == number) return {platform::WindowLookup::Answer::listed, info};
        return {platform::WindowLookup::Answer::destroyed, std::nullopt};
    };
}

WindowResolver::WindowResolver(std::shared_ptr<platform::LiveCapture> capture,
                               std::shared_ptr<platform::WindowList> windowList)
    : capture_(std::move(capture)) {
    listWindows_ = [windowList](const platform::WindowListOptions& options)
        -> std::optional<std::vector<platform::WindowInfo>> {
        if (!windowList) return std::nullopt;
        return windowList->windows(options);
    };
    lookUp_ = [windowList](std::uint32_t number) -> platform::WindowLookup {
        return windowList ? windowList->lookUp(number) : platform::WindowLookup{};
    };
}

WindowResolver::Result WindowResolver::resolve(const Application& application) const {
    std::string error;
    const auto content = capture_ ? capture_->shareableContent(true, true, &error) : std::nullopt;
    if (!content) return ContentError{error};

    std::vector<platform::ShareableContentWindow> kept;
    for (const auto& window : *content)
        if (window.ownerPid && *window.ownerPid == application.processIdentifier && window.layer == 0 &&
            largeEnough(window.frame) && window.isOnScreen)
            kept.push_back(window);
    if (kept.empty()) return PreviewError::windowUnavailable;

    std::vector<WindowMatchCandidate> shareable;
    for (const auto& window : kept)
        shareable.push_back(
            {window.windowID, *window.ownerPid, window.title.value_or(""), window.frame, window.isActive});

    const auto chosen = WindowMatcher::select(shareable, currentWindowCandidates(application));
    if (!chosen) return PreviewError::windowUnavailable;
    const auto match =
        std::find_if(kept.begin(), kept.end(), [&](const auto& window) { return window.windowID == *chosen; });
    if (match == kept.end()) return PreviewError::windowUnavailable;

    PinnedWindow pinned = currentWindowInfo(*chosen).value_or(makePinnedWindow(*match, application));
    Log::pin().debug("resolve selected pid=" + std::to_string(application.processIdentifier) +
                     " windowID=" + std::to_string(*chosen));
    return Resolved{std::move(pinned), *match};
}

std::vector<WindowMatchCandidate> WindowResolver::currentWindowCandidates(const Application& application) const {
    const auto list = listWindows_(kOnScreenWithoutDesktop);
    if (!list) return {};
    std::vector<WindowMatchCandidate> candidates;
    for (const auto& info : *list) {
        if (info.ownerPid != application.processIdentifier || info.layer != 0) continue;
        if (!info.bounds || !largeEnough(*info.bounds)) continue;
        candidates.push_back({info.number, info.ownerPid, info.name, *info.bounds, false});
    }
    return candidates;
}

std::optional<PinnedWindow> WindowResolver::currentWindowInfo(std::uint32_t windowID) const {
    const auto all = listWindows_(kAllWindows);
    if (!all || all->empty()) return std::nullopt;
    const auto onScreen = listWindows_(kOnScreenWindows).value_or(std::vector<platform::WindowInfo>{});
    const auto found = std::find_if(all->begin(), all->end(),
                                    [&](const auto& info) { return info.number == windowID && info.bounds; });
    if (found == all->end()) return std::nullopt;
    const bool isOnScreen =
        std::any_of(onScreen.begin(), onScreen.end(), [&](const auto& info) { return info.number == windowID; });
    return PinnedWindow{windowID,    found->ownerPid, found->ownerName.empty() ? "Window" : found->ownerName,
                        found->name, *found->bounds,  isOnScreen};
}

WindowResolver::Lookup WindowResolver::lookUpWindow(const PinnedWindow& last) const {
    using Answer = platform::WindowLookup::Answer;
    const platform::WindowLookup found = lookUp_(last.windowID);
    switch (found.answer) {
        case Answer::listed:
            // X servers hand the numbers of closed windows out again.
            if (!found.info || found.info->ownerPid != last.ownerPID) return {Lookup::Kind::gone, std::nullopt};
            if (!found.info->bounds) return {};
            return {Lookup::Kind::current,
                    PinnedWindow{last.windowID, found.info->ownerPid,
                                 found.info->ownerName.empty() ? "Window" : found.info->ownerName, found.info->name,
                                 *found.info->bounds, found.info->onScreen}};
        case Answer::unlisted: {
            PinnedWindow withdrawn = last;
            withdrawn.isOnScreen = false;
            return {Lookup::Kind::current, withdrawn};
        }
        case Answer::destroyed:
            return {Lookup::Kind::gone, std::nullopt};
        case Answer::unknown:
            break;
    }
    return {};
}

PinnedWindow WindowResolver::makePinnedWindow(const platform::ShareableContentWindow& window,
                                              const Application& fallbackApp) {
    PinnedWindow pinned;
    pinned.windowID = window.windowID;
    pinned.ownerPID = window.ownerPid.value_or(fallbackApp.processIdentifier);
    if (window.ownerPid && window.applicationName)
        pinned.ownerName = *window.applicationName;
    else
        pinned.ownerName = fallbackApp.localizedName.value_or("Window");
    pinned.title = window.title.value_or("");
    pinned.bounds = window.frame;
    pinned.isOnScreen = window.isOnScreen;
    return pinned;
}

}  // namespace tenvik
