// SPDX-License-Identifier: MIT
// CoordinatorRefreshTests.cpp: construction (state directory, saved layouts, gap), the beat,
// and the refresh rules: coalesced completions, the untrusted refresh, a scan dropped because
// an apply happened meanwhile, displays and workspaces, the other window manager.
#include "CoordinatorScene.h"

#include "Arvelo/Input/SpatialInputController.h"
#include "Platform/Files.h"

#include <algorithm>
#include <limits>

using namespace arvelo;
using arvelo::testing::CoordinatorScene;

namespace {

class CoordinatorRefresh : public CoordinatorScene {
protected:
    void SetUp() override {
        desktop.addDisplay("Built-in", {1440, 900});
        editor = desktop.launch("org.example.Editor", "Editor");
    }
    platform::sim::AppHandle editor{nullptr, 0};
};

}  // namespace

TEST_F(CoordinatorRefresh, StateDirectoryComesFromArgumentThenEnvironmentThenApplicationSupport) {
    const auto root = desktop.temporaryFolder();
    desktop.environment().variables["ARVELO_STATE_DIR"] = (root / "from-env").string();
    EXPECT_EQ(Coordinator::make(desktop.services(), false, false, root / "given")->storage, root / "given");
    EXPECT_EQ(Coordinator::make(desktop.services(), false, false)->storage, root / "from-env");
    EXPECT_TRUE(std::filesystem::is_directory(root / "from-env"));

    // An empty value is a value: it is used as the path, not treated as unset.
    desktop.environment().variables["ARVELO_STATE_DIR"] = "";
    EXPECT_EQ(Coordinator::make(desktop.services(), false, false)->storage, std::filesystem::path(""));

    desktop.environment().variables.erase("ARVELO_STATE_DIR");
    EXPECT_EQ(Coordinator::make(desktop.services(), false, false)->storage,
              *desktop.folders().applicationSupport / "Arvelo");
}

TEST_F(CoordinatorRefresh, StateFolderIsPrivateAndNeverASharedFallback) {
    desktop.environment().variables.erase("ARVELO_STATE_DIR");
    const auto folderMode = [](const std::filesystem::path& path) {
        return std::filesystem::status(path).permissions() & std::filesystem::perms::all;
    };

    // Made owner-only, also when it was left open to others.
    const auto support = *desktop.folders().applicationSupport / "Arvelo";
    std::filesystem::create_directories(support);
    std::filesystem::permissions(support, std::filesystem::perms::all);
    auto made = Coordinator::make(desktop.services(), false, false);
    EXPECT_EQ(folderMode(support), std::filesystem::perms::owner_all);
    EXPECT_EQ(made->status.get(), Coordinator::kInitialStatus);
    // A folder the user named is left as it is when it exists, and made owner-only when not.
    const auto named = desktop.temporaryFolder() / "named";
    std::filesystem::create_directories(named);
    std::filesystem::permissions(named, std::filesystem::perms::all);
    Coordinator::make(desktop.services(), false, false, named);
    EXPECT_EQ(folderMode(named), std::filesystem::perms::all);
    Coordinator::make(desktop.services(), false, false, named / "fresh");
    EXPECT_EQ(folderMode(named / "fresh"), std::filesystem::perms::owner_all);

    // Without a data folder: the user's private runtime folder.
    auto services = desktop.services();
    services.folders.applicationSupport.reset();
    made = Coordinator::make(services, false, false);
    EXPECT_EQ(made->storage, *desktop.folders().runtime / "Arvelo");
    EXPECT_EQ(folderMode(made->storage), std::filesystem::perms::owner_all);

    // Without either: no folder at all (never one in /tmp), said at once in the status line and
    // the log; the arranger still runs, and nothing is written anywhere.
    services.folders.runtime.reset();
    desktop.log().clear();
    made = Coordinator::make(services, false, false);
    EXPECT_EQ(made->storage, std::filesystem::path());
    EXPECT_EQ(made->status.get(), Coordinator::kNoStateFolderStatus);
    const auto entries = desktop.log().entries();
    EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [](const auto& entry) {
        return entry.message.find(Coordinator::kNoStateFolderStatus) != std::string::npos;
    }));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::temp_directory_path() / "Arvelo" / "restore.json"));
}

TEST_F(CoordinatorRefresh, AStateFolderThatCannotBeWrittenIsSaidAtOnce) {
    // A file where the folder should be: the folder can be neither made nor written.
    const auto blocked = desktop.temporaryFolder() / "blocked";
    ASSERT_TRUE(platform::writeFileAtomically(blocked, "not a folder"));
    desktop.log().clear();
    const auto made = Coordinator::make(desktop.services(), false, false, blocked / "Arvelo");
    EXPECT_EQ(made->status.get(), Coordinator::kStateFolderUnwritableStatus);
    const auto entries = desktop.log().entries();
    EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [](const auto& entry) {
        return entry.message.find(Coordinator::kStateFolderUnwritableStatus) != std::string::npos;
    }));
}

TEST_F(CoordinatorRefresh, ConstructionReadsSavedLayoutsGapAndExclusions) {
    writeState("saved-views.json", R"([{"id":2,"name":"Layout 2","displays":{},"identities":{}},)"
                                   R"({"id":1,"name":"Layout 1","displays":{},"identities":{},"savedAt":5}])");
    writeState("restore.json", "[]");
    desktop.defaults().setStringArray("excludedApps", {"org.example.Mail", "pid.42"});

    struct GapCase {
        const char* what;
        std::optional<nlohmann::json> stored;
        double gap;
    };
    const GapCase gaps[] = {{"absent", std::nullopt, 8},
                            {"zero", 0, 0},
                            {"a number", 12.5, 12.5},
                            {"the slider's top", 24, 24},
                            {"negative: the slider's lowest", -200, 4},
                            {"huge: the slider's top", 5000, 24},
                            {"just above the slider", 24.5, 24},
                            {"not a number", std::numeric_limits<double>::quiet_NaN(), 8},
                            {"infinite", std::numeric_limits<double>::infinity(), 8},
                            {"text", "wide", 8},
                            {"a Boolean", true, 8}};
    for (const auto& c : gaps) {
        if (c.stored)
            desktop.defaults().set("gap", *c.stored);
        else
            desktop.defaults().remove("gap");
        desktop.log().clear();
        const auto made = Coordinator::make(desktop.services(), false, false, stateDirectory());
        EXPECT_EQ(made->gap.get(), c.gap) << c.what;
        // A number that is not used as it is stored is said in the log.
        const bool adjusted = c.stored && c.stored->is_number() && c.stored->get<double>() != c.gap;
        const auto entries = desktop.log().entries();
        EXPECT_EQ(std::any_of(entries.begin(), entries.end(),
                              [](const auto& entry) { return entry.message.find("\"gap\"") != std::string::npos; }),
                  adjusted)
            << c.what;
        ASSERT_EQ(made->saved->size(), 2u);
        EXPECT_EQ(made->saved->front().id, 2) << "kept in file order";
        EXPECT_EQ(made->excluded.get(), (std::set<std::string>{"org.example.Mail", "pid.42"}));
        EXPECT_TRUE(made->recoveryAvailable.get());
        EXPECT_FALSE(made->resumeAvailable.get());
    }
}

TEST_F(CoordinatorRefresh, WithoutAutomaticUpdatesNothingIsScannedAndCompletionsRunAtOnce) {
    editor.openWindow("notes", {100, 100, 600, 400});
    start(false);
    int runs = 0;
    coordinator->refresh([&] { ++runs; });
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(coordinator->windows->empty());
    EXPECT_TRUE(coordinator->access->dryRun);
    EXPECT_EQ(desktop.clock().pendingBackground(), 0u);
    EXPECT_FALSE(coordinator->timer.has_value());
}

TEST_F(CoordinatorRefresh, CompletionsQueuedDuringAScanRunTogetherInOrderAfterOneScan) {
    editor.openWindow("notes", {100, 100, 600, 400});
    coordinator = Coordinator::make(desktop.services(), false, true, stateDirectory());
    coordinator->autoTile = false;
    ASSERT_TRUE(coordinator->scanInFlight);

    std::vector<int> order;
    for (int i = 1; i <= 3; ++i) coordinator->refresh([&order, i] { order.push_back(i); });
    EXPECT_EQ(desktop.clock().pendingBackground(), 1u) << "no further scan while one is in flight";
    EXPECT_TRUE(order.empty());

    settle();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(coordinator->scanInFlight);
    ASSERT_EQ(coordinator->windows->size(), 1u);
    EXPECT_EQ(coordinator->selectedWindow.get(), coordinator->windows->front()->id);
}

TEST_F(CoordinatorRefresh, UntrustedRefreshRunsEveryQueuedCompletionAtOnceAndTheScanStillMerges) {
    editor.openWindow("notes", {100, 100, 600, 400});
    coordinator = Coordinator::make(desktop.services(), false, true, stateDirectory());
    coordinator->autoTile = false;
    std::vector<std::string> order;
    coordinator->refresh([&] { order.push_back("trusted"); });
    desktop.runBackground();  // the scan runs; its result waits for the main queue

    desktop.setTrusted(false);
    coordinator->refresh([&] { order.push_back("untrusted"); });
    EXPECT_EQ(order, (std::vector<std::string>{"trusted", "untrusted"}));
    EXPECT_FALSE(coordinator->trusted.get());
    EXPECT_TRUE(coordinator->windows->empty());

    // The scan started while trusted comes back and is merged as usual.
    desktop.drain();
    EXPECT_EQ(coordinator->windows->size(), 1u);
    EXPECT_EQ(order.size(), 2u);
}

TEST_F(CoordinatorRefresh, AScanOverlappingAnApplyIsDroppedAndTakenAgain) {
    auto notes = editor.openWindow("notes", {100, 100, 600, 400});
    start();
    ASSERT_TRUE(coordinator->managing.get());
    const int revision = coordinator->layoutRevision;

    bool ran = false;
    coordinator->refresh([&] { ran = true; });
    coordinator->apply();  // raises the revision while the scan is in flight
    EXPECT_EQ(coordinator->layoutRevision, revision + 1);

    desktop.runBackground();
    desktop.clock().drain();
    EXPECT_FALSE(ran) << "the stale scan is thrown away; the completion waits";
    EXPECT_TRUE(coordinator->scanInFlight) << "and a new scan is on its way";

    settle();
    EXPECT_TRUE(ran);
    (void)notes;
}

TEST_F(CoordinatorRefresh, BeatIsSkippedWhileAScanIsInFlightAndRefreshesOtherwise) {
    editor.openWindow("notes", {100, 100, 600, 400});
    coordinator = Coordinator::make(desktop.services(), false, true, stateDirectory());
    ASSERT_TRUE(coordinator->timer.has_value());
    EXPECT_EQ(desktop.clock().pendingBackground(), 1u);

    desktop.advance(Coordinator::kBeatInterval * 3);
    EXPECT_EQ(desktop.clock().pendingBackground(), 1u) << "beats while the first scan is in flight start nothing";

    settle();
    desktop.advance(Coordinator::kBeatInterval);
    EXPECT_EQ(desktop.clock().pendingBackground(), 1u) << "the next beat scans again";

    // Gone coordinator: the timer's block and the pending scan do nothing.
    coordinator.reset();
    settle();
    desktop.advance(Coordinator::kBeatInterval * 2);
}

TEST_F(CoordinatorRefresh, DisplaysSelectionAndWorkspaces) {
    desktop.addDisplay("Side", {1920, 1080});
    editor.openWindow("notes", {100, 100, 600, 400});
    coordinator = Coordinator::make(desktop.services(), false, true, stateDirectory());
    coordinator->autoTile = false;
    settle();

    ASSERT_EQ(coordinator->displays->size(), 2u);
    EXPECT_EQ(coordinator->displays->at(1).id, "2");
    EXPECT_EQ(coordinator->displays->at(1).screenFrame, Rect(1440, 0, 1920, 1080));
    EXPECT_EQ(coordinator->selectedDisplay.get(), "1");
    EXPECT_TRUE(coordinator->managing.get());
    EXPECT_NE(coordinator->spatialInput, nullptr);
    for (const auto& id : {"1", "2"}) {
        ASSERT_TRUE(coordinator->states->contains(id));
        EXPECT_EQ(coordinator->states->at(id), WorkspaceState{}) << "only the desktop leaf";
        EXPECT_TRUE(coordinator->currentSpaces.contains(id));
    }
    EXPECT_TRUE(coordinator->windows->size() == 1 && coordinator->states->at("1").root.allWindows().empty())
        << "with autoTile off nothing is arranged";

    // A selected display that goes away is replaced by the display under the pointer.
    coordinator->selectedDisplay = "9";
    desktop.movePointer({2000, 500});
    coordinator->refresh();
    EXPECT_EQ(coordinator->selectedDisplay.get(), "2");
    settle();

    // No screens at all.
    desktop.world().displays().clear();
    coordinator->refresh();
    EXPECT_TRUE(coordinator->displays->empty());
    EXPECT_EQ(coordinator->selectedDisplay.get(), "");
}

TEST_F(CoordinatorRefresh, ArrangedWindowsFollowAVisibleFrameThatShrinks) {
    auto notes = editor.openWindow("notes", {100, 100, 600, 400});
    auto mail = editor.openWindow("mail", {200, 200, 600, 400});
    start();
    ASSERT_TRUE(coordinator->managing.get());
    for (const Rect& frame : framesOf({notes, mail})) ASSERT_LE(frame.maxX(), 1440);

    // A panel along the right edge takes 100 points: the next beat lays the windows out again
    // inside what is left.
    desktop.world().displays().front().visibleFrame = Rect(0, 0, 1340, 900);
    coordinator->refresh();
    settle();
    const auto frames = framesOf({notes, mail});
    for (const Rect& frame : frames) EXPECT_LE(frame.maxX(), 1340) << toString(frame);
    EXPECT_FALSE(arvelo::testing::anyOverlap(frames));
}

TEST_F(CoordinatorRefresh, AnotherWindowManagerStopsArrangingWithItsMessage) {
    editor.openWindow("notes", {100, 100, 600, 400});
    start();
    ASSERT_TRUE(coordinator->managing.get());

    desktop.launch(std::string(kZendraApplicationID), "ZendraWM");
    coordinator->refresh();
    settle();
    EXPECT_FALSE(coordinator->managing.get());
    EXPECT_TRUE(coordinator->states->empty());
    EXPECT_EQ(coordinator->status.get(), "Quit ZendraWM first so both apps do not move the same windows.");

    coordinator->arrangeCurrentSnapshot(std::nullopt);
    EXPECT_EQ(coordinator->status.get(), "Quit ZendraWM first so both apps do not move the same windows.");
    EXPECT_TRUE(coordinator->states->empty());
}

TEST_F(CoordinatorRefresh, PublishedFieldsTellTheirObservers) {
    coordinator = Coordinator::make(desktop.services(), false, false, stateDirectory());
    int changes = 0;
    std::string seen;
    coordinator->onChange.subscribe([&] {
        ++changes;
        seen = coordinator->status.get();
    });
    coordinator->status = "hello";
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(seen, "hello") << "observers read the new value";
    coordinator->states.modify([](auto& states) { states["1"] = WorkspaceState{}; });
    EXPECT_EQ(changes, 2);
}
