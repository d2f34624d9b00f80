// SPDX-License-Identifier: MIT
// CoordinatorRecoveryTests.cpp: the recovery file, restore(), recovery from a file left by a
// run that crashed, the last layout, and the diagnostics file, on the simulated desktop.
#include "CoordinatorScene.h"

#include <algorithm>

#include "Arvelo/Windows/WindowScan.h"

using namespace arvelo;
using arvelo::testing::CoordinatorScene;

namespace {

class CoordinatorRecovery : public CoordinatorScene {
protected:
    void SetUp() override {
        desktop.addDisplay("Built-in", {1440, 900});
        editor = desktop.launch("org.example.Editor", "Editor");
    }

    nlohmann::json readJSON(const std::string& name) { return nlohmann::json::parse(readState(name)); }

    platform::sim::AppHandle editor{nullptr, 0};
};

}  // namespace

TEST_F(CoordinatorRecovery, ArrangingWritesTheOriginalFramesBeforeAnythingMoves) {
    auto notes = editor.openWindow("notes", {100, 120, 640, 480});
    auto todo = editor.openWindow("todo", {50.5, 60, 500, 400});
    start();

    ASSERT_NE(notes.frame(), Rect(100, 120, 640, 480)) << "arranged";
    const std::string pid = std::to_string(editor.pid());
    EXPECT_EQ(readState("restore.json"),
              R"([{"identity":"org.example.Editor|notes","pid":)" + pid + R"(,"frame":[[100,120],[640,480]]},)" +
                  R"({"identity":"org.example.Editor|todo","pid":)" + pid + R"(,"frame":[[50.5,60],[500,400]]}])");
    EXPECT_FALSE(coordinator->recoveryAvailable.get()) << "writing the file in this run does not offer it";

    // The last layout: exactly four members, and it reads back as the current states.
    const auto last = readJSON("last-view.json");
    std::vector<std::string> names;
    const auto ordered = nlohmann::ordered_json::parse(readState("last-view.json"));
    for (const auto& [key, value] : ordered.items()) names.push_back(key);
    EXPECT_EQ(names, (std::vector<std::string>{"id", "name", "displays", "identities"}));
    const SavedView view = SavedView::fromJSON(last);
    EXPECT_EQ(view.id, 0);
    EXPECT_EQ(view.name, "Last layout");
    EXPECT_EQ(view.displays, coordinator->states.get());
    EXPECT_EQ(view.identities.size(), 2u);
    EXPECT_TRUE(coordinator->resumeAvailable.get());
    (void)todo;
}

TEST_F(CoordinatorRecovery, RestorePutsEveryWindowBackAndForgetsTheArrangement) {
    auto notes = editor.openWindow("notes", {100, 120, 640, 480});
    auto todo = editor.openWindow("todo", {50, 60, 500, 400});
    start();
    coordinator->floatedWindows.insert("x");
    coordinator->userPlaced.insert("y");
    coordinator->recordNavigation();

    coordinator->restore();
    desktop.advance(2);
    EXPECT_EQ(notes.frame(), Rect(100, 120, 640, 480));
    EXPECT_EQ(todo.frame(), Rect(50, 60, 500, 400));
    EXPECT_FALSE(coordinator->managing.get());
    EXPECT_TRUE(coordinator->states->empty());
    EXPECT_EQ(coordinator->floatedWindows,
              (std::set<std::string>{coordinator->windows->at(0)->id, coordinator->windows->at(1)->id}))
        << "the freed windows, and only they, are kept from being docked again";
    EXPECT_TRUE(coordinator->navigation().past().empty());
    EXPECT_EQ(coordinator->userPlaced, std::set<std::string>{"y"}) << "left as it was";
    EXPECT_FALSE(stateExists("restore.json"));
    EXPECT_EQ(coordinator->status.get(), "Original window positions restored.");
    EXPECT_TRUE(coordinator->scanInFlight) << "and it refreshes";
}

TEST_F(CoordinatorRecovery, ACrashedRunsRecoveryFileSurvivesTheFirstArrangement) {
    // A run that crashed left the windows tiled and its recovery file behind; one of its
    // entries names a window of an application that is not running now.
    auto notes = editor.openWindow("notes", {8, 8, 708, 884});
    auto todo = editor.openWindow("todo", {724, 8, 708, 884});
    const std::string pid = std::to_string(editor.pid());
    writeState("restore.json",
               R"([{"identity":"org.example.Editor|notes","pid":)" + pid + R"(,"frame":[[100,120],[640,480]]},)" +
                   R"({"identity":"org.example.Editor|todo","pid":)" + pid + R"(,"frame":[[50,60],[500,400]]},)" +
                   R"({"identity":"org.example.Mail|Inbox","pid":99999,"frame":[[10,10],[800,600]]}])");

    start();  // the first automatic arrangement
    ASSERT_TRUE(coordinator->managing.get());
    EXPECT_TRUE(coordinator->recoveryAvailable.get());

    const auto entries = *coordinator->files().readRestore();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].frame, Rect(100, 120, 640, 480)) << "originals come from the earlier file";
    EXPECT_EQ(entries[1].frame, Rect(50, 60, 500, 400));
    EXPECT_EQ(entries[2].identity, "org.example.Mail|Inbox") << "an unmatched entry is kept";

    // Later applies keep it so; restoring puts the windows where they were before the crash.
    coordinator->apply();
    EXPECT_EQ(coordinator->files().readRestore()->size(), 3u);
    coordinator->restore();
    desktop.advance(2);
    EXPECT_EQ(notes.frame(), Rect(100, 120, 640, 480));
    EXPECT_EQ(todo.frame(), Rect(50, 60, 500, 400));
}

TEST_F(CoordinatorRecovery, StoppingAnEmptyWorkspaceKeepsEarlierEntriesThatMatchedNoWindow) {
    auto notes = editor.openWindow("notes", {8, 8, 708, 884});
    writeState("restore.json", R"([{"identity":"org.example.Mail|Inbox","pid":99999,"frame":[[10,10],[800,600]]}])");
    start();
    coordinator->displays = std::vector<DisplayInfo>{};  // the display goes, and its arrangement with it
    coordinator->apply();                                // no state left: stops
    EXPECT_FALSE(coordinator->managing.get());
    ASSERT_TRUE(stateExists("restore.json"));
    EXPECT_EQ(coordinator->files().readRestore()->size(), 2u) << "the window is not yet confirmed back";
    EXPECT_TRUE(coordinator->recoveryAvailable.get());
    desktop.advance(2);
    EXPECT_EQ(notes.frame(), Rect(8, 8, 708, 884)) << "the window itself is back";
    ASSERT_EQ(coordinator->files().readRestore()->size(), 1u);
    EXPECT_EQ(coordinator->files().readRestore()->front().identity, "org.example.Mail|Inbox");
}

TEST_F(CoordinatorRecovery, RestoreKeepsEachEntryUntilItsWindowIsConfirmedBackOrGone) {
    auto notes = editor.openWindow("notes", {100, 120, 640, 480});
    auto stuck = editor.openWindow("stuck", {50, 60, 500, 400});
    auto closing = editor.openWindow("closing", {300, 200, 400, 300});
    start();
    ASSERT_EQ(coordinator->files().readRestore()->size(), 3u);
    const std::string pid = std::to_string(editor.pid());

    // Restoring starts: nothing is confirmed yet, so a crash now still finds every original.
    stuck.refusesWrites(platform::AccessError::cannotComplete);
    coordinator->restore();
    EXPECT_EQ(coordinator->files().readRestore()->size(), 3u);

    // One window closes before it is back: it is gone, and its entry with it.
    closing.vanish();
    desktop.advance(2);
    EXPECT_EQ(notes.frame(), Rect(100, 120, 640, 480));
    // The window that did not go back keeps its entry, for a later restore or a recovery.
    EXPECT_EQ(readState("restore.json"),
              R"([{"identity":"org.example.Editor|stuck","pid":)" + pid + R"(,"frame":[[50,60],[500,400]]}])");

    // Once it is back, the file goes.
    stuck.acceptsWrites();
    coordinator->restore();
    desktop.advance(2);
    EXPECT_EQ(stuck.frame(), Rect(50, 60, 500, 400));
    EXPECT_FALSE(stateExists("restore.json"));
}

TEST_F(CoordinatorRecovery, WindowsNewToTheArrangementAreSavedBeforeTheyMove) {
    auto notes = editor.openWindow("notes", {100, 120, 640, 480});
    start();
    ASSERT_TRUE(coordinator->managing.get());

    // A new window is docked; the file must hold its original before it is first written.
    auto late = editor.openWindow("late", {400, 300, 500, 400});
    std::optional<std::string> fileAtFirstWrite;
    const auto savedFrame = R"("identity":"org.example.Editor|late")";
    desktop.calls().onCall = [&](const platform::sim::Call& call) {
        if (call.request == platform::sim::Request::set && call.element.window == late.number() && !fileAtFirstWrite)
            fileAtFirstWrite = readState("restore.json");
    };
    for (int i = 0; i < 5; ++i) beat();
    desktop.calls().onCall = nullptr;
    ASSERT_NE(late.frame(), Rect(400, 300, 500, 400)) << "docked";
    ASSERT_TRUE(fileAtFirstWrite);
    EXPECT_NE(fileAtFirstWrite->find(savedFrame), std::string::npos) << *fileAtFirstWrite;
    (void)notes;
}

TEST_F(CoordinatorRecovery, ARecoveryFileThatCannotBeWrittenIsSaidBeforeWindowsAreTrustedToIt) {
    auto notes = editor.openWindow("notes", {100, 120, 640, 480});
    start();
    ASSERT_TRUE(coordinator->managing.get());
    EXPECT_NE(coordinator->status.get(), Coordinator::kRecoveryUnwrittenStatus);

    // The folder goes away under the running arranger; the next window docked cannot be saved.
    std::filesystem::remove_all(stateDirectory());
    std::ofstream(stateDirectory()) << "a file where the folder was";
    desktop.log().clear();
    editor.openWindow("late", {400, 300, 500, 400});
    for (int i = 0; i < 5; ++i) beat();
    EXPECT_EQ(coordinator->status.get(), Coordinator::kRecoveryUnwrittenStatus);
    EXPECT_TRUE(logMentions(Coordinator::kRecoveryUnwrittenStatus));
    (void)notes;
}

TEST_F(CoordinatorRecovery, ADryRunRestoreWritesToNoWindow) {
    auto notes = editor.openWindow("notes", {8, 8, 708, 884});
    start(false);
    const std::string pid = std::to_string(editor.pid());
    writeState("restore.json",
               R"([{"identity":"org.example.Editor|notes","pid":)" + pid + R"(,"frame":[[100,120],[640,480]]}])");
    coordinator->access->records.clear();
    coordinator->trusted = true;
    // A scan by hand: a dry run scans nothing itself.
    const auto& services = desktop.services();
    coordinator->windows = coordinator->access->merge(WindowScan::capture(
        *services.accessibility, *services.windowList, coordinator->access->applications(), {}, false));
    ASSERT_EQ(coordinator->windows->size(), 1u);
    desktop.calls().clear();

    coordinator->recover();
    coordinator->restore();
    desktop.advance(2);
    EXPECT_EQ(notes.frame(), Rect(8, 8, 708, 884));
    EXPECT_TRUE(desktop.calls().of(platform::sim::Request::set, "AXPosition").empty());
    EXPECT_TRUE(desktop.calls().of(platform::sim::Request::set, "AXSize").empty());
    EXPECT_TRUE(desktop.calls().of(platform::sim::Request::set, "AXMinimized").empty());
}

TEST_F(CoordinatorRecovery, TitlesThatAreNotUTF8OrHugeAreStoredBoundedAndStillRecovered) {
    // A title with bytes that are not UTF-8, and one of 4 MiB.
    auto odd = editor.openWindow("caf\xE9 \xFF menu", {100, 120, 640, 480});
    auto huge = editor.openWindow(std::string(4u << 20, 'x'), {50, 60, 500, 400});
    start();
    ASSERT_TRUE(coordinator->managing.get());
    const auto size = std::filesystem::file_size(stateDirectory() / "restore.json");
    EXPECT_LT(size, 4096u) << "each title bounded";
    ASSERT_TRUE(coordinator->files().readRestore());
    EXPECT_LT(std::filesystem::file_size(stateDirectory() / "last-view.json"), 8192u);

    // The run crashes; the next one recovers both windows from the file.
    const std::string file = readState("restore.json");
    coordinator.reset();
    desktop.advance(1);
    writeState("restore.json", file);
    coordinator = Coordinator::make(desktop.services(), false, true, stateDirectory());
    coordinator->autoTile = false;
    settle();
    coordinator->recover();
    settle();
    desktop.advance(2);
    EXPECT_EQ(odd.frame(), Rect(100, 120, 640, 480));
    EXPECT_EQ(huge.frame(), Rect(50, 60, 500, 400));
}

TEST_F(CoordinatorRecovery, ANewClientWhoseWindowGetsAClosedWindowsNumberGoesBackToItsOwnPlace) {
    // Clients without process ids: their stand-in ids and window numbers come back when the X
    // server hands a closed client's id range to a new one.
    std::vector<platform::sim::WindowHandle> opened;
    std::vector<Rect> origins;
    for (int i = 0; i < 4; ++i) {
        auto app = desktop.launch(platform::sim::App{.pid = 5000 + i, .applicationID = "XLogo", .name = "xlogo"});
        const Rect frame(40 + 60.0 * i, 50 + 40.0 * i, 400, 300);
        opened.push_back(app.openWindow(platform::sim::WindowSpec{
            .title = "xlogo", .frame = frame, .number = 900u + static_cast<std::uint32_t>(i)}));
        origins.push_back(frame);
    }
    start();
    ASSERT_TRUE(coordinator->managing.get());
    for (int i = 0; i < 4; ++i) beat();

    // Two close; two new clients get their ids and window numbers at once, before a beat.
    for (int i : {1, 3}) {
        desktop.world().quit(5000 + i);
        auto app = desktop.launch(platform::sim::App{.pid = 5000 + i, .applicationID = "XClock", .name = "xclock"});
        const Rect frame(700 + 30.0 * i, 400, 300, 300);
        opened[i] = app.openWindow(platform::sim::WindowSpec{
            .title = "xclock", .frame = frame, .number = 900u + static_cast<std::uint32_t>(i)});
        origins[i] = frame;
    }
    for (int i = 0; i < 8; ++i) beat();
    for (const auto& record : coordinator->windows.get())
        EXPECT_TRUE(record->originalFrame) << record->id << " arranged";
    const auto entries = *coordinator->files().readRestore();
    EXPECT_EQ(std::count_if(entries.begin(), entries.end(), [](const auto& e) { return e.identity == "XLogo|xlogo"; }),
              2);

    coordinator->restore();
    desktop.advance(2);
    for (std::size_t i = 0; i < opened.size(); ++i) EXPECT_EQ(opened[i].frame(), origins[i]) << "window " << i;
}

TEST_F(CoordinatorRecovery, RecoverPutsBackWindowsOfTheSameProcessOnly) {
    auto notes = editor.openWindow("notes", {8, 8, 708, 884});
    auto other = desktop.launch("org.example.Other", "Other");
    auto sheet = other.openWindow("sheet", {724, 8, 708, 884});
    coordinator = Coordinator::make(desktop.services(), false, true, stateDirectory());
    coordinator->autoTile = false;
    settle();

    const std::string pid = std::to_string(editor.pid());
    writeState("restore.json", R"([{"identity":"org.example.Editor|notes","pid":)" + pid +
                                   R"(,"frame":[[100,120],[640,480]]},)" +
                                   R"({"identity":"org.example.Other|sheet","pid":1,"frame":[[0,0],[400,300]]}])");
    coordinator->recover();
    settle();
    desktop.advance(2);
    EXPECT_EQ(notes.frame(), Rect(100, 120, 640, 480));
    EXPECT_EQ(sheet.frame(), Rect(724, 8, 708, 884)) << "relaunched application: other process id";
    EXPECT_EQ(coordinator->status.get(), "Restored matching windows from the previous session.");
    EXPECT_FALSE(stateExists("restore.json"));
    EXPECT_FALSE(coordinator->recoveryAvailable.get());
}

TEST_F(CoordinatorRecovery, RecoverWithAMissingOrCorruptFileChangesNothing) {
    coordinator = Coordinator::make(desktop.services(), false, true, stateDirectory());
    settle();
    const std::string status = coordinator->status.get();
    coordinator->recover();
    settle();
    EXPECT_EQ(coordinator->status.get(), status);

    writeState("restore.json", R"([{"identity":"a|b","pid":"12","frame":[[0,0],[1,1]]}])");
    coordinator->recoveryAvailable = true;
    coordinator->recover();
    settle();
    EXPECT_EQ(coordinator->status.get(), status);
    EXPECT_TRUE(coordinator->recoveryAvailable.get());
    EXPECT_TRUE(stateExists("restore.json"));
    EXPECT_TRUE(logMentions("restore.json"));
}

TEST_F(CoordinatorRecovery, AFailedWriteIsNotReportedAsWritten) {
    editor.openWindow("notes", {100, 120, 640, 480});
    // A state "directory" that is a file: every write fails.
    std::filesystem::create_directories(desktop.temporaryFolder());
    std::ofstream(desktop.temporaryFolder() / "blocked") << "not a folder";
    coordinator = Coordinator::make(desktop.services(), false, true, desktop.temporaryFolder() / "blocked");
    settle();
    ASSERT_TRUE(coordinator->managing.get());
    EXPECT_FALSE(coordinator->resumeAvailable.get());
    EXPECT_TRUE(logMentions("last-view.json could not be written"));
}

TEST_F(CoordinatorRecovery, NothingToRecordLeavesAnEarlierFileAlone) {
    writeState("restore.json", R"([{"identity":"a|b","pid":12,"frame":[[0,0],[1,1]]}])");
    coordinator = Coordinator::make(desktop.services(), false, false, stateDirectory());
    coordinator->writeRecovery();
    EXPECT_EQ(readState("restore.json"), R"([{"identity":"a|b","pid":12,"frame":[[0,0],[1,1]]}])");
}

TEST_F(CoordinatorRecovery, DiagnosticsDescribeLayoutsAndManagedWindowsWithSortedKeys) {
    auto notes = editor.openWindow("notes", {100, 120, 640, 480});
    start();
    coordinator->pinned = {"z", "a"};
    coordinator->writeLayoutDiagnostics();

    const std::string text = readState("layout-diagnostics.json");
    EXPECT_NE(text.find("\n  \""), std::string::npos) << "pretty-printed";
    const auto object = nlohmann::ordered_json::parse(text);
    std::vector<std::string> keys;
    for (const auto& [key, value] : object.items()) keys.push_back(key);
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    EXPECT_EQ(keys.size(), 17u);
    EXPECT_EQ(object["detected"], 1);
    EXPECT_EQ(object["pinned"], nlohmann::json::array({"a", "z"}));
    EXPECT_EQ(object["managing"], true);
    // Arranging on a trusted desktop with an event tap installs it.
    EXPECT_EQ(object["inputTapInstalled"], true);
    ASSERT_EQ(object["layouts"].size(), 1u);
    EXPECT_EQ(object["layouts"][0]["display"], "1");
    EXPECT_EQ(object["layouts"][0]["tiles"][0]["frame"], "{{8, 8}, {1424, 884}}");
    ASSERT_EQ(object["nativeWindows"].size(), 1u);
    const auto& window = object["nativeWindows"][0];
    EXPECT_EQ(window["title"], "notes");
    EXPECT_EQ(window["nativeVisible"], true);
    EXPECT_EQ(window["nativeFrame"], "{{8, 8}, {1424, 884}}");
    EXPECT_EQ(window["requestedFrame"], "{{8, 8}, {1424, 884}}");
    EXPECT_EQ(window["minimum"], "{80, 60}");

    notes.minimize();
    coordinator->writeLayoutDiagnostics();
    const auto after = nlohmann::json::parse(readState("layout-diagnostics.json"));
    EXPECT_EQ(after["nativeWindows"][0]["nativeFrame"], "not on this desktop");
}
