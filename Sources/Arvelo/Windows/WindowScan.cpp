// SPDX-License-Identifier: MIT
// WindowScan.cpp: the capture itself: the window server's list, each application's candidate
// windows (its window list, or the fallbacks when that gives nothing, plus the windows already
// known), and the rules that keep or drop each candidate and give it its key. The lists of all
// applications are read in one batch and the candidates of all of them in another, so a scan
// costs two batched reads whatever the number of applications.
#include "Arvelo/Windows/WindowScan.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace arvelo::WindowScan {
namespace {

using platform::AccessElement;
using platform::AccessResult;
using platform::WindowInfo;
namespace ax = platform::ax;

// The attributes read of every candidate, in one batch per application.
enum Attribute { kRole, kSubrole, kMinimized, kFullScreen, kPosition, kSize, kTitle, kMaximized };
const std::vector<std::string> kCandidateAttributes{
    std::string(ax::kRole),     std::string(ax::kSubrole), std::string(ax::kMinimized), std::string(ax::kFullScreen),
    std::string(ax::kPosition), std::string(ax::kSize),    std::string(ax::kTitle),     std::string(ax::kMaximized)};

// The retained windows, indexed for the lookups of one scan.
class RetainedIndex {
public:
    explicit RetainedIndex(const std::vector<RetainedWindow>& retained) : retained_(retained) {
        for (std::size_t i = 0; i < retained.size(); ++i) {
            const RetainedWindow& window = retained[i];
            byElement_.try_emplace(window.element, i);
            byNumber_.try_emplace(numberKey(window.pid, window.windowNumber), i);
            byPid_[window.pid].push_back(i);
        }
    }

    // The first retained window of the process whose element equals `element` or, when
    // `number` is not 0, whose window number equals it.
    const RetainedWindow* find(std::int32_t pid, const AccessElement& element, std::uint32_t number) const {
        std::size_t best = retained_.size();
        if (const auto it = byElement_.find(element); it != byElement_.end() && retained_[it->second].pid == pid)
            best = it->second;
        if (number != 0) {
            if (const auto it = byNumber_.find(numberKey(pid, number)); it != byNumber_.end())
                best = std::min(best, it->second);
        }
        return best < retained_.size() ? &retained_[best] : nullptr;
    }

    std::vector<const RetainedWindow*> ofProcess(std::int32_t pid) const {
        std::vector<const RetainedWindow*> result;
        if (const auto it = byPid_.find(pid); it != byPid_.end())
            for (const std::size_t i : it->second) result.push_back(&retained_[i]);
        return result;
    }

    const std::vector<RetainedWindow>& all() const { return retained_; }

private:
    static std::uint64_t numberKey(std::int32_t pid, std::uint32_t number) {
        return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(pid)) << 32) | number;
    }

    const std::vector<RetainedWindow>& retained_;
    std::unordered_map<AccessElement, std::size_t> byElement_;
    std::unordered_map<std::uint64_t, std::size_t> byNumber_;
    std::unordered_map<std::int32_t, std::vector<std::size_t>> byPid_;
};

// The state of one scan while it walks the applications.
class Capture {
public:
    Capture(platform::Accessibility& accessibility, const std::vector<RetainedWindow>& retained, bool diagnostic,
            const ScanMemo* previous)
        : ax_(accessibility), retained_(retained), diagnostic_(diagnostic), previous_(previous) {}

    void readWindowList(platform::WindowList& windowList) {
        snapshot_.stamp = windowList.changeStamp();
        platform::WindowListRead read = windowList.readWindows({.onScreenOnly = true, .excludeDesktopElements = true});
        list_ = std::move(read.windows);
        snapshot_.onScreenComplete = read.complete;
        // A list the server did not answer in full is read again by the next scan.
        if (!read.complete) settled_ = false;
        for (const WindowInfo& entry : list_) {
            snapshot_.onScreenIDs.insert(entry.number);
            // Each application's ordinary windows, front to back.
            if (entry.layer == 0) serverWindowsOf_[entry.ownerPid].push_back(&entry);
        }
    }

    // Every application's windows: the lists of all of them read in one batch, then the
    // attributes of every candidate of all of them in another, then each window kept or
    // dropped, application by application in the given order.
    void scan(const std::vector<ScanApplication>& applications);

    // The known windows this scan did not find that still exist: no window manager manages them
    // now (it is being replaced or restarted, or the client withdrew them), or the X server did
    // not say. Only a window that is really gone loses its record.
    void findUnmanaged(platform::WindowList& windowList) {
        for (const RetainedWindow& window : retained_.all()) {
            if (keys_.contains(window.id) || snapshot_.failedPIDs.contains(window.pid)) continue;
            if (window.windowNumber == 0) continue;
            // Destroyed: gone. Listed but not found (gone full screen, too small, of an
            // application left out, or not readable yet while a manager takes it): dropped,
            // unless a manager is being waited for.
            const auto answer = windowList.lookUp(window.windowNumber).answer;
            if (answer == platform::WindowLookup::Answer::destroyed) continue;
            if (answer == platform::WindowLookup::Answer::listed)
                snapshot_.unreadable.insert(window.id);
            else
                snapshot_.unmanaged.insert(window.id);
        }
    }

    ScanSnapshot take() {
        snapshot_.settled = settled_;
        snapshot_.onScreen = std::move(list_);
        snapshot_.memo = std::make_shared<const ScanMemo>(std::move(memo_));
        return std::move(snapshot_);
    }

private:
    const std::vector<const WindowInfo*>& serverWindowsOf(std::int32_t pid) const;
    // Each application's window list, those not kept under their stamps read in one batch.
    std::vector<AccessResult> readWindows(const std::vector<ScanApplication>& applications);
    // The application's candidates: its listed windows (or the fallbacks when it lists none)
    // and the windows already known of it.
    std::vector<AccessElement> candidatesOf(const ScanApplication& application, const AccessResult& windowsRead);
    // The candidates' attributes, shared with the memo.
    std::vector<std::shared_ptr<const std::vector<AccessResult>>> readCandidates(const std::vector<AccessElement>& candidates);
    std::vector<AccessElement> fallbackCandidates(const AccessElement& appElement,
                                              const std::vector<const WindowInfo*>& serverWindows);
    void examine(const ScanApplication& application, const AccessElement& element, const std::vector<AccessResult>& values,
                 const std::vector<const WindowInfo*>& serverWindows);

    platform::Accessibility& ax_;
    RetainedIndex retained_;
    bool diagnostic_;
    const ScanMemo* previous_;
    ScanMemo memo_;
    std::vector<WindowInfo> list_;
    std::unordered_map<std::int32_t, std::vector<const WindowInfo*>> serverWindowsOf_;
    ScanSnapshot snapshot_;
    std::unordered_set<std::string> keys_;
    // No read so far was left out of the memo.
    bool settled_ = true;
};

void Capture::scan(const std::vector<ScanApplication>& applications) {
    const std::vector<AccessResult> lists = readWindows(applications);
    std::vector<std::vector<AccessElement>> candidates;
    candidates.reserve(applications.size());
    std::vector<AccessElement> all;
    for (std::size_t i = 0; i < applications.size(); ++i) {
        candidates.push_back(candidatesOf(applications[i], lists[i]));
        all.insert(all.end(), candidates.back().begin(), candidates.back().end());
    }
    if (all.empty()) return;
    const auto values = readCandidates(all);
    std::size_t next = 0;
    for (std::size_t i = 0; i < applications.size(); ++i) {
        const auto& serverWindows = serverWindowsOf(applications[i].pid);
        for (const AccessElement& element : candidates[i]) examine(applications[i], element, *values[next++], serverWindows);
    }
}

const std::vector<const WindowInfo*>& Capture::serverWindowsOf(std::int32_t pid) const {
    // The application's ordinary windows on the window server's list, front to back.
    static const std::vector<const WindowInfo*> kNone;
    const auto it = serverWindowsOf_.find(pid);
    return it == serverWindowsOf_.end() ? kNone : it->second;
}

std::vector<AccessElement> Capture::candidatesOf(const ScanApplication& application, const AccessResult& windowsRead) {
    const AccessElement appElement = AccessElement::application(application.pid);
    const std::int32_t readError = platform::rawValue(windowsRead.error);
    const std::optional<std::vector<AccessElement>> listed = windowsRead.ok() ? windowsRead.value.elements() : std::nullopt;

    // What the fallbacks find is not kept: a later scan asks them again.
    if (!listed || listed->empty()) settled_ = false;
    std::vector<AccessElement> found = listed && !listed->empty()
                                       ? *listed
                                       : fallbackCandidates(appElement, serverWindowsOf(application.pid));

    std::vector<AccessElement> candidates;
    std::unordered_set<AccessElement> seen;
    for (const AccessElement& element : found)
        if (seen.insert(element).second) candidates.push_back(element);
    for (const RetainedWindow* window : retained_.ofProcess(application.pid))
        if (seen.insert(window->element).second) candidates.push_back(window->element);

    if (readError != 0 && candidates.empty()) snapshot_.failedPIDs.insert(application.pid);

    if (diagnostic_) {
        snapshot_.diagnostics.push_back({
            {"application", application.bundle},
            {"pid", application.pid},
            {"windowReadError", readError},
            {"windowCount", listed ? static_cast<long long>(listed->size()) : -1LL},
            {"recoveredWindowCount", candidates.size()},
        });
    }
    return candidates;
}

// The stamps are taken before the reads: a change while a read is out moves them, so the next
// scan reads again.
std::vector<AccessResult> Capture::readWindows(const std::vector<ScanApplication>& applications) {
    std::vector<AccessResult> results(applications.size());
    std::vector<std::optional<std::uint64_t>> stamps(applications.size());
    std::vector<AccessElement> unread;
    std::vector<std::size_t> unreadAt;
    for (std::size_t i = 0; i < applications.size(); ++i) {
        const AccessElement appElement = AccessElement::application(applications[i].pid);
        stamps[i] = ax_.changeStamp(appElement);
        if (stamps[i] && previous_) {
            const auto known = previous_->applications.find(appElement.pid);
            if (known != previous_->applications.end() && known->second.stamp == *stamps[i]) {
                memo_.applications.emplace(appElement.pid, known->second);
                results[i] = known->second.windows;
                continue;
            }
        }
        unread.push_back(appElement);
        unreadAt.push_back(i);
    }
    if (unread.empty()) return results;
    static const std::vector<std::string> kWindowsAttribute{std::string(ax::kWindows)};
    auto read = ax_.copyAttributeValues(unread, kWindowsAttribute, kTimeout);
    for (std::size_t j = 0; j < unread.size(); ++j) {
        const std::size_t i = unreadAt[j];
        AccessResult& result = results[i] = std::move(read[j].front());
        // Only a list that named windows is kept: the fallbacks behind an empty one are asked anew.
        const auto listed = result.ok() ? result.value.elements() : std::nullopt;
        if (stamps[i] && listed && !listed->empty())
            memo_.applications.emplace(unread[j].pid, ScanMemo::Application{*stamps[i], result});
        else
            settled_ = false;
    }
    return results;
}

std::vector<std::shared_ptr<const std::vector<AccessResult>>> Capture::readCandidates(
    const std::vector<AccessElement>& candidates) {
    std::vector<std::shared_ptr<const std::vector<AccessResult>>> values(candidates.size());
    std::vector<std::optional<std::uint64_t>> stamps(candidates.size());
    std::vector<AccessElement> unread;
    std::vector<std::size_t> unreadAt;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        stamps[i] = ax_.changeStamp(candidates[i]);
        if (stamps[i] && previous_) {
            const auto known = previous_->windows.find(candidates[i]);
            if (known != previous_->windows.end() && known->second.stamp == *stamps[i]) {
                values[i] = known->second.values;
                memo_.windows.emplace(candidates[i], known->second);
                continue;
            }
        }
        unread.push_back(candidates[i]);
        unreadAt.push_back(i);
    }
    if (unread.empty()) return values;
    auto read = ax_.copyAttributeValues(unread, kCandidateAttributes, kTimeout);
    for (std::size_t j = 0; j < unread.size(); ++j) {
        const std::size_t i = unreadAt[j];
        const auto& answers = *(values[i] = std::make_shared<const std::vector<AccessResult>>(std::move(read[j])));
        // Answers that failed for want of time are asked again next time.
        const bool settled = std::none_of(answers.begin(), answers.end(), [](const AccessResult& r) {
            return r.error == platform::AccessError::cannotComplete || r.error == platform::AccessError::apiDisabled;
        });
        if (stamps[i] && settled && answers[kRole].ok())
            memo_.windows.emplace(candidates[i], ScanMemo::Window{*stamps[i], values[i]});
        else
            settled_ = false;
    }
    return values;
}

// Asked only when the window list gives nothing: the window children, the focused and main
// windows, and the windows under the centres of the application's window-server windows.
std::vector<AccessElement> Capture::fallbackCandidates(const AccessElement& appElement,
                                                   const std::vector<const WindowInfo*>& serverWindows) {
    std::vector<AccessElement> result;
    const AccessResult children = ax_.copyAttributeValue(appElement, ax::kChildren, kTimeout);
    if (const auto elements = children.ok() ? children.value.elements() : std::nullopt) {
        for (const AccessElement& child : *elements) {
            const AccessResult role = ax_.copyAttributeValue(child, ax::kRole, kTimeout);
            if (role.ok() && role.value.string() == ax::kWindowRole) result.push_back(child);
        }
    }
    for (const std::string_view attribute : {ax::kFocusedWindow, ax::kMainWindow}) {
        const AccessResult window = ax_.copyAttributeValue(appElement, attribute, kTimeout);
        if (const auto element = window.ok() ? window.value.element() : std::nullopt) result.push_back(*element);
    }
    for (const WindowInfo* entry : serverWindows) {
        if (!entry->bounds) continue;
        const Point centre{entry->bounds->midX(), entry->bounds->midY()};
        const AccessResult hit = ax_.elementAtPosition(appElement, centre, kTimeout);
        const auto element = hit.ok() ? hit.value.element() : std::nullopt;
        if (!element) continue;
        if (const auto window = ancestorWindow(ax_, *element)) result.push_back(*window);
    }
    return result;
}

void Capture::examine(const ScanApplication& application, const AccessElement& element, const std::vector<AccessResult>& values,
                      const std::vector<const WindowInfo*>& serverWindows) {
    const std::int32_t pid = application.pid;
    const std::uint32_t number = ax_.windowNumberCallAvailable() ? ax_.windowNumber(element) : 0;
    const RetainedWindow* known = retained_.find(pid, element, number);
    const auto markFailedIfKnown = [&] {
        if (known) snapshot_.failedPIDs.insert(pid);
    };

    const AccessResult& role = values[kRole];
    if (!role.ok()) {
        if (role.error != platform::AccessError::invalidUIElement) markFailedIfKnown();
        return;
    }

    const auto boolean = [&](Attribute attribute) {
        return values[attribute].ok() && values[attribute].value.boolean().value_or(false);
    };
    const std::optional<std::string> subrole = values[kSubrole].ok() ? values[kSubrole].value.string() : std::nullopt;
    if (!known && subrole != ax::kStandardWindowSubrole && !boolean(kMinimized)) return;

    // A window already arranged stays while it is full screen: the layout waits for it.
    const bool fullScreen = boolean(kFullScreen);
    if (fullScreen && !known) return;

    const auto origin = values[kPosition].ok() ? values[kPosition].value.point() : std::nullopt;
    const auto size = values[kSize].ok() ? values[kSize].value.size() : std::nullopt;
    if (!origin || !size || size->width < kSmallestWindow.width || size->height < kSmallestWindow.height) {
        markFailedIfKnown();
        return;
    }
    const Rect frame(*origin, *size);

    if (!known) {
        const platform::AccessSettable position = ax_.isAttributeSettable(element, ax::kPosition, kTimeout);
        const platform::AccessSettable size =
            position.yes() ? ax_.isAttributeSettable(element, ax::kSize, kTimeout) : platform::AccessSettable{};
        // An answer that did not come is asked again by the next scan.
        if (position.error != platform::AccessError::success || size.error != platform::AccessError::success)
            settled_ = false;
        if (!position.yes() || !size.yes()) return;
    }

    // The closest of the application's window-server windows; the first wins a tie.
    const WindowInfo* match = nullptr;
    double matchScore = kNoScore;
    for (const WindowInfo* entry : serverWindows) {
        const double distance = score(*entry, frame);
        if (!match || distance < matchScore) {
            match = entry;
            matchScore = distance;
        }
    }

    const std::optional<bool> minimized = values[kMinimized].ok() ? values[kMinimized].value.boolean() : std::nullopt;
    const bool onScreen =
        number != 0 ? snapshot_.onScreenIDs.contains(number) : match && matchScore < kOnScreenDistance;
    if (!known && minimized != true && !onScreen) return;

    const std::uint32_t windowNumber = number != 0 ? number : match ? match->number : 0;
    std::string key = known ? known->id : windowKey(pid, windowNumber, element);
    if (!keys_.insert(key).second) return;

    const auto title = values[kTitle].ok() ? values[kTitle].value.string() : std::nullopt;
    const auto axes = values[kMaximized].ok() ? values[kMaximized].value.number() : std::nullopt;
    snapshot_.windows.push_back({std::move(key), pid, element, title && !title->empty() ? *title : application.name,
                                 frame, windowNumber, minimized, static_cast<int>(axes.value_or(0)), fullScreen});
}

}  // namespace

ScanSnapshot capture(platform::Accessibility& accessibility, platform::WindowList& windowList,
                     const std::vector<ScanApplication>& applications, const std::vector<RetainedWindow>& retained,
                     bool diagnostic, const ScanMemo* previous) {
    Capture capture(accessibility, retained, diagnostic, previous);
    capture.readWindowList(windowList);
    capture.scan(applications);
    capture.findUnmanaged(windowList);
    return capture.take();
}

}  // namespace arvelo::WindowScan
