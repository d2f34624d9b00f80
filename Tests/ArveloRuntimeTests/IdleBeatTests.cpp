// SPDX-License-Identifier: MIT
// IdleBeatTests.cpp: what the beat costs while nothing happens, and how soon it follows what
// does: a quiet beat reads nothing of windows whose facts no notification changed and leaves
// the diagnostics file alone, the file is written at most once per beat, and a window that
// appears is docked at once while the drift and retry rules still count beats.
#include "TickScene.h"

#include <filesystem>
#include <functional>
#include <utility>
#include <vector>

using namespace arvelo;
using arvelo::testing::TickScene;
using platform::sim::WindowHandle;

namespace {

class IdleBeat : public TickScene {
protected:
    platform::sim::AppHandle editor() { return desktop.launch("org.example.Editor", "Editor"); }

    std::filesystem::file_time_type diagnosticsWritten() const {
        return std::filesystem::last_write_time(stateDirectory() / StateFiles::kDiagnostics);
    }
    nlohmann::json diagnostics() const { return nlohmann::json::parse(readState(StateFiles::kDiagnostics)); }
    // Two windows of one application, arranged, with the arrangement's checks run out.
    std::pair<WindowHandle, WindowHandle> arrangedPair() {
        desktop.addDisplay("Built-in", {1440, 900});
        auto app = editor();
        auto a = app.openWindow("a", {40, 40, 500, 350});
        auto b = app.openWindow("b", {100, 100, 500, 350});
        start();
        wait(3.0);
        return {a, b};
    }
    std::string firstTileFrame() const { return diagnostics()["layouts"][0]["tiles"][0]["frame"]; }
};

// A window list whose change stamp the test sets, counting its reads; the news of windows
// shown and closed comes from the simulated one.
class StampedWindowList : public platform::WindowList {
public:
    explicit StampedWindowList(std::shared_ptr<platform::WindowList> inner) : inner_(std::move(inner)) {
        appeared_ = inner_->windowDidAppear.connect([this] { windowDidAppear.notify(); });
        closed_ = inner_->windowDidClose.connect([this](std::uint32_t number) { windowDidClose.notify(number); });
    }
    std::vector<platform::WindowInfo> windows(const platform::WindowListOptions& options) override {
        ++reads;
        return inner_->windows(options);
    }
    std::optional<std::uint64_t> changeStamp() override { return stamp; }

    std::uint64_t stamp = 1;
    int reads = 0;

private:
    std::shared_ptr<platform::WindowList> inner_;
    platform::Subscription appeared_;
    platform::Subscription closed_;
};

// Where the platform's change stamp stands, a beat takes the last scan again without reading;
// once it moves, the next beat scans and takes what changed. A scan with a read that did not
// answer is never taken again.
TEST_F(IdleBeat, WhileTheChangeStampStandsTheBeatTakesTheLastScanAgain) {
    desktop.addDisplay("Built-in", {1440, 900});
    auto app = editor();
    auto a = app.openWindow("a", {40, 40, 500, 350});
    app.openWindow("b", {100, 100, 500, 350});
    auto services = desktop.services();
    const auto list = std::make_shared<StampedWindowList>(services.windowList);
    services.windowList = list;
    coordinator = Coordinator::make(services, false, true, stateDirectory());
    settle();
    wait(3.0);
    ASSERT_EQ(coordinator->windows->size(), 2u);

    list->reads = 0;
    wait(4 * Coordinator::kBeatInterval);
    EXPECT_EQ(list->reads, 0);

    a.setTitle("renamed");
    ++list->stamp;
    wait(Coordinator::kBeatInterval);
    EXPECT_GT(list->reads, 0);
    EXPECT_EQ(recordOf(a).title, "renamed");

    // An application that answers too late: its windows are asked for at every beat.
    auto slow = desktop.launch("org.example.Slow", "Slow");
    slow.openWindow("s", {200, 200, 500, 350});
    slow.respondsAfter(1.0);
    ++list->stamp;
    wait(2 * Coordinator::kBeatInterval);
    list->reads = 0;
    wait(3 * Coordinator::kBeatInterval);
    EXPECT_GE(list->reads, 2);
}

TEST_F(IdleBeat, AQuietBeatReadsNothingOfAWindowNoChangeTouched) {
    auto [a, b] = arrangedPair();
    // Every request the simulation logged about a window (or its parts) since the last look.
    const auto requestsAbout = [&](const WindowHandle& window) {
        std::size_t count = 0;
        for (const auto& call : desktop.calls().all())
            if (call.element.kind != platform::AccessElementKind::application && call.element.window == window.number())
                ++count;
        return count;
    };

    desktop.calls().clear();
    wait(4 * Coordinator::kBeatInterval);
    EXPECT_EQ(requestsAbout(a), 0u);
    EXPECT_EQ(requestsAbout(b), 0u);

    // The user nudges one window by less than the drift tolerance: it is read again, the
    // other still is not.
    desktop.calls().clear();
    a.moveTo(a.frame().offsetBy(0, 3));
    wait(Coordinator::kBeatInterval);
    EXPECT_GT(requestsAbout(a), 0u);
    EXPECT_EQ(requestsAbout(b), 0u);
    EXPECT_EQ(recordOf(a).frame, a.frame());

    // A sheet opened on the other one is found by the next beat.
    desktop.calls().clear();
    b.openSheet("Save", {300, 300, 400, 200});
    wait(Coordinator::kBeatInterval);
    EXPECT_GT(requestsAbout(b), 0u);
}

TEST_F(IdleBeat, QuietBeatsLeaveTheDiagnosticsFileAloneUntilWhatItSaysChanges) {
    auto a = arrangedPair().first;
    const auto written = diagnosticsWritten();
    const std::string text = readState(StateFiles::kDiagnostics);

    wait(5.0);  // seven beats, each a second or so later by the clock
    EXPECT_EQ(diagnosticsWritten(), written);
    EXPECT_EQ(readState(StateFiles::kDiagnostics), text);

    a.minimize();
    wait(Coordinator::kBeatInterval);
    EXPECT_NE(readState(StateFiles::kDiagnostics), text);
}

// The beat builds the file only when something it is built from changed; each kind of change,
// including fields changed in place that nothing announces, still reaches the file by the next
// beat, and a file taken away is written again.
TEST_F(IdleBeat, EveryChangeOfWhatTheDiagnosticsFileSaysReachesItByTheNextBeat) {
    auto a = arrangedPair().first;

    struct Case {
        const char* name;
        std::function<void()> change;
        std::function<bool(const nlohmann::json&)> shows;
    };
    const auto windowEntry = [&](const nlohmann::json& file) {
        for (const auto& window : file["nativeWindows"])
            if (window["id"] == keyOf(a)) return window;
        return nlohmann::json();
    };
    const std::vector<Case> cases = {
        {"title", [&] { a.setTitle("renamed"); }, [&](const auto& file) { return windowEntry(file)["title"] == "renamed"; }},
        {"minimum in place", [&] { recordOf(a).minimum = {611, 222}; },
         [&](const auto& file) { return windowEntry(file)["minimum"] == "{611, 222}"; }},
        {"last frame write in place", [&] { recordOf(a).lastFrameWrite["stage"] = "probe"; },
         [&](const auto& file) { return windowEntry(file)["lastFrameWrite"]["stage"] == "probe"; }},
        {"last drop", [&] { coordinator->lastDrop["edge"] = "left"; },
         [](const auto& file) { return file["lastDrop"]["edge"] == "left"; }},
        {"drag trace", [&] { coordinator->dragTrace.push_back("armed"); },
         [](const auto& file) { return file["dragTrace"].back() == "armed"; }},
        {"pinned", [&] { coordinator->pinned.insert(keyOf(a)); },
         [&](const auto& file) { return file["pinned"] == nlohmann::json::array({keyOf(a)}); }},
        {"file taken away",
         [&] { std::filesystem::remove(stateDirectory() / StateFiles::kDiagnostics); },
         [](const auto& file) { return file.is_object(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        wait(2 * Coordinator::kBeatInterval);
        c.change();
        wait(Coordinator::kBeatInterval + 0.05);
        ASSERT_TRUE(std::filesystem::exists(stateDirectory() / StateFiles::kDiagnostics));
        EXPECT_TRUE(c.shows(diagnostics()));
    }
}

TEST_F(IdleBeat, TheDiagnosticsFileIsWrittenAtMostOncePerBeat) {
    desktop.addDisplay("Built-in", {1440, 900});
    auto app = editor();
    app.openWindow("a", {40, 40, 500, 350});
    start();
    wait(3.0);

    // Three arrangements in one moment: the first is written at once, the last one a beat
    // later, the one between never.
    coordinator->gap = 20.0;
    coordinator->apply();
    EXPECT_EQ(firstTileFrame(), "{{20, 20}, {1400, 860}}");
    coordinator->gap = 30.0;
    coordinator->apply();
    coordinator->gap = 40.0;
    coordinator->apply();
    EXPECT_EQ(firstTileFrame(), "{{20, 20}, {1400, 860}}");
    wait(0.6);
    EXPECT_EQ(firstTileFrame(), "{{20, 20}, {1400, 860}}");
    wait(0.15);
    EXPECT_EQ(firstTileFrame(), "{{40, 40}, {1360, 820}}");
}

TEST_F(IdleBeat, AWindowThatAppearsIsDockedAtOnce) {
    desktop.addDisplay("Built-in", {1440, 900});
    auto app = editor();
    auto a = app.openWindow("a", {40, 40, 500, 350});
    start();
    wait(1.0);  // between the beats at 0.7 and 1.4 s

    auto b = app.openWindow("b", {100, 100, 500, 350});
    settle();  // no time passes
    EXPECT_EQ(tree().allWindows(), keys({a, b}));
    EXPECT_EQ(a.frame(), Rect(8, 8, 708, 884));
    EXPECT_EQ(b.frame(), Rect(724, 8, 708, 884));
}

TEST_F(IdleBeat, WindowsShownTogetherAreDockedByOnePassAndOneMoreAtMost) {
    desktop.addDisplay("Built-in", {1440, 900});
    auto app = editor();
    auto a = app.openWindow("a", {40, 40, 500, 350});
    start();
    wait(1.0);

    desktop.calls().clear();
    auto b = app.openWindow("b", {100, 100, 500, 350});
    auto c = app.openWindow("c", {140, 140, 500, 350});
    auto d = app.openWindow("d", {180, 180, 500, 350});
    settle();
    EXPECT_EQ(tree().allWindows().size(), 4u);
    std::size_t scans = 0;
    for (const auto& call : desktop.calls().of(platform::sim::Request::copy, platform::ax::kWindows))
        if (call.element == app.element()) ++scans;
    // The news of c and d came while the first pass was scanning: one more pass, whose scan
    // may answer the list from what the first one read.
    EXPECT_GE(scans, 1u);
    EXPECT_LE(scans, 2u);
}

TEST_F(IdleBeat, AShownWindowCorrectsNothingTheBeatWouldRetryOrPutBack) {
    desktop.addDisplay("Built-in", {1440, 900});
    auto app = editor();
    auto a = app.openWindow("a", {40, 40, 500, 350});
    // Wherever it is put, it jumps back to 10 points right of its tile at once.
    a.snapsBack(0, Rect(18, 8, 1424, 884));
    start();
    const int revision = coordinator->layoutRevision;
    wait(2.0);  // the quiet time after the arrangement is over, the next beat is at 2.1 s
    ASSERT_EQ(coordinator->layoutRevision, revision);

    // A dialog is shown: its pass docks nothing (a dialog is no arrival) and leaves the
    // misplaced window to the beat.
    platform::sim::WindowSpec dialog;
    dialog.title = "Find";
    dialog.frame = {300, 300, 400, 200};
    dialog.subrole = std::string(platform::ax::kDialogSubrole);
    app.openWindow(dialog);
    settle();
    EXPECT_EQ(coordinator->layoutRevision, revision);
    EXPECT_EQ(recordOf(a).misplacedRetries, 0);

    wait(0.1);  // the beat at 2.1 s
    EXPECT_EQ(coordinator->layoutRevision - revision, 1);
    EXPECT_EQ(recordOf(a).misplacedRetries, 1);
}

}  // namespace
