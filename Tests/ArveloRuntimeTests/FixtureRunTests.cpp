// SPDX-License-Identifier: MIT
// FixtureRunTests.cpp: the fixture runs on the simulated desktop, whole runs in virtual time:
// the integration verification's verdict and report (passing on the demo desktop, failing
// without a miniature or after a pointer motion, the motions counted, the early failures, a
// window closed mid-run, report folders that must be made or cannot be written),
// the dock scenario's records and screenshots (an output folder that does not exist yet, a
// capture that never answers, the start check that ends the run), and the report forms.
#include "TickScene.h"

#include "Arvelo/Chrome/ChromeController.h"
#include "Arvelo/Chrome/MiniaturePress.h"
#include "Arvelo/Verification/DockScenario.h"
#include "Arvelo/Verification/FixtureReports.h"
#include "Arvelo/Verification/IntegrationVerification.h"
#include "Platform/Sim/SimScreenCapture.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

#include <unistd.h>

using namespace arvelo;
using arvelo::fixture::DockScenario;
using arvelo::fixture::IntegrationVerification;
using platform::sim::WindowHandle;

namespace {

nlohmann::json readJSON(const std::filesystem::path& file) {
    std::ifstream in(file);
    return nlohmann::json::parse(in, nullptr, false);
}

class FixtureRuns : public arvelo::testing::TickScene {
public:
    void SetUp() override { desktop.addDisplay("Built-in", {1440, 900}); }

    // The fixture application's three windows, cascaded; the second and third cannot share the
    // screen at their minimum sizes, so one of them is shown as a miniature.
    void openFixture(int count = 3) {
        auto app = desktop.launch(std::string(kFixtureApplicationID), "ArveloFixture");
        for (int i = 0; i < count; ++i) {
            const Size size = i == 0 ? Size{640, 480} : Size{1000, 700};
            auto window = app.openWindow("ArveloFixture " + std::to_string(i + 1),
                                         {60.0 * (i + 1), 50.0 * (i + 1), size.width, size.height});
            if (i > 0) window.minimumSize(size);
            fixture.push_back(window);
        }
        originals = framesOf(fixture);
    }

    // Starts the coordinator in fixture mode, as the shell does for the fixture flags.
    void startFixtureMode() { coordinator = Coordinator::make(desktop.services(), true, true, stateDirectory()); }

    IntegrationVerification::Outcome verify(double within = 30) {
        std::optional<IntegrationVerification::Outcome> outcome;
        IntegrationVerification::run(coordinator, [&](const IntegrationVerification::Outcome& o) { outcome = o; });
        for (double t = 0; t < within && !outcome; t += 0.5) wait(0.5);
        EXPECT_TRUE(outcome) << "the run did not end";
        return outcome.value_or(IntegrationVerification::Outcome{});
    }

    // A PNG writer that leaves a small file (the pictures' pixels are checked elsewhere).
    fixture::PngWriter fakePng() {
        return [this](const platform::CapturedImage& image, const std::filesystem::path& file) {
            ++pictures;
            lastPicture = image;
            std::ofstream out(file, std::ios::binary);
            out << "PNG";
            return static_cast<bool>(out);
        };
    }

    std::optional<bool> scenario(double within = 60) {
        std::optional<bool> completed;
        DockScenario::run(coordinator, fakePng(), [&](bool c) { completed = c; });
        for (double t = 0; t < within && !completed; t += 0.5) wait(0.5);
        return completed;
    }

    std::vector<WindowHandle> fixture;
    std::vector<Rect> originals;
    int pictures = 0;
    platform::CapturedImage lastPicture;
};

TEST_F(FixtureRuns, AWholeVerificationRunsInVirtualTimeReportsEveryStageAndPutsEveryWindowBack) {
    openFixture();
    startFixtureMode();
    const double startedAt = desktop.clock().elapsed();
    const auto outcome = verify();
    // The fixed waits: 4.8 s after arranging, 3.5 s after the press, 1.5 s after restoring.
    EXPECT_GE(desktop.clock().elapsed() - startedAt, 4.8 + 3.5 + 1.5);
    EXPECT_TRUE(outcome.written);
    EXPECT_EQ(outcome.file, stateDirectory() / "verification.json");
    const auto report = readJSON(outcome.file);
    for (const char* key : {"accessibility",
                            "scope",
                            "timestamp",
                            "originalFrames",
                            "arranged",
                            "layout",
                            "detectedTitles",
                            "cursorStableDuringArrange",
                            "arrangePointerBefore",
                            "arrangePointerAfter",
                            "arrangePointerMotionEvents",
                            "noOverlappingPanes",
                            "noSingleWindowBars",
                            "miniatureCount",
                            "arrangeKeepsSeparateTiles",
                            "miniatureUIActionPresent",
                            "focusCursorStable",
                            "focusPointerBefore",
                            "focusPointerAfter",
                            "focusedFrame",
                            "focusedNativeWindow",
                            "focusLastFrameWrite",
                            "focusActivationTrace",
                            "focusedNativeFrameMatchesPane",
                            "centerDropCreatesTabs",
                            "tabSwitchNativeWindow",
                            "tabTearOffCreatesSplit",
                            "dropKeepsAllWindows",
                            "dropPipelineScope",
                            "pointerStableAcrossDrops",
                            "pointerMotionEventsDuringTest",
                            "managedBeforeRestore",
                            "restoredFrames",
                            "originalFramesRestored",
                            "status"})
        EXPECT_TRUE(report.contains(key)) << key;
    EXPECT_EQ(report["status"], fixture::verdict(report));
    EXPECT_EQ(report["scope"], "org.vomira.ArveloFixture");
    EXPECT_EQ(report["timestamp"], "2023-11-14T22:13:20Z");
    EXPECT_EQ(report["arranged"], 3);
    EXPECT_EQ(report["centerDropCreatesTabs"], true);
    EXPECT_EQ(report["dropKeepsAllWindows"], true);
    EXPECT_EQ(report["focusedNativeFrameMatchesPane"], true);
    EXPECT_EQ(report["originalFramesRestored"], true);
    // Overflow tabbing tucks the window that fits nowhere behind another one: no miniature is
    // left to press, one pane holds two windows, and the verdict says so.
    EXPECT_EQ(report["miniatureCount"], 0);
    EXPECT_EQ(report["arrangeKeepsSeparateTiles"], false);
    EXPECT_EQ(report["miniatureUIActionPresent"], false);
    EXPECT_FALSE(report.contains("miniatureUIActionInvoked"));
    EXPECT_EQ(outcome.verdict, "failed");
    EXPECT_EQ(coordinator->status.get(), "Fixture verification failed. Original positions restored.");
    EXPECT_FALSE(coordinator->access->includeFixture);  // no --fixture-only: every application again
    wait(2);
    EXPECT_EQ(framesOf(fixture), originals);
}

TEST_F(FixtureRuns, APointerMovedWhileArrangingFailsTheVerdict) {
    openFixture();
    startFixtureMode();
    std::optional<IntegrationVerification::Outcome> outcome;
    IntegrationVerification::run(coordinator, [&](const auto& o) { outcome = o; });
    wait(1);
    desktop.movePointer({500, 400});
    wait(20);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->report["cursorStableDuringArrange"], false);
    EXPECT_EQ(outcome->verdict, "failed");
    EXPECT_EQ(readJSON(outcome->file)["status"], "failed");
    EXPECT_EQ(coordinator->status.get(), "Fixture verification failed. Original positions restored.");
}

TEST_F(FixtureRuns, WithoutThreeFixtureWindowsOrTrustTheRunWritesTheEarlyFailureReport) {
    struct Case {
        const char* name;
        int windows;
        bool trusted;
        const char* reason;
    };
    for (const Case& c : {Case{"two windows", 2, true, fixture::kOpenFixtureFirst},
                          Case{"no fixture", 0, true, fixture::kOpenFixtureFirst},
                          Case{"untrusted", 3, false, fixture::kNeedsAccessibility}}) {
        SCOPED_TRACE(c.name);
        platform::sim::Desktop fresh;
        fresh.clock().setRunsBackgroundAutomatically(true);
        fresh.addDisplay("Built-in", {1440, 900});
        auto app = fresh.launch(std::string(kFixtureApplicationID), "ArveloFixture");
        for (int i = 0; i < c.windows; ++i)
            app.openWindow("ArveloFixture " + std::to_string(i + 1), {60.0 * (i + 1), 50.0 * (i + 1), 640, 480});
        fresh.setTrusted(c.trusted);
        auto arranger = Coordinator::make(fresh.services(), true, true, fresh.temporaryFolder() / "state");
        std::optional<IntegrationVerification::Outcome> outcome;
        IntegrationVerification::run(arranger, [&](const auto& o) { outcome = o; });
        fresh.advance(1);
        ASSERT_TRUE(outcome);
        EXPECT_TRUE(outcome->blocked);
        const auto report = readJSON(fresh.temporaryFolder() / "state" / "verification.json");
        EXPECT_EQ(report.size(), 5u) << report.dump();
        EXPECT_EQ(report["status"], "blocked");
        EXPECT_EQ(report["reason"], c.reason);
        EXPECT_EQ(report["accessibility"], c.trusted);
        EXPECT_EQ(arranger->status.get(), c.reason);
    }
}

TEST_F(FixtureRuns, AReportFolderThatDoesNotExistIsMadeAndOneThatCannotBeWrittenIsAFailure) {
    openFixture();
    const auto nested = desktop.temporaryFolder() / "out" / "deeper" / "report.json";
    desktop.environment().variables[fixture::kVerifyOutputVariable] = nested.string();
    startFixtureMode();
    auto outcome = verify();
    EXPECT_TRUE(outcome.written);
    EXPECT_EQ(readJSON(nested)["status"], outcome.verdict);

    // A regular file where the folder should be.
    const auto blocker = desktop.temporaryFolder() / "blocker";
    std::ofstream(blocker) << "x";
    desktop.environment().variables[fixture::kVerifyOutputVariable] = (blocker / "report.json").string();
    coordinator.reset();
    wait(2);
    startFixtureMode();
    outcome = verify();
    EXPECT_FALSE(outcome.written);
    EXPECT_EQ(coordinator->status.get(), "Fixture verification failed: its report could not be written to " +
                                             (blocker / "report.json").string() + ".");
    wait(2);
    EXPECT_EQ(framesOf(fixture), originals);
}

TEST_F(FixtureRuns, AWindowClosedMidRunIsReportedAndTheOthersGoBack) {
    openFixture();
    startFixtureMode();
    std::optional<IntegrationVerification::Outcome> outcome;
    IntegrationVerification::run(coordinator, [&](const auto& o) { outcome = o; });
    wait(6);
    fixture[1].vanish();
    wait(20);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->report["originalFramesRestored"], false);
    EXPECT_EQ(outcome->verdict, "failed");
    EXPECT_EQ(coordinator->status.get(),
              "Fixture verification failed. Some windows are not back at their original positions.");
    wait(2);
    EXPECT_EQ(fixture[0].frame(), originals[0]);
    EXPECT_EQ(fixture[2].frame(), originals[2]);
}

TEST_F(FixtureRuns, OnASmallDisplayTheRunEndsAndEveryWindowGoesBack) {
    platform::sim::Desktop small;
    small.clock().setRunsBackgroundAutomatically(true);
    small.addDisplay("Small", {800, 600});
    auto app = small.launch(std::string(kFixtureApplicationID), "ArveloFixture");
    std::vector<WindowHandle> windows;
    for (int i = 0; i < 3; ++i)
        windows.push_back(app.openWindow("ArveloFixture " + std::to_string(i + 1),
                                         {40.0 * i, 30.0 * i, i == 2 ? 700.0 : 500.0, i == 2 ? 500.0 : 400.0}));
    windows[2].minimumSize({700, 500});
    const auto before = framesOf(windows);
    auto arranger = Coordinator::make(small.services(), true, true, small.temporaryFolder() / "state");
    std::optional<IntegrationVerification::Outcome> outcome;
    IntegrationVerification::run(arranger, [&](const auto& o) { outcome = o; });
    small.advance(20);
    ASSERT_TRUE(outcome);
    EXPECT_TRUE(outcome->written);
    small.advance(2);
    EXPECT_EQ(framesOf(windows), before);
}

// A desktop of its own: one display, the fixture's three windows at the given frames, and an
// arranger in fixture mode; `verify` runs the whole verification in virtual time, doing `during`
// one second in (the arrangement is made by then).
struct FixtureDesktop {
    FixtureDesktop(platform::sim::Display display, const std::vector<Rect>& frames) {
        desktop.clock().setRunsBackgroundAutomatically(true);
        desktop.addDisplay(std::move(display));
        auto app = desktop.launch(std::string(kFixtureApplicationID), "ArveloFixture");
        for (std::size_t i = 0; i < frames.size(); ++i)
            windows.push_back(app.openWindow("ArveloFixture " + std::to_string(i + 1), frames[i]));
        arranger = Coordinator::make(desktop.services(), true, true, desktop.temporaryFolder() / "state");
    }

    std::optional<IntegrationVerification::Outcome> verify(const std::function<void()>& during = {}) {
        std::optional<IntegrationVerification::Outcome> outcome;
        IntegrationVerification::run(arranger, [&](const auto& o) { outcome = o; });
        desktop.advance(1);
        if (during) during();
        desktop.advance(20);
        return outcome;
    }

    platform::sim::Desktop desktop;
    std::vector<WindowHandle> windows;
    std::shared_ptr<Coordinator> arranger;
};

// The demo desktop of scripts/run: a 448 x 216 screen less a 24-point tray along its bottom, and
// the fixture's windows cascaded on it as arvelo-fixture opens them (frames with decorations).
platform::sim::Display demoDisplay() {
    platform::sim::Display display;
    display.name = "Demo";
    display.frame = {0, 0, 448, 216};
    display.visibleFrame = {0, 0, 448, 192};
    return display;
}
const std::vector<Rect> kDemoWindows{{24, 16, 218, 115}, {120, 40, 218, 115}, {216, 64, 218, 115}};

TEST(FixtureRunOnTheDemoDesktop, PassesWithMiniaturesPressedAndEveryFrameBackExactly) {
    FixtureDesktop demo(demoDisplay(), kDemoWindows);
    const auto outcome = demo.verify();
    ASSERT_TRUE(outcome);
    const nlohmann::json& report = outcome->report;
    // Three windows in two columns: the two panes stacked in the first are too low for a window
    // and are drawn as miniatures; the first one's is pressed.
    EXPECT_EQ(report["miniatureCount"], 2);
    EXPECT_EQ(report["miniatureUIActionInvoked"], true);
    for (const char* key : fixture::kVerdictKeys) EXPECT_EQ(report[key], true) << key;
    EXPECT_EQ(outcome->verdict, "passed");
    EXPECT_EQ(readJSON(outcome->file)["status"], "passed");
    EXPECT_EQ(report["restoredFrames"], report["originalFrames"]);
    EXPECT_EQ(demo.arranger->status.get(), "Fixture verification passed. Original positions restored.");
    demo.desktop.advance(2);
    for (std::size_t i = 0; i < demo.windows.size(); ++i) EXPECT_EQ(demo.windows[i].frame(), kDemoWindows[i]);
}

TEST(FixtureRunMotion, EveryPointerMotionTheMouseMonitorDeliversIsCounted) {
    using platform::sim::Desktop;
    constexpr Point kStart{700, 450};
    constexpr Point kMoved{720, 460};
    struct Case {
        const char* name;
        std::function<void(Desktop&)> motion;
    };
    for (const Case& c : {
             Case{"a move", [](Desktop& d) { d.mouseMove(kMoved); }},
             Case{"a left-button drag",
                  [](Desktop& d) {
                      d.mouseDown(kStart);
                      d.mouseDrag(kMoved);
                      d.mouseUp();
                  }},
             Case{"a right-button drag",
                  [](Desktop& d) {
                      d.buttonDown(platform::kRightMouseButton);
                      d.mouseMove(kMoved);
                      d.buttonUp(platform::kRightMouseButton);
                  }},
             Case{"a middle-button drag",
                  [](Desktop& d) {
                      d.buttonDown(platform::kOtherMouseButton);
                      d.mouseMove(kMoved);
                      d.buttonUp(platform::kOtherMouseButton);
                  }},
         }) {
        SCOPED_TRACE(c.name);
        platform::sim::Display display;
        display.frame = {0, 0, 1440, 900};
        FixtureDesktop scene(display, {{60, 50, 640, 480}, {120, 100, 640, 480}, {180, 150, 640, 480}});
        scene.desktop.movePointer(kStart);
        const auto outcome = scene.verify([&] { c.motion(scene.desktop); });
        ASSERT_TRUE(outcome);
        EXPECT_EQ(outcome->report["pointerMotionEventsDuringTest"], 1);
        EXPECT_EQ(outcome->report["cursorStableDuringArrange"], false);
    }
}

TEST(FixtureVerdict, EveryKeyMustHoldTrueAndAMiniatureMustHaveBeenShown) {
    nlohmann::json passing{{"miniatureCount", 1}};
    for (const char* key : fixture::kVerdictKeys) passing[key] = true;
    EXPECT_EQ(fixture::verdict(passing), "passed");
    struct Case {
        const char* name;
        std::function<void(nlohmann::json&)> change;
    };
    for (const Case& c : {
             Case{"no miniature", [](auto& r) { r["miniatureCount"] = 0; }},
             Case{"count as text", [](auto& r) { r["miniatureCount"] = "1"; }},
             Case{"a key false", [](auto& r) { r["noSingleWindowBars"] = false; }},
             Case{"a key absent (drops skipped)", [](auto& r) { r.erase("centerDropCreatesTabs"); }},
             Case{"a key as text", [](auto& r) { r["originalFramesRestored"] = "true"; }},
         }) {
        nlohmann::json report = passing;
        c.change(report);
        EXPECT_EQ(fixture::verdict(report), "failed") << c.name;
    }
}

TEST(FixtureReportForms, FilesAreSortedAndIndentedAndTheStatusLineFollowsWhatHappened) {
    const nlohmann::json report{{"zeta", 1}, {"alpha", {{"b", 2}, {"a", 1}}}};
    EXPECT_EQ(fixture::reportText(report), "{\n  \"alpha\": {\n    \"a\": 1,\n    \"b\": 2\n  },\n  \"zeta\": 1\n}\n");
    EXPECT_EQ(fixture::finalStatus("passed", true, true, "/x"),
              "Fixture verification passed. Original positions restored.");
    EXPECT_EQ(fixture::finalStatus("failed", false, true, "/x"),
              "Fixture verification failed. Some windows are not back at their original positions.");
    EXPECT_EQ(fixture::finalStatus("passed", true, false, "/x/v.json"),
              "Fixture verification failed: its report could not be written to /x/v.json.");
    EXPECT_EQ(fixture::screenshotName(8, "zoomed-in"), "scenario-8-zoomed-in.png");
    EXPECT_EQ(fixture::isoTimestamp(0), "1970-01-01T00:00:00Z");
    // Overlap needs more than the margin in both directions.
    EXPECT_FALSE(fixture::anyOverlap({{0, 0, 100, 100}, {96, 0, 100, 100}}, 4));
    EXPECT_TRUE(fixture::anyOverlap({{0, 0, 100, 100}, {95, 95, 100, 100}}, 4));
    EXPECT_FALSE(fixture::anyOverlap({{0, 0, 100, 100}}, 4));
}

TEST(FixtureReportForms, AReportNeverWritesThroughALinkPlantedBesideIt) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("vomira-report-" + std::to_string(::getpid()) + "-" + std::to_string(std::rand()));
    std::filesystem::create_directories(folder);
    const auto victim = folder / "victim.txt";
    std::ofstream(victim) << "keep me";
    const auto report = folder / "verification.json";
    // Links at every name a writer might have picked in advance: the report's own name with a
    // process id, and the plain temporary names.
    for (const std::string& name : {"." + report.filename().string() + "." + std::to_string(::getpid()) + ".tmp",
                                    report.filename().string() + ".tmp", "." + report.filename().string() + ".tmp"})
        std::filesystem::create_symlink(victim, folder / name);

    EXPECT_TRUE(fixture::writeVerification({{"passed", true}}, report));
    EXPECT_EQ(readJSON(report), (nlohmann::json{{"passed", true}}));
    std::ifstream in(victim);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "keep me");
    EXPECT_FALSE(std::filesystem::is_symlink(report));
    std::filesystem::remove_all(folder);
}

TEST(MiniaturePress, ReportsWhetherTheTilesActionRan) {
    MiniatureContent content;
    std::vector<std::string> traced;
    content.inputTrace = [&](const std::string& phase, const std::optional<TraceEvent>&) { traced.push_back(phase); };
    EXPECT_FALSE(accessibilityPress(content));
    int clicks = 0;
    content.press.callback = [&] { ++clicks; };
    EXPECT_TRUE(accessibilityPress(content));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(traced, (std::vector<std::string>{"accessibilityPress", "accessibilityPress"}));
}

TEST_F(FixtureRuns, TheDockScenarioRecordsEveryStepWithAScreenshotIntoAFolderItMakes) {
    openFixture();
    const auto folder = desktop.temporaryFolder() / "not" / "yet";
    desktop.environment().variables[fixture::kScenarioDirVariable] = folder.string();
    startFixtureMode();
    const auto completed = scenario();
    ASSERT_TRUE(completed);
    EXPECT_TRUE(*completed);
    const auto report = readJSON(folder / "scenario.json");
    ASSERT_TRUE(report.is_array());
    std::vector<std::string> steps;
    for (const auto& record : report) steps.push_back(record["step"]);
    EXPECT_EQ(steps, (std::vector<std::string>{"start", "first-resized-150-narrower", "third-onto-first-right-edge",
                                               "first-to-screen-left-edge", "second-onto-desktop",
                                               "second-onto-first-middle-tabs", "window-over-tab-bar", "zoomed-in",
                                               "float-all"}));
    const auto& start = report[0];
    for (const char* key : {"display", "overlappingWindows", "panels", "step", "tiles", "tree", "windows"})
        EXPECT_TRUE(start.contains(key)) << key;
    EXPECT_TRUE(start["tree"].is_object());
    EXPECT_EQ(start["windows"].size(), 3u);
    EXPECT_TRUE(report[6].contains("otherAboveBar"));
    for (const char* name : {"scenario-1-start.png", "scenario-6-second-onto-first-middle-tabs.png",
                             "scenario-8-zoomed-in.png", "scenario-9-float-all.png"})
        EXPECT_TRUE(std::filesystem::exists(folder / name)) << name;
    EXPECT_EQ(pictures, 8);
    // The simulated screen's picture shows the windows on the background.
    ASSERT_FALSE(lastPicture.empty());
    EXPECT_EQ(lastPicture.width, 1440);
    EXPECT_NE(lastPicture.pixel(200, 300), platform::sim::SimScreenCapture::kBackground);
    EXPECT_EQ(coordinator->status.get(), Coordinator::kFreedStatus);
    wait(2);
    EXPECT_EQ(framesOf(fixture), originals);
}

TEST_F(FixtureRuns, TheFirstWindowIsNarrowedBy150PointsButNeverBelowOne) {
    openFixture();
    // A first window that refuses the arranger's writes keeps its 120 points.
    fixture[0].moveTo({60, 50, 120, 480}).refusesWrites(platform::AccessError::cannotComplete);
    startFixtureMode();
    std::optional<bool> completed;
    DockScenario::run(coordinator, fakePng(), [&](bool c) { completed = c; });
    const auto element = fixture[0].element();
    const auto narrowed = [&] {
        for (const auto& call : desktop.calls().of(platform::sim::Request::set, platform::ax::kSize))
            if (call.element == element && call.value.size() && call.value.size()->width < 10) return call.value.size();
        return std::optional<Size>();
    };
    for (int i = 0; i < 40 && !narrowed(); ++i) wait(0.5);

    ASSERT_TRUE(narrowed());
    EXPECT_EQ(narrowed()->width, 1);
}

TEST_F(FixtureRuns, AScreenshotThatNeverAnswersFailsItsSnapshotAndTheScenarioGoesOn) {
    desktop.clock().setRunsBackgroundAutomatically(false);
    openFixture();
    startFixtureMode();
    std::optional<bool> completed;
    DockScenario::run(coordinator, fakePng(), [&](bool c) { completed = c; });
    // Only the window scans run; the screenshot queue is stuck.
    for (int i = 0; i < 1200 && !completed; ++i) {
        desktop.clock().runBackground(Coordinator::kScanQueueLabel);
        wait(0.1);
    }
    ASSERT_TRUE(completed);
    EXPECT_TRUE(*completed);
    EXPECT_EQ(pictures, 0);
    EXPECT_EQ(readJSON(stateDirectory() / "scenario.json").size(), 9u);
}

TEST_F(FixtureRuns, TheDockScenarioWithoutThreeWindowsWritesItsErrorRecordAndReportsItDidNotRun) {
    openFixture(2);
    startFixtureMode();
    const auto completed = scenario();
    ASSERT_TRUE(completed);
    EXPECT_FALSE(*completed);
    const auto report = readJSON(stateDirectory() / "scenario.json");
    EXPECT_EQ(report, nlohmann::json::parse(
                          R"([{"error": "needs Accessibility and exactly three fixture windows", "windows": 2}])"));
    EXPECT_EQ(pictures, 0);
}

}  // namespace
