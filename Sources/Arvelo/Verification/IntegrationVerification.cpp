// SPDX-License-Identifier: MIT
// IntegrationVerification.cpp: the stages of the verification run, each a step after the wait
// or refresh before it, and the keys each stage adds to the report.
#include "Arvelo/Verification/IntegrationVerification.h"

#include <algorithm>
#include <set>

#include "Arvelo/Chrome/MiniaturePress.h"
#include "Arvelo/Verification/FixtureReports.h"
#include "Arvelo/Verification/VerificationHost.h"
#include "Arvelo/Windows/WindowAccess.h"

namespace arvelo::fixture {

namespace {

namespace ax = platform::ax;

// Every kind of pointer motion the mouse monitor delivers: moves with no button held and the
// drags of each button.
constexpr std::uint64_t kMotionMask = platform::eventMask(platform::MouseEventType::mouseMoved) |
                                      platform::eventMask(platform::MouseEventType::leftMouseDragged) |
                                      platform::eventMask(platform::MouseEventType::rightMouseDragged) |
                                      platform::eventMask(platform::MouseEventType::otherMouseDragged);

std::set<std::string> keySet(const std::vector<std::string>& keys) { return {keys.begin(), keys.end()}; }

}  // namespace

void IntegrationVerification::run(const std::shared_ptr<VerificationHost>& coordinator,
                                  std::function<void(const Outcome&)> finished) {
    std::shared_ptr<IntegrationVerification> run(new IntegrationVerification(coordinator, std::move(finished)));
    run->begin();
}

IntegrationVerification::IntegrationVerification(const std::shared_ptr<VerificationHost>& coordinator,
                                                 std::function<void(const Outcome&)> finished)
    : coordinator_(coordinator), logger_(coordinator->services().logger("windows")), finished_(std::move(finished)) {}

void IntegrationVerification::after(double seconds,
                                    std::function<void(IntegrationVerification&, VerificationHost&)> step) {
    const auto coordinator = coordinator_.lock();
    if (!coordinator) return finish({});
    coordinator->services().dispatch->after(seconds, [self = shared_from_this(), step] {
        const auto c = self->coordinator_.lock();
        if (!c) return self->finish({});
        step(*self, *c);
    });
}

Point IntegrationVerification::pointer(VerificationHost& c) const { return c.pointerLocation(); }

std::vector<Tile> IntegrationVerification::allTiles(VerificationHost& c) const {
    std::vector<Tile> tiles;
    for (const auto& display : c.model().displays.get()) {
        const auto result = c.layout(display.id);
        tiles.insert(tiles.end(), result.tiles.begin(), result.tiles.end());
    }
    return tiles;
}

void IntegrationVerification::begin() {
    const auto coordinator = coordinator_.lock();
    if (!coordinator) return finish({});
    coordinator->scanFixtureOnly(true);
    coordinator->refreshNow([self = shared_from_this()] {
        const auto c = self->coordinator_.lock();
        if (!c) return self->finish({});
        if (!self->start(*c)) return;
        self->after(kArrangeWait, [](IntegrationVerification& run, VerificationHost& c) {
            c.refreshNow([self = run.shared_from_this()] {
                if (const auto c = self->coordinator_.lock()) self->arranged(*c);
            });
        });
    });
}

bool IntegrationVerification::start(VerificationHost& c) {
    report_ = startReport(c.model().trusted.get(), c.services().clock->now());
    output_ = verificationOutput(c.services().environment, c.stateDirectory());
    const auto& windows = c.model().windows.get();
    if (!c.model().trusted.get()) {
        blocked(c, kNeedsAccessibility);
        return false;
    }
    const bool fixtureOnly = std::all_of(windows.begin(), windows.end(),
                                         [](const auto& record) { return record->applicationID() == kFixtureApplicationID; });
    if (windows.size() != 3 || !fixtureOnly) {
        blocked(c, kOpenFixtureFirst);
        return false;
    }

    // Where every window is before anything moves.
    nlohmann::json originals = nlohmann::json::object();
    for (const auto& record : windows) {
        // A window the arranger already moved (its first arrangement may come before the run)
        // counts from the frame it had before.
        const Rect frame =
            record->originalFrame ? *record->originalFrame : c.currentFrame(*record).value_or(record->frame);
        originalFrames_[record->id] = frame;
        originals[record->id] = toString(frame);
        keys_.push_back(record->id);
    }
    report_["originalFrames"] = std::move(originals);

    if (c.services().mouseMonitor)
        motionMonitor_ = c.services().mouseMonitor->addGlobalMonitor(
            kMotionMask, [motion = motion_](const platform::MouseEvent&) { ++*motion; });
    arrangePointer_ = pointer(c);
    c.arrangeCurrentSnapshot(std::nullopt);
    return true;
}

void IntegrationVerification::arranged(VerificationHost& c) {
    report_["arranged"] = static_cast<std::int64_t>(c.model().windows->size());
    nlohmann::json layout = nlohmann::json::array();
    for (const auto& [id, state] : c.model().states.get())
        layout.push_back(static_cast<std::int64_t>(state.root.allWindows().size()));
    report_["layout"] = std::move(layout);
    nlohmann::json titles = nlohmann::json::array();
    for (const auto& record : c.model().windows.get()) titles.push_back(record->title);
    report_["detectedTitles"] = std::move(titles);
    const Point now = pointer(c);
    report_["cursorStableDuringArrange"] = now == arrangePointer_;
    report_["arrangePointerBefore"] = toString(arrangePointer_);
    report_["arrangePointerAfter"] = toString(now);
    report_["arrangePointerMotionEvents"] = static_cast<std::int64_t>(*motion_);

    bool noOverlap = true;
    for (const auto& display : c.model().displays.get()) noOverlap = noOverlap && !c.layout(display.id).hasOverlap();
    report_["noOverlappingPanes"] = noOverlap;
    const std::vector<Tile> tiles = allTiles(c);
    report_["noSingleWindowBars"] = std::all_of(
        tiles.begin(), tiles.end(), [](const Tile& tile) { return tile.windows.size() != 1 || tile.tabHeight() == 0; });
    report_["miniatureCount"] =
        static_cast<std::int64_t>(std::count_if(tiles.begin(), tiles.end(), [](const Tile& t) { return t.miniature; }));
    bool separate = true;
    std::set<std::string> tiled;
    for (const Tile& tile : tiles) {
        separate = separate && tile.windows.size() <= 1;
        tiled.insert(tile.windows.begin(), tile.windows.end());
    }
    report_["arrangeKeepsSeparateTiles"] = separate && tiled == keySet(keys_);

    // The focus target: the first miniature's window, else the first fixture window.
    const auto miniature = std::find_if(tiles.begin(), tiles.end(), [](const Tile& t) { return t.miniature; });
    target_ = miniature != tiles.end() ? miniature->selected : keys_.front();
    pressMiniature(c);
}

void IntegrationVerification::pressMiniature(VerificationHost& c) {
    focusPointer_ = pointer(c);
    std::optional<MiniatureContent> view;
    if (const auto record = c.record(target_)) {
        for (const auto& panel : c.chromePanels())
            if (panel->kind == ChromePanelKind::miniature && panel->miniature &&
                panel->miniature->title == record->title) {
                view = panel->miniature;
                break;
            }
    }
    report_["miniatureUIActionPresent"] = view.has_value();
    if (view)
        report_["miniatureUIActionInvoked"] = accessibilityPress(*view);
    else
        c.focus(target_);
    after(kFocusWait, [](IntegrationVerification& run, VerificationHost& c) { run.focused(c); });
}

void IntegrationVerification::focused(VerificationHost& c) {
    const Point now = pointer(c);
    report_["focusCursorStable"] = now == focusPointer_;
    report_["focusPointerBefore"] = toString(focusPointer_);
    report_["focusPointerAfter"] = toString(now);
    const auto record = c.record(target_);
    if (!record) {
        report_["focusedNativeWindow"] = false;
    } else {
        const WindowRecord& window = *record;
        const auto frame = c.currentFrame(window);
        report_["focusedFrame"] = frame ? toString(*frame) : "unavailable";
        report_["focusedNativeWindow"] = c.services().accessibility->isProcessTrusted() && !c.minimizedNow(window);
        report_["focusLastFrameWrite"] = window.lastFrameWrite;
        report_["focusActivationTrace"] = window.lastActivationTrace;
        const std::vector<Tile> tiles = allTiles(c);
        const auto pane =
            std::find_if(tiles.begin(), tiles.end(), [&](const Tile& t) { return t.selected == target_; });
        if (pane != tiles.end() && frame)
            report_["focusedNativeFrameMatchesPane"] = closeTo(*frame, pane->windowFrame(), kFrameTolerance);
    }
    c.zoomOut();

    // Back to the whole layout.
    c.unfocusAll();
    dropsAndRestore(c);
}

void IntegrationVerification::dropsAndRestore(VerificationHost& c) {
    bool pointerStable = true;
    if (keys_.size() >= 2 && !c.model().states->empty()) {
        const std::string displayID = c.model().states->begin()->first;
        const std::string& key0 = keys_[0];
        const std::string& key1 = keys_[1];
        const auto tiles = c.layout(displayID).tiles;
        const auto target = std::find_if(tiles.begin(), tiles.end(), [&](const Tile& t) {
            return std::find(t.windows.begin(), t.windows.end(), key1) != t.windows.end();
        });
        if (target != tiles.end()) {
            // Into the middle of key 1's pane: the two become tabs.
            const Point p1 = pointer(c);
            c.dropWindow(key0, {target->frame.midX(), target->frame.midY()}, false);
            pointerStable = pointer(c) == p1;
            const auto state = c.model().states->find(displayID);
            const auto leaf = state != c.model().states->end() ? state->second.root.leaf(key0) : std::nullopt;
            report_["centerDropCreatesTabs"] =
                leaf && std::find(leaf->windows.begin(), leaf->windows.end(), key1) != leaf->windows.end();

            c.selectTab(key1, displayID);
            const auto shown = c.record(key1);
            report_["tabSwitchNativeWindow"] = shown && !c.minimizedNow(*shown);

            // Torn off to the display's left edge: alone in the layout's first pane.
            const auto& displays = c.model().displays.get();
            const auto display =
                std::find_if(displays.begin(), displays.end(), [&](const DisplayInfo& d) { return d.id == displayID; });
            if (display != displays.end()) {
                const Point p2 = pointer(c);
                c.dropWindow(key0, {display->frame.minX() + 3, display->frame.midY()}, false);
                if (pointerStable) pointerStable = pointer(c) == p2;
                const auto after = c.model().states->find(displayID);
                report_["tabTearOffCreatesSplit"] =
                    after != c.model().states->end() && !after->second.root.children.empty() &&
                    after->second.root.children.front().windows == std::vector<std::string>{key0};
                std::set<std::string> all;
                for (const auto& [id, state] : c.model().states.get())
                    for (const auto& key : state.root.allWindows()) all.insert(key);
                report_["dropKeepsAllWindows"] = all == keySet(keys_);
            }
        }
    }

    report_["dropPipelineScope"] = kDropPipelineScope;
    report_["pointerStableAcrossDrops"] = pointerStable;
    report_["pointerMotionEventsDuringTest"] = static_cast<std::int64_t>(*motion_);
    std::int64_t managed = 0;
    for (const auto& [id, state] : c.model().states.get())
        managed += static_cast<std::int64_t>(state.root.allWindows().size());
    report_["managedBeforeRestore"] = managed;
    c.restore();
    after(kRestoreWait, [](IntegrationVerification& run, VerificationHost& c) { run.restored(c); });
}

void IntegrationVerification::restored(VerificationHost& c) {
    nlohmann::json frames = nlohmann::json::object();
    for (const auto& record : c.model().windows.get())
        if (const auto frame = c.currentFrame(*record)) frames[record->id] = toString(*frame);
    report_["restoredFrames"] = std::move(frames);
    bool back = true;
    for (const auto& [key, original] : originalFrames_) {
        const auto record = c.record(key);
        const auto frame = record ? c.currentFrame(*record) : std::nullopt;
        back = back && frame && closeTo(*frame, original, kFrameTolerance);
    }
    report_["originalFramesRestored"] = back;

    Outcome outcome;
    outcome.verdict = verdict(report_);
    report_["status"] = outcome.verdict;
    outcome.file = output_;
    outcome.written = writeVerification(report_, output_);
    if (!outcome.written) logger_.error("Could not write the verification report " + output_.string());
    c.setStatus(finalStatus(outcome.verdict, back, outcome.written, output_));
    c.scanFixtureOnly(c.services().environment.hasArgument(kFixtureOnlyFlag));
    c.refresh();
    motionMonitor_.reset();
    outcome.report = report_;
    finish(std::move(outcome));
}

void IntegrationVerification::blocked(VerificationHost& c, const std::string& reason) {
    report_["status"] = "blocked";
    report_["reason"] = reason;
    Outcome outcome;
    outcome.blocked = true;
    outcome.file = output_;
    outcome.written = writeVerification(report_, output_);
    if (!outcome.written) logger_.error("Could not write the verification report " + output_.string());
    c.setStatus(reason);
    outcome.report = report_;
    finish(std::move(outcome));
}

void IntegrationVerification::finish(Outcome outcome) {
    if (!finished_) return;
    auto finished = std::move(finished_);
    finished_ = nullptr;
    finished(outcome);
}

}  // namespace arvelo::fixture
